// ObjectFactory: creates objects by class name, as CreateObject does. A class unknown to the
// factory raises 429. Process-wide registrations; register before use, not synchronised.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "automation/object.h"

namespace automation {

class ObjectFactory {
 public:
  using Creator = std::function<ObjectPtr()>;

  static ObjectFactory& instance();

  // Registers (or replaces) the creator for a class name, e.g. "TRAVE_PREZZI.CLSPREZZI".
  // Names are matched case-insensitively.
  void register_class(std::string_view class_name, Creator creator);
  void unregister_class(std::string_view class_name);
  bool is_registered(std::string_view class_name) const;

  // Raises 429 when the class is not registered or its creator returns no object.
  ObjectPtr create(std::string_view class_name) const;

 private:
  std::map<std::string, Creator, std::less<>> creators_;
};

// CreateObject(name).
inline ObjectPtr create_object(std::string_view class_name) {
  return ObjectFactory::instance().create(class_name);
}

}  // namespace automation
