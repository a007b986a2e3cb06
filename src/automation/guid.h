// GUIDs from the operating system's random source, in the usual four-field layout.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace automation {

struct Guid {
  std::uint32_t data1 = 0;
  std::uint16_t data2 = 0;
  std::uint16_t data3 = 0;
  std::array<std::uint8_t, 8> data4{};
};

// A new random GUID; nullopt when the platform cannot make one.
std::optional<Guid> create_guid();

// Replaces the generator (tests: a fixed GUID, or a failure). Pass nullptr to restore.
void set_guid_generator(std::function<std::optional<Guid>()> generator);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hexadecimal.
std::string to_registry_text(const Guid& guid);

}  // namespace automation
