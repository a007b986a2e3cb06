// `dorsel serve`: the browser console. An HTTP server (cpp-httplib) that serves the page built
// into the program and the JSON API of web_api.h, each request on a component of its own, and
// a folder of its own for attachment files, emptied and removed when the server stops.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "console/options.h"

namespace console::web {

struct ServeOptions {
  std::string bind = "127.0.0.1";  // loopback unless told otherwise
  int port = 8080;                 // 0: any free port (printed)
  int threads = 8;                 // requests served side by side
};

// The server itself, for the program and for programs that measure it: routes, limits and
// headers set up, the attachment folder made. Bind, then listen on one thread; stop from
// another. The folder goes with the object.
class WebServer {
 public:
  // Raises what opening the database raises (a wrong --db is reported before anything
  // listens) and 75 when the folder cannot be made.
  WebServer(const HostOptions& options, const ServeOptions& serve);
  ~WebServer();
  WebServer(const WebServer&) = delete;
  WebServer& operator=(const WebServer&) = delete;

  // The port it listens on (serve.port, or any free one for 0), or -1 when it cannot bind.
  int bind();
  // Serves until stop(); returns false when it could not listen.
  bool listen();
  void stop();

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

// Serves until SIGINT or SIGTERM. Once it listens, writes "dorsel serve: listening on
// http://BIND:PORT/" to `out`. Returns 0 after a stop, 1 when the database cannot be opened
// or the address cannot be bound (the reason is written to `err`).
int run_serve(const HostOptions& options, const ServeOptions& serve, std::ostream& out,
              std::ostream& err);

}  // namespace console::web
