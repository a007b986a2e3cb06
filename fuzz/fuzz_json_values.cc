// The session's JSON values: any JSON text is decoded into an automation value (or refused with
// the session's error) and the value is written back as JSON.
#include <cstddef>
#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "automation/error.h"
#include "console/json_values.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const nlohmann::json value = nlohmann::json::parse(text, nullptr, false);
  if (value.is_discarded()) return 0;
  const auto resolve = [](const std::string& name) -> automation::Variant {
    if (name == "nothing") return automation::Variant::nothing();
    throw automation::Error(automation::errc::kInvalidProcedureCall, "dorsel session", name);
  };
  automation::ignore_errors([&] {
    const automation::Variant decoded = console::variant_from_json(value, resolve);
    console::variant_to_json(decoded).dump(-1, ' ', false,
                                           nlohmann::json::error_handler_t::replace);
  });
  if (value.is_string()) {
    automation::ignore_errors([&] { console::base64_decode(value.get<std::string>()); });
  }
  return 0;
}
