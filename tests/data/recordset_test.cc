// Recordsets without a database: fabricated views, movement, filters, clones, bookmarks and the
// batch-optimistic editing that the component's views rely on.
#include "data/recordset.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "automation/date.h"
#include "automation/number_format.h"
#include "data/errors.h"
#include "data/filter.h"
#include "support/case_file.h"
#include "support/error_of.h"
#include "support/recordset_text.h"
#include "support/small_stack.h"

namespace {

using automation::Variant;
using data::DataType;
using data::RecordsetPtr;
using test_support::recordset_text;

using test_support::error_of;

int number_of(const std::function<void()>& body) { return error_of(body).number(); }

// Five people: ID (adInteger), NAME (adVarChar 20), SCORE (adDecimal), SEEN (adDate).
RecordsetPtr people() {
  RecordsetPtr rs = data::Recordset::create();
  rs->Fields().Append("ID", DataType::kInteger, 4, data::kFldUnspecified);
  rs->Fields().Append("NAME", DataType::kVarChar, 20, data::kFldMayBeNull);
  rs->Fields().Append("SCORE", DataType::kDecimal, 1, data::kFldUnspecified);
  rs->Fields().Append("SEEN", DataType::kDate, 0, data::kFldMayBeNull);
  rs->Open();
  struct Person {
    int id;
    const char* name;
    int score;
    const char* seen;
  };
  for (const Person& p :
       {Person{1, "Smith", 1, "1995-08-24"}, Person{2, "Smythe", 0, "1995-08-25"},
        Person{3, "O'Malley", 1, "2001-01-01"}, Person{4, "Jones", 2, "1995-08-24"},
        Person{5, "smitten", 0, "1990-05-05"}}) {
    rs->AddNew();
    rs->Fields().Item("ID").SetValue(p.id);
    rs->Fields().Item("NAME").SetValue(p.name);
    rs->Fields().Item("SCORE").SetValue(p.score);
    rs->Fields().Item("SEEN").SetValue(*automation::parse_iso_date(p.seen));
    rs->UpdateBatch(data::kAffectCurrent);
  }
  rs->MoveFirst();
  return rs;
}

std::string ids(data::Recordset& rs) {
  RecordsetPtr walker = rs.Clone();
  walker->SetFilter(rs.Filter());
  std::string out;
  while (!walker->Eof()) {
    out += test_support::value_text(walker->Fields().Item("ID").Value());
    walker->MoveNext();
  }
  return out;
}

TEST(RecordsetTest, FabricatedRoundTrip) {
  RecordsetPtr rs = data::Recordset::create();
  EXPECT_EQ(rs->LockType(), data::kLockReadOnly);
  rs->Fields().Append("NAME", DataType::kVarChar, 10, data::kFldIsNullable);
  rs->Fields().Append("PRICE", DataType::kDouble, 8, data::kFldUnspecified);
  rs->Fields().Append("QTY", DataType::kInteger, 4, data::kFldUnspecified);
  EXPECT_EQ(rs->Fields().Item("PRICE").Attributes(), 0);  // adFldUnspecified reads back as 0
  rs->Open();
  EXPECT_EQ(rs->CursorLocation(), data::kUseClient);
  EXPECT_EQ(rs->CursorType(), data::kOpenStatic);
  EXPECT_EQ(rs->LockType(), data::kLockBatchOptimistic);
  EXPECT_TRUE(rs->Bof() && rs->Eof());
  EXPECT_EQ(rs->RecordCount(), 0);
  EXPECT_EQ(rs->ActiveConnection(), nullptr);
  EXPECT_EQ(number_of([&] { rs->EditMode(); }), data::errc::kNoCurrentRecord);

  rs->AddNew();
  EXPECT_EQ(rs->EditMode(), data::kEditAdd);
  EXPECT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(rs->AbsolutePosition(), 1);
  EXPECT_TRUE(rs->Fields().Item("QTY").Value().is_empty());
  rs->Fields().Item("NAME").SetValue("bolt");
  rs->Fields().Item(1).SetValue(2.5);
  rs->UpdateBatch(data::kAffectCurrent);
  EXPECT_EQ(rs->EditMode(), data::kEditNone);
  rs->AddNew();
  rs->Fields().Item("NAME").SetValue("nut");
  rs->Update();
  EXPECT_EQ(rs->EditMode(), data::kEditAdd);  // batch mode: still pending until UpdateBatch
  rs->UpdateBatch();
  EXPECT_EQ(recordset_text(*rs, test_support::ShowTypes::kYes),
            "NAME | PRICE | QTY\n"
            "'bolt':String | 2.5:Double | Empty:Empty\n"
            "'nut':String | Empty:Empty | Empty:Empty\n");
  rs->MoveFirst();
  rs->MoveNext();
  rs->MoveNext();
  EXPECT_TRUE(rs->Eof());
  EXPECT_FALSE(rs->Bof());
  automation::Error past_end = error_of([&] { rs->MoveNext(); });
  EXPECT_EQ(past_end.number(), 3021);
  EXPECT_EQ(past_end.source(), "ADODB.Recordset");
  EXPECT_EQ(past_end.description(),
            "Either BOF or EOF is True, or the current record has been deleted. Requested "
            "operation requires a current record.");
  rs->Close();
  EXPECT_EQ(rs->Fields().Count(), 0);
  automation::Error closed = error_of([&] { rs->Close(); });
  EXPECT_EQ(closed.number(), 3704);
  EXPECT_EQ(closed.description(), "Operation is not allowed when the object is closed.");
}

TEST(RecordsetTest, OpenAndAppendMisuse) {
  RecordsetPtr rs = data::Recordset::create();
  EXPECT_EQ(number_of([&] { rs->Open(); }), data::errc::kInvalidConnection);
  rs->Fields().Append("A", DataType::kInteger);
  EXPECT_EQ(number_of([&] { rs->Fields().Append("a", DataType::kDouble); }), 3367);
  EXPECT_EQ(number_of([&] { rs->Fields().Append("B", DataType::kEmpty); }), 3001);
  rs->Open(Variant::missing(), Variant::missing(), data::CursorTypeEnum::kStatic,
           data::LockTypeEnum::kReadOnly);
  EXPECT_EQ(rs->LockType(), data::kLockReadOnly);
  EXPECT_EQ(number_of([&] { rs->Open(); }), 3705);
  EXPECT_EQ(number_of([&] { rs->Fields().Append("C", DataType::kInteger); }), 3705);
  EXPECT_EQ(number_of([&] { rs->SetLockType(data::kLockOptimistic); }), 3705);
  automation::Error read_only = error_of([&] { rs->AddNew(); });
  EXPECT_EQ(read_only.number(), 3251);
  EXPECT_EQ(read_only.description(),
            "Current Recordset does not support updating. This may be a limitation of the "
            "provider, or of the selected locktype.");
  EXPECT_EQ(number_of([&] { rs->Fields().Item("missing"); }), 3265);
  EXPECT_EQ(number_of([&] { rs->Fields().Item(1); }), 3265);
  EXPECT_EQ(rs->Fields().Item(Variant(0.1)).Name(), "A");
  EXPECT_EQ(&rs->Fields().Item("a"), &rs->Fields().Item(Variant("A")));
}

TEST(RecordsetTest, MovementAtTheEdges) {
  RecordsetPtr empty = data::Recordset::create();
  empty->Fields().Append("A", DataType::kInteger);
  empty->Open();
  for (auto [name, move] : std::vector<std::pair<const char*, void (data::Recordset::*)()>>{
           {"MoveFirst", &data::Recordset::MoveFirst},
           {"MoveLast", &data::Recordset::MoveLast},
           {"MoveNext", &data::Recordset::MoveNext},
           {"MovePrevious", &data::Recordset::MovePrevious}}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(number_of([&, move = move] { (*empty.*move)(); }), 3021);
    EXPECT_TRUE(empty->Bof() && empty->Eof());
  }
  EXPECT_EQ(empty->AbsolutePosition(), data::kPosUnknown);

  RecordsetPtr rs = people();
  EXPECT_EQ(rs->AbsolutePosition(), 1);
  rs->MovePrevious();
  EXPECT_TRUE(rs->Bof());
  EXPECT_FALSE(rs->Eof());
  EXPECT_EQ(rs->AbsolutePosition(), data::kPosBOF);
  EXPECT_EQ(number_of([&] { rs->Fields().Item("ID").Value(); }), 3021);
  EXPECT_EQ(number_of([&] { rs->MovePrevious(); }), 3021);
  rs->MoveNext();  // from BOF to the first row
  EXPECT_EQ(rs->Fields().Item("ID").Value(), Variant(1));
  rs->MoveLast();
  EXPECT_EQ(rs->AbsolutePosition(), 5);
  rs->MoveNext();
  EXPECT_EQ(rs->AbsolutePosition(), data::kPosEOF);
  rs->MovePrevious();  // from EOF back to the last row
  EXPECT_EQ(rs->Fields().Item("ID").Value(), Variant(5));
  rs->SetAbsolutePosition(3);
  EXPECT_EQ(rs->Fields().Item("NAME").Value(), Variant("O'Malley"));
  EXPECT_EQ(number_of([&] { rs->SetAbsolutePosition(6); }), 3001);
}

TEST(RecordsetTest, FilterCriteriaSelectRowsOrAreRefused) {
  RecordsetPtr rs = people();
  using Fields = std::vector<std::string>;
  test_support::for_each_case("data/cases/filters.tsv", 2, 23, [&](const Fields& f) {
    if (f[1].starts_with("error ")) {
      rs->SetFilter("ID > 3");
      automation::Error e = error_of([&] { rs->SetFilter(f[0]); });
      EXPECT_EQ(e.number(), std::stoi(f[1].substr(6)));
      EXPECT_EQ(e.source(), "ADODB.Recordset");
      EXPECT_EQ(rs->RecordCount(), 2);  // the filter in force stays
      return;
    }
    rs->MoveLast();
    rs->SetFilter(f[0]);
    EXPECT_EQ(ids(*rs), f[1]);
    EXPECT_EQ(rs->RecordCount(), static_cast<std::int64_t>(f[1].size()));
    if (f[1].empty()) {
      EXPECT_TRUE(rs->Bof() && rs->Eof());
    } else {
      EXPECT_EQ(test_support::value_text(rs->Fields().Item("ID").Value()), f[1].substr(0, 1));
      EXPECT_EQ(rs->AbsolutePosition(), 1);
    }
  });
  // Not a text: Empty and a number other than a filter group.
  for (const Variant& filter : {Variant(), Variant(std::int32_t{7})}) {
    EXPECT_EQ(error_of([&] { rs->SetFilter(filter); }).number(), 3001);
    EXPECT_EQ(rs->RecordCount(), 2);
  }
  rs->SetFilter(Variant(std::int32_t{data::kFilterNone}));
  EXPECT_EQ(rs->RecordCount(), 5);
  EXPECT_EQ(rs->Fields().Item("ID").Value(), Variant(1));
  rs->SetFilter("NAME = 'Jones'");
  rs->SetFilter("");
  EXPECT_EQ(rs->RecordCount(), 5);
  EXPECT_EQ(rs->Filter(), Variant(std::int32_t{0}));
}

// Criteria nest only as deep as a small stack allows; deeper ones are refused like any other
// criteria the parser cannot read, and the filter in force stays.
TEST(RecordsetTest, DeeplyNestedCriteriaAreRefusedOnASmallStack) {
  auto parenthesised = [](int depth) {
    return std::string(static_cast<std::size_t>(depth), '(') + "ID = 1" +
           std::string(static_cast<std::size_t>(depth), ')');
  };
  auto chained = [](int depth) {  // ID = 1 OR (ID = 2 OR (ID = 3 OR (...)))
    std::string text;
    for (int i = 0; i < depth; ++i) text += "ID = " + std::to_string(i % 5 + 1) + " OR (";
    return text + "ID = 5" + std::string(static_cast<std::size_t>(depth), ')');
  };
  constexpr int kDeepest = data::detail::Filter::kMaxNesting;
  RecordsetPtr rs = people();
  test_support::run_on_small_stack([&] {
    rs->SetFilter(parenthesised(kDeepest));
    EXPECT_EQ(ids(*rs), "1");
    rs->SetFilter(chained(kDeepest));
    EXPECT_EQ(ids(*rs), "12345");
    for (int depth : {kDeepest + 1, 3000, 100000}) {
      for (const std::string& criteria : {parenthesised(depth), chained(depth)}) {
        SCOPED_TRACE(criteria.substr(0, 40));
        automation::Error e = error_of([&] { rs->SetFilter(criteria); });
        EXPECT_EQ(e.number(), 3001);
        EXPECT_EQ(e.source(), "ADODB.Recordset");
        EXPECT_EQ(e.description(),
                  "Arguments are of the wrong type, are out of acceptable range, or are in "
                  "conflict with one another.");
        EXPECT_EQ(ids(*rs), "12345");
      }
    }
  });
}

TEST(RecordsetTest, ClonesShareRowsButNotPositionOrFilter) {
  RecordsetPtr rs = people();
  rs->SetFilter("SCORE = 0");
  rs->MoveNext();
  RecordsetPtr clone = rs->Clone();
  EXPECT_EQ(clone->RecordCount(), 5);
  EXPECT_EQ(clone->Fields().Item("ID").Value(), Variant(1));
  EXPECT_EQ(clone->LockType(), data::kLockBatchOptimistic);
  clone->SetFilter("ID = 5");
  EXPECT_EQ(rs->RecordCount(), 2);
  EXPECT_EQ(rs->Fields().Item("ID").Value(), Variant(5));

  clone->Fields().Item("NAME").SetValue("Smit");
  EXPECT_EQ(rs->Fields().Item("NAME").Value(), Variant("Smit"));
  rs->Fields().Item("SCORE").SetValue(3);
  EXPECT_EQ(clone->Fields().Item("SCORE").Value(), Variant(automation::Decimal(3)));

  Variant bookmark = clone->Bookmark();
  rs->SetFilter(Variant(std::int32_t{0}));
  rs->SetBookmark(bookmark);
  EXPECT_EQ(rs->AbsolutePosition(), 5);
  clone->Close();
  EXPECT_EQ(rs->State(), data::kStateOpen);
  EXPECT_EQ(rs->RecordCount(), 5);
  EXPECT_EQ(number_of([&] { rs->Clone(data::kLockOptimistic); }), 3001);
  RecordsetPtr read_only = rs->Clone(data::kLockReadOnly);
  EXPECT_EQ(number_of([&] { read_only->Fields().Item("ID").SetValue(9); }), 3251);
}

TEST(RecordsetTest, BookmarksSurviveFilterChanges) {
  RecordsetPtr rs = people();
  rs->SetAbsolutePosition(4);
  Variant jones = rs->Bookmark();
  rs->SetFilter("SCORE >= 1");
  EXPECT_EQ(rs->AbsolutePosition(), 1);
  rs->SetBookmark(jones);
  EXPECT_EQ(rs->Fields().Item("NAME").Value(), Variant("Jones"));
  EXPECT_EQ(rs->AbsolutePosition(), 3);
  rs->SetFilter("SCORE = 0");
  EXPECT_EQ(number_of([&] { rs->SetBookmark(jones); }), 3001);  // hidden by the filter
  rs->SetFilter("");
  rs->SetBookmark(jones);
  EXPECT_EQ(rs->AbsolutePosition(), 4);
  EXPECT_EQ(number_of([&] { rs->SetBookmark(Variant()); }), 3001);
  EXPECT_EQ(number_of([&] { rs->SetBookmark(Variant(99.0)); }), 3001);
  rs->MoveLast();
  rs->MoveNext();
  EXPECT_EQ(number_of([&] { rs->Bookmark(); }), 3021);
}

TEST(RecordsetTest, FieldWritesConvertOrRefuse) {
  automation::ScopedNumberFormat italian(automation::NumberFormat::italian());
  RecordsetPtr rs = data::Recordset::create();
  rs->Fields().Append("TXT", DataType::kVarChar, 10, data::kFldUnspecified);
  rs->Fields().Append("BSTR", DataType::kBSTR, 2, data::kFldUnspecified);
  rs->Fields().Append("DBL", DataType::kDouble, 8, data::kFldUnspecified);
  rs->Fields().Append("INT", DataType::kInteger, 4, 0);
  rs->Fields().Append("DEC", DataType::kDecimal, 1, data::kFldUnspecified);
  rs->Fields().Append("DAT", DataType::kDate, 0, data::kFldMayBeNull);
  rs->Fields().Append("VAR", DataType::kVariant, 15, data::kFldUnspecified);
  rs->Open();
  rs->AddNew();
  using Fields = std::vector<std::string>;
  test_support::for_each_case("data/cases/field_writes.tsv", 3, 19, [&](const Fields& f) {
    const std::string& v = f[1];
    const std::size_t colon = v.rfind(':');
    const Variant value = v == "Null"           ? Variant::null()
                          : v == "Empty"        ? Variant()
                          : v.starts_with('\'') ? Variant(v.substr(1, v.size() - 2))
                          : v.ends_with(":Integer")
                              ? Variant(static_cast<std::int16_t>(std::stoi(v)))
                              : Variant(std::stod(v.substr(0, colon)));
    data::Field& field = rs->Fields().Item(f[0]);
    Variant before = field.Value();
    if (f[2] != "refused") {
      field.SetValue(value);
      EXPECT_EQ(test_support::value_text(field.Value(), test_support::ShowTypes::kYes), f[2]);
      return;
    }
    automation::Error e = error_of([&] { field.SetValue(value); });
    EXPECT_EQ(e.number(), -2147217887);
    EXPECT_EQ(e.source(), "ADODB.Field");
    EXPECT_EQ(e.description(),
              "Multiple-step operation generated errors. Check each status value.");
    EXPECT_EQ(field.Value(), before);  // nothing stored
  });
}

TEST(RecordsetTest, CancelAndDeleteKeepTheCursorConsistent) {
  RecordsetPtr rs = people();
  rs->SetAbsolutePosition(2);
  rs->AddNew();
  EXPECT_EQ(rs->AbsolutePosition(), 6);
  rs->CancelUpdate();
  EXPECT_EQ(rs->AbsolutePosition(), 2);
  EXPECT_EQ(rs->RecordCount(), 5);

  rs->Fields().Item("NAME").SetValue("Smyth");
  EXPECT_EQ(rs->EditMode(), data::kEditInProgress);
  EXPECT_EQ(rs->Fields().Item("NAME").OriginalValue(), Variant("Smythe"));
  rs->CancelUpdate();
  EXPECT_EQ(rs->Fields().Item("NAME").Value(), Variant("Smythe"));
  EXPECT_EQ(rs->EditMode(), data::kEditNone);

  rs->Fields().Item("NAME").SetValue("Smyth");
  rs->MoveNext();  // moving on keeps the change, pending
  rs->Delete();
  EXPECT_EQ(rs->EditMode(), data::kEditDelete);
  EXPECT_EQ(number_of([&] { rs->Fields().Item("ID").Value(); }), 3021);
  EXPECT_EQ(rs->RecordCount(), 4);
  rs->SetFilter(Variant(std::int32_t{data::kFilterPendingRecords}));
  EXPECT_EQ(ids(*rs), "2");  // the deleted row is pending too, but no cursor shows it
  rs->SetFilter(Variant(std::int32_t{0}));
  rs->CancelBatch();
  EXPECT_EQ(rs->RecordCount(), 5);
  EXPECT_EQ(recordset_text(*rs).find("'Smyth'"), std::string::npos);
  EXPECT_NE(recordset_text(*rs).find("'O''Malley'"), std::string::npos);
}

}  // namespace
