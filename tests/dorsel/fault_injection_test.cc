// Failures of the database at every step: the component's panels, views, batch write-back and
// attachment methods on a provider that fails the statement, the commit or the row it is told
// to, with the errors the embedded database gives.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "support/component_fixture.h"
#include "support/error_of.h"
#include "support/faulty_provider.h"
#include "support/recordset_text.h"
#include "support/slot_test_helpers.h"

namespace {

using test_support::error_of;

using automation::Variant;
using test_support::faults;
using test_support::recordset_text;

constexpr const char* kItem = "VITE-M6X20";

class FaultInjectionTest : public test_support::ComponentTest {
 protected:
  FaultInjectionTest() : ComponentTest(true, 1, "Provider=Faulty;Data Source=:memory:") {}
  // The component as a host has it before it shows panels: initialised, slots loaded.
  void SetUp() override {
    faults().clear();
    component->Initialize();
    component->Init_LI10(kItem, "0");
    component->Init_LI10(kItem, "1");
    component->Init_LI11_ultimi(kItem, "");
    component->Init_MG67_scorte(kItem);
  }
  void TearDown() override { faults().clear(); }

  // What a call does when each of its statements in turn fails: the error's source (labels
  // joined by '/') or "-" when the call carries on, one line per run of statements that end
  // alike ("5-7 -"). Every error must be the injected one, unchanged but for its source.
  std::string outcomes(const std::function<void()>& call) {
    faults().clear();
    call();
    const int statements = faults().statements();
    std::string out;
    std::string previous;
    int first = 1;
    auto close_run = [&](int last) {
      out += std::to_string(first) + (last > first ? "-" + std::to_string(last) : "") + " " +
             previous + "\n";
    };
    for (int n = 1; n <= statements; ++n) {
      faults().clear();
      faults().fail_statement(n, test_support::disk_io_error());
      std::string source = "-";
      try {
        call();
      } catch (const automation::Error& e) {
        EXPECT_EQ(e.number(), -2147467259) << n;
        EXPECT_EQ(e.description(), "disk I/O error") << n;
        source = e.source();
        for (std::size_t at; (at = source.find("\r\n")) != std::string::npos;) {
          source.replace(at, 2, "/");
        }
      }
      if (n > 1 && source != previous) {
        close_run(n - 1);
        first = n;
      }
      previous = source;
    }
    if (statements > 0) close_run(statements);
    faults().clear();
    return out;
  }

  // The outcomes of the statements of the sales view's transfer, from the second statement on,
  // under the label of the panel method that called it.
  static std::string transfer_outcomes(const std::string& label) {
    std::string out;
    for (int row = 0; row < 5; ++row) {
      out += std::to_string(2 + 4 * row) + "-" + std::to_string(4 + 4 * row) + " -\n" +
             std::to_string(5 + 4 * row) + " " + label +
             "/InitializeRecordsetLI10Ven:/Trasferisci_in_Grst_RecSet_LI10Ven_Append:/"
             "Calcola_PREZZONETTO_LI10Ven:/SQLite\n";
    }
    return out;
  }
};

// Each of the demo item's five sales price-list rows costs four statements: the currency twice, the
// list's description (both ignored when they fail) and the net price's item, whose failure stops
// the transfer. Whatever failed, the next clean call builds the same view.
TEST_F(FaultInjectionTest, PanelShowReportsEachFailingStatementUnderItsLabels) {
  auto show = [&] { component->ShowChild(kItem, "FRMUC_LISTINI_VEN"); };
  show();
  const std::string clean = recordset_text(*component->Grst_RecSet_LI10Ven_append);
  EXPECT_EQ(outcomes(show), "1 ShowChild:/SQLite\n" + transfer_outcomes("ShowChild:"));
  show();
  EXPECT_EQ(recordset_text(*component->Grst_RecSet_LI10Ven_append), clean);
}

TEST_F(FaultInjectionTest, PanelRefreshReportsEachFailingStatementUnderItsLabels) {
  auto refresh = [&] {
    component->Init_LI10(kItem, "0");
    component->RefreshChild("NEW", "FRMUC_LISTINI_VEN");
  };
  refresh();
  const std::string clean = recordset_text(*component->Grst_RecSet_LI10Ven_append);
  EXPECT_EQ(outcomes(refresh), "1 Init_LI10:/SQLite\n" + transfer_outcomes("RefreshChild:"));
  refresh();
  EXPECT_EQ(recordset_text(*component->Grst_RecSet_LI10Ven_append), clean);
}

// The host saves its edits of a panel with UpdateBatch: a row or the commit that fails undoes
// the whole batch, leaves the edits pending for another try and keeps what was committed before.
TEST_F(FaultInjectionTest, BatchWriteBackIsAllOrNothing) {
  const std::string stock =
      "SELECT MG67_DEPOS_MG58, MG67_SCORTAMIN FROM MG67_SCORTE WHERE "
      "MG67_CODART_MG66 = 'VITE-M6X20' ORDER BY 1";
  exec(
      "INSERT INTO MG67_SCORTE (MG67_DITTA_CG18, MG67_CODART_MG66, MG67_OPZIONE_MG5E, "
      "MG67_DEPOS_MG58, MG67_SCORTAMIN) VALUES (1, 'VITE-M6X20', ' ', 'X1', 1), "
      "(1, 'VITE-M6X20', ' ', 'X2', 2)");
  component->Init_MG67_scorte(kItem);
  const std::string before = query_text(stock);
  data::Recordset& rs = *component->Grst_RecSet_MG67;
  ASSERT_GE(rs.RecordCount(), 3);
  rs.MoveFirst();
  for (int i = 0; !rs.Eof(); ++i, rs.MoveNext()) {
    rs.Fields().Item("MG67_SCORTAMIN").SetValue(Variant(std::int32_t{1000 + i}));
  }
  exec("INSERT INTO HOST_VALUTE (HV_DITTA, HV_VALUTA, HV_DECIMALI) VALUES (9, 'XYZ', 3)");

  struct Case {
    const char* name;
    std::function<void()> plan;
    automation::Error error;
  };
  const Case cases[] = {
      {"second row", [] { faults().fail_row(2, test_support::unique_error("MG67_SCORTE.X")); },
       test_support::unique_error("MG67_SCORTE.X")},
      {"first row", [] { faults().fail_row(1, test_support::locked_error()); },
       test_support::locked_error()},
      {"commit", [] { faults().fail_commit(test_support::disk_full_error()); },
       test_support::disk_full_error()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.plan();
    const automation::Error error = test_support::error_of([&] { rs.UpdateBatch(); });
    EXPECT_EQ(error.number(), c.error.number());
    EXPECT_EQ(error.source(), c.error.source());
    EXPECT_EQ(error.description(), c.error.description());
    faults().clear();
    EXPECT_EQ(query_text(stock), before);
    // No transaction is left open: this one starts and ends on its own.
    connection->BeginTrans();
    connection->RollbackTrans();
  }
  rs.UpdateBatch();
  EXPECT_NE(query_text(stock), before);
  EXPECT_EQ(query_text("SELECT HV_DECIMALI FROM HOST_VALUTE WHERE HV_DITTA = 9"), "3\n");
}

// The attachment methods never raise: a failing statement gives the console's blank page and
// writes nothing; RemoveAllegato runs its second statement when the first fails.
TEST_F(FaultInjectionTest, AttachmentMethodsCarryOnOrAnswerBlank) {
  exec(
      "INSERT INTO CL06_LISTAALLEGATI (CL06_ID, CL06_ID_CL02, CL06_DITTA_CG18, CL06_TIPO, "
      "CL06_NOMEFILE, CL06_ISDOWNLOADED) VALUES (9005, 1, 1, 0, 'F5.pdf', 1)");
  exec("INSERT INTO CL07_FILEALLEGATI (CL07_ID_CL06, CL07_FILE) VALUES (9005, 0x41)");
  const std::string folder = ::testing::TempDir() + "fault_attachments_" +
                             std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                             "/";
  std::filesystem::create_directories(folder);
  faults().fail_statement(1, test_support::disk_io_error());
  EXPECT_EQ(component->GetPathFileAllegato(9005, folder, false), "about:blank");
  EXPECT_EQ(component->ListFileToDelete, "");
  EXPECT_TRUE(std::filesystem::is_empty(folder));
  std::filesystem::remove_all(folder);

  const std::string state =
      "SELECT CL06_ISDOWNLOADED, COUNT(CL07_ID_CL06) FROM CL06_LISTAALLEGATI LEFT JOIN "
      "CL07_FILEALLEGATI ON CL07_ID_CL06 = CL06_ID WHERE CL06_ID = 9005 GROUP BY "
      "CL06_ISDOWNLOADED";
  faults().fail_statement(1, test_support::locked_error());
  component->RemoveAllegato("9005");
  EXPECT_EQ(query_text(state), "0|1\n");
  exec("UPDATE CL06_LISTAALLEGATI SET CL06_ISDOWNLOADED = 1 WHERE CL06_ID = 9005");
  faults().fail_statement(2, test_support::locked_error());
  component->RemoveAllegato("9005");
  EXPECT_EQ(query_text(state), "1|0\n");

  faults().fail_statement(1, test_support::disk_io_error());
  const automation::Error error = test_support::error_of([&] { component->Get_PathImage(kItem); });
  EXPECT_EQ(error.source(), "Get_PathImage:\r\nSQLite");
  EXPECT_EQ(error.description(), "disk I/O error");
}

}  // namespace
