#include "automation/ambient.h"

namespace automation {
namespace {

Ambient& process_ambient() {
  static Ambient ambient;
  return ambient;
}

thread_local Ambient* installed = nullptr;

}  // namespace

Ambient& current_ambient() { return installed != nullptr ? *installed : process_ambient(); }

ScopedAmbient::ScopedAmbient(Ambient& ambient) : previous_(installed) { installed = &ambient; }

ScopedAmbient::~ScopedAmbient() { installed = previous_; }

}  // namespace automation
