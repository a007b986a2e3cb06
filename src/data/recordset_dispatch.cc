// Late binding of Recordset, and of its Fields and Field through small proxy objects, so that a
// script or the automation session can drive a recordset by member names.
#include <memory>

#include "automation/convert.h"
#include "data/dispatch_util.h"
#include "data/errors.h"
#include "data/recordset.h"

namespace data {

using automation::DispatchTable;
using automation::Variant;
using detail::arg_at;
using detail::int_arg;
using detail::require_args;

namespace {

// A Field seen by name: it refers to its recordset and ordinal, so it stays safe to hold after
// the recordset closes (its members then raise what a closed recordset raises).
class FieldObject : public automation::Object {
 public:
  FieldObject(RecordsetPtr recordset, int ordinal)
      : recordset_(std::move(recordset)), ordinal_(ordinal) {}
  std::string_view type_name() const override { return "Field"; }

  Variant invoke(std::string_view name, automation::InvokeKind kind,
                 std::span<Variant> args) override {
    static const DispatchTable<FieldObject> kTable = [] {
      DispatchTable<FieldObject> t;
      auto value_get = [](FieldObject& f) { return f.field().Value(); };
      auto value_let = [](FieldObject& f, const Variant& v) { f.field().SetValue(v); };
      t.property("Value", value_get, value_let)
          .property("", value_get, value_let)
          .property("Name", [](FieldObject& f) { return Variant(f.field().Name()); })
          .property(
              "Type",
              [](FieldObject& f) { return Variant(static_cast<std::int32_t>(f.field().Type())); })
          .property("DefinedSize", [](FieldObject& f) { return Variant(f.field().DefinedSize()); })
          .property("Attributes", [](FieldObject& f) { return Variant(f.field().Attributes()); })
          .property("Precision",
                    [](FieldObject& f) {
                      return Variant(static_cast<std::int16_t>(f.field().Precision()));
                    })
          .property("NumericScale",
                    [](FieldObject& f) {
                      return Variant(static_cast<std::int16_t>(f.field().NumericScale()));
                    })
          .property("OriginalValue", [](FieldObject& f) { return f.field().OriginalValue(); });
      return t;
    }();
    return kTable.invoke(*this, name, kind, args);
  }

 private:
  Field& field() { return recordset_->Fields().Item(ordinal_); }
  RecordsetPtr recordset_;
  int ordinal_;
};

class FieldsObject : public automation::Object {
 public:
  explicit FieldsObject(RecordsetPtr recordset) : recordset_(std::move(recordset)) {}
  std::string_view type_name() const override { return "Fields"; }

  Variant invoke(std::string_view name, automation::InvokeKind kind,
                 std::span<Variant> args) override {
    static const DispatchTable<FieldsObject> kTable = [] {
      DispatchTable<FieldsObject> t;
      auto item = [](FieldsObject& f, std::span<Variant> a) {
        require_args(a, 1);
        Field& field = f.recordset_->Fields().Item(a[0]);
        return Variant(std::make_shared<FieldObject>(f.recordset_, field.ordinal()));
      };
      t.method("Item", item)
          .method("", item)
          .property(
              "Count",
              [](FieldsObject& f) { return Variant(std::int32_t{f.recordset_->Fields().Count()}); })
          .method("Append", [](FieldsObject& f, std::span<Variant> a) {
            require_args(a, 2);
            f.recordset_->Fields().Append(automation::to_text(a[0]),
                                          static_cast<DataType>(automation::to_long(a[1])),
                                          int_arg(a, 2, 0), int_arg(a, 3, kFldUnspecified));
            return Variant();
          });
      return t;
    }();
    return kTable.invoke(*this, name, kind, args);
  }

 private:
  RecordsetPtr recordset_;
};

RecordsetPtr self_of(Recordset& rs) {
  return std::static_pointer_cast<Recordset>(rs.shared_from_this());
}

Variant no_result() { return Variant(); }

}  // namespace

Variant Recordset::invoke(std::string_view name, automation::InvokeKind kind,
                          std::span<Variant> args) {
  static const DispatchTable<Recordset> kTable = [] {
    DispatchTable<Recordset> t;
    auto int_property = [](int (Recordset::*getter)() const, void (Recordset::*setter)(int)) {
      return std::make_pair([getter](Recordset& r) { return Variant(std::int32_t{(r.*getter)()}); },
                            [setter](Recordset& r, const Variant& v) {
                              (r.*setter)(static_cast<int>(automation::to_long(v)));
                            });
    };
    auto [location_get, location_let] =
        int_property(&Recordset::CursorLocation, &Recordset::SetCursorLocation);
    auto [type_get, type_let] = int_property(&Recordset::CursorType, &Recordset::SetCursorType);
    auto [lock_get, lock_let] = int_property(&Recordset::LockType, &Recordset::SetLockType);
    auto fields = [](Recordset& r, std::span<Variant> a) {
      auto collection = std::make_shared<FieldsObject>(self_of(r));
      if (a.empty()) return Variant(collection);
      return collection->invoke("Item", automation::InvokeKind::kMethod, a);
    };
    t.method("Open",
             [](Recordset& r, std::span<Variant> a) {
               r.Open(arg_at(a, 0), arg_at(a, 1),
                      static_cast<CursorTypeEnum>(int_arg(a, 2, kOpenUnspecified)),
                      static_cast<LockTypeEnum>(int_arg(a, 3, kLockUnspecified)),
                      static_cast<CommandTypeEnum>(int_arg(a, 4, kCmdUnspecified)));
               return no_result();
             })
        .method("Close",
                [](Recordset& r, std::span<Variant>) {
                  r.Close();
                  return no_result();
                })
        .property("State", [](Recordset& r) { return Variant(std::int32_t{r.State()}); })
        .property("CursorLocation", location_get, location_let)
        .property("CursorType", type_get, type_let)
        .property("LockType", lock_get, lock_let)
        .property("ActiveConnection",
                  [](Recordset& r) {
                    ConnectionPtr c = r.ActiveConnection();
                    return c ? Variant(c) : Variant::nothing();
                  })
        .property("Source", [](Recordset& r) { return Variant(r.Source()); })
        .property("BOF", [](Recordset& r) { return Variant(r.Bof()); })
        .property("EOF", [](Recordset& r) { return Variant(r.Eof()); })
        .property("RecordCount",
                  [](Recordset& r) { return Variant(static_cast<std::int32_t>(r.RecordCount())); })
        .property(
            "AbsolutePosition",
            [](Recordset& r) { return Variant(static_cast<std::int32_t>(r.AbsolutePosition())); },
            [](Recordset& r, const Variant& v) { r.SetAbsolutePosition(automation::to_long(v)); })
        .property(
            "Bookmark", [](Recordset& r) { return r.Bookmark(); },
            [](Recordset& r, const Variant& v) { r.SetBookmark(v); })
        .property(
            "Filter", [](Recordset& r) { return r.Filter(); },
            [](Recordset& r, const Variant& v) { r.SetFilter(v); })
        .property("EditMode", [](Recordset& r) { return Variant(std::int32_t{r.EditMode()}); })
        .method("MoveFirst",
                [](Recordset& r, std::span<Variant>) {
                  r.MoveFirst();
                  return no_result();
                })
        .method("MoveNext",
                [](Recordset& r, std::span<Variant>) {
                  r.MoveNext();
                  return no_result();
                })
        .method("MovePrevious",
                [](Recordset& r, std::span<Variant>) {
                  r.MovePrevious();
                  return no_result();
                })
        .method("MoveLast",
                [](Recordset& r, std::span<Variant>) {
                  r.MoveLast();
                  return no_result();
                })
        .method("Clone",
                [](Recordset& r, std::span<Variant> a) {
                  return Variant(r.Clone(int_arg(a, 0, kLockUnspecified)));
                })
        .method("Fields", fields)
        // rs(x) is rs.Fields.Item(x); rs(x) = v writes that field's value.
        .add("", automation::DispatchMember<Recordset>{fields,
                                                       [](Recordset& r, std::span<Variant> a,
                                                          const Variant& v) {
                                                         require_args(a, 1);
                                                         r.Fields().Item(a[0]).SetValue(v);
                                                       },
                                                       nullptr, fields, nullptr})
        .method("AddNew",
                [](Recordset& r, std::span<Variant>) {
                  r.AddNew();
                  return no_result();
                })
        .method("Update",
                [](Recordset& r, std::span<Variant>) {
                  r.Update();
                  return no_result();
                })
        .method("UpdateBatch",
                [](Recordset& r, std::span<Variant> a) {
                  r.UpdateBatch(int_arg(a, 0, kAffectAll));
                  return no_result();
                })
        .method("CancelUpdate",
                [](Recordset& r, std::span<Variant>) {
                  r.CancelUpdate();
                  return no_result();
                })
        .method("CancelBatch",
                [](Recordset& r, std::span<Variant> a) {
                  r.CancelBatch(int_arg(a, 0, kAffectAll));
                  return no_result();
                })
        .method("Delete",
                [](Recordset& r, std::span<Variant>) {
                  r.Delete();
                  return no_result();
                })
        // Collect(name): the value of a field, read or written without a Field object.
        .add("Collect", automation::DispatchMember<Recordset>{
                            [](Recordset& r, std::span<Variant> a) {
                              require_args(a, 1);
                              return r.Fields().Item(a[0]).Value();
                            },
                            [](Recordset& r, std::span<Variant> a, const Variant& v) {
                              require_args(a, 1);
                              r.Fields().Item(a[0]).SetValue(v);
                            },
                            nullptr, nullptr, nullptr});
    return t;
  }();
  return kTable.invoke(*this, name, kind, args);
}

}  // namespace data
