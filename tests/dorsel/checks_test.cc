#include <functional>
#include <string>
#include <vector>

#include "support/component_fixture.h"
#include "support/error_of.h"
#include "support/slot_test_helpers.h"

namespace {

using test_support::error_of;

using automation::Variant;

class ChecksTest : public test_support::ComponentTest {
 protected:
  // Loads the item's deposits with the given (flag, indicator) values, one warehouse each
  // ("01", "02", ...), and leaves the slot on the row of warehouse `current` (1-based).
  void load_deposits(const std::vector<std::pair<const char*, const char*>>& rows,
                     std::size_t current = 1) {
    exec("DELETE FROM MG67_SCORTE");
    for (std::size_t i = 0; i < rows.size(); ++i) {
      exec(std::string("INSERT INTO MG67_SCORTE (MG67_DITTA_CG18, MG67_CODART_MG66, "
                       "MG67_OPZIONE_MG5E, MG67_DEPOS_MG58, MG67_FLGDEPPREF, "
                       "MG67_INDDEPPRELVERS) VALUES (1, 'A1', ' ', '0") +
           std::to_string(i + 1) + "', " + rows[i].first + ", " + rows[i].second + ")");
    }
    component->Init_MG67_scorte("A1");
    if (!rows.empty()) {
      component->Grst_RecSet_MG67->SetAbsolutePosition(static_cast<std::int64_t>(current));
    }
  }
  void load_packs(const std::vector<const char*>& flags) {
    exec("DELETE FROM MG68_CONFART");
    for (std::size_t i = 0; i < flags.size(); ++i) {
      exec(std::string("INSERT INTO MG68_CONFART (MG68_DITTA_CG18, MG68_CODART_MG66, "
                       "MG68_OPZIONE_MG5E, MG68_CODCONF, MG68_FLGCONFPREF) VALUES (1, 'A1', ' ', "
                       "'C") +
           std::to_string(i + 1) + "', " + flags[i] + ")");
    }
    component->Init_MG68_confezioni("A1");
  }
  static bool answer(const Variant& result) {
    EXPECT_EQ(result.type(), automation::VarType::kBoolean);
    return result.as_bool();
  }
};

TEST_F(ChecksTest, PreferredPack) {
  struct Case {
    std::vector<const char*> flags;
    bool clash;
  };
  const Case cases[] = {
      {{"1", "0", "1"}, true}, {{"1", "0", "0"}, false}, {{}, false}, {{"NULL", "1"}, false}};
  for (const Case& t : cases) {
    SCOPED_TRACE(testing::PrintToString(t.flags));
    load_packs(t.flags);
    EXPECT_EQ(answer(component->EsisteConfezionePreferenziale()), t.clash);
  }
}

TEST_F(ChecksTest, PreferredPackSeesPendingEdits) {
  load_packs({"1", "0"});
  data::Recordset& packs = *component->Grst_RecSet_MG68;
  packs.MoveLast();
  packs.Fields().Item("MG68_FLGCONFPREF").SetValue(Variant(std::int16_t{1}));
  packs.Update();
  EXPECT_TRUE(answer(component->EsisteConfezionePreferenziale()));
  EXPECT_EQ(query_text("SELECT COUNT(*) FROM MG68_CONFART WHERE MG68_FLGCONFPREF = 1"), "1\n");
}

TEST_F(ChecksTest, PreferredDeposit) {
  struct Case {
    std::vector<std::pair<const char*, const char*>> rows;
    bool clash;
  };
  const Case cases[] = {
      {{{"1", "0"}, {"1", "0"}}, true},
      {{{"1", "0"}, {"0", "0"}}, false},
      {{{"0", "0"}, {"0", "0"}}, false},
      {{{"1", "0"}}, false},
      {{{"1", "0"}, {"1", "0"}, {"1", "0"}}, true},
      {{}, false},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    load_deposits(cases[i].rows);
    EXPECT_EQ(answer(component->EsisteDepositoPreferenziale()), cases[i].clash);
  }
}

TEST_F(ChecksTest, WithdrawalAndDepositRoles) {
  struct Case {
    const char* name;
    std::vector<std::pair<const char*, const char*>> rows;  // (flag, indicator)
    std::size_t current;
    bool clash;
  };
  const Case cases[] = {
      {"1 against 3", {{"0", "1"}, {"0", "3"}}, 1, true},
      {"1 against 2", {{"0", "1"}, {"0", "2"}}, 1, false},
      {"2 against 2", {{"0", "1"}, {"0", "2"}, {"0", "2"}}, 2, true},
      {"2 alone", {{"0", "2"}, {"0", "1"}}, 1, false},
      {"3 against 1", {{"0", "2"}, {"0", "3"}}, 2, true},
      {"3 against 2", {{"0", "3"}, {"0", "1"}}, 1, true},
      {"3 against 3", {{"0", "3"}, {"0", "3"}}, 1, true},
      {"3 against 0", {{"0", "3"}, {"0", "0"}}, 1, false},
      // Without a role of its own the row narrows nothing: every row counts.
      {"0 among two rows", {{"0", "0"}, {"0", "0"}}, 1, true},
      {"Null among two rows", {{"0", "NULL"}, {"0", "5"}}, 1, true},
      {"0 alone", {{"0", "0"}}, 1, false},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.name);
    load_deposits(t.rows, t.current);
    EXPECT_EQ(answer(component->EsisteDepositoPrelievoVersamento()), t.clash);
  }
}

TEST_F(ChecksTest, SlotKeepsItsFilterAndCurrentRow) {
  load_deposits({{"1", "1"}, {"1", "3"}, {"0", "2"}, {"1", "3"}});
  data::Recordset& deposits = *component->Grst_RecSet_MG67;
  deposits.SetFilter(Variant("MG67_FLGDEPPREF = 1"));
  deposits.SetAbsolutePosition(2);
  load_packs({"1", "1"});
  data::Recordset& packs = *component->Grst_RecSet_MG68;
  packs.SetFilter(Variant("MG68_CODCONF = 'C2'"));

  const std::vector<std::function<Variant()>> checks = {
      [&] { return component->EsisteConfezionePreferenziale(); },
      [&] { return component->EsisteDepositoPreferenziale(); },
      [&] { return component->EsisteDepositoPrelievoVersamento(); },
  };
  for (std::size_t i = 0; i < checks.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(answer(checks[i]()));
    EXPECT_EQ(automation::to_text(deposits.Filter()), "MG67_FLGDEPPREF = 1");
    EXPECT_EQ(deposits.RecordCount(), 3);
    EXPECT_EQ(deposits.AbsolutePosition(), 2);
    EXPECT_EQ(automation::to_text(deposits.Fields().Item("MG67_DEPOS_MG58").Value()), "02");
    EXPECT_EQ(automation::to_text(packs.Filter()), "MG68_CODCONF = 'C2'");
    EXPECT_EQ(packs.RecordCount(), 1);
  }
}

TEST_F(ChecksTest, FailuresCarryTheChecksLabel) {
  struct Case {
    const char* label;
    std::function<void()> call;
    std::int32_t number;
  };
  // Nothing loaded yet: the slots hold no object.
  const Case unloaded[] = {
      {"EsisteConfezionePreferenziale:", [&] { component->EsisteConfezionePreferenziale(); },
       automation::errc::kObjectVariableNotSet},
      {"EsisteDepositoPreferenziale:", [&] { component->EsisteDepositoPreferenziale(); },
       automation::errc::kObjectVariableNotSet},
      {"EsisteDepositoPrelievoVersamento:", [&] { component->EsisteDepositoPrelievoVersamento(); },
       automation::errc::kObjectVariableNotSet},
  };
  for (const Case& t : unloaded) {
    SCOPED_TRACE(t.label);
    automation::Error error = error_of(t.call);
    EXPECT_EQ(error.number(), t.number);
    EXPECT_EQ(error.source(), std::string(t.label) + "\r\nTRAVE_DORSEL");
  }

  // No current row to take the indicator from.
  load_deposits({});
  automation::Error error = error_of([&] { component->EsisteDepositoPrelievoVersamento(); });
  EXPECT_EQ(error.number(), 3021);
  EXPECT_TRUE(error.source().starts_with("EsisteDepositoPrelievoVersamento:\r\n"));

  component->Grst_RecSet_MG67->Close();
  error = error_of([&] { component->EsisteDepositoPreferenziale(); });
  EXPECT_EQ(error.number(), 3704);
  EXPECT_TRUE(error.source().starts_with("EsisteDepositoPreferenziale:\r\n"));
}

}  // namespace
