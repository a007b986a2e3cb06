// Object: the base of every object that crosses an interface (the component, the host's
// objects, recordsets, connections, the price object). Late binding reaches members by name,
// case-insensitively, distinguishing property get, property let, property set (by reference)
// and method call. A member the object lacks raises 438.
//
// A class declares its members once in a DispatchTable, so the same object can be used typed
// from C++ and by name from a script or the session. Objects are shared (ObjectPtr); not
// thread-safe, one apartment at a time.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "automation/error.h"
#include "automation/folded_name.h"
#include "automation/variant.h"

namespace automation {

enum class InvokeKind { kMethod = 1, kPropertyGet = 2, kPropertyLet = 4, kPropertySet = 8 };

// What a name is on an interface, for callers that must choose between reading and calling
// before they know the arguments (a script language's attribute access).
enum class MemberKind { kNone, kProperty, kMethod };

class Object : public std::enable_shared_from_this<Object> {
 public:
  virtual ~Object() = default;

  // The class name, as TypeName would show it ("CLSMG_DORSEL", "Recordset").
  virtual std::string_view type_name() const = 0;

  // Late-bound call. `args` are the call's arguments, in order; a method may write back into
  // them (by-reference parameters). For kPropertyLet/kPropertySet the last argument is the
  // value assigned. Raises 438 when the object has no such member for that kind of call.
  virtual Variant invoke(std::string_view name, InvokeKind kind, std::span<Variant> args);

  // Conveniences over invoke.
  Variant get(std::string_view name);
  void let(std::string_view name, Variant value);
  void set(std::string_view name, ObjectPtr value);
  Variant call(std::string_view name, std::vector<Variant> args = {});
};

// Reads an object out of a variant for a call that needs one: Nothing raises 91; a value that
// is not an object raises 424.
const ObjectPtr& require_object(const Variant& value);

// Late-bound chain `root.a.b.c`: each member read as a property without arguments.
Variant get_path(const ObjectPtr& root, std::initializer_list<std::string_view> members);

// One member of a DispatchTable. Any of the four handlers may be empty.
template <class T>
struct DispatchMember {
  std::function<Variant(T&, std::span<Variant>)> get;
  std::function<void(T&, std::span<Variant>, const Variant&)> let;
  std::function<void(T&, std::span<Variant>, const Variant&)> set;
  std::function<Variant(T&, std::span<Variant>)> call;
  // A property read that takes no arguments (any given are ignored), called as it is: the
  // commonest late-bound call.
  std::function<Variant(T&)> plain_get;
};

// A class's members by name, matched case-insensitively.
template <class T>
class DispatchTable {
 public:
  DispatchTable() = default;
  // Moved, never copied: the index refers to the names where they are stored.
  DispatchTable(DispatchTable&&) noexcept = default;
  DispatchTable& operator=(DispatchTable&&) noexcept = default;
  DispatchTable(const DispatchTable&) = delete;
  DispatchTable& operator=(const DispatchTable&) = delete;

  using Getter = std::function<Variant(T&)>;
  using Letter = std::function<void(T&, const Variant&)>;
  using Method = std::function<Variant(T&, std::span<Variant>)>;

  DispatchTable& property(std::string name, Getter get, Letter let = nullptr,
                          Letter set = nullptr) {
    DispatchMember<T> m;
    m.plain_get = std::move(get);
    if (let) m.let = [let](T& self, std::span<Variant>, const Variant& v) { let(self, v); };
    if (set) m.set = [set](T& self, std::span<Variant>, const Variant& v) { set(self, v); };
    return add(std::move(name), std::move(m));
  }
  DispatchTable& method(std::string name, Method call) {
    DispatchMember<T> m;
    m.call = std::move(call);
    return add(std::move(name), std::move(m));
  }
  DispatchTable& add(std::string name, DispatchMember<T> member) {
    if (std::size_t known = position(name); known != kNone) {
      members_[known].member = std::move(member);
      return *this;
    }
    members_.push_back({std::move(name), std::move(member)});
    // Tables are built once, at start-up: rebuilding the index as they grow costs nothing later.
    if (members_.size() > kScanned) {
      index_.clear();
      for (std::size_t i = 0; i < members_.size(); ++i) index_.emplace(members_[i].name, i);
    }
    return *this;
  }

  // Dispatches as Object::invoke does. A method also answers a property get (a function
  // called without parentheses), as the runtime allows.
  Variant invoke(T& self, std::string_view name, InvokeKind kind, std::span<Variant> args) const {
    std::size_t found = position(name);
    if (found == kNone) raise_runtime(errc::kMemberNotFound);
    const DispatchMember<T>& m = members_[found].member;
    switch (kind) {
      case InvokeKind::kPropertyGet:
        if (m.plain_get) return m.plain_get(self);
        if (m.get) return m.get(self, args);
        if (m.call) return m.call(self, args);
        break;
      case InvokeKind::kMethod:
        if (m.call) return m.call(self, args);
        if (m.plain_get) return m.plain_get(self);
        if (m.get) return m.get(self, args);
        break;
      case InvokeKind::kPropertyLet:
      case InvokeKind::kPropertySet: {
        if (args.empty()) raise_runtime(errc::kWrongNumberOfArguments);
        auto& handler =
            kind == InvokeKind::kPropertyLet ? (m.let ? m.let : m.set) : (m.set ? m.set : m.let);
        if (handler) {
          handler(self, args.first(args.size() - 1), args.back());
          return Variant();
        }
        break;
      }
    }
    raise_runtime(errc::kMemberNotFound);
  }

  // A member with a method handler is a method; any other member is a property.
  MemberKind kind_of(std::string_view name) const {
    std::size_t found = position(name);
    if (found == kNone) return MemberKind::kNone;
    return members_[found].member.call ? MemberKind::kMethod : MemberKind::kProperty;
  }

 private:
  // A host's small objects are searched in place; wide interfaces through the index.
  static constexpr std::size_t kScanned = 16;
  struct Entry {
    std::string name;
    DispatchMember<T> member;
  };

  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  std::size_t position(std::string_view name) const {
    if (members_.size() <= kScanned) {
      for (std::size_t i = 0; i < members_.size(); ++i) {
        if (FoldedNameEqual()(members_[i].name, name)) return i;
      }
      return kNone;
    }
    auto it = index_.find(name);
    return it == index_.end() ? kNone : it->second;
  }

  std::vector<Entry> members_;
  std::unordered_map<std::string_view, std::size_t, FoldedNameHash, FoldedNameEqual>
      index_;  // names into members_, for tables wider than kScanned
};

}  // namespace automation
