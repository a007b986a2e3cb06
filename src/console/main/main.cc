// dorsel: the reference host's program. It creates databases with the ERP schema and the demo
// data, runs the automation session, and shows an item's panels to a person.
#include <CLI/CLI.hpp>

#include <clocale>
#include <iostream>

#include "automation/error.h"
#include "console/demo.h"
#include "console/panel_viewer.h"
#include "console/registration.h"
#include "console/schema.h"
#include "console/session.h"
#include "console/version.h"
#include "data/connection.h"
#ifdef DORSEL_WITH_WEB
#include "console/web/web_server.h"
#endif

namespace {

void add_host_options(CLI::App* command, console::HostOptions* options) {
  command->add_option("--db", options->database, "SQLite database file");
  command->add_option(
      "--connect", options->connect,
      "connection string (Provider=SQLite;Data Source=FILE, Driver=...;..., DSN=...)");
  command->add_option("--company", options->company, "company code (default 1)");
  command->add_option("--language", options->language, "company language (default \"ITA \")");
  command->add_flag("--no-host", options->no_host, "do not hand the host object to the component");
  command->add_flag("--decimal-comma", options->decimal_comma, "Italian number format");
  command->add_option("--temp", options->temp, "folder for attachment files");
}

int create_database(const std::string& target, bool with_demo) {
  console::register_everything();
  if (target.find('=') == std::string::npos) {
    if (with_demo) {
      console::create_demo_database(target);
    } else {
      console::create_database_file(target)->Close();
    }
    return 0;
  }
  auto connection = data::Connection::create();
  connection->Open(target);
  console::create_schema(*connection);
  if (with_demo) console::create_demo(*connection);
  connection->Close();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // The number format follows the user's locale, as the original runtime's did.
  std::setlocale(LC_NUMERIC, "");
  CLI::App app{"dorsel: the item-master business object's reference host"};
  app.set_version_flag("--version", std::string(console::version()));
  app.require_subcommand(1);

  std::string schema_target;
  CLI::App* schema = app.add_subcommand("schema", "create an empty database with the ERP schema");
  schema->add_option("target", schema_target, "SQLite file or connection string")->required();

  std::string demo_target;
  CLI::App* demo = app.add_subcommand("demo", "create the demo database");
  demo->add_option("target", demo_target, "SQLite file or connection string")->required();

  console::HostOptions session_options;
  CLI::App* session =
      app.add_subcommand("session", "JSON-lines automation session on stdin/stdout");
  add_host_options(session, &session_options);

  console::HostOptions show_options;
  std::string item;
  std::vector<std::string> panels;
  std::string format = "table";
  CLI::App* show = app.add_subcommand("show", "show an item's panels");
  add_host_options(show, &show_options);
  show->add_option("item", item, "item code")->required();
  show->add_option("panels", panels, "panel names (default: all)");
  show->add_option("--format", format, "table or json")->check(CLI::IsMember({"table", "json"}));

#ifdef DORSEL_WITH_WEB
  console::HostOptions serve_options;
  console::web::ServeOptions serve_web;
  CLI::App* serve = app.add_subcommand("serve", "the item console in the browser");
  add_host_options(serve, &serve_options);
  serve->add_option("--bind", serve_web.bind, "address to listen on (default 127.0.0.1)");
  serve->add_option("--port", serve_web.port, "port (default 8080; 0: any free port)")
      ->check(CLI::Range(0, 65535));
#endif

  CLI11_PARSE(app, argc, argv);

  try {
    if (*schema) return create_database(schema_target, false);
    if (*demo) return create_database(demo_target, true);
    if (*session) {
      if (session_options.database.empty() && session_options.connect.empty()) {
        std::cerr << "dorsel session: --db or --connect is required\n";
        return 2;
      }
      return console::run_session(session_options, std::cin, std::cout);
    }
#ifdef DORSEL_WITH_WEB
    if (*serve) {
      if (serve_options.database.empty() && serve_options.connect.empty()) {
        std::cerr << "dorsel serve: --db or --connect is required\n";
        return 2;
      }
      return console::web::run_serve(serve_options, serve_web, std::cout, std::cerr);
    }
#endif
    if (show_options.database.empty() && show_options.connect.empty()) {
      std::cerr << "dorsel show: --db or --connect is required\n";
      return 2;
    }
    return console::run_show(
        show_options, item, panels,
        format == "json" ? console::ViewFormat::kJson : console::ViewFormat::kTable, std::cout,
        std::cerr);
  } catch (const automation::Error& e) {
    std::cerr << "dorsel: error " << e.number() << ": " << e.description()
              << "\n  source: " << e.source() << "\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "dorsel: " << e.what() << "\n";
    return 1;
  }
}
