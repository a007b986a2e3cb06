#include "automation/ambient.h"

#include <gtest/gtest.h>

#include <latch>
#include <string>
#include <thread>
#include <vector>

#include "automation/convert.h"
#include "automation/prompt.h"

namespace {

using namespace automation;

class AnswerYes : public PromptService {
 public:
  PromptAnswer ask(std::string_view, std::string_view, int) override { return PromptAnswer::kYes; }
};

// What a component running under the current ambient would see and leave behind.
std::string observed(double number) {
  output_debug_string("line " + double_to_text(number));
  const CivilDateTime day = today();
  return double_to_text(number) + " " + std::to_string(day.year) + " " +
         (ask_user("t", "q", 68) == PromptAnswer::kYes ? "yes" : "no");
}

TEST(AmbientTest, EachThreadSeesOnlyTheAmbientInstalledOnIt) {
  Ambient italian, plain;
  italian.number_format = NumberFormat::italian();
  italian.today = CivilDateTime{2001, 1, 1};
  italian.prompt = std::make_shared<AnswerYes>();
  plain.number_format = NumberFormat::plain();
  plain.today = CivilDateTime{2002, 1, 1};
  std::vector<std::string> italian_lines, plain_lines;
  italian.debug_sink = [&](std::string_view t) { italian_lines.emplace_back(t); };
  plain.debug_sink = [&](std::string_view t) { plain_lines.emplace_back(t); };

  // Both stay installed while either looks, and every look must see its own thread's: an
  // ambient shared between threads would show.
  std::latch both_installed(2), both_looked(2);
  auto run = [&](Ambient& ambient, const std::string& expected, int& wrong) {
    ScopedAmbient installed(ambient);
    both_installed.arrive_and_wait();
    for (int i = 0; i < 2000; ++i) wrong += observed(1.5) != expected;
    both_looked.arrive_and_wait();
  };
  int wrong_italian = 0, wrong_plain = 0;
  std::thread a(run, std::ref(italian), "1,5 2001 yes", std::ref(wrong_italian));
  std::thread b(run, std::ref(plain), "1.5 2002 no", std::ref(wrong_plain));
  a.join();
  b.join();

  EXPECT_EQ(wrong_italian, 0);
  EXPECT_EQ(wrong_plain, 0);
  ASSERT_EQ(italian_lines.size(), 2000u);
  ASSERT_EQ(plain_lines.size(), 2000u);
  EXPECT_EQ(italian_lines.back(), "line 1,5");
  EXPECT_EQ(plain_lines.back(), "line 1.5");
}

TEST(AmbientTest, SettersChangeTheInstalledAmbientAndInstallationsNest) {
  const char before = current_number_format().decimal_separator;
  Ambient outer, inner;
  {
    ScopedAmbient first(outer);
    set_current_number_format(NumberFormat::italian());
    set_today_override(CivilDateTime{1999, 12, 31});
    {
      ScopedAmbient second(inner);
      inner.number_format = NumberFormat::plain();
      EXPECT_EQ(double_to_text(2.5), "2.5");
    }
    EXPECT_EQ(double_to_text(2.5), "2,5");
    EXPECT_EQ(today().year, 1999);
  }
  EXPECT_EQ(outer.number_format.decimal_separator, ',');
  EXPECT_EQ(current_number_format().decimal_separator, before);
  EXPECT_FALSE(current_ambient().today.has_value());
}

}  // namespace
