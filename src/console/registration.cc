#include "console/registration.h"

#include "automation/factory.h"
#include "console/recordset_source.h"
#include "data/sqlite/sqlite_provider.h"
#include "dorsel/frame/clsmg_dorsel.h"
#ifdef DORSEL_WITH_ODBC
#include "data/odbc/odbc_provider.h"
#endif

namespace console {

void register_everything() {
  data::sqlite::register_provider();
#ifdef DORSEL_WITH_ODBC
  data::odbc::register_provider();
#endif
  dorsel::register_classes();
  automation::ObjectFactory::instance().register_class(
      dorsel::kRecordsetSourceClass, [] { return std::make_shared<RecordsetSource>(); });
}

}  // namespace console
