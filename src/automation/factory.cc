#include "automation/factory.h"

namespace automation {
namespace {
std::string fold(std::string_view name) {
  std::string out(name);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}
}  // namespace

ObjectFactory& ObjectFactory::instance() {
  static ObjectFactory factory;
  return factory;
}

void ObjectFactory::register_class(std::string_view class_name, Creator creator) {
  creators_[fold(class_name)] = std::move(creator);
}

void ObjectFactory::unregister_class(std::string_view class_name) {
  creators_.erase(fold(class_name));
}

bool ObjectFactory::is_registered(std::string_view class_name) const {
  return creators_.count(fold(class_name)) != 0;
}

ObjectPtr ObjectFactory::create(std::string_view class_name) const {
  auto it = creators_.find(fold(class_name));
  if (it == creators_.end() || !it->second) {
    throw Error(errc::kCannotCreateObject, std::string(kRuntimeSource));
  }
  ObjectPtr object = it->second();
  if (!object) throw Error(errc::kCannotCreateObject, std::string(kRuntimeSource));
  return object;
}

}  // namespace automation
