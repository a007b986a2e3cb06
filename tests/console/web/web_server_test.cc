#include "console/web/web_server.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "automation/error.h"
#include "console/demo.h"
#include "console/registration.h"

namespace console::web {
namespace {

class WebServerTest : public ::testing::Test {
 protected:
  WebServerTest() {
    char pattern[] = "/tmp/dorsel-web-server-test-XXXXXX";
    folder_ = mkdtemp(pattern);
    register_everything();
    options_.database = (folder_ / "demo.db").string();
    options_.temp = (folder_ / "temp").string();
    create_demo_database(options_.database);
  }
  ~WebServerTest() override { std::filesystem::remove_all(folder_); }

  std::filesystem::path folder_;
  HostOptions options_;
};

TEST_F(WebServerTest, ServesThePageAndApiWithItsHeadersAndRefusesTheRest) {
  ServeOptions serve;
  serve.port = 0;
  auto server = std::make_unique<WebServer>(options_, serve);
  const int port = server->bind();
  ASSERT_GT(port, 0);
  std::thread listener([&] { server->listen(); });
  // The attachment folder is the server's own, inside --temp.
  ASSERT_EQ(std::distance(std::filesystem::directory_iterator(folder_ / "temp"),
                          std::filesystem::directory_iterator()),
            1);

  httplib::Client client("127.0.0.1", port);
  httplib::Result page = client.Get("/");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_EQ(page->get_header_value("Content-Type"), "text/html; charset=utf-8");
  EXPECT_NE(page->get_header_value("Content-Security-Policy").find("script-src 'self'"),
            std::string::npos);
  EXPECT_EQ(page->get_header_value("X-Content-Type-Options"), "nosniff");
  EXPECT_NE(page->body.find("<script src=\"/console.js\""), std::string::npos);
  ASSERT_TRUE(client.Get("/console.js"));
  EXPECT_EQ(client.Get("/console.js")->get_header_value("Content-Type"),
            "text/javascript; charset=utf-8");

  httplib::Result found = client.Get("/api/find?by=code&text=VITE-M6X20");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->status, 200);
  EXPECT_NE(found->body.find("\"VITE-M6X20\""), std::string::npos);

  const struct {
    const char* what;
    httplib::Result result;
    int status;
  } refused[] = {
      {"unknown page", client.Get("/../etc/passwd"), 404},
      {"unknown endpoint", client.Get("/api/sql?text=DROP"), 404},
      {"another host name", client.Get("/api/companies", {{"Host", "attacker.example:80"}}), 403},
      {"a write", client.Post("/api/item", "code=X", "application/x-www-form-urlencoded"), 404},
  };
  for (const auto& r : refused) {
    SCOPED_TRACE(r.what);
    ASSERT_TRUE(r.result);
    EXPECT_EQ(r.result->status, r.status);
    EXPECT_NE(r.result->body.find("\"error\""), std::string::npos) << r.result->body;
  }

  server->stop();
  listener.join();
  server.reset();
  // Stopped: the folder and the files written into it are gone.
  EXPECT_TRUE(std::filesystem::is_empty(folder_ / "temp"));
}

TEST_F(WebServerTest, MissingDatabaseIsReportedBeforeListening) {
  options_.database = (folder_ / "missing.db").string();
  try {
    WebServer server(options_, ServeOptions{});
    FAIL() << "no error";
  } catch (const automation::Error& e) {
    EXPECT_EQ(e.number(), 53);
  }
  EXPECT_FALSE(std::filesystem::exists(folder_ / "missing.db"));
}

}  // namespace
}  // namespace console::web
