#include "prezzi/price_calculation.h"

#include <gtest/gtest.h>

#include "automation/convert.h"
#include "automation/factory.h"
#include "automation/number_format.h"
#include "support/case_file.h"
#include "support/error_of.h"

namespace prezzi {
namespace {

using automation::Variant;
using test_support::error_of;

class Company : public automation::Object, public CompanyInterface {
 public:
  std::string_view type_name() const override { return "Company"; }
  std::int16_t DecimaliPrezzo(std::string_view valuta) override { return valuta == "USD" ? 2 : 3; }
};

class NotACompany : public automation::Object {
 public:
  std::string_view type_name() const override { return "NotACompany"; }
};

TEST(PriceCalculationTest, NetPriceInDecimalArithmetic) {
  automation::ScopedNumberFormat italian(automation::NumberFormat::italian());
  auto calc = std::make_shared<CLSPREZZI>();
  calc->SetDittaCorrente(std::make_shared<Company>());
  test_support::for_each_case("prezzi/data/net_prices.tsv", 17, 7, [&](const auto& c) {
    calc->SetPREZZO(Variant(c[0]));
    for (int i = 0; i < 6; ++i) calc->SetSCPER(i + 1, Variant(c[1 + i]));
    calc->SetSCIMP(Variant(c[7]));
    calc->SetMAGPER(1, Variant(c[8]));
    calc->SetMAGPER(2, Variant(c[9]));
    calc->SetMAGIMP(Variant(c[10]));
    calc->SetFLGBASEVAR(std::stoi(c[11]));
    calc->SetBVMBASE(Variant(c[12]));
    calc->SetBVMVAR(Variant(c[13]));
    calc->SetBVMMOLT(Variant(c[14]));
    calc->SetValuta(Variant(c[15]));
    calc->CalcolaPrezzoNetto();
    EXPECT_DOUBLE_EQ(calc->PREZZONETTO().as_double(), std::stod(c[16]));
  });
}

TEST(PriceCalculationTest, RefusesWhatItCannotTake) {
  auto calc = std::make_shared<CLSPREZZI>();
  EXPECT_TRUE(calc->PREZZONETTO().is_empty());
  // A text that is not a number; an object without the company interface.
  EXPECT_EQ(error_of([&] { calc->SetPREZZO(Variant("dieci")); }).number(), 13);
  EXPECT_EQ(error_of([&] { calc->SetDittaCorrente(std::make_shared<NotACompany>()); }).number(),
            13);
  // Without a company object prices keep five decimals.
  calc->SetPREZZO(Variant("1.234567"));
  calc->CalcolaPrezzoNetto();
  EXPECT_DOUBLE_EQ(calc->PREZZONETTO().as_double(), 1.23457);
}

TEST(PriceCalculationTest, LateBoundMembersAndFactory) {
  register_classes();
  automation::ObjectPtr object = automation::create_object(kClassName);
  object->let("PREZZO", Variant("20"));
  object->let("SC1PER", Variant("50"));
  object->let("FLGBASEVAR", Variant(std::int16_t{0}));
  object->call("CalcolaPrezzoNetto");
  EXPECT_DOUBLE_EQ(object->get("prezzonetto").as_double(), 10.0);
  EXPECT_THROW(object->let("SC7PER", Variant("1")), automation::Error);
}

}  // namespace
}  // namespace prezzi
