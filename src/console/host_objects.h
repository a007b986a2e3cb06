// The reference host's global object, as a host application hands it to the component
// through ActiveInterface: HostApplication.ClsGlobal gives the global services, whose
// Gcls_DittaCorrente is the current company (CodDitta, LinguaAzienda and the price library's
// company interface) and whose Gcls_MULTILINGUA translates texts (TraduzioneTesto).
//
// Company, language and translations live in the host's own tables of the database
// (HOST_DITTE, HOST_VALUTE, HOST_TRADUZIONI) and can be overridden in memory. Like a host's
// dictionaries, a currency's decimals and a text's translation are read once per company or
// language and then kept for the life of the host object. Not thread-safe.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "automation/object.h"
#include "data/connection.h"
#include "prezzi/company.h"

namespace console {

class HostCompany : public automation::Object, public prezzi::CompanyInterface {
 public:
  HostCompany(data::ConnectionPtr connection, std::int32_t code, std::string language)
      : connection_(std::move(connection)), code_(code), language_(std::move(language)) {}

  std::string_view type_name() const override { return "ClsDittaCorrente"; }
  automation::Variant invoke(std::string_view name, automation::InvokeKind kind,
                             std::span<automation::Variant> args) override;

  std::int32_t CodDitta() const { return code_; }
  const std::string& LinguaAzienda() const { return language_; }
  void set_code(std::int32_t code) { code_ = code; }
  void set_language(std::string language) { language_ = std::move(language); }
  // HOST_VALUTE's decimals for the company and currency; 5 when there is no row or no table.
  std::int16_t DecimaliPrezzo(std::string_view valuta) override;

 private:
  std::int16_t read_decimals(std::string_view valuta);

  data::ConnectionPtr connection_;
  std::int32_t code_;
  std::string language_;
  std::map<std::pair<std::int32_t, std::string>, std::int16_t, std::less<>> decimals_read_;
};

class HostTranslations : public automation::Object {
 public:
  HostTranslations(data::ConnectionPtr connection, std::shared_ptr<HostCompany> company)
      : connection_(std::move(connection)), company_(std::move(company)) {}

  std::string_view type_name() const override { return "ClsMultilingua"; }
  automation::Variant invoke(std::string_view name, automation::InvokeKind kind,
                             std::span<automation::Variant> args) override;

  // The text of an id in the company language: an override set in memory, else HOST_TRADUZIONI,
  // else "[id]" so a missing translation is visible rather than blank.
  std::string TraduzioneTesto(std::int32_t id);
  void set_override(std::int32_t id, std::string text) { overrides_[id] = std::move(text); }
  void clear_overrides() { overrides_.clear(); }

 private:
  data::ConnectionPtr connection_;
  std::shared_ptr<HostCompany> company_;
  std::map<std::int32_t, std::string> overrides_;
  std::map<std::pair<std::string, std::int32_t>, std::string> texts_read_;
};

class HostGlobalServices : public automation::Object {
 public:
  HostGlobalServices(std::shared_ptr<HostCompany> company,
                     std::shared_ptr<HostTranslations> translations)
      : company_(std::move(company)), translations_(std::move(translations)) {}
  std::string_view type_name() const override { return "ClsGlobal"; }
  automation::Variant invoke(std::string_view name, automation::InvokeKind kind,
                             std::span<automation::Variant> args) override;

 private:
  std::shared_ptr<HostCompany> company_;
  std::shared_ptr<HostTranslations> translations_;
};

// The object handed to the component as ActiveInterface.
class HostApplication : public automation::Object {
 public:
  // `language` empty: the company's language from HOST_DITTE, else "ITA ".
  static std::shared_ptr<HostApplication> create(const data::ConnectionPtr& connection,
                                                 std::int32_t company_code,
                                                 std::string language = {});

  std::string_view type_name() const override { return "HostApplication"; }
  automation::Variant invoke(std::string_view name, automation::InvokeKind kind,
                             std::span<automation::Variant> args) override;

  HostCompany& company() { return *company_; }
  HostTranslations& translations() { return *translations_; }

 private:
  std::shared_ptr<HostCompany> company_;
  std::shared_ptr<HostTranslations> translations_;
  std::shared_ptr<HostGlobalServices> global_;
};

// The language of a company in HOST_DITTE, if any.
std::optional<std::string> company_language_in_database(data::Connection& connection,
                                                        std::int32_t company_code);

}  // namespace console
