#include "capi/callback_host.h"

#include <memory>
#include <string>

#include "automation/convert.h"
#include "capi/reply.h"
#include "prezzi/company.h"

namespace capi {
namespace {

using automation::Variant;

constexpr const char* kHostSource = "HostApplication";
// "Automation error": what a host's object that fails without a number of its own raises.
constexpr std::int32_t kHostFailure = 440;

// Calls one callback and reads its reply: its value, or its error raised. A missing callback
// is a member the host lacks.
template <class... Params, class... Args>
Variant ask(std::string_view member, int (*callback)(Params...), Args... args) {
  if (callback == nullptr) throw automation::Error(automation::errc::kMemberNotFound, kHostSource);
  dorsel_reply reply;
  const int failed = callback(args..., &reply);
  if (reply.error) throw *reply.error;
  if (failed != 0) {
    throw automation::Error(kHostFailure, kHostSource,
                            std::string("the host's ").append(member).append(" failed"));
  }
  if (!reply.has_value) {
    throw automation::Error(kHostFailure, kHostSource,
                            std::string("the host's ").append(member).append(" gave no value"));
  }
  return reply.value;
}

// Gcls_DittaCorrente. The price object asks it for decimals through the company interface.
class CallbackCompany : public automation::Object, public prezzi::CompanyInterface {
 public:
  explicit CallbackCompany(const dorsel_host& table) : table_(table) {}
  std::string_view type_name() const override { return "ClsDittaCorrente"; }

  Variant invoke(std::string_view name, automation::InvokeKind kind,
                 std::span<Variant> args) override {
    static const automation::DispatchTable<CallbackCompany> kTable = [] {
      automation::DispatchTable<CallbackCompany> t;
      t.property("CodDitta", [](CallbackCompany& c) {
        return ask("CodDitta", c.table_.company_code, c.table_.user);
      });
      t.property("LinguaAzienda", [](CallbackCompany& c) {
        return ask("LinguaAzienda", c.table_.company_language, c.table_.user);
      });
      t.method("DecimaliPrezzo", [](CallbackCompany& c, std::span<Variant> a) {
        return Variant(c.DecimaliPrezzo(a.empty() ? std::string() : automation::to_text(a[0])));
      });
      return t;
    }();
    return kTable.invoke(*this, name, kind, args);
  }

  std::int16_t DecimaliPrezzo(std::string_view valuta) override {
    const std::string currency(valuta);
    return automation::to_integer(
        ask("DecimaliPrezzo", table_.price_decimals, table_.user, currency.c_str()));
  }

 private:
  dorsel_host table_;
};

// Gcls_MULTILINGUA.
class CallbackTranslations : public automation::Object {
 public:
  explicit CallbackTranslations(const dorsel_host& table) : table_(table) {}
  std::string_view type_name() const override { return "ClsMultilingua"; }

  Variant invoke(std::string_view name, automation::InvokeKind kind,
                 std::span<Variant> args) override {
    static const automation::DispatchTable<CallbackTranslations> kTable = [] {
      automation::DispatchTable<CallbackTranslations> t;
      t.method("TraduzioneTesto", [](CallbackTranslations& self, std::span<Variant> a) {
        if (a.empty()) {
          throw automation::Error(automation::errc::kWrongNumberOfArguments, kHostSource);
        }
        const long id = automation::to_long(a[0]);
        return ask("TraduzioneTesto", self.table_.translate_text, self.table_.user, id);
      });
      return t;
    }();
    return kTable.invoke(*this, name, kind, args);
  }

 private:
  dorsel_host table_;
};

// ClsGlobal.
class CallbackGlobal : public automation::Object {
 public:
  explicit CallbackGlobal(const dorsel_host& table)
      : company_(std::make_shared<CallbackCompany>(table)),
        translations_(std::make_shared<CallbackTranslations>(table)) {}
  std::string_view type_name() const override { return "ClsGlobal"; }

  Variant invoke(std::string_view name, automation::InvokeKind kind,
                 std::span<Variant> args) override {
    static const automation::DispatchTable<CallbackGlobal> kTable = [] {
      automation::DispatchTable<CallbackGlobal> t;
      t.property("Gcls_DittaCorrente",
                 [](CallbackGlobal& g) { return Variant(automation::ObjectPtr(g.company_)); });
      t.property("Gcls_MULTILINGUA",
                 [](CallbackGlobal& g) { return Variant(automation::ObjectPtr(g.translations_)); });
      return t;
    }();
    return kTable.invoke(*this, name, kind, args);
  }

 private:
  std::shared_ptr<CallbackCompany> company_;
  std::shared_ptr<CallbackTranslations> translations_;
};

// The object handed over as ActiveInterface.
class CallbackApplication : public automation::Object {
 public:
  explicit CallbackApplication(const dorsel_host& table)
      : global_(std::make_shared<CallbackGlobal>(table)) {}
  std::string_view type_name() const override { return "HostApplication"; }

  Variant invoke(std::string_view name, automation::InvokeKind kind,
                 std::span<Variant> args) override {
    static const automation::DispatchTable<CallbackApplication> kTable = [] {
      automation::DispatchTable<CallbackApplication> t;
      t.property("ClsGlobal",
                 [](CallbackApplication& a) { return Variant(automation::ObjectPtr(a.global_)); });
      return t;
    }();
    return kTable.invoke(*this, name, kind, args);
  }

 private:
  std::shared_ptr<CallbackGlobal> global_;
};

}  // namespace

automation::ObjectPtr make_callback_host(const dorsel_host& table) {
  return std::make_shared<CallbackApplication>(table);
}

}  // namespace capi
