#include "data/stream.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "data/errors.h"

namespace data {

namespace {

constexpr std::string_view kSource = "ADODB.Stream";

// Writes all of `bytes` to `fd`; false on any failure.
bool write_all(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

StreamPtr Stream::create() { return StreamPtr(new Stream()); }

void Stream::Open(const automation::Variant& source, int /*mode*/, int /*options*/,
                  std::string_view /*user_name*/, std::string_view /*password*/) {
  if (open_) raise(errc::kObjectOpen, kSource);
  // Only the in-memory stream exists here: a URL or record source is not available.
  if (!source.is_missing() && !source.is_empty()) raise(errc::kInvalidArgument, kSource);
  open_ = true;
  buffer_.clear();
  position_ = 0;
}

void Stream::SetType(int type) {
  if (type != kTypeBinary && type != kTypeText) raise(errc::kInvalidArgument, kSource);
  if (open_ && position_ != 0) raise(errc::kInvalidArgument, kSource);
  type_ = type;
}

std::int64_t Stream::Size() const {
  if (!open_) raise(errc::kObjectClosed, kSource);
  return static_cast<std::int64_t>(buffer_.size());
}

void Stream::Write(const automation::Variant& buffer) {
  if (!open_) raise(errc::kObjectClosed, kSource);
  if (!buffer.is_bytes()) raise(errc::kInvalidArgument, kSource);
  if (type_ == kTypeText) {
    // Binary data written first into an empty text stream makes it a binary stream.
    if (!buffer_.empty()) raise(errc::kIllegalOperation, kSource);
    type_ = kTypeBinary;
  }
  const automation::Bytes& bytes = buffer.as_bytes();
  auto at = static_cast<std::size_t>(position_);
  if (buffer_.size() < at + bytes.size()) buffer_.resize(at + bytes.size());
  std::copy(bytes.begin(), bytes.end(), buffer_.begin() + static_cast<std::ptrdiff_t>(at));
  position_ += static_cast<std::int64_t>(bytes.size());
}

void Stream::SaveToFile(const std::string& path, int options) {
  if (!open_) raise(errc::kObjectClosed, kSource);
  // A link in the file's place is never followed: it could lead anywhere.
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW;
  if (options == kSaveCreateOverWrite) {
    flags |= O_TRUNC;
  } else if (options == kSaveCreateNotExist) {
    // Refusing an existing file is part of the same call that creates it: no window between.
    flags |= O_EXCL;
  } else {
    raise(errc::kInvalidArgument, kSource);
  }
  int fd = ::open(path.c_str(), flags, 0666);
  if (fd < 0) raise(errc::kWriteFile, kSource);
  bool written = write_all(fd, buffer_);
  bool closed = ::close(fd) == 0;
  if (!written || !closed) raise(errc::kWriteFile, kSource);
  position_ = 0;
}

void Stream::Close() {
  if (!open_) raise(errc::kObjectClosed, kSource);
  open_ = false;
  std::string().swap(buffer_);
  position_ = 0;
}

}  // namespace data
