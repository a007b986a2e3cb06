#include "automation/object.h"

namespace automation {

Variant Object::invoke(std::string_view, InvokeKind, std::span<Variant>) {
  raise_runtime(errc::kMemberNotFound);
}

Variant Object::get(std::string_view name) { return invoke(name, InvokeKind::kPropertyGet, {}); }

void Object::let(std::string_view name, Variant value) {
  invoke(name, InvokeKind::kPropertyLet, std::span<Variant>(&value, 1));
}

void Object::set(std::string_view name, ObjectPtr value) {
  Variant v(std::move(value));
  invoke(name, InvokeKind::kPropertySet, std::span<Variant>(&v, 1));
}

Variant Object::call(std::string_view name, std::vector<Variant> args) {
  return invoke(name, InvokeKind::kMethod, args);
}

const ObjectPtr& require_object(const Variant& value) {
  if (!value.is_object()) raise_runtime(errc::kObjectRequired);
  const ObjectPtr& object = value.as_object();
  if (!object) raise_runtime(errc::kObjectVariableNotSet);
  return object;
}

Variant get_path(const ObjectPtr& root, std::initializer_list<std::string_view> members) {
  if (!root) raise_runtime(errc::kObjectVariableNotSet);
  Variant current(root);
  for (std::string_view member : members) {
    ObjectPtr object = require_object(current);
    current = object->get(member);
  }
  return current;
}

}  // namespace automation
