// `quorsma serve` against hostile clients, as a real process: ambiguous,
// malformed and oversize requests, floods, slow senders.  Each case is one
// the server once failed (it buffered whole bodies before refusing them,
// took headers without end, let slow senders stall everyone and its stop).
#include <atomic>
#include <thread>

#include "serve_test_support.h"

namespace quorsma::tool::http::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using quorsma::testing::UniqueSectionName;

std::string Repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

// Connections that send the start of a request and then one byte a second,
// never finishing it.
class SlowSenders {
 public:
  SlowSenders(int port, int count) {
    for (int i = 0; i < count; ++i) {
      const int fd = OpenSocket(port);
      if (fd < 0) continue;
      SendAll(fd, "GET /api/info HTTP/1.1\r\nHost: 127.0.0.1\r\n");
      sockets_.push_back(fd);
    }
    trickle_ = std::thread([this] {
      for (int step = 0; !stop_.load(); ++step) {
        if (step % 10 == 0)
          for (int fd : sockets_) send(fd, "X", 1, MSG_NOSIGNAL | MSG_DONTWAIT);
        std::this_thread::sleep_for(100ms);
      }
    });
  }
  ~SlowSenders() {
    stop_ = true;
    trickle_.join();
    for (int fd : sockets_) close(fd);
  }
  std::size_t size() const { return sockets_.size(); }
  // How many the server has not closed.
  int Open() const {
    int open = 0;
    for (int fd : sockets_) {
      char byte;
      const ssize_t n = recv(fd, &byte, 1, MSG_DONTWAIT);
      open += n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) ? 1 : 0;
    }
    return open;
  }

 private:
  std::vector<int> sockets_;
  std::atomic<bool> stop_{false};
  std::thread trickle_;
};

class HostileClientTest : public ::testing::Test {
 protected:
  std::string section = UniqueSectionName("hostile");
};

TEST_F(HostileClientTest, AmbiguousMalformedAndOversizeRequestsAreRefused) {
  ServeProcess server(section, {"--allow-write", "D100"});
  ASSERT_TRUE(server.running()) << server.output();
  ASSERT_EQ(server.Tool({"set", "D100", "0"}).exit_code, 0);
  const std::string write =
      "POST /api/devices HTTP/1.1\r\nHost: 127.0.0.1\r\nAuthorization: Bearer " + server.token() + "\r\n";
  const std::string item = R"([{"operand":"D100","value":5}])";  // 30 bytes
  const std::string get = "GET /api/info HTTP/1.1\r\nHost: 127.0.0.1\r\n";
  struct Case {
    const char* name;
    std::string request;
    int status;
    const char* reason;
  };
  const Case cases[] = {
      {"two Host headers, the loopback one first", get + "Host: example.com\r\n\r\n", 400, "more than one Host"},
      {"two different Content-Length", write + "Content-Length: 30\r\nContent-Length: 2\r\n\r\n" + item, 400,
       "more than one Content-Length"},
      {"the same Content-Length twice", write + "Content-Length: 30\r\nContent-Length: 30\r\n\r\n" + item, 400,
       "more than one Content-Length"},
      {"Content-Length with Transfer-Encoding",
       write + "Content-Length: 30\r\nTransfer-Encoding: chunked\r\n\r\n1e\r\n" + item + "\r\n0\r\n\r\n", 400, "both"},
      {"a Transfer-Encoding other than chunked", write + "Transfer-Encoding: gzip\r\n\r\n" + item, 400, "chunked"},
      {"a NUL byte in the JSON body", write + "Content-Length: 35\r\n\r\n" + item + std::string("\0junk", 5), 400,
       "NUL byte"},
      {"101 header lines", get + Repeat("X-A: b\r\n", 100) + "\r\n", 431, "100 header lines"},
      {"17 KiB of header lines", get + Repeat("X-A: " + std::string(1000, 'b') + "\r\n", 17) + "\r\n", 431,
       "16384 bytes"},
      {"a chunked body past 1 MiB, with the token",
       write + "Transfer-Encoding: chunked\r\n\r\n" + Repeat("10000\r\n" + std::string(0x10000, ' ') + "\r\n", 17) +
           "0\r\n\r\n",
       413, "1048576 bytes"},
  };
  for (const Case& c : cases) {
    const RawAnswer answer = Exchange(server.port(), c.request);
    EXPECT_EQ(answer.status, c.status) << c.name << ": " << answer.body;
    EXPECT_NE(answer.body.find(c.reason), std::string::npos) << c.name << ": " << answer.body;
  }
  // Nothing of them was written.
  EXPECT_EQ(server.Tool({"get", "D100"}).out.find('5'), std::string::npos);
}

TEST_F(HostileClientTest, BodiesNotTakenAreRefusedBeforeTheyAreSentAndNeverHeld) {
  ServeProcess server(section, {"--allow-write", "D100"});
  ASSERT_TRUE(server.running()) << server.output();
  const long before = RssKib(server.pid());
  const std::string chunk = "100000\r\n" + std::string(0x100000, '[') + "\r\n";
  struct Case {
    const char* head;
    int status;
  };
  // A write without the token, and a read that carries a body: any endpoint.
  for (const Case& c : {Case{"POST /api/devices HTTP/1.1", 403}, Case{"GET /api/info HTTP/1.1", 200}}) {
    const int fd = OpenSocket(server.port(), 3s);
    ASSERT_TRUE(SendAll(fd, std::string(c.head) + "\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n"
                                                  "Transfer-Encoding: chunked\r\n\r\n"));
    // The answer comes before any of the body is sent...
    EXPECT_EQ(ReadAnswer(fd).status, c.status) << c.head;
    // ...and the rest is not taken: 200 MiB cannot be sent.
    int sent = 0;
    while (sent < 200 && SendAll(fd, chunk)) ++sent;
    EXPECT_LT(sent, 200) << c.head;
    close(fd);
  }
  EXPECT_LT(RssKib(server.pid()) - before, 20 * 1024);
}

TEST_F(HostileClientTest, HeaderFloodIsRefusedAndNotHeld) {
  ServeProcess server(section, {});
  ASSERT_TRUE(server.running()) << server.output();
  const long before = RssKib(server.pid());
  const int fd = OpenSocket(server.port(), 3s);
  ASSERT_TRUE(SendAll(fd, "GET /api/info HTTP/1.1\r\nHost: 127.0.0.1\r\n"));
  const std::string lines = Repeat("X-A: b\r\n", 4096);
  const auto start = Clock::now();
  bool closed = false;
  while (!closed && Clock::now() - start < 5s) closed = !SendAll(fd, lines);
  EXPECT_TRUE(closed) << "the server took header lines for 5 s";
  EXPECT_EQ(ReadAnswer(fd).status, 431);
  close(fd);
  EXPECT_LT(RssKib(server.pid()) - before, 20 * 1024);
}

TEST_F(HostileClientTest, SlowSendersAreDroppedAtTheDeadlineWhileOthersAreServed) {
  ServeProcess server(section, {});
  ASSERT_TRUE(server.running()) << server.output();
  // More than one address may hold (all come from 127.0.0.1): newer ones
  // make room by closing older ones.
  SlowSenders slow(server.port(), 200);
  ASSERT_EQ(slow.size(), 200u);
  // A good client is answered throughout, each time within 2 s.
  const auto start = Clock::now();
  while (Clock::now() - start < 7s) {
    const int fd = OpenSocket(server.port(), 2s);
    ASSERT_GE(fd, 0);
    SendAll(fd, "GET /api/devices?operands=D0..D9 HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    const RawAnswer answer = ReadAnswer(fd);
    close(fd);
    ASSERT_EQ(answer.status, 200) << "unanswered after "
                                  << std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count()
                                  << " ms of the attack";
    std::this_thread::sleep_for(250ms);
  }
  // The request deadline (5 s) has passed for every slow sender.
  EXPECT_EQ(slow.Open(), 0);
}

TEST_F(HostileClientTest, SignalStopsTheServerWithinASecondWhateverTheClientsDo) {
  ServeProcess server(section, {});
  ASSERT_TRUE(server.running()) << server.output();
  SlowSenders slow(server.port(), 200);
  std::vector<int> streams;
  for (int i = 0; i < 3; ++i) {
    streams.push_back(OpenSocket(server.port()));
    SendAll(streams.back(), "GET /api/events?operands=D0..D99 HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
  }
  std::this_thread::sleep_for(1s);
  kill(server.pid(), SIGTERM);
  // About a second; 2 s leaves room for a loaded machine.
  const bool ended = EndsWithin(server.pid(), 2s);
  if (!ended) kill(server.pid(), SIGKILL);
  const ChildResult stopped = server.Stop(SIGTERM);
  EXPECT_TRUE(ended) << "still running 2 s after SIGTERM";
  EXPECT_EQ(stopped.exit_code, 0) << stopped.err;
  EXPECT_NE(stopped.out.find("stopped"), std::string::npos);
  for (int fd : streams) close(fd);
}

}  // namespace
}  // namespace quorsma::tool::http::testing
