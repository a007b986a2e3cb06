// Stream: an in-memory byte stream saved to a file, after ADO's Stream (binary use only).
// Not thread-safe.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "automation/object.h"
#include "data/ado.h"

namespace data {

class Stream;
using StreamPtr = std::shared_ptr<Stream>;

class Stream : public automation::Object {
 public:
  static StreamPtr create();
  std::string_view type_name() const override { return "Stream"; }

  // Open with no source: an empty in-memory stream. Raises 3705 when open.
  void Open(const automation::Variant& source = automation::Variant::missing(),
            int mode = kModeUnknown, int options = -1, std::string_view user_name = {},
            std::string_view password = {});
  int State() const { return open_ ? kStateOpen : kStateClosed; }
  int Type() const { return type_; }
  // adTypeBinary (1) or adTypeText (2); while open only at position 0 (3001 otherwise).
  void SetType(int type);
  std::int64_t Size() const;
  // Appends the bytes of a byte-array variant at the position. Raises 3704 when closed, 3001
  // for a value that is not a byte array.
  void Write(const automation::Variant& buffer);
  // Writes the whole stream to a file. adSaveCreateNotExist (1) refuses an existing file with
  // 3004; adSaveCreateOverWrite (2) replaces it. Raises 3004 when the file cannot be written,
  // and for a symbolic link in the file's place, which is never written through.
  void SaveToFile(const std::string& path, int options = kSaveCreateNotExist);
  // Discards the contents. Raises 3704 when already closed.
  void Close();

 private:
  Stream() = default;
  bool open_ = false;
  int type_ = kTypeText;
  std::string buffer_;
  std::int64_t position_ = 0;
};

}  // namespace data
