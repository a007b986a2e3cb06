// The company's account on the catalogue service and whether the service is switched on, read
// from the service configuration table.
#include <string>
#include <string_view>

#include "automation/error.h"
#include "automation/reference.h"
#include "data/ado.h"
#include "data/recordset.h"
#include "dorsel/frame/clsmg_dorsel.h"
#include "dorsel/frame/slot_source.h"
#include "dorsel/frame/sql_text.h"

namespace dorsel {

void CLSMG_DORSEL::RecuperaUtenzaSorvano() {
  automation::trap_and_reraise("RecuperaUtenzaSorvano:", [&] {
    const std::string sql =
        SqlText()
            .add({"          SELECT TOP 1 ", "       IL00_DITTA_CG18 ", "     , IL00_USERNAME ",
                  "     , IL00_PASSWORD ", "     , IL00_STATO ", "     , IL00_PATHCSV  ",
                  "     , IL00_DOMINIO_WS  ", "     , IL00_MODULO  ", " FROM  ",
                  "     IL00_CONFIG_GDPR  ", " WHERE  ", "     IL00_DITTA_CG18 = "})
            .number(company_code_text())
            .add({" AND IL00_MODULO = 'SORVANO'"})
            .take();
    // The host reads the account from the slot, so the slot stays open even without a row.
    open_from_source(*this, Grst_RecSet_IL00, sql, HandedOutOpen::kCloseFirst);
  });
}

bool CLSMG_DORSEL::IsSorvanoAttivo() {
  // The console only switches the catalogue panel off; a failure must not reach the host.
  return automation::never_raises(false, [&] {
    // Any active configuration row of the company counts, whatever its module, as long as the
    // company has brands on the service.
    const std::string sql = SqlText()
                                .line({" SELECT "})
                                .line({"    IL00_DITTA_CG18 "})
                                .line({" FROM "})
                                .line({"    IL00_CONFIG_GDPR "})
                                .line({" INNER JOIN IL01_MARCHEDITTA ON"})
                                .line({"     IL01_DITTA_CG18 = IL00_DITTA_CG18"})
                                .line({" WHERE ", "    IL00_DITTA_CG18 = "})
                                .number(company_code_text())
                                .line({"    AND ISNULL(IL00_STATO,0)  = 1 "})
                                .line({" GROUP BY "})
                                .line({"    IL00_DITTA_CG18"})
                                .take();

    data::RecordsetPtr found =
        automation::require_set(connection()).Execute(sql, nullptr, data::kCmdText);
    if (!found) return false;
    // A count the provider cannot tell (-1) reads as "not active".
    const bool active = found->RecordCount() > 0;
    found->Close();
    return active;
  });
}

}  // namespace dorsel
