// Hostile clients: requests the server must answer at once without closing,
// and connections that hold every place by trickling or by saying nothing.
#include <atomic>
#include <chrono>
#include <thread>

#include "modbus_test_support.h"

namespace quorsma::tool::modbus::testing {
namespace {

using Clock = std::chrono::steady_clock;

TEST(ModbusHostileTest, OddRequestsAreAnsweredAtOnceAndTheConnectionKept) {
  Server server({});
  struct Case {
    const char* what;
    std::vector<uint8_t> pdu;
    int function;  // of the answer
    int exception;
  } cases[] = {
      {"write of 0 coils, a data byte after", {15, 0, 0, 0, 0, 0, 0xFF}, 0x8F, 3},
      {"write of 0 registers, 6 data bytes after", {16, 0, 0, 0, 0, 0, 2, 0x2B, 0, 1, 0, 0x64}, 0x90, 3},
      {"byte count beyond the data", {16, 0, 0, 0, 1, 2, 0x12}, 0x90, 3},
      {"read/write writing 0 registers, 2 data bytes after", {23, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1}, 0x97, 3},
      {"function 0", {0}, 0x80, 1},
      {"function 0x80", {0x80, 0, 0, 0, 1}, 0x80, 1},
      {"function 0xFF", {0xFF}, 0xFF, 1},
  };
  for (const Case& c : cases) {
    RawSocket socket(server.port());
    ASSERT_TRUE(socket.connected());
    socket.Send(Frame(c.pdu));
    bool closed = false;
    const std::vector<uint8_t> answer = socket.Receive(1000, &closed);
    if (answer.size() != 9u) {
      ADD_FAILURE() << c.what << ": " << answer.size() << " bytes answered" << (closed ? ", connection closed" : "");
      continue;
    }
    EXPECT_EQ((std::vector<uint8_t>(answer.begin() + 4, answer.end())),
              (std::vector<uint8_t>{0, 3, 1, static_cast<uint8_t>(c.function), static_cast<uint8_t>(c.exception)}))
        << c.what;
    socket.Send(Frame({3, 0, 0, 0, 1}));
    EXPECT_EQ(socket.Receive(1000, &closed).size(), 11u) << "the connection after " << c.what;
  }
}

// Every place taken by connections that trickle a request or say nothing: a
// new client is served again within the request timeout.
TEST(ModbusHostileTest, ConnectionsHoldingEveryPlaceLoseItWithinTheRequestTimeout) {
  for (const bool trickle : {true, false}) {
    Server server({"--request-timeout", "1"});  // 32 places, idle timeout 60 s
    std::vector<std::unique_ptr<RawSocket>> hogs;
    for (int i = 0; i < 32; ++i) hogs.push_back(std::make_unique<RawSocket>(server.port()));
    // A write of 123 registers, the longest request, one byte every 300 ms.
    std::vector<uint8_t> pdu(253, 0);
    pdu[0] = 16;
    pdu[4] = 123;
    pdu[5] = 246;
    const std::vector<uint8_t> request = Frame(pdu);
    std::atomic<bool> stop{false};
    std::thread trickler([&] {
      for (std::size_t i = 0; trickle && i < request.size() && !stop; ++i) {
        for (auto& hog : hogs) hog->SendSome({request[i]});
        for (int wait = 0; wait < 6 && !stop; ++wait) usleep(50000);
      }
    });

    const auto start = Clock::now();
    bool served = false;
    while (!served && Clock::now() - start < std::chrono::seconds(6))
      served = Serves(server.port()) || (usleep(100000), false);
    const double waited = std::chrono::duration<double>(Clock::now() - start).count();
    stop = true;
    trickler.join();
    EXPECT_TRUE(served) << (trickle ? "trickling" : "silent") << " connections kept every place";
    EXPECT_LT(waited, 4.0) << (trickle ? "trickling" : "silent");
    const std::string out = server.Stop().out;
    if (trickle) {
      EXPECT_NE(out.find("disconnected: request not whole within 1 s"), std::string::npos) << out;
    } else {
      EXPECT_NE(out.find(", idle while every place was taken"), std::string::npos) << out;
    }
  }
}

}  // namespace
}  // namespace quorsma::tool::modbus::testing
