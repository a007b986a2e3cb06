#include "capi/instances.h"

#include <mutex>
#include <unordered_map>

namespace capi {
namespace {

struct Registry {
  std::mutex mutex;
  std::unordered_map<std::uintptr_t, InstancePtr> open;
  // Handles step by 16 from an odd-looking start, so no small integer or aligned pointer a
  // caller might pass by mistake is ever one.
  std::uintptr_t next = 0x5d0e5e1000;
};

Registry& registry() {
  // Never destroyed: a host may close instances from its own static destructors.
  static auto* instance = new Registry();
  return *instance;
}

}  // namespace

std::uintptr_t add_instance(InstancePtr instance) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  const std::uintptr_t handle = r.next;
  r.next += 16;
  r.open.emplace(handle, std::move(instance));
  return handle;
}

InstancePtr find_instance(std::uintptr_t handle) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  auto it = r.open.find(handle);
  return it == r.open.end() ? nullptr : it->second;
}

InstancePtr remove_instance(std::uintptr_t handle) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  auto it = r.open.find(handle);
  if (it == r.open.end()) return nullptr;
  InstancePtr instance = std::move(it->second);
  r.open.erase(it);
  return instance;
}

}  // namespace capi
