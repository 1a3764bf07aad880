// The API of `quorsma serve` against the server as a real process.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <fstream>
#include <thread>

#include "serve_test_support.h"

namespace quorsma::tool::http::testing {
namespace {

using nlohmann::json;
using quorsma::testing::UniqueSectionName;

json Body(const httplib::Result& result) {
  EXPECT_TRUE(result) << "no answer";
  return result ? json::parse(result->body, nullptr, false) : json();
}

// A device object of an answer by operand.
json Device(const json& list, const std::string& operand) {
  for (const json& d : list)
    if (d.value("operand", "") == operand) return d;
  return json();
}

// A socket to the server that the test drives by hand.
int Connect(int port, int receive_buffer = 0) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (receive_buffer > 0) setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receive_buffer, sizeof receive_buffer);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  return fd;
}
void Send(int fd, const std::string& text) { ASSERT_EQ(write(fd, text.data(), text.size()), ssize_t(text.size())); }

class ServeApiTest : public ::testing::Test {
 protected:
  std::string section = UniqueSectionName("serve");
};

TEST_F(ServeApiTest, ReadsValuesCommentsAndInfoWithoutSideEffects) {
  ServeProcess server(section, {});
  ASSERT_TRUE(server.running()) << server.output();
  ASSERT_EQ(server.Tool({"set", "W100", "-1234"}).exit_code, 0);
  ASSERT_EQ(server.Tool({"set", "X1F", "1"}).exit_code, 0);
  ASSERT_EQ(server.Tool({"comment", "set", "W", "100", "시작 버튼"}).exit_code, 0);
  auto client = server.Client();

  const json info = Body(client->Get("/api/info"));
  EXPECT_EQ(info["section"], section);
  EXPECT_EQ(info["writes"]["allowed"], false);
  EXPECT_EQ(info["log"]["collecting"], false);
  EXPECT_FALSE(info["version"].get<std::string>().empty());
  EXPECT_NE(info["configuration"].get<std::string>().find("_Configuration.ini"), std::string::npos);

  const json list = Body(client->Get("/api/devices?operands=W0FF..W101,X1E..X1F,T0,K4X1C"));
  ASSERT_EQ(list.size(), 7u);
  EXPECT_EQ(Device(list, "W100")["value"], -1234);
  EXPECT_EQ(Device(list, "W100")["comment"], "시작 버튼");
  EXPECT_EQ(Device(list, "X1F")["value"], 1);
  EXPECT_EQ(Device(list, "K4X1C")["value"], 8);
  EXPECT_EQ(Device(list, "T0")["timer"]["set"], 0);
  EXPECT_EQ(Body(client->Get("/api/comments?operands=W100"))[0]["comment"], "시작 버튼");

  // Bad watch lists are refused with a reason.
  for (const char* bad : {"", "D", "Q1", "K5", "D100..X5", "D0..D20000", "D0..D9999,D10000..D19999"}) {
    auto result = client->Get((std::string("/api/devices?operands=") + bad).c_str());
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 400) << bad;
    EXPECT_FALSE(json::parse(result->body)["error"].get<std::string>().empty()) << bad;
  }
}

TEST_F(ServeApiTest, RefusedWritesLeaveTheImageUnchanged) {
  ServeProcess server(section, {"--allow-write", "W100..W10F,Y0..Y7,M5"});
  ASSERT_TRUE(server.running()) << server.output();
  ASSERT_EQ(server.token().size(), 64u) << server.output();
  auto client = server.Client();
  const auto token = server.Bearer(server.token());
  struct Case {
    const char* name;
    httplib::Headers headers;
    std::string body;
    int status;
  };
  const Case cases[] = {
      {"no token", {}, R"([{"operand":"W100","value":5}])", 403},
      {"wrong token", server.Bearer(server.token() + "0"), R"([{"operand":"W100","value":5}])", 403},
      {"token of other length", server.Bearer("abc"), R"([{"operand":"W100","value":5}])", 403},
      {"outside the ranges, after a good item", token, R"([{"operand":"W100","value":5},{"operand":"W110","value":1}])", 403},
      {"bit suffix outside", token, R"([{"operand":"W100","value":5},{"operand":"WFF.1","value":1}])", 403},
      {"read-only device", token, R"([{"operand":"W100","value":5},{"operand":"T0","value":1}])", 400},
      {"bad operand", token, R"([{"operand":"W100","value":5},{"operand":"W1G","value":1}])", 400},
      {"bit value 2", token, R"([{"operand":"W100","value":5},{"operand":"Y1","value":2}])", 400},
      {"value beyond 32 bits", token, R"([{"operand":"W100","value":4294967296}])", 400},
      {"value not a number", token, R"([{"operand":"W100","value":"5"}])", 400},
      {"fraction", token, R"([{"operand":"W100","value":1.5}])", 400},
      {"not JSON", token, "W100=5", 400},
      {"not a list", token, R"({"operand":"W100","value":5})", 400},
      {"empty list", token, "[]", 400},
  };
  // Compared with the values at the start, whatever earlier tests left.
  const json before = Body(client->Get("/api/devices?operands=W100..W10F,Y0..Y7"));
  for (const Case& c : cases) {
    auto result = client->Post("/api/devices", c.headers, c.body, "application/json");
    ASSERT_TRUE(result) << c.name;
    EXPECT_EQ(result->status, c.status) << c.name << ": " << result->body;
    EXPECT_TRUE(json::parse(result->body).contains("error")) << c.name;
  }
  EXPECT_EQ(Body(client->Get("/api/devices?operands=W100..W10F,Y0..Y7")), before);

  // A good batch is written whole, through the library, and answered with
  // the values now held; an index register resolves to the cell it reaches.
  ASSERT_EQ(server.Tool({"set", "Z1", "3"}).exit_code, 0);
  const json written = Body(client->Post(
      "/api/devices", token, R"([{"operand":"W100","value":-5},{"operand":"Y7","value":true},{"operand":"W100Z1","value":9}])",
      "application/json"));
  ASSERT_EQ(written.size(), 3u) << written.dump();
  EXPECT_EQ(written[2]["operand"], "W103");
  const ChildResult get = server.Tool({"get", "W100", "Y7", "W103"});
  EXPECT_NE(get.out.find("-5"), std::string::npos) << get.out;
  EXPECT_EQ(Device(Body(client->Get("/api/devices?operands=Y7,W103")), "W103")["value"], 9);
  // With Z1 = 16 the same operand reaches W110, which is refused.
  ASSERT_EQ(server.Tool({"set", "Z1", "16"}).exit_code, 0);
  EXPECT_EQ(client->Post("/api/devices", token, R"([{"operand":"W100Z1","value":1}])", "application/json")->status, 403);
}

TEST_F(ServeApiTest, ARegisterBitPermissionGrantsThatBitAlone) {
  ServeProcess server(section, {"--allow-write", "W120.3"});
  ASSERT_TRUE(server.running()) << server.output();
  auto client = server.Client();
  const auto token = server.Bearer(server.token());
  ASSERT_EQ(server.Tool({"set", "W120", "0"}).exit_code, 0);
  EXPECT_EQ(client->Post("/api/devices", token, R"([{"operand":"W120","value":255}])", "application/json")->status, 403);
  EXPECT_EQ(client->Post("/api/devices", token, R"([{"operand":"W120.4","value":1}])", "application/json")->status, 403);
  EXPECT_EQ(client->Post("/api/devices", token, R"([{"operand":"W120.3","value":1}])", "application/json")->status, 200);
  EXPECT_EQ(Device(Body(client->Get("/api/devices?operands=W120")), "W120")["value"], 8) << "bit 3 alone";
}

TEST_F(ServeApiTest, CommentsNeedTheTokenAndTextThatCp949Holds) {
  ServeProcess server(section, {"--allow-write", "D100"});
  ASSERT_TRUE(server.running()) << server.output();
  auto client = server.Client();
  const auto token = server.Bearer(server.token());
  EXPECT_EQ(client->Put("/api/comments", R"([{"operand":"D100","comment":"x"}])", "application/json")->status, 403);
  EXPECT_EQ(client->Put("/api/comments", token, R"([{"operand":"D101","comment":"x"}])", "application/json")->status,
            403);
  for (const std::string& bad : std::vector<std::string>{"\"😀\"", "\"a\\nb\"", "\"" + std::string(128, '\xEA') + "\""}) {
    const std::string body = R"([{"operand":"D100","comment":)" + bad + "}]";
    EXPECT_EQ(client->Put("/api/comments", token, body, "application/json")->status, 400) << bad;
  }
  std::string long_korean;
  for (int i = 0; i < 128; ++i) long_korean += "가";  // 256 bytes in CP949
  EXPECT_EQ(client->Put("/api/comments", token, R"([{"operand":"D100","comment":")" + long_korean + "\"}]",
                        "application/json")->status,
            400);
  const json set =
      Body(client->Put("/api/comments", token, R"([{"operand":"D100","comment":"정지 버튼"}])", "application/json"));
  ASSERT_EQ(set.size(), 1u) << set.dump();
  EXPECT_EQ(set[0]["comment"], "정지 버튼");
  EXPECT_NE(server.Tool({"comment", "get", "D100"}).out.find("정지 버튼"), std::string::npos);
}

TEST_F(ServeApiTest, TokenFileAndRefusedOptions) {
  const std::string path = ::testing::TempDir() + "/" + section + ".token";
  std::ofstream(path) << "s3cret\r\nsecond line\n";
  {
    ServeProcess server(section, {"--allow-write", "D0", "--token-file", path});
    ASSERT_TRUE(server.running()) << server.output();
    EXPECT_EQ(server.output().find("s3cret"), std::string::npos) << "the file's token is not printed";
    auto client = server.Client();
    EXPECT_EQ(client->Post("/api/devices", server.Bearer("s3cret"), R"([{"operand":"D0","value":1}])",
                           "application/json")->status,
              200);
  }
  // Without --allow-write no token opens writes.
  {
    ServeProcess server(section, {"--token-file", path});
    ASSERT_TRUE(server.running()) << server.output();
    EXPECT_EQ(server.Client()->Post("/api/devices", server.Bearer("s3cret"), R"([{"operand":"D0","value":1}])",
                                    "application/json")->status,
              403);
  }
  std::ofstream(path) << "\n";
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--token-file", path}, {"--allow-write", "D0..X1"}, {"--listen", "127.0.0.1"}, {"--interval", "0"}}) {
    std::vector<std::string> all = {"serve"};
    all.insert(all.end(), args.begin(), args.end());
    const ChildResult result = quorsma::testing::RunChild(QSMA_TEST_TOOL, all, {{"QUORSMA_SECTION", section}});
    EXPECT_NE(result.exit_code, 0) << args[0];
    EXPECT_FALSE(result.err.empty()) << args[0];
  }
  std::remove(path.c_str());
}

TEST_F(ServeApiTest, BoundsHostsAndNoCrossOriginHeaders) {
  ServeProcess server(section, {"--allow-write", "D0", "--token-file", "/dev/null"});
  // An empty token file refuses to start.
  EXPECT_FALSE(server.running());
  ServeProcess open(section + "b", {});
  ASSERT_TRUE(open.running()) << open.output();
  auto client = open.Client();
  EXPECT_EQ(client->Get(("/api/devices?operands=" + std::string(8100, 'D')).c_str())->status, 414);
  EXPECT_EQ(client->Post("/api/devices", std::string(2 << 20, '['), "application/json")->status, 413);
  auto form = client->Post("/api/devices", std::string(10000, '['), "application/x-www-form-urlencoded");
  ASSERT_TRUE(form);
  EXPECT_EQ(form->status, 413);
  EXPECT_NE(form->body.find("application/json"), std::string::npos) << form->body;
  // The port is taken: a second server says so and ends.
  const ChildResult taken = open.Tool({"serve", "--listen", "127.0.0.1:" + std::to_string(open.port())});
  EXPECT_EQ(taken.exit_code, 1);
  EXPECT_NE(taken.err.find("cannot listen"), std::string::npos) << taken.err;
  EXPECT_EQ(client->Get("/api/info", {{"Host", "example.com"}})->status, 403);
  EXPECT_EQ(client->Get("/api/info", {{"Host", "localhost:80"}})->status, 200);
  auto page = client->Get("/", {{"Origin", "http://example.com"}});
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_NE(page->body.find("<table"), std::string::npos);
  EXPECT_NE(page->get_header_value("Content-Type").find("text/html"), std::string::npos);
  for (const auto& header : page->headers) EXPECT_NE(header.first.rfind("Access-Control-", 0), 0u) << header.first;
  auto options = client->Options("/api/devices");
  ASSERT_TRUE(options);
  EXPECT_FALSE(options->has_header("Access-Control-Allow-Origin"));
}

TEST_F(ServeApiTest, EventsDeliverChangesAndCollectedLines) {
  ServeProcess server(section, {"--collect", "--interval", "50"});
  ASSERT_TRUE(server.running()) << server.output();
  // The collector lock is held: a second collector is refused.
  const ChildResult second = server.Tool({"serve", "--listen", "127.0.0.1:0", "--collect"});
  EXPECT_EQ(second.exit_code, 1);
  EXPECT_NE(second.err.find("another collector is running"), std::string::npos) << second.err;
  // Logging on: changed link registers give lines (and, unlike data
  // registers, are never saved to the installation's retentive file).
  ASSERT_NE(server.Child({"log-on"}).exit_code, -1);

  auto client = server.Client();
  std::string stream;
  bool set = false, changed = false, logged = false;
  auto result = client->Get("/api/events?operands=W100,Y0", [&](const char* data, size_t length) {
    stream.append(data, length);
    if (!set && stream.find("event: values") != std::string::npos) {
      set = true;
      EXPECT_EQ(server.Tool({"set", "W100", "77"}).exit_code, 0);
    }
    changed = changed || stream.find("event: change\ndata: [{\"operand\":\"W100\",\"value\":77") != std::string::npos;
    logged = logged || stream.find("event: log\ndata: {") != std::string::npos;
    return !(changed && logged);
  });
  EXPECT_TRUE(changed) << stream;
  EXPECT_TRUE(logged) << stream;
}

TEST_F(ServeApiTest, EnableSwitchesLoggingOnWhileCollecting) {
  ServeProcess server(section, {"--collect", "--enable"});
  ASSERT_TRUE(server.running()) << server.output();
  auto client = server.Client();
  EXPECT_EQ(Body(client->Get("/api/info"))["log"]["enable"], true);
  // Without --collect there is nothing for --enable to feed.
  EXPECT_EQ(server.Tool({"serve", "--listen", "127.0.0.1:0", "--enable"}).exit_code, 2);
  const ChildResult stopped = server.Stop(SIGTERM);
  EXPECT_EQ(stopped.exit_code, 0) << stopped.err;
}

TEST_F(ServeApiTest, StalledClientsDoNotHoldOthersAndSignalsStopCleanly) {
  ServeProcess server(section, {});
  ASSERT_TRUE(server.running()) << server.output();
  std::vector<int> sockets;
  // Clients that never finish their request...
  for (int i = 0; i < 10; ++i) {
    sockets.push_back(Connect(server.port()));
    Send(sockets.back(), "GET /api/info HTTP/1.1\r\nHost: 127.0.0.1\r\n");
  }
  // ...and event streams that never read what they asked for.
  for (int i = 0; i < 3; ++i) {
    sockets.push_back(Connect(server.port(), 4096));
    Send(sockets.back(), "GET /api/events?operands=D0..D9999 HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  auto client = server.Client(3);
  for (int i = 0; i < 5; ++i) {
    auto result = client->Get("/api/devices?operands=D0..D99");
    ASSERT_TRUE(result) << "request " << i << " went unanswered";
    EXPECT_EQ(result->status, 200);
  }
  const ChildResult stopped = server.Stop(SIGINT);
  EXPECT_EQ(stopped.exit_code, 0) << stopped.err;
  EXPECT_NE(stopped.out.find("stopped"), std::string::npos);
  for (int fd : sockets) close(fd);
}

// The page's helpers: which devices look editable (exactly what a write may
// reach), the trends' history and its bounds, and the program view when no
// runner publishes one.
TEST_F(ServeApiTest, WritableHistoryAndProgramViewKeepTheirBounds) {
  ServeProcess server(section, {"--allow-write", "W100..W10F,Y0..Y7,M5,W120.3", "--interval", "20"});
  ASSERT_TRUE(server.running()) << server.output();
  auto client = server.Client();
  const json writable = Body(client->Get("/api/writable?operands=W100,W110,Y7,Y8,M5,M6,W120.3,W120.4,W120,T0"));
  std::string yes;
  for (const json& w : writable)
    if (w["writable"] == true) yes += w["operand"].get<std::string>() + " ";
  EXPECT_EQ(yes, "W100 Y7 M5 W120.3 ") << writable.dump();
  ServeProcess reader(UniqueSectionName("serve_ro"), {});
  ASSERT_TRUE(reader.running()) << reader.output();
  EXPECT_EQ(Body(reader.Client()->Get("/api/writable?operands=D0"))[0]["writable"], false);

  struct Case {
    std::string target;
    int status;
  } cases[] = {
      {"/api/history?operands=W100,Y7", 200},
      {"/api/history?operands=W100&after=12x", 400},
      {"/api/history?operands=W1G", 400},
      {"/api/history?operands=D0..D64", 400},  // 65 devices: more than a trend holds
      {"/api/history?operands=D0..D63", 200},
      {"/api/program", 200},
      {"/api/scan", 200},
  };
  for (const Case& c : cases) {
    auto result = client->Get(c.target.c_str());
    ASSERT_TRUE(result) << c.target;
    EXPECT_EQ(result->status, c.status) << c.target << ": " << result->body;
  }
  // D0..D63 took every place, so W100 was dropped: kept anew from now on.
  // Samples accumulate at the interval, null before a device was asked for.
  const json anew = Body(client->Get("/api/history?operands=W100"));
  for (const json& v : anew["series"][0]["values"]) EXPECT_TRUE(v.is_null()) << anew.dump();
  ASSERT_EQ(server.Tool({"set", "W100", "42"}).exit_code, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const json history = Body(client->Get("/api/history?operands=W100,W101"));
  ASSERT_GE(history["times"].size(), 5u) << history.dump();
  EXPECT_EQ(history["series"][0]["values"].back(), 42);
  EXPECT_TRUE(history["series"][1]["values"].front().is_null()) << history.dump();
  const int64_t last = history["times"].back();
  const json later = Body(client->Get(("/api/history?operands=W100&after=" + std::to_string(last)).c_str()));
  for (const json& t : later["times"]) EXPECT_GT(t.get<int64_t>(), last);
  EXPECT_TRUE(Body(client->Get("/api/program"))["program"].is_null());
}

}  // namespace
}  // namespace quorsma::tool::http::testing
