#include "console/host_objects.h"

#include <memory>
#include <utility>

#include "automation/convert.h"
#include "data/recordset.h"
#include "dorsel/frame/sql_text.h"

namespace console {

using automation::Variant;

namespace {

// The first column of the first row of a query, or nullopt; errors read as "no answer", since
// the host's own tables are optional in a database made by someone else.
std::optional<Variant> first_value(data::Connection* connection, const std::string& sql) {
  if (connection == nullptr || connection->State() != data::kStateOpen) return std::nullopt;
  std::optional<Variant> value;
  automation::ignore_errors([&] {
    data::ResultSet result = connection->run(sql);
    if (result.rows.empty() || result.columns.empty()) return;
    Variant first = data::unpack_value(result.rows.packed(0), 0);
    if (!first.is_null()) value = std::move(first);
  });
  return value;
}

// A property getter that hands out the object `T` keeps in `member`.
template <typename T, typename Member>
typename automation::DispatchTable<T>::Getter object_in(std::shared_ptr<Member> T::*member) {
  return [member](T& self) { return Variant(automation::ObjectPtr(self.*member)); };
}

}  // namespace

Variant HostCompany::invoke(std::string_view name, automation::InvokeKind kind,
                            std::span<Variant> args) {
  static const automation::DispatchTable<HostCompany> kTable = [] {
    automation::DispatchTable<HostCompany> t;
    t.property("CodDitta", [](HostCompany& c) { return Variant(c.CodDitta()); });
    t.property("LinguaAzienda", [](HostCompany& c) { return Variant(c.LinguaAzienda()); });
    t.method("DecimaliPrezzo", [](HostCompany& c, std::span<Variant> a) {
      return Variant(c.DecimaliPrezzo(a.empty() ? std::string() : automation::to_text(a[0])));
    });
    return t;
  }();
  return kTable.invoke(*this, name, kind, args);
}

std::int16_t HostCompany::DecimaliPrezzo(std::string_view valuta) {
  auto key = std::make_pair(code_, std::string(valuta));
  if (auto it = decimals_read_.find(key); it != decimals_read_.end()) return it->second;
  std::int16_t decimals = read_decimals(valuta);
  decimals_read_.emplace(std::move(key), decimals);
  return decimals;
}

std::int16_t HostCompany::read_decimals(std::string_view valuta) {
  auto value = first_value(connection_.get(),
                           dorsel::SqlText()
                               .add({"SELECT HV_DECIMALI FROM HOST_VALUTE WHERE HV_DITTA = ",
                                     std::to_string(code_), " AND HV_VALUTA = "})
                               .quoted(valuta)
                               .take());
  if (!value) return 5;
  std::int16_t decimals = 5;
  automation::ignore_errors([&] { decimals = automation::to_integer(*value); });
  return decimals;
}

Variant HostTranslations::invoke(std::string_view name, automation::InvokeKind kind,
                                 std::span<Variant> args) {
  static const automation::DispatchTable<HostTranslations> kTable = [] {
    automation::DispatchTable<HostTranslations> t;
    t.method("TraduzioneTesto", [](HostTranslations& self, std::span<Variant> a) {
      if (a.empty()) {
        throw automation::Error(automation::errc::kWrongNumberOfArguments, "HostApplication");
      }
      return Variant(self.TraduzioneTesto(automation::to_long(a[0])));
    });
    return t;
  }();
  return kTable.invoke(*this, name, kind, args);
}

std::string HostTranslations::TraduzioneTesto(std::int32_t id) {
  if (auto it = overrides_.find(id); it != overrides_.end()) return it->second;
  auto key = std::make_pair(company_->LinguaAzienda(), id);
  if (auto it = texts_read_.find(key); it != texts_read_.end()) return it->second;
  auto value = first_value(connection_.get(),
                           dorsel::SqlText()
                               .add({"SELECT TR_TESTO FROM HOST_TRADUZIONI WHERE TR_ID = ",
                                     std::to_string(id), " AND TR_LINGUA = "})
                               .quoted(key.first)
                               .take());
  std::string text = value ? automation::to_text(*value) : "[" + std::to_string(id) + "]";
  texts_read_.emplace(std::move(key), text);
  return text;
}

Variant HostGlobalServices::invoke(std::string_view name, automation::InvokeKind kind,
                                   std::span<Variant> args) {
  static const auto kTable =
      std::move(automation::DispatchTable<HostGlobalServices>()
                    .property("Gcls_DittaCorrente", object_in(&HostGlobalServices::company_))
                    .property("Gcls_MULTILINGUA", object_in(&HostGlobalServices::translations_)));
  return kTable.invoke(*this, name, kind, args);
}

std::shared_ptr<HostApplication> HostApplication::create(const data::ConnectionPtr& connection,
                                                         std::int32_t company_code,
                                                         std::string language) {
  if (language.empty()) {
    language = connection ? company_language_in_database(*connection, company_code).value_or("ITA ")
                          : "ITA ";
  }
  auto app = std::shared_ptr<HostApplication>(new HostApplication());
  app->company_ = std::make_shared<HostCompany>(connection, company_code, std::move(language));
  app->translations_ = std::make_shared<HostTranslations>(connection, app->company_);
  app->global_ = std::make_shared<HostGlobalServices>(app->company_, app->translations_);
  return app;
}

Variant HostApplication::invoke(std::string_view name, automation::InvokeKind kind,
                                std::span<Variant> args) {
  static const auto kTable = std::move(automation::DispatchTable<HostApplication>().property(
      "ClsGlobal", object_in(&HostApplication::global_)));
  return kTable.invoke(*this, name, kind, args);
}

std::optional<std::string> company_language_in_database(data::Connection& connection,
                                                        std::int32_t company_code) {
  auto value = first_value(&connection, "SELECT HD_LINGUA FROM HOST_DITTE WHERE HD_DITTA = " +
                                            std::to_string(company_code));
  if (!value) return std::nullopt;
  std::string language = automation::to_text(*value);
  // The component compares language codes with their trailing blank ("ITA ").
  if (language.size() < 4) language.resize(4, ' ');
  return language;
}

}  // namespace console
