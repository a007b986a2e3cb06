#include "automation/object.h"

#include <gtest/gtest.h>

#include "automation/date.h"
#include "automation/debug_output.h"
#include "automation/factory.h"
#include "automation/guid.h"
#include "support/error_of.h"

namespace automation {
namespace {

class Counter : public Object {
 public:
  std::string_view type_name() const override { return "Counter"; }
  Variant invoke(std::string_view name, InvokeKind kind, std::span<Variant> args) override {
    return table().invoke(*this, name, kind, args);
  }
  int value = 0;
  ObjectPtr child;

 private:
  static const DispatchTable<Counter>& table() {
    static const DispatchTable<Counter> kTable = [] {
      DispatchTable<Counter> d;
      d.property(
          "Value", [](Counter& c) { return Variant(c.value); },
          [](Counter& c, const Variant& v) { c.value = v.as_long(); });
      d.property(
          "Child", [](Counter& c) { return Variant(c.child); }, nullptr,
          [](Counter& c, const Variant& v) { c.child = v.as_object(); });
      d.method("AddTo", [](Counter& c, std::span<Variant> args) {
        c.value += args[0].as_long();
        args[1] = Variant(c.value);  // by-reference out parameter
        return Variant();
      });
      return d;
    }();
    return kTable;
  }
};

using test_support::error_of;

TEST(ObjectTest, LateBindingIgnoresLetterCaseAndDistinguishesCallKinds) {
  auto counter = std::make_shared<Counter>();
  counter->let("vALUE", Variant(5));
  EXPECT_EQ(counter->get("value").as_long(), 5);
  std::vector<Variant> args{Variant(3), Variant()};
  counter->invoke("addto", InvokeKind::kMethod, args);
  EXPECT_EQ(args[1].as_long(), 8);
  auto other = std::make_shared<Counter>();
  counter->set("CHILD", other);
  EXPECT_EQ(counter->get("Child").as_object(), other);
  // A property set only by reference cannot be let.
  EXPECT_EQ(error_of([&] { counter->let("Missing", Variant(1)); }).number(), errc::kMemberNotFound);
  EXPECT_EQ(error_of([&] { counter->call("AddTo2"); }).number(), errc::kMemberNotFound);
  EXPECT_EQ(error_of([&] { counter->set("Value", nullptr); }).number(), 13);
}

TEST(ObjectTest, PathsRequireObjectsAtEveryStep) {
  auto root = std::make_shared<Counter>();
  auto child = std::make_shared<Counter>();
  child->value = 42;
  root->child = child;
  EXPECT_EQ(get_path(root, {"Child", "Value"}).as_long(), 42);
  root->child = nullptr;
  EXPECT_EQ(error_of([&] {
              get_path(root, {"Child", "Value"});
            }).number(),
            errc::kObjectVariableNotSet);
  EXPECT_EQ(error_of([&] { get_path(root, {"Value", "Value"}); }).number(), errc::kObjectRequired);
}

TEST(ObjectTest, FactoryCreatesRegisteredClassesOnly) {
  ObjectFactory::instance().register_class("Test.Counter",
                                           [] { return std::make_shared<Counter>(); });
  EXPECT_EQ(create_object("TEST.COUNTER")->type_name(), "Counter");
  const Error error = error_of([] { create_object("Test.Nothing"); });
  EXPECT_EQ(error.number(), errc::kCannotCreateObject);
  EXPECT_EQ(error.description(), "ActiveX component can't create object");
  ObjectFactory::instance().unregister_class("Test.Counter");
  EXPECT_FALSE(ObjectFactory::instance().is_registered("test.counter"));
}

TEST(ErrorTest, LabelsChainOutermostFirst) {
  const Error caught = error_of([] {
    trap_and_reraise("RefreshChild:", [] {
      trap_and_reraise("InitializeRecordsetLI10Ven:",
                       [] { throw Error(3021, "ADODB.Recordset", "Either BOF or EOF is True"); });
    });
  });
  EXPECT_EQ(caught.number(), 3021);
  EXPECT_EQ(caught.source(), "RefreshChild:\r\nInitializeRecordsetLI10Ven:\r\nADODB.Recordset");
  EXPECT_EQ(caught.description(), "Either BOF or EOF is True");

  int ran = 0;
  EXPECT_FALSE(ignore_errors([&] { throw Error(13, "x"); }));
  EXPECT_TRUE(ignore_errors([&] { ++ran; }));
  EXPECT_EQ(ran, 1);
  EXPECT_EQ(trap_and_reraise("X:", [] { return 7; }), 7);
  // Other exceptions are not the convention's business.
  EXPECT_THROW(trap_and_reraise("X:", [] { throw std::runtime_error("x"); }), std::runtime_error);
}

TEST(GuidTest, RegistryTextPadsEveryField) {
  Guid g{0x00E3, 0x38C5, 0x01CE, {0xAE, 0x02, 0x08, 0x00, 0x2B, 0x2B, 0x79, 0x0F}};
  EXPECT_EQ(to_registry_text(g), "{000000E3-38C5-01CE-AE02-08002B2B790F}");
  auto a = create_guid(), b = create_guid();
  ASSERT_TRUE(a && b);
  EXPECT_NE(to_registry_text(*a), to_registry_text(*b));
  set_guid_generator([] { return std::optional<Guid>(); });
  EXPECT_FALSE(create_guid());
  set_guid_generator(nullptr);
  EXPECT_TRUE(create_guid());
}

TEST(DebugOutputTest, SinkReceivesEachTextOnce) {
  std::vector<std::string> lines;
  DebugSink previous = set_debug_sink([&](std::string_view t) { lines.emplace_back(t); });
  output_debug_string("one");
  output_debug_string("two");
  set_debug_sink(previous);
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two"}));
}

TEST(DateTest, SerialsRoundTripIncludingBeforeDayZero) {
  struct Case {
    double serial;
    const char* iso;
  };
  const Case cases[] = {
      {0.0, "1899-12-30T00:00:00"},       {2.0, "1900-01-01T00:00:00"},
      {5.25, "1900-01-04T06:00:00"},      {-1.25, "1899-12-29T06:00:00"},
      {-2.5, "1899-12-28T12:00:00"},      {43830.0, "2019-12-31T00:00:00"},
      {2958465.0, "9999-12-31T00:00:00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.iso);
    EXPECT_EQ(to_iso_text(Date{c.serial}), c.iso);
    auto parsed = parse_iso_date(c.iso);
    ASSERT_TRUE(parsed);
    EXPECT_DOUBLE_EQ(parsed->serial, c.serial);
  }
  EXPECT_EQ(to_iso_text(Date{0.5}), to_iso_text(Date{-0.5}));
  EXPECT_FALSE(parse_iso_date("2019-02-30"));
  EXPECT_FALSE(parse_iso_date("2019-1-1"));
  EXPECT_TRUE(parse_iso_date("2019-01-01 10:20:30.123"));
  set_today_override(CivilDateTime{2020, 6, 15});
  EXPECT_EQ(today().year, 2020);
  set_today_override(std::nullopt);
}

}  // namespace
}  // namespace automation
