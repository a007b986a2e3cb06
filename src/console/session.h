// The automation session: one CLSMG_DORSEL instance driven the way a host application drives
// it, by JSON requests, one per line, each answered by one JSON line. It is how programs in
// other languages use the component without linking it, and how end-to-end tests drive it.
// The protocol is documented in the README. A session has its own runtime surroundings (number
// format, trace lines, prompts, today), installed on the calling thread for each request, so
// sessions on separate threads do not disturb each other; one session is used by one thread at
// a time.
#pragma once

#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "automation/ambient.h"
#include "automation/error.h"
#include "console/host_objects.h"
#include "console/options.h"
#include "console/prompts.h"
#include "data/connection.h"
#include "dorsel/frame/clsmg_dorsel.h"

namespace console {

class Session {
 public:
  // Opens the connection (client cursor location), registers the classes, creates the
  // instance and binds it (Connessione, and ActiveInterface unless no_host). Raises the
  // connection's error. The global object handed to the component is `host` when given (a
  // host application's own, reached by late binding like the reference host), else the
  // reference host over the connection; only the reference host takes the "host" request.
  explicit Session(const HostOptions& options, automation::ObjectPtr host = nullptr);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // One request line in, its answer line out (without the line end). Never throws: every
  // failure is an error answer.
  std::string handle(std::string_view line);

 private:
  std::string dispatch(const nlohmann::json& request);
  std::string recordset_request(const nlohmann::json& request);
  std::string host_request(const nlohmann::json& changes);
  void create_instance();
  automation::Variant resolve(const std::string& name);
  data::RecordsetPtr recordset_named(const std::string& name);

  HostOptions options_;
  data::ConnectionPtr connection_;
  std::shared_ptr<HostApplication> reference_host_;  // null when the caller gave its own
  automation::ObjectPtr host_;
  std::shared_ptr<dorsel::CLSMG_DORSEL> instance_;
  automation::Ambient ambient_;
  std::shared_ptr<ScriptedPrompt> prompt_;
  std::vector<std::string> trace_;
  std::map<std::string, data::RecordsetPtr> held_;
};

// The protocol's error answer: {"ok":false,"error":{"number","source","description"}}.
std::string error_answer(const automation::Error& error);

// Reads requests from `in` until its end, writing one answer line each to `out` (flushed).
// Returns the process exit code.
int run_session(const HostOptions& options, std::istream& in, std::ostream& out);

}  // namespace console
