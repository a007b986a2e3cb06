// The session's values written straight as text: the same bytes as the JSON document of
// json_values.h serialised, for every kind of value and for recordsets in every state.
#include "console/json_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "automation/date.h"
#include "automation/decimal.h"
#include "automation/number_format.h"
#include "console/json_values.h"
#include "data/recordset.h"
#include "support/case_file.h"
#include "support/test_database.h"

namespace {

using automation::Variant;

std::string as_document(const Variant& value) {
  return console::variant_to_json(value).dump(-1, ' ', false,
                                              nlohmann::json::error_handler_t::replace);
}

std::string as_text(const Variant& value) {
  std::string out;
  console::append_json(out, value);
  return out;
}

TEST(JsonTextTest, EveryKindOfValueIsWrittenAsTheDocumentWouldBe) {
  class Other : public automation::Object {
   public:
    std::string_view type_name() const override { return "Other \"one\""; }
    Variant invoke(std::string_view, automation::InvokeKind, std::span<Variant>) override {
      return {};
    }
  };
  const std::vector<Variant> values = {
      Variant(),
      Variant::null(),
      Variant::missing(),
      Variant::nothing(),
      Variant(true),
      Variant(std::int16_t{-32768}),
      Variant(std::int32_t{2147483647}),
      Variant(std::int64_t{-9223372036854775807LL - 1}),
      Variant(automation::Decimal::parse("-12.500", automation::NumberFormat::plain())),
      Variant(automation::Currency{-15}),
      Variant(automation::Date{45000.25}),
      Variant(automation::Bytes{0, 255, 10}),
      Variant(automation::ObjectPtr(std::make_shared<Other>())),
      Variant(std::string("plain")),
      Variant(std::string("quote \" backslash \\ slash / \b\f\n\r\t \x01\x1f\x7f end")),
      Variant(std::string("accents \xC3\xA8 \xE2\x82\xAC \xF0\x9F\x98\x80")),
      // Broken UTF-8: a lone continuation, an overlong form, a surrogate, past U+10FFFF, a
      // sequence cut short inside and at the end.
      Variant(std::string("a\x80z")),
      Variant(std::string("\xC0\x80")),
      Variant(std::string("\xED\xA0\x80x")),
      Variant(std::string("\xF4\x90\x80\x80")),
      Variant(std::string("\xE2\x82z")),
      Variant(std::string("end \xE2\x82")),
  };
  for (const Variant& value : values) {
    const std::string expected = as_document(value);
    SCOPED_TRACE(expected);
    EXPECT_EQ(as_text(value), expected);
  }
}

TEST(JsonTextTest, DoublesAreWrittenAsTheLibraryWritesThem) {
  std::vector<double> doubles;
  test_support::for_each_case("console/data/json_doubles.txt", 1, 18, [&](const auto& c) {
    doubles.push_back(std::strtod(c[0].c_str(), nullptr));
  });
  std::mt19937_64 random(19);
  for (int i = 0; i < 20000; ++i) {
    const double magnitude = std::pow(10.0, static_cast<double>(random() % 40) - 20.0);
    const double value =
        static_cast<double>(static_cast<std::int64_t>(random() % 2000001) - 1000000) * magnitude;
    doubles.push_back(value);
    doubles.push_back(std::round(value));
  }
  int differing = 0;
  for (double value : doubles) {
    const std::string expected = as_document(Variant(value));
    if (as_text(Variant(value)) != expected && ++differing <= 5) {
      ADD_FAILURE() << expected << " written as " << as_text(Variant(value));
    }
  }
  EXPECT_EQ(differing, 0);
}

TEST(JsonTextTest, RecordsetsInEveryStateAreWrittenAsTheDocumentWouldBe) {
  data::ConnectionPtr connection = test_support::make_test_connection(true);
  data::RecordsetPtr stock =
      connection->Execute("SELECT * FROM MG67_SCORTE ORDER BY MG67_CODART_MG66, MG67_DEPOS_MG58");
  ASSERT_GT(stock->RecordCount(), 3);
  stock->MoveNext();
  stock->MoveNext();

  data::RecordsetPtr filtered = stock->Clone();
  filtered->SetFilter(Variant("MG67_FLGDEPPREF = 1"));

  data::RecordsetPtr empty = connection->Execute("SELECT * FROM MG67_SCORTE WHERE 1 = 0");

  data::RecordsetPtr closed = connection->Execute("SELECT * FROM MG68_CONFART");
  closed->Close();

  connection->SetCursorLocation(data::kUseServer);
  data::RecordsetPtr forward_only = connection->Execute("SELECT * FROM MG87_ARTDESC");

  // A fabricated recordset holding an object and a recordset in a variant column.
  data::RecordsetPtr fabricated = data::Recordset::create();
  fabricated->Fields().Append("V", data::DataType::kVariant, 0, data::kFldIsNullable);
  fabricated->Open();
  fabricated->AddNew();
  fabricated->Fields().Item(0).SetValue(Variant(automation::ObjectPtr(empty)));
  fabricated->Update();

  for (const data::RecordsetPtr& recordset :
       {stock, filtered, empty, closed, forward_only, fabricated}) {
    const Variant value{automation::ObjectPtr(recordset)};
    const std::string expected = as_document(value);
    SCOPED_TRACE(expected.substr(0, 200));
    const std::int64_t position =
        recordset->State() == data::kStateOpen && recordset->CursorType() != data::kOpenForwardOnly
            ? recordset->AbsolutePosition()
            : 0;
    EXPECT_EQ(as_text(value), expected);
    if (position != 0) {
      EXPECT_EQ(recordset->AbsolutePosition(), position);
    }
  }
  EXPECT_EQ(stock->AbsolutePosition(), 3);
}

}  // namespace
