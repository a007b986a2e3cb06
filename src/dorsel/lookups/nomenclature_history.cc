// The Intrastat nomenclature history: when an item's code changes, the code being replaced is
// kept as the one valid up to the end of the previous calendar year. A code already kept for
// that year is replaced only if the user agrees.
#include <string>

#include "automation/date.h"
#include "automation/error.h"
#include "automation/prompt.h"
#include "automation/reference.h"
#include "data/recordset.h"
#include "dorsel/frame/clsmg_dorsel.h"
#include "dorsel/frame/sql_text.h"

namespace dorsel {
namespace {

constexpr int kYesNoInformation = 68;  // Yes and No buttons, information icon

}  // namespace

bool CLSMG_DORSEL::StoricizzaNomenclaturaIntra(std::string& CodNomenclatura,
                                               std::string& CodArticolo,
                                               std::int16_t& IndFittizio) {
  return automation::trap_and_reraise("StoricizzaNomenclaturaIntra:", [&] {
    bool result = false;
    const std::string year = std::to_string(automation::today().year - 1);
    const std::string kind = std::to_string(IndFittizio);

    // The company code is read from the host for each statement, as everywhere else: nothing
    // of the host is kept.
    data::RecordsetPtr stored = data::Recordset::create();
    stored->Open(SqlText()
                     .add({"SELECT * FROM MG1Q_ARTNOMENCLATURE WHERE MG1Q_DITTA_CG18="})
                     .number(company_code_text())
                     .add({" AND MG1Q_CODART_MG66="})
                     .quoted(CodArticolo)
                     .add({" AND MG1Q_ANNO=", year, " AND MG1Q_INDTIPO=", kind})
                     .take(),
                 connection(), data::CursorTypeEnum::kUnspecified, data::LockTypeEnum::kUnspecified,
                 data::CommandTypeEnum::kText);

    if (!(stored->Bof() && stored->Eof())) {
      const std::string question =
          "E' stato variato il codice nomenclatura, esiste già un codice storicizzato valido "
          "fino al " +
          year + ". Vuoi sostituirlo con quello attuale?";
      if (automation::ask_user("Modifica codice nomenclatura Intra", question, kYesNoInformation) ==
          automation::PromptAnswer::kNo) {
        return result;
      }
      // No transaction: a failing insert after this leaves the year without a row.
      automation::require_set(connection())
          .Execute(SqlText()
                       .add({"DELETE FROM MG1Q_ARTNOMENCLATURE WHERE MG1Q_DITTA_CG18="})
                       .number(company_code_text())
                       .add({" AND MG1Q_CODART_MG66="})
                       .quoted(CodArticolo)
                       .add({" AND MG1Q_INDTIPO=", kind, " AND MG1Q_ANNO=", year})
                       .take(),
                   nullptr, data::kCmdUnspecified);
    }

    automation::require_set(connection())
        .Execute(SqlText()
                     .add({"INSERT INTO MG1Q_ARTNOMENCLATURE "
                           "(MG1Q_CODART_MG66,MG1Q_DITTA_CG18,MG1Q_ANNO,MG1Q_CODICE,MG1Q_INDTIPO) "
                           "VALUES ("})
                     .quoted(CodArticolo)
                     .add({","})
                     .number(company_code_text())
                     .add({",", year, ","})
                     .quoted(CodNomenclatura)
                     .add({",", kind, ")"})
                     .take(),
                 nullptr, data::kCmdUnspecified);
    stored.reset();
    result = true;
    return result;
  });
}

}  // namespace dorsel
