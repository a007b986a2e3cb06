#include "dorsel/attachments/slot_steps.h"

#include "automation/error.h"
#include "automation/variant.h"
#include "data/ado.h"

namespace dorsel::attachments {

data::Connection& require_connection(const CLSMG_DORSEL& component) {
  const data::ConnectionPtr& connection = component.connection();
  if (!connection) {
    throw automation::Error(automation::errc::kObjectVariableNotSet,
                            std::string(automation::kRuntimeSource));
  }
  return *connection;
}

void reopen_slot_from_source(CLSMG_DORSEL& component, data::RecordsetPtr& slot,
                             const std::string& sql) {
  slot = component.take_new_recordset();
  if (slot->State() == data::kStateOpen) slot->Close();
  slot->Open(sql, component.connection(), data::kOpenUnspecified, data::kLockUnspecified,
             data::kCmdText);
  component.release_recordset_source();
}

}  // namespace dorsel::attachments
