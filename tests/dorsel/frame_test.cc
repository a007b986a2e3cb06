#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <random>

#include <cmath>

#include "automation/convert.h"
#include "automation/guid.h"
#include "automation/number_format.h"
#include "dorsel/frame/values.h"
#include "support/case_file.h"
#include "support/component_fixture.h"
#include "support/error_of.h"
#include "support/slot_test_helpers.h"

namespace {

using test_support::error_of;

using automation::Variant;
using test_support::ComponentTest;

class FrameTest : public ComponentTest {};

std::string id_of(const std::string& trace_line) {
  // VXTR:|ID|MARK|TRAVE_DORSEL|CLSMG_DORSEL
  std::size_t first = trace_line.find('|');
  std::size_t second = trace_line.find('|', first + 1);
  return trace_line.substr(first + 1, second - first - 1);
}

// A host object answering each member with a fixed value.
class FixedMembers : public automation::Object {
 public:
  explicit FixedMembers(std::map<std::string, Variant> members) : members_(std::move(members)) {}
  std::string_view type_name() const override { return "FixedMembers"; }
  Variant invoke(std::string_view name, automation::InvokeKind, std::span<Variant>) override {
    auto it = members_.find(std::string(name));
    if (it == members_.end()) {
      throw automation::Error(automation::errc::kMemberNotFound, "FixedMembers");
    }
    return it->second;
  }

 private:
  std::map<std::string, Variant> members_;
};

Variant host_with_company_code(Variant code) {
  auto company = std::make_shared<FixedMembers>(
      std::map<std::string, Variant>{{"CodDitta", std::move(code)}, {"LinguaAzienda", "ITA "}});
  auto global = std::make_shared<FixedMembers>(std::map<std::string, Variant>{
      {"Gcls_DittaCorrente", Variant(automation::ObjectPtr(company))}});
  return Variant(automation::ObjectPtr(std::make_shared<FixedMembers>(
      std::map<std::string, Variant>{{"ClsGlobal", Variant(automation::ObjectPtr(global))}})));
}

// The company code is written into every statement without quotes: a host answering with
// anything but a plain number is refused under the method's label before a statement runs.
TEST_F(FrameTest, HostsCompanyCodeMustBeAPlainNumber) {
  test_support::StatementLog log(*connection);
  struct Case {
    const char* label;
    std::function<void()> call;
  };
  dorsel::CLSMG_DORSEL& c = *component;
  const Case cases[] = {
      {"Init_MG67_scorte:", [&] { c.Init_MG67_scorte("A1"); }},
      {"ShowChild:", [&] { c.ShowChild("A1", "FRMMG_DORSEL_DESCR"); }},
      {"Get_MG66_ID_LP09:", [&] { c.Get_MG66_ID_LP09("P1"); }},
      {"Get_PathImage:", [&] { c.Get_PathImage("A1"); }},
  };
  for (const char* code : {"1 OR 1=1", "1) OR (1=1", "", "1e3"}) {
    component->SetActiveInterface(host_with_company_code(Variant(code)));
    for (const Case& t : cases) {
      SCOPED_TRACE(std::string(t.label) + " with " + code);
      const automation::Error error = test_support::error_of(t.call);
      EXPECT_EQ(error.number(), automation::errc::kTypeMismatch);
      EXPECT_EQ(error.source(), std::string(t.label) + "\r\nTRAVE_DORSEL");
    }
  }
  EXPECT_TRUE(log.statements().empty());
  component->SetActiveInterface(host_with_company_code(Variant(std::int32_t{1})));
  component->Init_MG67_scorte("A1");
  EXPECT_EQ(log.statements().size(), 1u);
}

// An instance handed to itself as its host reads back as itself and is called as any host is,
// but does not keep itself alive once the host lets it go.
TEST_F(FrameTest, InstanceAsItsOwnHostIsFreedOnRelease) {
  auto instance = std::make_shared<dorsel::CLSMG_DORSEL>();
  std::weak_ptr<dorsel::CLSMG_DORSEL> watch = instance;
  instance->SetConnessione(connection);
  Variant self{automation::ObjectPtr(instance)};
  instance->invoke("ActiveInterface", automation::InvokeKind::kPropertySet, std::span(&self, 1));
  EXPECT_EQ(instance->ActiveInterface().as_object(), instance);
  const automation::Error error = test_support::error_of([&] { instance->Init_MG67_scorte("A1"); });
  EXPECT_EQ(error.number(), automation::errc::kMemberNotFound);
  EXPECT_EQ(error.source(), "Init_MG67_scorte:\r\nTRAVE_DORSEL");
  self = Variant();
  instance.reset();
  EXPECT_TRUE(watch.expired());

  // Another host in its place is owned again.
  auto other = std::make_shared<dorsel::CLSMG_DORSEL>();
  other->SetActiveInterface(Variant(automation::ObjectPtr(other)));
  other->SetActiveInterface(Variant(automation::ObjectPtr(host)));
  EXPECT_EQ(other->ActiveInterface().as_object(), host);
}

// Each instance's creation and destruction lines carry the same identifier, of its own; the
// identifier pads each field, and a failed GUID gives an empty one, asked again, not cached.
TEST_F(FrameTest, TraceLinesPairEachInstancesIdentifier) {
  trace.clear();
  auto a = std::make_shared<dorsel::CLSMG_DORSEL>();
  auto b = std::make_shared<dorsel::CLSMG_DORSEL>();
  a.reset();
  b.reset();
  ASSERT_EQ(trace.size(), 4u);
  EXPECT_EQ(trace[0], "VXTR:|" + id_of(trace[0]) + "|INI|TRAVE_DORSEL|CLSMG_DORSEL");
  EXPECT_EQ(trace[2], "VXTR:|" + id_of(trace[0]) + "|TER|TRAVE_DORSEL|CLSMG_DORSEL");
  EXPECT_EQ(id_of(trace[3]), id_of(trace[1]));
  EXPECT_NE(id_of(trace[0]), id_of(trace[1]));
  for (const std::string& line : trace) {
    EXPECT_EQ(id_of(line).size(), 32u);
    EXPECT_EQ(id_of(line).find_first_not_of("0123456789ABCDEF"), std::string::npos) << line;
  }

  trace.clear();
  automation::set_guid_generator([] {
    return std::optional<automation::Guid>(
        automation::Guid{0xAB, 0x1, 0x2, {0x0F, 0, 1, 2, 3, 4, 5, 0xFF}});
  });
  { dorsel::CLSMG_DORSEL padded; }
  automation::set_guid_generator([] { return std::optional<automation::Guid>(); });
  { dorsel::CLSMG_DORSEL failed; }
  automation::set_guid_generator(nullptr);
  EXPECT_EQ(trace,
            (std::vector<std::string>{
                "VXTR:|000000AB000100020F000102030405FF|INI|TRAVE_DORSEL|CLSMG_DORSEL",
                "VXTR:|000000AB000100020F000102030405FF|TER|TRAVE_DORSEL|CLSMG_DORSEL",
                "VXTR:||INI|TRAVE_DORSEL|CLSMG_DORSEL", "VXTR:||TER|TRAVE_DORSEL|CLSMG_DORSEL"}));
}

// Initialize's slots and failures, the host references and the dual interface are pinned by
// the session scripts frame.jsonl and frame_initialize.jsonl; the price object is not visible
// there.
TEST_F(FrameTest, FreshInstanceHasNoHostAndThePriceObjectIsMadeOnce) {
  dorsel::CLSMG_DORSEL fresh;
  EXPECT_TRUE(fresh.ActiveInterface().is_empty());
  EXPECT_EQ(fresh.Connessione(), nullptr);
  component->SetConnessione(nullptr);
  EXPECT_EQ(error_of([&] { component->Initialize(); }).number(), 3709);
  const auto price = component->gclsCalcoloPrezzi;
  ASSERT_TRUE(price);  // made before the failure
  EXPECT_EQ(price->DittaCorrente(),
            automation::get_path(host, {"ClsGlobal", "Gcls_DittaCorrente"}).as_object());
  component->SetConnessione(connection);
  component->Initialize();
  EXPECT_EQ(component->gclsCalcoloPrezzi, price);
  EXPECT_GE(component->Grst_RecSet_MG66->Fields().index_of("MG66_FLGBASEVAR"), 0);
}

// Whole numbers, decimals and doubles take a short road; it must give what the text road gives.
TEST(ValueFunctionsTest, NumbersGiveWhatTheirTextGives) {
  using dorsel::ValoreNumerico;
  using dorsel::ValoreNumerico_double;
  for (const auto& format : {automation::NumberFormat::italian(), automation::NumberFormat{}}) {
    automation::ScopedNumberFormat scoped(format);
    std::vector<Variant> values;
    test_support::for_each_case("dorsel/data/stored_numbers.tsv", 2, 17, [&](const auto& c) {
      const std::string& text = c[1];
      values.push_back(c[0] == "i16"   ? Variant(static_cast<std::int16_t>(std::stoi(text)))
                       : c[0] == "i32" ? Variant(static_cast<std::int32_t>(std::stoll(text)))
                       : c[0] == "i64" ? Variant(std::int64_t{std::stoll(text)})
                       : c[0] == "dec" ? Variant(automation::Decimal::parse(
                                             text, automation::NumberFormat::plain()))
                                       : Variant(std::strtod(text.c_str(), nullptr)));
    });
    std::mt19937 random(11);
    std::uniform_real_distribution<double> mantissa(-0.5, 0.5);
    std::uniform_int_distribution<int> exponent(-20, 19);
    for (int n = 0; n < 3000; ++n) {
      values.emplace_back(mantissa(random) * std::pow(10.0, exponent(random)));
    }
    for (const Variant& v : values) {
      std::string by_text = automation::Decimal::parse(automation::to_text(v)).to_string();
      EXPECT_EQ(ValoreNumerico(v), by_text);
      EXPECT_EQ(ValoreNumerico_double(v), automation::to_double(Variant(by_text))) << by_text;
    }
  }
}

}  // namespace
