#include "dorsel/frame/slot_source.h"

#include "data/ado.h"

namespace dorsel {

void open_from_source(CLSMG_DORSEL& component, data::RecordsetPtr& slot, const std::string& sql,
                      HandedOutOpen handed_out_open) {
  slot = component.take_new_recordset();
  if (handed_out_open == HandedOutOpen::kCloseFirst && slot->State() == data::kStateOpen) {
    slot->Close();
  }
  slot->Open(sql, component.connection(), data::CursorTypeEnum::kUnspecified,
             data::LockTypeEnum::kUnspecified, data::CommandTypeEnum::kText);
  component.release_recordset_source();
}

}  // namespace dorsel
