// The checks on the stock and pack rows the user is editing. They look at the rows held in the
// slots, pending edits included, and never at the database. Each works on a clone, because
// the host's grid is bound to the slot's recordset: its filter and current row must not move.
#include <string>

#include "automation/error.h"
#include "automation/reference.h"
#include "dorsel/frame/clsmg_dorsel.h"
#include "dorsel/frame/values.h"

namespace dorsel {
namespace {

using automation::Variant;

data::RecordsetPtr clone_of(const data::RecordsetPtr& slot) {
  return automation::require_set(slot).Clone(data::kLockUnspecified);
}

void set_filter(data::Recordset& recordset, const char* criteria) {
  recordset.SetFilter(Variant(std::string(criteria)));
}

}  // namespace

Variant CLSMG_DORSEL::EsisteConfezionePreferenziale() {
  return automation::trap_and_reraise("EsisteConfezionePreferenziale:", [&] {
    bool result = false;
    data::RecordsetPtr preferred = clone_of(Grst_RecSet_MG68);
    set_filter(*preferred, " MG68_FLGCONFPREF = 1 ");
    result = preferred->RecordCount() > 1;
    preferred->Close();
    return Variant(result);
  });
}

Variant CLSMG_DORSEL::EsisteDepositoPreferenziale() {
  return automation::trap_and_reraise("EsisteDepositoPreferenziale:", [&] {
    bool result = false;
    data::RecordsetPtr preferred = clone_of(Grst_RecSet_MG67);
    set_filter(*preferred, " MG67_FLGDEPPREF = 1 ");
    // Any flagged row first counts as a clash; a single flagged row among the item's rows is
    // then let through. A clone that cannot count (-1) stays a clash.
    if (preferred->RecordCount() > 1) {
      result = true;
    } else {
      result = preferred->RecordCount() != 0;
    }
    const std::int64_t flagged = preferred->RecordCount();
    const std::int64_t rows = Grst_RecSet_MG67->RecordCount();
    if (rows >= 1 && flagged == 1) result = false;
    preferred->Close();
    return Variant(result);
  });
}

Variant CLSMG_DORSEL::EsisteDepositoPrelievoVersamento() {
  return automation::trap_and_reraise("EsisteDepositoPrelievoVersamento:", [&] {
    bool result = false;
    data::RecordsetPtr overlapping = clone_of(Grst_RecSet_MG67);
    // The indicator of the row being edited, read from the slot itself (the clone starts on the
    // first row). 3 is both withdrawal and deposit, so it overlaps 1 and 2 alike.
    auto indicator = [&] {
      return ValoreNumerico_double(Grst_RecSet_MG67->Fields().Item("MG67_INDDEPPRELVERS").Value());
    };
    if (indicator() == 1.0) {
      set_filter(*overlapping, "MG67_INDDEPPRELVERS = 1 OR MG67_INDDEPPRELVERS = 3");
    }
    if (indicator() == 2.0) {
      set_filter(*overlapping, "MG67_INDDEPPRELVERS = 2 OR MG67_INDDEPPRELVERS = 3");
    }
    if (indicator() == 3.0) {
      set_filter(*overlapping,
                 "MG67_INDDEPPRELVERS = 1 OR MG67_INDDEPPRELVERS = 2 OR MG67_INDDEPPRELVERS = 3");
    }
    // Any other indicator sets no filter, so every row of the item counts.
    result = overlapping->RecordCount() > 1;
    overlapping->Close();
    return Variant(result);
  });
}

}  // namespace dorsel
