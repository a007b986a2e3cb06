#include "dorsel/frame/clsmg_dorsel.h"

#include <cstdio>

#include "automation/convert.h"
#include "automation/debug_output.h"
#include "automation/factory.h"
#include "automation/guid.h"
#include "dorsel/frame/slot_source.h"
#include "dorsel/frame/sql_text.h"
#include "dorsel/host/host_view.h"

namespace dorsel {

using automation::Variant;

CLSMG_DORSEL::CLSMG_DORSEL() { write_trace("INI"); }

CLSMG_DORSEL::~CLSMG_DORSEL() {
  write_trace("TER");
  // From here on every step runs whatever the previous one did.
  automation::ignore_errors([&] { recordset_source_.reset(); });
  for (data::RecordsetPtr* slot :
       {&Grst_RecSet_MG66, &Grst_RecSet_MG87descr, &Grst_RecSet_MG87note, &Grst_RecSet_Immagini,
        &Grst_RecSet_MG67, &Grst_RecSet_MG68, &Grst_RecSet_MG7A, &Grst_RecSet_MG72,
        &Grst_RecSet_MG98, &Grst_RecSet_MG6D, &Grst_RecSet_MG6B, &Grst_RecSet_LI10Ven,
        &Grst_RecSet_LI10Acq, &Grst_RecSet_LI10Ven_append, &Grst_RecSet_LI10Acq_append,
        &Grst_RecSet_LI11, &Grst_RecSet_LI11_append}) {
    // Dropping, not closing: a recordset the host still holds stays usable.
    slot->reset();
  }
  if (gclsCalcoloPrezzi) {
    // The price object may outlive us in the host's hands; it must not keep the company.
    automation::ignore_errors([&] { gclsCalcoloPrezzi->SetDittaCorrente(nullptr); });
    gclsCalcoloPrezzi.reset();
  }
  Grst_RecSet_CL07.reset();
  Grst_RecSet_MG1Q.reset();
  Grst_RecSet_IL00.reset();
}

std::string CLSMG_DORSEL::CreaIdIstanza() {
  std::optional<automation::Guid> guid = automation::create_guid();
  if (!guid) return {};
  char text[33];
  std::snprintf(text, sizeof text, "%08X%04X%04X%02X%02X%02X%02X%02X%02X%02X%02X", guid->data1,
                guid->data2, guid->data3, guid->data4[0], guid->data4[1], guid->data4[2],
                guid->data4[3], guid->data4[4], guid->data4[5], guid->data4[6], guid->data4[7]);
  return text;
}

std::string CLSMG_DORSEL::IdIstanza() {
  if (instance_id_.empty()) instance_id_ = CreaIdIstanza();
  return instance_id_;
}

void CLSMG_DORSEL::write_trace(std::string_view marker) {
  std::string line = "VXTR:|";
  line.append(IdIstanza()).append("|").append(marker).append("|TRAVE_DORSEL|CLSMG_DORSEL");
  automation::output_debug_string(line);
}

void CLSMG_DORSEL::SetConnessione(const automation::ObjectPtr& connection) {
  if (!connection) {
    connection_.reset();
    return;
  }
  auto typed = std::dynamic_pointer_cast<data::Connection>(connection);
  if (!typed) automation::raise_runtime(automation::errc::kTypeMismatch);
  connection_ = std::move(typed);
}

Variant CLSMG_DORSEL::host() const {
  if (!host_is_self_) return host_;
  automation::ObjectPtr self = std::const_pointer_cast<automation::Object>(weak_from_this().lock());
  return self ? Variant(std::move(self)) : Variant::nothing();
}

void CLSMG_DORSEL::SetActiveInterface(const Variant& host) {
  // Only an object reference (or Nothing) replaces the stored host; anything else is ignored.
  if (!host.is_object()) return;
  // Holding itself, the instance would keep itself alive after the host let it go.
  host_is_self_ = host.as_object().get() == this;
  host_ = host_is_self_ ? Variant::nothing() : host;
}

std::string CLSMG_DORSEL::company_code_text() const {
  // The host's code goes into every statement without quotes: a host that answers with a text
  // must not be able to widen them to other companies.
  std::string code = automation::to_text(host::company_code(host()));
  require_plain_number(code);
  return code;
}

data::RecordsetPtr CLSMG_DORSEL::take_new_recordset() {
  recordset_source_ = automation::create_object(kRecordsetSourceClass);
  Variant made = recordset_source_->call("NuovoRecordset");
  auto recordset = std::dynamic_pointer_cast<data::Recordset>(automation::require_object(made));
  if (!recordset) automation::raise_runtime(automation::errc::kTypeMismatch);
  return recordset;
}

void CLSMG_DORSEL::open_slot_from_source(data::RecordsetPtr& slot, const std::string& sql) {
  open_from_source(*this, slot, sql, HandedOutOpen::kOpenAsIs);
}

void CLSMG_DORSEL::create_price_object() {
  if (gclsCalcoloPrezzi) return;
  automation::ObjectPtr made = automation::create_object(prezzi::kClassName);
  auto price = std::dynamic_pointer_cast<prezzi::PriceCalculation>(made);
  if (!price) automation::raise_runtime(automation::errc::kTypeMismatch);
  gclsCalcoloPrezzi = price;
  price->SetDittaCorrente(host::current_company(host()));
}

void CLSMG_DORSEL::Initialize() {
  automation::trap_and_reraise("Initialize:", [&] {
    create_price_object();

    SqlText items;
    Gstr_SQL_MG66 = items.company_frame("MG66_ANAGRART", "MG66", company_code_text()).text();
    Gstr_SQL_MG66_NoRecord = items.add({" AND 1=0 "}).take();
    open_slot_from_source(Grst_RecSet_MG66, Gstr_SQL_MG66_NoRecord);

    Gstr_SQL_MG87descr = SqlText()
                             .company_frame("MG87_ARTDESC", "MG87", company_code_text())
                             .line({"     AND 1 = 0 "})
                             .take();
    open_slot_from_source(Grst_RecSet_MG87descr, Gstr_SQL_MG87descr);
  });
}

void register_classes() {
  prezzi::register_classes();
  automation::ObjectFactory::instance().register_class(
      kClassName, [] { return std::make_shared<CLSMG_DORSEL>(); });
}

}  // namespace dorsel
