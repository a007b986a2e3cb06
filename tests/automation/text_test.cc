#include "automation/text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace automation {
namespace {

using namespace std::string_view_literals;

TEST(TextTest, TrimsRemoveOnlyTheBlanksNamed) {
  EXPECT_EQ(trim_right("  ab  "), "  ab");
  EXPECT_EQ(trim_right("ab\t "), "ab\t");
  EXPECT_EQ(trim_right("   "), "");
  EXPECT_EQ(trim_left("  ab  "), "ab  ");
  EXPECT_EQ(trim(""), "");
  EXPECT_EQ(trim(" \tab\t ", kSpacesAndTabs), "ab");
  EXPECT_EQ(trim("\r\n GO \n", kWhiteSpace), "GO");
  EXPECT_EQ(trim_right("12:00 \0\t"sv, " \t\0"sv), "12:00");
}

TEST(TextTest, CaseFoldingTouchesAsciiLettersOnly) {
  EXPECT_TRUE(iequals("Provider", "pROVIDER"));
  EXPECT_FALSE(iequals("Provider", "Provide"));
  // '[' and '{' sit beside the letters; folding must not make them equal to anything else.
  EXPECT_FALSE(iequals("A[", "a{"));
  EXPECT_FALSE(iequals("\xC3\x80", "\xC3\xA0"));
  EXPECT_EQ(ascii_lower("MiXed \xC3\x80"), "mixed \xC3\x80");
  EXPECT_EQ(ascii_upper("MiXed_1"), "MIXED_1");
  EXPECT_EQ(icompare("abc", "ABD"), -1);
  EXPECT_EQ(icompare("ABC", "abc"), 0);
  EXPECT_EQ(icompare("abc", "AB"), 1);
  EXPECT_EQ(icompare("\xC3", "a"), 1);  // bytes compare unsigned
}

TEST(TextTest, Utf8RoundTripsEveryLengthAndRejectsMalformedBytes) {
  for (char32_t cp : {U'a', U'\u00E0', U'\u20AC', U'\U0001F600', U'\U0010FFFF'}) {
    SCOPED_TRACE(static_cast<unsigned>(cp));
    std::string text;
    append_utf8(text, cp);
    std::size_t pos = 0;
    EXPECT_EQ(decode_utf8(text, pos), cp);
    EXPECT_EQ(pos, text.size());
    EXPECT_EQ(utf8_length(text + "x"), 2u);
  }
  for (std::string_view bad : {"\xC0\xAF"sv, "\xE0\x80\xAF"sv, "\xED\xA0\x80"sv,
                               "\xF4\x90\x80\x80"sv, "\xC3"sv, "\x80"sv, "\xE2\x82"sv}) {
    SCOPED_TRACE(std::string(bad));
    std::size_t pos = 0;
    EXPECT_EQ(decode_utf8(bad, pos), std::nullopt);
    EXPECT_EQ(pos, 1u);  // one byte at a time, so the next one is read afresh
  }
}

}  // namespace
}  // namespace automation
