// Downloaded catalogue attachments as files in the host's temporary folder, and undoing a
// download in the database.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "automation/convert.h"
#include "automation/error.h"
#include "automation/reference.h"
#include "automation/variant.h"
#include "data/ado.h"
#include "data/stream.h"
#include "dorsel/attachments/temp_folder.h"
#include "dorsel/frame/clsmg_dorsel.h"
#include "dorsel/frame/slot_source.h"
#include "dorsel/frame/sql_text.h"
#include "dorsel/frame/values.h"

namespace dorsel {

namespace {

// What the console opens when there is nothing to show.
constexpr std::string_view kBlankPage = "about:blank";

std::string attachment_file_query(std::int16_t attachment_id) {
  return SqlText()
      .add({"         SELECT ", " CASE CL06_TIPO", "    WHEN 0 THEN", "        CL06_NOMEFILE",
            "    WHEN 1 THEN", "        'THB_' + CL06_NOMEFILE", "    WHEN 2 THEN",
            "        CL06_NOMEFILE", "    WHEN 3 THEN", "        'THB_' + CL06_NOMEFILE",
            "    ELSE CL06_NOMEFILE END AS CL06_NOMEFILE", "     ,CL07_FILE ", "     ,CL06_LINK ",
            " FROM ", "     CL06_LISTAALLEGATI ",
            " LEFT OUTER JOIN CL07_FILEALLEGATI ON CL07_ID_CL06 = CL06_ID ",
            " WHERE CL06_ID = ", std::to_string(attachment_id)})
      .take();
}

// A field value taken as a String result: Null cannot be one.
std::string text_of(const automation::Variant& value) {
  if (value.is_null()) {
    automation::raise_runtime(automation::errc::kInvalidUseOfNull);
  }
  return automation::to_text(value);
}

void write_file(const automation::Variant& content, const std::string& path) {
  data::StreamPtr stream = data::Stream::create();
  stream->Open(automation::Variant::missing(), data::kModeUnknown, -1, "", "");
  stream->SetType(data::kTypeBinary);
  stream->Write(content);
  stream->SaveToFile(path, data::kSaveCreateNotExist);
  stream->Close();
}

}  // namespace

std::string CLSMG_DORSEL::GetPathFileAllegato(std::int16_t IdAllegato, const std::string& PathTemp,
                                              bool GetUrl) {
  // The console opens a blank page for an attachment it cannot have; the host hears nothing.
  return automation::never_raises(std::string(kBlankPage), [&] {
    const std::string sql = attachment_file_query(IdAllegato);
    open_from_source(*this, Grst_RecSet_CL07, sql, HandedOutOpen::kCloseFirst);
    if (!Grst_RecSet_CL07 || Grst_RecSet_CL07->Bof() || Grst_RecSet_CL07->Eof()) return PathTemp;

    data::Fields& fields = Grst_RecSet_CL07->Fields();
    if (GetUrl) return text_of(fields.Item("CL06_LINK").Value());

    const automation::Variant name_value = fields.Item("CL06_NOMEFILE").Value();
    const std::string name = name_value.is_null() ? std::string() : text_of(name_value);
    // A name that could reach outside the folder is neither listed nor written.
    if (!attachments::is_safe_file_name(name)) return std::string(kBlankPage);
    // A name inside one already listed counts as listed: the list is searched as text.
    if (ListFileToDelete.find(name) == std::string::npos) ListFileToDelete.append(";" + name);

    std::string path = PathTemp + name;
    // A file already there is the one the console opened before; it is not written again.
    if (attachments::file_exists(path)) return path;
    write_file(fields.Item("CL07_FILE").Value(), path);
    return path;
  });
}

void CLSMG_DORSEL::RemoveAllegato(const std::string& IdAllegato) {
  // Both statements run even when the first fails; neither reports anything.
  // The id goes into the statements as the host passes it: anything but a number could widen
  // them to other attachments.
  automation::ignore_errors([&] {
    automation::require_set(connection())
        .Execute(SqlText()
                     .add({"DELETE FROM CL07_FILEALLEGATI WHERE CL07_ID_CL06 = "})
                     .number(IdAllegato)
                     .take(),
                 nullptr, data::kCmdUnspecified);
  });
  automation::ignore_errors([&] {
    automation::require_set(connection())
        .Execute(SqlText()
                     .add({"UPDATE CL06_LISTAALLEGATI SET CL06_ISDOWNLOADED = 0 , "
                           "CL06_DATADOWNLOAD = NULL WHERE CL06_ID ="})
                     .number(IdAllegato)
                     .take(),
                 nullptr, data::kCmdUnspecified);
  });
}

void CLSMG_DORSEL::RemoveAllFile(const std::string& PathTemp) {
  if (ValoreTesto(automation::Variant(ListFileToDelete)).empty()) return;
  std::string_view list = ListFileToDelete;
  // The list starts with ";", so its first piece is empty and skipped like any blank one.
  for (;;) {
    const std::size_t end = list.find(';');
    const std::string piece(list.substr(0, end));
    automation::ignore_errors([&] {
      if (ValoreTesto(automation::Variant(piece)).empty()) return;
      if (!attachments::is_safe_file_name(piece)) return;
      const std::string path = PathTemp + piece;
      if (attachments::file_exists(path)) attachments::delete_file(path);
    });
    if (end == std::string_view::npos) break;
    list.remove_prefix(end + 1);
  }
}

}  // namespace dorsel
