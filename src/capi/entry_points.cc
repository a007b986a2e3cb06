// The C interface's functions: each checks what it is handed, runs the C++ inside one catch-all
// and turns every failure into the session protocol's error answer, so no exception and no bad
// pointer gets past the boundary.
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <string_view>

#include "automation/error.h"
#include "capi/callback_host.h"
#include "capi/instances.h"
#include "capi/reply.h"
#include "console/registration.h"
#include "console/session.h"
#include "console/version.h"
#include "dorsel/dorsel.h"
#include "dorsel/frame/clsmg_dorsel.h"

namespace {

constexpr const char* kSource = "dorsel";
// A request larger than this is refused before it is parsed.
constexpr std::size_t kMaxRequestBytes = std::size_t{64} << 20;

automation::Error bad_call(const std::string& why) {
  return {automation::errc::kInvalidProcedureCall, kSource, why};
}

// A malloc'd, NUL-terminated copy that the caller releases with dorsel_free; null when memory
// runs out.
char* to_caller(std::string_view text) {
  auto* buffer = static_cast<char*>(std::malloc(text.size() + 1));
  if (buffer == nullptr) return nullptr;
  std::memcpy(buffer, text.data(), text.size());
  buffer[text.size()] = '\0';
  return buffer;
}

char* error_to_caller(const automation::Error& error) {
  try {
    return to_caller(console::error_answer(error));
  } catch (...) {
    return nullptr;
  }
}

std::uintptr_t handle_number(const dorsel_instance* instance) {
  return reinterpret_cast<std::uintptr_t>(instance);
}

dorsel_instance* handle_pointer(std::uintptr_t number) {
  return reinterpret_cast<dorsel_instance*>(number);  // NOLINT(performance-no-int-to-ptr)
}

std::string text_or_empty(const char* text) { return text == nullptr ? std::string() : text; }

console::HostOptions host_options(const dorsel_options& options) {
  console::HostOptions host;
  host.database = text_or_empty(options.database);
  host.connect = text_or_empty(options.connect);
  if (host.database.empty() && host.connect.empty()) {
    throw bad_call("the options name no database and no connection string");
  }
  if (options.company < std::numeric_limits<std::int32_t>::min() ||
      options.company > std::numeric_limits<std::int32_t>::max()) {
    throw automation::Error(automation::errc::kOverflow, kSource);
  }
  host.company = static_cast<std::int32_t>(options.company);
  host.language = text_or_empty(options.language);
  host.no_host = options.no_host != 0;
  host.decimal_comma = options.decimal_comma != 0;
  host.temp = text_or_empty(options.temp);
  return host;
}

capi::InstancePtr open_instance(const dorsel_options* options) {
  if (options == nullptr) throw bad_call("no options");
  if (options->struct_size != sizeof(dorsel_options)) {
    throw bad_call("dorsel_options.struct_size is not sizeof(dorsel_options)");
  }
  console::HostOptions host = host_options(*options);
  automation::ObjectPtr own_host;
  if (options->host != nullptr) {
    if (options->host->struct_size != sizeof(dorsel_host)) {
      throw bad_call("dorsel_host.struct_size is not sizeof(dorsel_host)");
    }
    own_host = capi::make_callback_host(*options->host);
  }
  console::register_everything();
  return std::make_shared<capi::Instance>(host, std::move(own_host));
}

std::string answer_request(dorsel_instance* handle, const char* request, std::size_t length) {
  capi::InstancePtr instance = capi::find_instance(handle_number(handle));
  if (!instance) throw bad_call("no open instance has this handle (closed, or never opened)");
  if (request == nullptr) throw bad_call("no request (a null pointer)");
  if (length > kMaxRequestBytes) throw bad_call("a request is at most 64 MiB");
  if (instance->busy.exchange(true, std::memory_order_acquire)) {
    throw bad_call("the instance is in use by another thread");
  }
  struct Release {
    capi::Instance& instance;
    ~Release() { instance.busy.store(false, std::memory_order_release); }
  } release{*instance};
  return instance->session.handle(std::string_view(request, length));
}

}  // namespace

extern "C" {

const char* dorsel_version(void) { return console::version().data(); }

void dorsel_options_init(dorsel_options* options) {
  if (options == nullptr) return;
  *options = dorsel_options{};
  options->struct_size = sizeof(dorsel_options);
  options->company = 1;
}

int dorsel_open(const dorsel_options* options, dorsel_instance** out, char** error_answer) {
  if (error_answer != nullptr) *error_answer = nullptr;
  if (out != nullptr) *out = nullptr;
  auto fail = [&](const automation::Error& error) {
    if (error_answer != nullptr) *error_answer = error_to_caller(error);
    return error.number() != 0 ? static_cast<int>(error.number())
                               : automation::errc::kInvalidProcedureCall;
  };
  try {
    if (out == nullptr) return fail(bad_call("no place for the handle (a null pointer)"));
    capi::InstancePtr instance = open_instance(options);
    *out = handle_pointer(capi::add_instance(std::move(instance)));
    return 0;
  } catch (const automation::Error& e) {
    return fail(e);
  } catch (const std::bad_alloc&) {
    return fail(automation::Error(automation::errc::kOutOfMemory, kSource));
  } catch (const std::exception& e) {
    return fail(bad_call(e.what()));
  } catch (...) {
    return fail(bad_call("unexpected failure"));
  }
}

char* dorsel_request(dorsel_instance* instance, const char* request, size_t length) {
  try {
    return to_caller(answer_request(instance, request, length));
  } catch (const automation::Error& e) {
    return error_to_caller(e);
  } catch (const std::bad_alloc&) {
    return error_to_caller(automation::Error(automation::errc::kOutOfMemory, kSource));
  } catch (const std::exception& e) {
    return error_to_caller(bad_call(e.what()));
  } catch (...) {
    return error_to_caller(bad_call("unexpected failure"));
  }
}

int dorsel_close(dorsel_instance* instance) {
  try {
    // The last reference goes here, unless a request on another thread still runs: then
    // the instance ends with that request.
    return capi::remove_instance(handle_number(instance)) ? 0 : 1;
  } catch (...) {
    return 1;
  }
}

void dorsel_free(void* buffer) { std::free(buffer); }

int dorsel_member_kind(const char* name) {
  if (name == nullptr) return 0;
  try {
    switch (dorsel::CLSMG_DORSEL::member_kind(name)) {
      case automation::MemberKind::kMethod:
        return 2;
      case automation::MemberKind::kProperty:
        return 1;
      case automation::MemberKind::kNone:
        return 0;
    }
  } catch (...) {
  }
  return 0;
}

void dorsel_reply_text(dorsel_reply* reply, const char* text, size_t length) {
  if (reply == nullptr) return;
  try {
    reply->value = automation::Variant(text == nullptr ? std::string() : std::string(text, length));
    reply->has_value = true;
  } catch (...) {
    reply->error = automation::Error(automation::errc::kOutOfMemory, kSource);
  }
}

void dorsel_reply_long(dorsel_reply* reply, long value) {
  if (reply == nullptr) return;
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    try {
      reply->error = automation::Error(automation::errc::kOverflow, "HostApplication");
    } catch (...) {
    }
    return;
  }
  reply->value = automation::Variant(static_cast<std::int32_t>(value));
  reply->has_value = true;
}

void dorsel_reply_error(dorsel_reply* reply, long number, const char* source,
                        const char* description) {
  if (reply == nullptr) return;
  try {
    const auto code = number == 0 || number < std::numeric_limits<std::int32_t>::min() ||
                              number > std::numeric_limits<std::int32_t>::max()
                          ? 440
                          : static_cast<std::int32_t>(number);
    reply->error = automation::Error(code, source == nullptr ? "HostApplication" : source,
                                     text_or_empty(description));
  } catch (...) {
  }
}

}  // extern "C"
