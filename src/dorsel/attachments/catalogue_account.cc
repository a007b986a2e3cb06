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
    std::string sql;
    for (std::string_view fragment :
         {"          SELECT TOP 1 ", "       IL00_DITTA_CG18 ", "     , IL00_USERNAME ",
          "     , IL00_PASSWORD ", "     , IL00_STATO ", "     , IL00_PATHCSV  ",
          "     , IL00_DOMINIO_WS  ", "     , IL00_MODULO  ", " FROM  ", "     IL00_CONFIG_GDPR  ",
          " WHERE  ", "     IL00_DITTA_CG18 = "}) {
      sql.append(fragment);
    }
    sql.append(company_code_text()).append(" AND IL00_MODULO = 'SORVANO'");
    // The host reads the account from the slot, so the slot stays open even without a row.
    open_from_source(*this, Grst_RecSet_IL00, sql, HandedOutOpen::kCloseFirst);
  });
}

bool CLSMG_DORSEL::IsSorvanoAttivo() {
  // The console only switches the catalogue panel off; a failure must not reach the host.
  return automation::never_raises(false, [&] {
    // Any active configuration row of the company counts, whatever its module, as long as the
    // company has brands on the service.
    std::string sql;
    sql.append(" SELECT ").append(kCrLf);
    sql.append("    IL00_DITTA_CG18 ").append(kCrLf);
    sql.append(" FROM ").append(kCrLf);
    sql.append("    IL00_CONFIG_GDPR ").append(kCrLf);
    sql.append(" INNER JOIN IL01_MARCHEDITTA ON").append(kCrLf);
    sql.append("     IL01_DITTA_CG18 = IL00_DITTA_CG18").append(kCrLf);
    sql.append(" WHERE ")
        .append("    IL00_DITTA_CG18 = ")
        .append(company_code_text())
        .append(kCrLf);
    sql.append("    AND ISNULL(IL00_STATO,0)  = 1 ").append(kCrLf);
    sql.append(" GROUP BY ").append(kCrLf);
    sql.append("    IL00_DITTA_CG18");

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
