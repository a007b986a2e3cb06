// Packed rows: every subtype a field can hold comes back as it went in, and a recordset whose
// rows are packed behaves as one that keeps them whole (edits, clones, objects, cancels).
#include "data/packed_rows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "automation/convert.h"
#include "automation/number_format.h"
#include "automation/object.h"
#include "data/recordset.h"
#include "support/recordset_text.h"

namespace {

using automation::Variant;
using data::Row;

std::string typed(const Variant& v) {
  return test_support::value_text(v, test_support::ShowTypes::kYes);
}

struct Thing : automation::Object {
  std::string_view type_name() const override { return "Thing"; }
};

Row edge_values() {
  const std::string long_text(300, 'x');
  return {
      Variant(),
      Variant::null(),
      Variant(true),
      Variant(false),
      Variant(std::int16_t{-32768}),
      Variant(std::int32_t{2147483647}),
      Variant(std::int32_t{-1}),
      Variant(std::numeric_limits<std::int64_t>::min()),
      Variant(std::numeric_limits<std::int64_t>::max()),
      Variant(0.0),
      Variant(-0.0),
      Variant(12.5),
      Variant(9007199254740992.0),   // 2^53: past the whole numbers kept short
      Variant(-9007199254740991.0),  // the last one kept short
      Variant(1e300),
      Variant(automation::Currency{-922337203685477}),
      Variant(automation::Date{45000.0}),
      Variant(automation::Date{45000.75}),
      Variant(automation::Date{-657434.0}),
      Variant(automation::Decimal::parse("-79228162514264337593543950335",
                                         automation::NumberFormat::plain())),
      Variant(automation::Decimal::parse("0.0000000000000000000000000001",
                                         automation::NumberFormat::plain())),
      Variant(automation::Decimal::parse("1.50", automation::NumberFormat::plain())),
      Variant(""),
      Variant(std::string(63, 'a')),  // the longest short text
      Variant(std::string(64, 'b')),
      Variant(long_text),
      Variant("àèìòù €"),
      Variant(automation::Bytes{}),
      Variant(automation::Bytes{0, 255, 7}),
  };
}

TEST(PackedRowsTest, EverySubtypeComesBackAsItWentIn) {
  const Row values = edge_values();
  data::PackedRows rows;
  rows.append(values);
  const Row back = rows[0];
  ASSERT_EQ(back.size(), values.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(back[i], values[i]) << i << ": " << typed(values[i]) << " came back as "
                                  << typed(back[i]);
    EXPECT_EQ(data::unpack_value(rows.packed(0), i), values[i]) << i;
  }
  // The sign of a negative zero and the scale of a decimal are part of the value.
  EXPECT_TRUE(std::signbit(back[10].as_double()));
  EXPECT_EQ(back[21].as_decimal().scale(), 2);

  // Decoding into a row that held other values (the cursor's reused row) leaves nothing behind.
  Row reused(values.rbegin(), values.rend());
  data::unpack_row(rows.packed(0), values.size(), reused);
  EXPECT_EQ(reused, values);
}

TEST(PackedRowsTest, RowsWithoutAPackedFormAreRefusedWhole) {
  data::RowArena arena;
  const std::uint8_t* before = arena.store(Row{Variant(7)});
  EXPECT_EQ(arena.store(Row{Variant(1), Variant(automation::ObjectPtr())}), nullptr);
  EXPECT_EQ(arena.store(Row{Variant::missing()}), nullptr);
  // Nothing of a refused row is kept: the next row follows the last one stored.
  const std::uint8_t* after = arena.store(Row{Variant(8)});
  EXPECT_EQ(after, before + 2);  // a Long of 7: its tag and one byte
  EXPECT_EQ(data::unpack_value(before, 0), Variant(7));
  EXPECT_EQ(data::unpack_value(after, 0), Variant(8));

  data::PackedRows rows;
  EXPECT_THROW(rows.append(Row{Variant(automation::ObjectPtr())}), automation::Error);
  EXPECT_TRUE(rows.empty());
}

TEST(PackedRowsTest, StoredRowsStayPutAsTheArenaGrows) {
  data::PackedRows rows;
  for (int i = 0; i < 5000; ++i) {
    rows.append(
        Row{Variant(std::int32_t{i}), Variant(std::string(static_cast<std::size_t>(i % 90), 'z'))});
  }
  rows.append(Row{Variant(1), Variant(std::string(100000, 'y'))});  // larger than a block
  ASSERT_EQ(rows.size(), 5001u);
  for (int i = 0; i < 5000; i += 499) {
    Row row = rows.at(static_cast<std::size_t>(i));
    EXPECT_EQ(row[0], Variant(std::int32_t{i}));
    EXPECT_EQ(row[1].as_string().size(), static_cast<std::size_t>(i % 90));
  }
  EXPECT_EQ(rows[5000][1].as_string().size(), 100000u);
  EXPECT_THROW(rows.at(5001), std::out_of_range);
}

// A fabricated recordset: every row is packed once its edit ends.
data::RecordsetPtr two_columns() {
  data::RecordsetPtr rs = data::Recordset::create();
  rs->Fields().Append("K", data::DataType::kInteger, 4, data::kFldUnspecified);
  rs->Fields().Append("V", data::DataType::kVariant, 0, data::kFldMayBeNull);
  rs->Open();
  for (int k = 1; k <= 3; ++k) {
    rs->AddNew();
    rs->Fields().Item("K").SetValue(Variant(k));
    rs->Fields().Item("V").SetValue(Variant("v" + std::to_string(k)));
    rs->UpdateBatch(data::kAffectCurrent);
  }
  rs->MoveFirst();
  return rs;
}

TEST(PackedRowsTest, EditsOfPackedRowsAreSeenByEveryCursor) {
  data::RecordsetPtr rs = two_columns();
  data::RecordsetPtr clone = rs->Clone();

  // A clone reads the edit while it is in progress and after it ended.
  rs->Fields().Item("V").SetValue(Variant("changed"));
  EXPECT_EQ(clone->Fields().Item("V").Value(), Variant("changed"));
  rs->MoveNext();
  EXPECT_EQ(clone->Fields().Item("V").Value(), Variant("changed"));
  EXPECT_EQ(clone->Fields().Item("V").OriginalValue(), Variant("v1"));

  // Both cursors edit the same row; either one ending its edit keeps the other's work.
  clone->MoveNext();
  rs->Fields().Item("V").SetValue(Variant("from rs"));
  clone->Fields().Item("K").SetValue(Variant(20));
  rs->Update();
  clone->Fields().Item("V").SetValue(Variant("from clone"));
  clone->Update();
  EXPECT_EQ(rs->Fields().Item("K").Value(), Variant(20));
  EXPECT_EQ(rs->Fields().Item("V").Value(), Variant("from clone"));

  // An object has no packed form: its row stays whole and keeps the reference.
  auto object = std::make_shared<Thing>();
  rs->MoveLast();
  rs->Fields().Item("V").SetValue(Variant(automation::ObjectPtr(object)));
  rs->MoveFirst();
  rs->MoveLast();
  EXPECT_EQ(rs->Fields().Item("V").Value().as_object(), object);

  // Cancelling the batch puts back what was read, packed or not.
  rs->CancelBatch(data::kAffectAll);
  rs->MoveFirst();
  std::string seen;
  while (!rs->Eof()) {
    seen += automation::to_text(rs->Fields().Item("V").Value()) + " ";
    rs->MoveNext();
  }
  EXPECT_EQ(seen, "v1 v2 v3 ");
}

TEST(PackedRowsTest, AFilterReadsPackedAndOpenRowsAlike) {
  data::RecordsetPtr rs = two_columns();
  rs->MoveLast();
  rs->Fields().Item("K").SetValue(Variant(1));  // row 3 open, rows 1 and 2 packed
  data::RecordsetPtr clone = rs->Clone();
  clone->SetFilter(Variant("K = 1"));
  EXPECT_EQ(clone->RecordCount(), 2);
  rs->Update();  // row 3 packed again
  clone->SetFilter(Variant("K = 1"));
  EXPECT_EQ(clone->RecordCount(), 2);
}

}  // namespace
