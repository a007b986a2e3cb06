// The filter language: criteria against a recordset of every kind of column, with Nulls. Bad
// criteria must raise the recordset's errors and leave the filter in force; good ones must
// filter without fault.
#include <cstddef>
#include <cstdint>
#include <string>

#include "automation/date.h"
#include "automation/decimal.h"
#include "automation/error.h"
#include "data/recordset.h"

namespace {

using automation::Variant;

data::RecordsetPtr rows() {
  data::RecordsetPtr rs = data::Recordset::create();
  rs->Fields().Append("ID", data::DataType::kInteger, 4, data::kFldUnspecified);
  rs->Fields().Append("NAME", data::DataType::kVarChar, 20, data::kFldMayBeNull);
  rs->Fields().Append("SCORE", data::DataType::kDecimal, 1, data::kFldMayBeNull);
  rs->Fields().Append("SEEN", data::DataType::kDate, 0, data::kFldMayBeNull);
  rs->Fields().Append("PRICE", data::DataType::kDouble, 8, data::kFldMayBeNull);
  rs->Fields().Append("Last Name", data::DataType::kVariant, 0, data::kFldMayBeNull);
  rs->Open();
  const Variant names[] = {"Smith", "O'Malley", Variant::null(), "smitten", "", "2020-01-31"};
  for (int i = 0; i < 6; ++i) {
    rs->AddNew();
    rs->Fields().Item("ID").SetValue(i);
    rs->Fields().Item("NAME").SetValue(names[i]);
    rs->Fields().Item("SCORE").SetValue(
        i == 2 ? Variant::null()
               : Variant(automation::Decimal::from_parts(automation::Int128{i} * 5, 1)));
    rs->Fields().Item("SEEN").SetValue(Variant(automation::Date{40000.0 + i * 100.5}));
    rs->Fields().Item("PRICE").SetValue(i == 4 ? Variant::null() : Variant(i * 1.25 - 2));
    rs->Fields().Item("Last Name").SetValue(i % 2 ? Variant(true) : Variant(names[i]));
    rs->UpdateBatch(data::kAffectCurrent);
  }
  return rs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const data::RecordsetPtr kRows = rows();
  const std::string criteria(reinterpret_cast<const char*>(data), size);
  automation::ignore_errors([&] { kRows->SetFilter(Variant("ID >= 0")); });
  automation::ignore_errors([&] {
    kRows->SetFilter(Variant(criteria));
    for (kRows->MoveFirst(); !kRows->Eof(); kRows->MoveNext()) kRows->Fields().Item("NAME").Value();
  });
  return 0;
}
