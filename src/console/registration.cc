#include "console/registration.h"

#include <mutex>

#include "automation/factory.h"
#include "console/recordset_source.h"
#include "data/sqlite/sqlite_provider.h"
#include "dorsel/frame/clsmg_dorsel.h"
#ifdef DORSEL_WITH_ODBC
#include "data/odbc/odbc_provider.h"
#endif

namespace console {

void register_everything() {
  // Hosts that run components on several threads all call this; the registries are written once.
  static std::once_flag once;
  std::call_once(once, [] {
    data::sqlite::register_provider();
#ifdef DORSEL_WITH_ODBC
    data::odbc::register_provider();
#endif
    dorsel::register_classes();
    automation::ObjectFactory::instance().register_class(
        dorsel::kRecordsetSourceClass, [] { return std::make_shared<RecordsetSource>(); });
  });
}

}  // namespace console
