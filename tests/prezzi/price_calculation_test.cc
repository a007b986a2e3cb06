#include "prezzi/price_calculation.h"

#include <gtest/gtest.h>

#include "automation/convert.h"
#include "automation/factory.h"
#include "automation/number_format.h"
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

struct Row {
  const char* prezzo;
  const char* sc[6];
  const char* scimp;
  const char* mag[2];
  const char* magimp;
  int flg;
  const char* base;
  const char* var;
  const char* molt;
  const char* valuta;
  double expected;
};

TEST(PriceCalculationTest, NetPriceInDecimalArithmetic) {
  automation::ScopedNumberFormat italian(automation::NumberFormat::italian());
  const Row rows[] = {
      // 100 - 10% = 90, - 5% = 85.5, - 2 = 83.5, + 10% = 91.85, + 1 = 92.85
      {"100",
       {"10", "5", "0", "0", "0", "0"},
       "2",
       {"10", "0"},
       "1",
       0,
       "0",
       "0",
       "0",
       "EURO",
       92.85},
      // Base variation: 10 + (7,5 - 5) x 2 = 15; three decimals for EURO: 0,1 / 3 rounds.
      {"10",
       {"0", "0", "0", "0", "0", "0"},
       "0",
       {"0", "0"},
       "0",
       1,
       "5",
       "7,5",
       "2",
       "EURO",
       15.0},
      // The same values with the flag 0 ignore the base variation.
      {"10",
       {"0", "0", "0", "0", "0", "0"},
       "0",
       {"0", "0"},
       "0",
       0,
       "5",
       "7,5",
       "2",
       "EURO",
       10.0},
      // 1,2345 rounds half away from zero to 2 decimals for USD.
      {"1,235",
       {"0", "0", "0", "0", "0", "0"},
       "0",
       {"0", "0"},
       "0",
       0,
       "0",
       "0",
       "0",
       "USD",
       1.24},
      // A result below zero becomes 0.
      {"5", {"0", "0", "0", "0", "0", "0"}, "7", {"0", "0"}, "0", 0, "0", "0", "0", "EURO", 0.0},
      // An empty price counts as 0; 1/3 of a discount chain exercises the division.
      {"", {"0", "0", "0", "0", "0", "0"}, "0", {"0", "0"}, "0,5", 0, "0", "0", "0", "EURO", 0.5},
      {"1.000",
       {"33,333", "0", "0", "0", "0", "0"},
       "0",
       {"0", "0"},
       "0",
       0,
       "0",
       "0",
       "0",
       "EURO",
       666.67},
  };
  auto calc = std::make_shared<CLSPREZZI>();
  calc->SetDittaCorrente(std::make_shared<Company>());
  for (const Row& r : rows) {
    SCOPED_TRACE(r.prezzo);
    calc->SetPREZZO(Variant(r.prezzo));
    for (int i = 0; i < 6; ++i) calc->SetSCPER(i + 1, Variant(r.sc[i]));
    calc->SetSCIMP(Variant(r.scimp));
    calc->SetMAGPER(1, Variant(r.mag[0]));
    calc->SetMAGPER(2, Variant(r.mag[1]));
    calc->SetMAGIMP(Variant(r.magimp));
    calc->SetFLGBASEVAR(r.flg);
    calc->SetBVMBASE(Variant(r.base));
    calc->SetBVMVAR(Variant(r.var));
    calc->SetBVMMOLT(Variant(r.molt));
    calc->SetValuta(Variant(r.valuta));
    calc->CalcolaPrezzoNetto();
    EXPECT_DOUBLE_EQ(calc->PREZZONETTO().as_double(), r.expected);
  }
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
