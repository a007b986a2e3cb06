// Connections and recordsets over the embedded SQLite provider: both cursor locations, the
// recordset's own settings, write-back of pending changes and its refusals.
#include "data/connection.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "automation/number_format.h"
#include "data/recordset.h"
#include "data/sqlite/sqlite_provider.h"
#include "support/case_file.h"
#include "support/error_of.h"
#include "support/recordset_text.h"

namespace {

using automation::Variant;
using data::RecordsetPtr;
using test_support::recordset_text;

using test_support::error_of;

class ConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data::sqlite::register_provider();
    conn_ = data::Connection::create();
    conn_->Open("Provider=SQLite;Data Source=:memory:");
    conn_->provider().execute_native_script(R"(
      CREATE TABLE ITEMS (CODE VARCHAR(10) NOT NULL, COMPANY INT NOT NULL, QTY NUMERIC(9,2),
                          NOTE VARCHAR(20), PRIMARY KEY (COMPANY, CODE));
      CREATE TABLE KINDS (KIND INT NOT NULL PRIMARY KEY, LABEL VARCHAR(20));
      CREATE TABLE LOOSE (A INT, B VARCHAR(5));
      INSERT INTO ITEMS VALUES ('A1', 1, 1.5, 'first'), ('B2', 1, 2, NULL), ('C3', 2, 0, 'other');
      INSERT INTO KINDS VALUES (1, 'one'), (2, 'two');
      INSERT INTO LOOSE VALUES (1, 'x');
    )");
    conn_->set_statement_hook([this](std::string_view text) { statements_.emplace_back(text); });
  }

  // The table's rows as the database now holds them.
  std::string stored(const std::string& sql) {
    int location = conn_->CursorLocation();
    conn_->SetCursorLocation(data::kUseClient);
    RecordsetPtr rs = conn_->Execute(sql);
    conn_->SetCursorLocation(location);
    return recordset_text(*rs);
  }

  RecordsetPtr editable(const std::string& sql) {
    RecordsetPtr rs = data::Recordset::create();
    rs->SetCursorLocation(data::kUseClient);
    rs->SetCursorType(data::kOpenStatic);
    rs->SetLockType(data::kLockBatchOptimistic);
    rs->Open(Variant(sql), Variant(conn_), data::CursorTypeEnum::kUnspecified,
             data::LockTypeEnum::kUnspecified, data::CommandTypeEnum::kText);
    return rs;
  }

  automation::ScopedNumberFormat format_{automation::NumberFormat::plain()};
  data::ConnectionPtr conn_;
  std::vector<std::string> statements_;
};

TEST_F(ConnectionTest, ExecuteFollowsTheCursorLocation) {
  RecordsetPtr server = conn_->Execute("SELECT CODE FROM ITEMS ORDER BY CODE");
  EXPECT_EQ(server->CursorType(), data::kOpenForwardOnly);
  EXPECT_EQ(server->LockType(), data::kLockReadOnly);
  EXPECT_EQ(server->RecordCount(), -1);
  EXPECT_EQ(error_of([&] { server->AbsolutePosition(); }).number(), 3251);
  EXPECT_EQ(error_of([&] { server->Bookmark(); }).number(), 3251);
  EXPECT_EQ(error_of([&] { server->Clone(); }).number(), 3251);
  server->MoveNext();
  EXPECT_EQ(error_of([&] { server->MovePrevious(); }).number(), -2147217884);
  server->MoveFirst();
  EXPECT_EQ(server->Fields().Item("CODE").Value(), Variant("A1"));

  conn_->SetCursorLocation(data::kUseClient);
  RecordsetPtr client = conn_->Execute("SELECT CODE FROM ITEMS ORDER BY CODE");
  EXPECT_EQ(client->CursorLocation(), data::kUseClient);
  EXPECT_EQ(client->CursorType(), data::kOpenStatic);
  EXPECT_EQ(client->RecordCount(), 3);
  EXPECT_EQ(client->Source(), "SELECT CODE FROM ITEMS ORDER BY CODE");
  EXPECT_EQ(client->ActiveConnection(), conn_);
  EXPECT_EQ(error_of([&] { client->Fields().Item(0).SetValue("Z"); }).number(), 3251);

  std::int64_t affected = 0;
  RecordsetPtr none = conn_->Execute("UPDATE ITEMS SET NOTE = 'x' WHERE COMPANY = 1", &affected);
  EXPECT_EQ(affected, 2);
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(none->State(), data::kStateClosed);
  EXPECT_EQ(conn_->Execute("DELETE FROM LOOSE", nullptr, data::kCmdText | data::kExecuteNoRecords),
            nullptr);
  EXPECT_EQ(stored("SELECT COUNT(*) AS N FROM LOOSE"), "N\n0\n");
}

TEST_F(ConnectionTest, RecordsetOpenUsesItsOwnSettingsAndKeepsItsConnection) {
  RecordsetPtr rs = data::Recordset::create();
  rs->Open(Variant("SELECT * FROM KINDS ORDER BY KIND"), Variant(conn_));
  EXPECT_EQ(rs->CursorLocation(), data::kUseServer);
  EXPECT_EQ(rs->CursorType(), data::kOpenForwardOnly);
  EXPECT_EQ(rs->RecordCount(), -1);
  rs->Close();
  EXPECT_EQ(error_of([&] { rs->Fields().Append("X", data::DataType::kInteger); }).number(), 3219);

  rs->SetCursorLocation(data::kUseClient);
  rs->SetLockType(data::kLockPessimistic);
  // No connection argument: the one of the last opening.
  rs->Open(Variant("SELECT * FROM KINDS WHERE KIND = 2"), Variant::missing(),
           data::CursorTypeEnum::kKeyset);
  EXPECT_EQ(rs->CursorType(), data::kOpenStatic);    // a client cursor is static
  EXPECT_EQ(rs->LockType(), data::kLockOptimistic);  // and has no pessimistic locking
  EXPECT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(recordset_text(*rs), "KIND | LABEL\n2 | 'two'\n");
  rs->Close();
  EXPECT_EQ(rs->CursorType(), data::kOpenKeyset);  // the requested type again once closed

  RecordsetPtr fresh = data::Recordset::create();
  EXPECT_EQ(error_of([&] { fresh->Open(Variant("SELECT 1"), Variant::nothing()); }).number(), 3709);
  conn_->Close();
  EXPECT_EQ(error_of([&] { rs->Open(Variant("SELECT 1")); }).number(), 3709);
}

// The typed Open is the variant one: the same settings, the same reopening of the last source
// from an empty text, Nothing (nullptr) refused with the same error.
TEST_F(ConnectionTest, TypedOpenBehavesAsTheVariantOne) {
  RecordsetPtr rs = data::Recordset::create();
  rs->SetCursorLocation(data::kUseClient);
  const std::string sql = "SELECT * FROM KINDS WHERE KIND = 2";
  rs->Open(sql, conn_, data::CursorTypeEnum::kKeyset, data::LockTypeEnum::kPessimistic,
           data::CommandTypeEnum::kText);
  EXPECT_EQ(rs->CursorType(), data::kOpenStatic);
  EXPECT_EQ(rs->LockType(), data::kLockOptimistic);
  EXPECT_EQ(rs->Source(), sql);
  EXPECT_EQ(recordset_text(*rs), "KIND | LABEL\n2 | 'two'\n");
  EXPECT_EQ(error_of([&] { rs->Open(sql, conn_); }).number(), 3705);
  rs->Close();
  rs->Open("", conn_);  // no text: its Source again
  EXPECT_EQ(recordset_text(*rs), "KIND | LABEL\n2 | 'two'\n");
  rs->Close();
  rs->Open("KINDS", conn_, data::CursorTypeEnum::kUnspecified, data::LockTypeEnum::kUnspecified,
           data::CommandTypeEnum::kTable);
  EXPECT_EQ(rs->RecordCount(), 2);
  EXPECT_EQ(rs->Source(), "KINDS");

  RecordsetPtr fresh = data::Recordset::create();
  EXPECT_EQ(error_of([&] { fresh->Open("SELECT 1", data::ConnectionPtr()); }).number(), 3709);
  EXPECT_EQ(error_of([&] {
              fresh->Open("SELECT 1", conn_, static_cast<data::CursorTypeEnum>(9));
            }).number(),
            3001);
}

TEST_F(ConnectionTest, UpdateBatchWritesEditedNewAndDeletedRowsBack) {
  RecordsetPtr rs = editable("SELECT * FROM ITEMS ORDER BY CODE");
  EXPECT_EQ(rs->LockType(), data::kLockBatchOptimistic);
  rs->Fields().Item("NOTE").SetValue("edited");
  rs->Fields().Item("QTY").SetValue("3.25");
  rs->MoveNext();
  rs->Fields().Item("CODE").SetValue("B9");  // a key column: located by the key as read
  rs->MoveNext();
  rs->Delete();
  rs->AddNew();
  rs->Fields().Item("CODE").SetValue("D4");
  rs->Fields().Item("COMPANY").SetValue(2);
  EXPECT_EQ(stored("SELECT CODE FROM ITEMS ORDER BY CODE"), "CODE\n'A1'\n'B2'\n'C3'\n");

  statements_.clear();
  rs->UpdateBatch();
  EXPECT_EQ(statements_, (std::vector<std::string>{
                             "UPDATE ITEMS SET QTY = ?, NOTE = ? WHERE COMPANY = ? AND CODE = ?",
                             "UPDATE ITEMS SET CODE = ? WHERE COMPANY = ? AND CODE = ?",
                             "DELETE FROM ITEMS WHERE COMPANY = ? AND CODE = ?",
                             "INSERT INTO ITEMS (CODE, COMPANY) VALUES (?, ?)",
                         }));
  EXPECT_EQ(stored("SELECT * FROM ITEMS ORDER BY CODE"),
            "CODE | COMPANY | QTY | NOTE\n"
            "'A1' | 1 | 3.25 | 'edited'\n"
            "'B9' | 1 | 2 | Null\n"
            "'D4' | 2 | Null | Null\n");
  EXPECT_EQ(rs->EditMode(), data::kEditNone);
  rs->MoveFirst();
  EXPECT_EQ(rs->Fields().Item("NOTE").OriginalValue(), Variant("edited"));
  EXPECT_EQ(rs->RecordCount(), 3);
}

TEST_F(ConnectionTest, UpdateBatchRefusesRowsItCannotLocateAndKeepsThem) {
  using Fields = std::vector<std::string>;
  test_support::for_each_case("data/cases/write_back_refusals.tsv", 2, 4, [&](const Fields& f) {
    RecordsetPtr rs = editable(f[0]);
    rs->Fields().Item(0).SetValue("7");
    Variant edited = rs->Fields().Item(0).Value();
    automation::Error e = error_of([&] { rs->UpdateBatch(); });
    EXPECT_EQ(e.number(), 3251);
    EXPECT_EQ(e.source(), "ADODB.Recordset");
    EXPECT_EQ(e.description(), f[1]);
    EXPECT_EQ(rs->EditMode(), data::kEditInProgress);  // still pending
    EXPECT_EQ(rs->Fields().Item(0).Value(), edited);
  });
  EXPECT_EQ(stored("SELECT CODE FROM ITEMS ORDER BY CODE"), "CODE\n'A1'\n'B2'\n'C3'\n");
}

TEST_F(ConnectionTest, AFailedWriteBackRollsBackEveryRow) {
  RecordsetPtr rs = editable("SELECT * FROM ITEMS ORDER BY CODE");
  rs->Fields().Item("NOTE").SetValue("kept?");
  rs->MoveNext();
  rs->Fields().Item("CODE").SetValue("A1");  // collides with the first row's key
  automation::Error e = error_of([&] { rs->UpdateBatch(); });
  EXPECT_EQ(e.number(), -2147217873);
  EXPECT_EQ(e.source(), "SQLite");
  EXPECT_EQ(stored("SELECT NOTE FROM ITEMS WHERE CODE = 'A1'"), "NOTE\n'first'\n");
  EXPECT_EQ(rs->EditMode(), data::kEditInProgress);
  rs->MoveFirst();
  EXPECT_EQ(rs->EditMode(), data::kEditInProgress);
  rs->MoveNext();
  rs->Fields().Item("CODE").SetValue("B3");
  rs->UpdateBatch();  // corrected, both rows go
  EXPECT_EQ(stored("SELECT CODE, NOTE FROM ITEMS ORDER BY CODE"),
            "CODE | NOTE\n'A1' | 'kept?'\n'B3' | Null\n'C3' | 'other'\n");
}

TEST_F(ConnectionTest, ImmediateLockingWritesOnUpdate) {
  RecordsetPtr rs = data::Recordset::create();
  rs->SetCursorLocation(data::kUseClient);
  rs->Open(Variant("SELECT * FROM KINDS ORDER BY KIND"), Variant(conn_),
           data::CursorTypeEnum::kStatic, data::LockTypeEnum::kOptimistic);
  rs->Fields().Item("LABEL").SetValue("uno");
  rs->MoveNext();  // moving on updates the row, and optimistic locking sends it at once
  EXPECT_EQ(stored("SELECT LABEL FROM KINDS WHERE KIND = 1"), "LABEL\n'uno'\n");
  rs->AddNew();
  rs->Fields().Item("KIND").SetValue(3);
  rs->Update();
  EXPECT_EQ(stored("SELECT COUNT(*) AS N FROM KINDS"), "N\n3\n");
}

TEST_F(ConnectionTest, ConnectionMisuseAndTransactions) {
  EXPECT_EQ(error_of([&] { conn_->Open(":memory:"); }).number(), 3705);
  data::ConnectionPtr other = data::Connection::create();
  automation::Error unknown = error_of([&] { other->Open("Provider=Nowhere;Data Source=x"); });
  EXPECT_EQ(unknown.number(), 3709);
  EXPECT_NE(unknown.description().find("Nowhere"), std::string::npos);
  EXPECT_EQ(error_of([&] { other->Execute("SELECT 1"); }).number(), 3709);
  EXPECT_EQ(error_of([&] { other->Close(); }).number(), 3704);

  conn_->BeginTrans();
  conn_->Execute("DELETE FROM KINDS");
  EXPECT_EQ(error_of([&] { conn_->Close(); }).number(), 3246);
  conn_->RollbackTrans();
  EXPECT_EQ(stored("SELECT COUNT(*) AS N FROM KINDS"), "N\n2\n");

  automation::Error bad = error_of([&] { conn_->Execute("SELECT * FROM NOWHERE"); });
  EXPECT_EQ(bad.number(), -2147217900);
  EXPECT_EQ(bad.source(), "SQLite");
  EXPECT_EQ(bad.description(), "no such table: NOWHERE");
  conn_->Close();
  EXPECT_EQ(conn_->State(), data::kStateClosed);
}

TEST_F(ConnectionTest, LateBoundCallsReachTheSameMembers) {
  std::vector<Variant> args{Variant("UPDATE KINDS SET LABEL = 'z'"), Variant(std::int32_t{0})};
  conn_->invoke("execute", automation::InvokeKind::kMethod, args);
  EXPECT_EQ(args[1], Variant(std::int32_t{2}));  // RecordsAffected comes back by reference
  conn_->let("CursorLocation", Variant(std::int32_t{data::kUseClient}));
  Variant rs = conn_->call("Execute", {Variant("SELECT * FROM KINDS ORDER BY KIND")});
  const automation::ObjectPtr& object = rs.as_object();
  EXPECT_EQ(object->get("RecordCount"), Variant(std::int32_t{2}));
  std::vector<Variant> field{Variant("label")};
  Variant value = object->invoke("", automation::InvokeKind::kPropertyGet, field);
  EXPECT_EQ(value.as_object()->get("Value"), Variant("z"));
  object->call("MoveNext");
  EXPECT_EQ(object->call("Fields", {Variant("KIND")}).as_object()->get("Value"),
            Variant(std::int32_t{2}));
  EXPECT_EQ(error_of([&] { object->get("NoSuchMember"); }).number(), 438);
}

}  // namespace
