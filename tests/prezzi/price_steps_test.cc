#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "automation/number_format.h"
#include "prezzi/price_calculation.h"
#include "prezzi/price_steps.h"

namespace prezzi {
namespace {

using automation::Decimal;
using automation::Variant;

class TwoDecimals : public automation::Object, public CompanyInterface {
 public:
  std::string_view type_name() const override { return "TwoDecimals"; }
  std::int16_t DecimaliPrezzo(std::string_view) override { return 2; }
};

std::string render(const PriceSteps& steps) {
  std::ostringstream out;
  for (const PriceStep& step : steps) {
    out << step_name(step.kind);
    if (step.index != 0) out << step.index;
    out << " " << step.amount.to_invariant_string();
    if (step.kind == StepKind::kBaseVariation) {
      out << " (" << step.variation.to_invariant_string() << " - "
          << step.base.to_invariant_string() << ") x " << step.multiplier.to_invariant_string();
    }
    out << " -> " << step.price.to_invariant_string() << "\n";
  }
  return out.str();
}

TEST(PriceStepsTest, RecordsEveryStepWithTheRunningPrice) {
  automation::ScopedNumberFormat plain(automation::NumberFormat::plain());
  CLSPREZZI calc;
  calc.SetDittaCorrente(std::make_shared<TwoDecimals>());
  PriceSteps steps;
  calc.record_steps(&steps);
  calc.SetPREZZO(Variant("100"));
  calc.SetFLGBASEVAR(1);
  calc.SetBVMBASE(Variant("5"));
  calc.SetBVMVAR(Variant("7.5"));
  calc.SetBVMMOLT(Variant("2"));
  calc.SetSCPER(1, Variant("10"));
  calc.SetSCPER(3, Variant("5"));
  calc.SetSCIMP(Variant("2"));
  calc.SetMAGPER(2, Variant("10"));
  calc.SetMAGIMP(Variant("0.333"));
  calc.CalcolaPrezzoNetto();
  EXPECT_EQ(render(steps),
            "base_price 100 -> 100\n"
            "base_variation 5 (7.5 - 5) x 2 -> 105\n"
            "discount1 10 -> 94.5\n"
            "discount2 0 -> 94.5\n"
            "discount3 5 -> 89.775\n"
            "discount4 0 -> 89.775\n"
            "discount5 0 -> 89.775\n"
            "discount6 0 -> 89.775\n"
            "discount_amount 2 -> 87.775\n"
            "markup1 0 -> 87.775\n"
            "markup2 10 -> 96.5525\n"
            "markup_amount 0.333 -> 96.8855\n"
            "rounding 2 -> 96.89\n");
  EXPECT_DOUBLE_EQ(calc.PREZZONETTO().as_double(), 96.89);

  // Below zero: the clamp is the last step; without the flag no variation step.
  calc.SetFLGBASEVAR(0);
  calc.SetSCIMP(Variant("500"));
  calc.CalcolaPrezzoNetto();
  ASSERT_GE(steps.size(), 2U);
  EXPECT_EQ(steps[1].kind, StepKind::kDiscount);
  EXPECT_EQ(steps.back().kind, StepKind::kClampAtZero);
  EXPECT_TRUE(steps.back().price.is_zero());
  EXPECT_EQ(steps[steps.size() - 2].kind, StepKind::kRounding);
  EXPECT_TRUE(steps[steps.size() - 2].price.is_negative());

  // Recording stops; the old record is left as it was.
  calc.record_steps(nullptr);
  calc.SetSCIMP(Variant("0"));
  calc.CalcolaPrezzoNetto();
  EXPECT_EQ(steps.back().kind, StepKind::kClampAtZero);
}

}  // namespace
}  // namespace prezzi
