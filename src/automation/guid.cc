#include "automation/guid.h"

#include <uuid/uuid.h>

#include <cstdio>

namespace automation {
namespace {

std::optional<Guid> system_guid() {
  uuid_t bytes;
  // The random generator reads the kernel's random source; a GUID is never made from time
  // and address, so two instances cannot share one.
  uuid_generate_random(bytes);
  Guid guid;
  guid.data1 = static_cast<std::uint32_t>(bytes[0]) << 24 |
               static_cast<std::uint32_t>(bytes[1]) << 16 |
               static_cast<std::uint32_t>(bytes[2]) << 8 | static_cast<std::uint32_t>(bytes[3]);
  guid.data2 = static_cast<std::uint16_t>(bytes[4] << 8 | bytes[5]);
  guid.data3 = static_cast<std::uint16_t>(bytes[6] << 8 | bytes[7]);
  for (int i = 0; i < 8; ++i) guid.data4[static_cast<std::size_t>(i)] = bytes[8 + i];
  return guid;
}

std::function<std::optional<Guid>()>& generator() {
  static std::function<std::optional<Guid>()> current;
  return current;
}

}  // namespace

std::optional<Guid> create_guid() {
  if (generator()) return generator()();
  return system_guid();
}

void set_guid_generator(std::function<std::optional<Guid>()> replacement) {
  generator() = std::move(replacement);
}

std::string to_registry_text(const Guid& g) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                g.data1, g.data2, g.data3, g.data4[0], g.data4[1], g.data4[2], g.data4[3],
                g.data4[4], g.data4[5], g.data4[6], g.data4[7]);
  return buffer;
}

}  // namespace automation
