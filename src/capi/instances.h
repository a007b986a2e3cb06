// The open instances of the C interface, by handle. A handle is a number that names an entry
// here, never an address the library follows, so a closed or made-up handle is found missing
// instead of being read. Numbers are never reused within a process.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "automation/object.h"
#include "console/options.h"
#include "console/session.h"

namespace capi {

struct Instance {
  Instance(const console::HostOptions& options, automation::ObjectPtr host)
      : session(options, std::move(host)) {}
  console::Session session;
  // Set while a request runs, so that a second thread is refused instead of sharing the
  // session.
  std::atomic<bool> busy{false};
};

using InstancePtr = std::shared_ptr<Instance>;

// All three are safe from any thread.
std::uintptr_t add_instance(InstancePtr instance);
// Null when the handle names no open instance.
InstancePtr find_instance(std::uintptr_t handle);
// Takes the instance out; null when the handle names no open instance.
InstancePtr remove_instance(std::uintptr_t handle);

}  // namespace capi
