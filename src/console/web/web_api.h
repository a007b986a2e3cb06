// The browser console's JSON API, apart from HTTP so it can be driven in-process. Every
// answer is built by the component's own loaders, panel methods, lookups, price views and
// attachment methods on an instance of the request's own (ComponentScope); no request carries
// SQL, and every text that reaches a query is quoted or proved a plain number.
//
// Endpoints (GET, parameters in the query string; company and language on each):
//   companies                          the host's companies and the languages it translates to
//   find      by=code|description|alias text=...      at most 50 items {code, description}
//   item      code=...                 the item and every panel in the viewer's order
//   panel     code=... name=PANEL      one panel
//   explain   code=... view=sales|purchase|last row=N   the net price of a view row, step by step
//   intrastat code=...                 the nomenclature history, one row per year and type
//   attachment code=... id=N           a catalogue image or document of the item, as a file
// A failure is {"error": {number, source, description}} with status 400 (a request the API
// refuses: number 5), 404 (no such endpoint, item or attachment) or 500 (the component's
// error, as it raised it). Thread-safe: requests run side by side.
#pragma once

#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

#include "console/options.h"
#include "console/web/connection_pool.h"

namespace console::web {

struct Reply {
  int status = 200;
  std::string content_type = "application/json";
  std::string body;
  std::string file_name;  // a file's name, for the Content-Disposition header
  bool download = false;  // offered for download rather than shown
};

using Params = std::map<std::string, std::string, std::less<>>;

// Bounds on what a request may ask and an answer may carry.
inline constexpr std::size_t kMaxParamLength = 200;
inline constexpr std::size_t kMaxItemCodeLength = 30;
inline constexpr int kMaxFound = 50;
inline constexpr std::size_t kMaxPanelRows = 2000;
inline constexpr std::uintmax_t kMaxFileBytes = 64U << 20U;

class WebApi {
 public:
  // `files` is the folder the attachments are written to (it must exist); the server owns it.
  WebApi(const HostOptions& options, std::filesystem::path files);

  // Answers `endpoint` (the path after "/api/"). Never throws.
  Reply handle(std::string_view endpoint, const Params& params);

 private:
  Reply dispatch(std::string_view endpoint, const Params& params);
  Reply companies();
  Reply find(const Params& params);
  Reply item(const Params& params);
  Reply panel(const Params& params);
  Reply explain(const Params& params);
  Reply intrastat(const Params& params);
  Reply attachment(const Params& params);

  ConnectionPool pool_;
  std::filesystem::path files_;
  // Two requests for one attachment must not write its file at the same time.
  std::mutex files_mutex_;
};

}  // namespace console::web
