#include "automation/factory.h"

#include "automation/text.h"

namespace automation {
ObjectFactory& ObjectFactory::instance() {
  static ObjectFactory factory;
  return factory;
}

void ObjectFactory::register_class(std::string_view class_name, Creator creator) {
  creators_[ascii_lower(class_name)] = std::move(creator);
}

void ObjectFactory::unregister_class(std::string_view class_name) {
  creators_.erase(ascii_lower(class_name));
}

bool ObjectFactory::is_registered(std::string_view class_name) const {
  return creators_.count(ascii_lower(class_name)) != 0;
}

ObjectPtr ObjectFactory::create(std::string_view class_name) const {
  auto it = creators_.find(ascii_lower(class_name));
  if (it == creators_.end() || !it->second) {
    raise_runtime(errc::kCannotCreateObject);
  }
  ObjectPtr object = it->second();
  if (!object) raise_runtime(errc::kCannotCreateObject);
  return object;
}

}  // namespace automation
