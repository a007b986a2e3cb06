// Building the component's SQL text.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace dorsel {

inline constexpr std::string_view kCrLf = "\r\n";

// A text value appended to `sql` for the inside of a single-quoted SQL literal: every quote is
// doubled, so a value can never end its literal. A value without a quote goes in unchanged.
void append_quoted(std::string& sql, std::string_view value);

// A value the component writes into a statement as a number, without quotes (an id, a price
// list's kind or number, the host's company code): it must read as a plain decimal number
// (blanks around, one sign, digits, a point with digits after it) and nothing more, or it could
// widen the statement. Returns `text` as given; raises 13 (Type mismatch) otherwise, before
// anything reaches the database.
const std::string& require_plain_number(const std::string& text);

// A statement's text, built in one buffer: every statement the component writes is built
// here, so a text value always goes in quoted and a number always goes in checked. Not
// thread-safe; one owner at a time.
class SqlText {
 public:
  // Most statements fit the default capacity, so they are built without reallocating.
  explicit SqlText(std::size_t capacity = 320) { text_.reserve(capacity); }

  // Appends the pieces as they are.
  SqlText& add(std::initializer_list<std::string_view> pieces) {
    for (std::string_view piece : pieces) text_.append(piece);
    return *this;
  }
  // A new line made of the pieces: CR LF before it unless the text is still empty.
  SqlText& line(std::initializer_list<std::string_view> pieces) {
    if (!text_.empty()) text_.append(kCrLf);
    return add(pieces);
  }
  // 'value', its quotes doubled (append_quoted).
  SqlText& quoted(std::string_view value);
  // `text` as given once require_plain_number accepts it; raises 13 otherwise.
  SqlText& number(const std::string& text);
  // The company query frame: " SELECT ", CR LF, `star`, CR LF, " FROM ", CR LF, five blanks,
  // the table, one blank, CR LF, " WHERE ", CR LF, five blanks, "<code>_DITTA_CG18 = ", the
  // company code (a number), " ". `code` is the table code (MG66, LI11, ...); `star` is the
  // select-list line ("     * " unless a query keeps another spacing).
  SqlText& company_frame(std::string_view table, std::string_view code,
                         const std::string& company_code, std::string_view star = "     * ");

  const std::string& text() const { return text_; }
  // The text, moved out: the builder is spent.
  std::string take() { return std::move(text_); }

 private:
  std::string text_;
};

}  // namespace dorsel
