#include "console/web/web_server.h"

#include <httplib.h>
#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <ctime>
#include <ostream>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

#include "automation/error.h"
#include "console/options.h"
#include "console/registration.h"
#include "console/web/page_files.h"
#include "console/web/server_folder.h"
#include "console/web/web_api.h"

namespace console::web {
namespace {

constexpr std::size_t kMaxParams = 16;
constexpr std::size_t kMaxPayload = 64U << 10U;

const httplib::Headers& security_headers() {
  // The page runs its own script only, shows pictures from the server only, and nothing of it
  // is framed or sniffed.
  static const httplib::Headers kHeaders = {
      {"Content-Security-Policy",
       "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self'; "
       "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'"},
      {"X-Content-Type-Options", "nosniff"},
      {"Referrer-Policy", "no-referrer"},
      {"Cache-Control", "no-store"}};
  return kHeaders;
}

void send(httplib::Response& res, const Reply& reply) {
  res.status = reply.status;
  if (!reply.file_name.empty()) {
    // Names come from the catalogue: only a plain ASCII copy goes into the header.
    std::string safe;
    for (char c : reply.file_name) {
      safe += (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') ? c : '_';
    }
    res.set_header("Content-Disposition", std::string(reply.download ? "attachment" : "inline") +
                                              "; filename=\"" + safe + "\"");
  }
  res.set_content(reply.body, reply.content_type);
}

Reply refused(int status, const std::string& description) {
  const nlohmann::json body = {{"error",
                                {{"number", automation::errc::kInvalidProcedureCall},
                                 {"source", "dorsel serve"},
                                 {"description", description}}}};
  return {status,
          "application/json",
          body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace),
          {},
          false};
}

// A name a loopback server answers to. Other names would let a page of another site reach
// the server through a name of its own that resolves to this machine.
bool loopback_host(const std::string& host_header) {
  std::string host = host_header.substr(0, host_header.rfind(':'));
  if (host_header.starts_with("[")) host = host_header.substr(0, host_header.find(']') + 1);
  return host == "127.0.0.1" || host == "localhost" || host == "[::1]";
}

bool is_loopback_bind(const std::string& bind) {
  return bind == "127.0.0.1" || bind == "localhost" || bind == "::1";
}

// SIGINT and SIGTERM are taken by a thread of their own, which stops the server.
class StopOnSignal {
 public:
  explicit StopOnSignal(WebServer& server) {
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGINT);
    sigaddset(&signals_, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals_, &previous_);
    watcher_ = std::thread([this, &server] {
      const timespec tick{0, 200'000'000};
      while (!done_) {
        if (sigtimedwait(&signals_, nullptr, &tick) > 0) {
          server.stop();
          return;
        }
      }
    });
  }
  ~StopOnSignal() {
    done_ = true;
    watcher_.join();
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  }
  StopOnSignal(const StopOnSignal&) = delete;
  StopOnSignal& operator=(const StopOnSignal&) = delete;

 private:
  sigset_t signals_{};
  sigset_t previous_{};
  std::atomic<bool> done_{false};
  std::thread watcher_;
};

}  // namespace

struct WebServer::Parts {
  Parts(const HostOptions& options, const ServeOptions& serve_options)
      : serve(serve_options), folder(options.temp), api(options, folder.path()) {}
  ServeOptions serve;
  ServerFolder folder;
  WebApi api;
  httplib::Server server;
};

WebServer::WebServer(const HostOptions& options, const ServeOptions& serve) {
  register_everything();
  // Opened once here so a wrong database is reported now, not at the first request.
  open_host_connection(options)->Close();
  parts_ = std::make_unique<Parts>(options, serve);
  httplib::Server& server = parts_->server;
  WebApi& api = parts_->api;
  const bool loopback_only = is_loopback_bind(serve.bind);
  const int threads = serve.threads;
  server.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
  server.set_payload_max_length(kMaxPayload);
  server.set_read_timeout(5, 0);
  server.set_write_timeout(5, 0);
  server.set_keep_alive_max_count(100);
  // A response goes out in more than one write; without this the second waits for the
  // client's delayed acknowledgement (some 40 ms a request).
  server.set_tcp_nodelay(true);
  server.set_default_headers(security_headers());
  server.set_pre_routing_handler(
      [loopback_only](const httplib::Request& req, httplib::Response& res) {
        if (loopback_only && !loopback_host(req.get_header_value("Host"))) {
          send(res, refused(403, "This server answers to its loopback address only"));
          return httplib::Server::HandlerResponse::Handled;
        }
        if (req.params.size() > kMaxParams) {
          send(res, refused(400, "Too many parameters"));
          return httplib::Server::HandlerResponse::Handled;
        }
        return httplib::Server::HandlerResponse::Unhandled;
      });
  server.Get(R"(/api/([a-z]+))", [&api](const httplib::Request& req, httplib::Response& res) {
    Params params;
    for (const auto& [key, value] : req.params) params.emplace(key, value);
    send(res, api.handle(req.matches[1].str(), params));
  });
  server.Get(R"(/[a-z.]*)", [](const httplib::Request& req, httplib::Response& res) {
    std::optional<PageFile> file = page_file(req.path);
    if (!file) {
      send(res, refused(404, "There is no page \"" + req.path + "\""));
      return;
    }
    res.set_content(std::string(file->content), std::string(file->content_type));
  });
  server.set_error_handler([](const httplib::Request&, httplib::Response& res) {
    if (res.body.empty()) send(res, refused(res.status, "The request was refused"));
  });
  server.set_exception_handler(
      [](const httplib::Request&, httplib::Response& res, const std::exception_ptr&) {
        send(res, refused(500, "The request failed"));
      });
}

WebServer::~WebServer() = default;

int WebServer::bind() {
  httplib::Server& server = parts_->server;
  const ServeOptions& serve = parts_->serve;
  if (serve.port == 0) return server.bind_to_any_port(serve.bind);
  return server.bind_to_port(serve.bind, serve.port) ? serve.port : -1;
}

bool WebServer::listen() { return parts_->server.listen_after_bind(); }

void WebServer::stop() { parts_->server.stop(); }

int run_serve(const HostOptions& options, const ServeOptions& serve, std::ostream& out,
              std::ostream& err) {
  WebServer server(options, serve);
  const int port = server.bind();
  if (port <= 0) {
    err << "dorsel serve: cannot listen on " << serve.bind << ":" << serve.port << "\n";
    return 1;
  }
  StopOnSignal stop(server);
  out << "dorsel serve: listening on http://"
      << (serve.bind.find(':') != std::string::npos ? "[" + serve.bind + "]" : serve.bind) << ":"
      << port << "/" << std::endl;
  return server.listen() ? 0 : 1;
}

}  // namespace console::web
