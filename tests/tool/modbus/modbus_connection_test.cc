// Connections: many clients at once, silent and broken clients, malformed
// frames, the connection limit, unit ids, stopping, and an independent client.
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "modbus_test_support.h"

namespace quorsma::tool::modbus::testing {
namespace {

TEST(ModbusConnectionTest, SilentAndHalfFrameClientsDoNotHoldUpSixteenOthers) {
  Server server({"--idle-timeout", "1"});
  RawSocket silent(server.port());
  RawSocket half(server.port());
  ASSERT_TRUE(silent.connected() && half.connected());
  half.Send({0x00, 0x01, 0x00, 0x00, 0x00});  // five bytes of a header

  std::atomic<int> good{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 16; ++t) {
    threads.emplace_back([&] {
      Client client(server.port());
      uint16_t registers[125];
      int n = 0;
      for (int i = 0; i < 50 && client.connected; ++i) n += modbus_read_registers(client, 0, 125, registers) == 125;
      if (n == 50) ++good;
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(good, 16);

  bool closed = false;
  silent.Receive(4000, &closed);
  EXPECT_TRUE(closed) << "the silent client was not closed after the idle timeout";
  half.Receive(4000, &closed);
  EXPECT_TRUE(closed) << "the half-frame client was not closed after the idle timeout";
  const std::string out = server.Stop().out;
  EXPECT_NE(out.find("disconnected: idle timeout"), std::string::npos) << out;
}

TEST(ModbusConnectionTest, AClientThatNeverReadsItsAnswersIsClosed) {
  Server server({"--idle-timeout", "1", "--max-clients", "1"});
  RawSocket greedy(server.port());
  ASSERT_TRUE(greedy.connected());
  // Requests until the buffers of both sides are full and stay full; the
  // server gives up sending after the idle timeout and closes.
  const std::vector<uint8_t> request = Frame({3, 0, 0, 0, 125});
  std::vector<uint8_t> burst;
  for (int i = 0; i < 1000; ++i) burst.insert(burst.end(), request.begin(), request.end());
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(4);
  while (std::chrono::steady_clock::now() < end && greedy.SendSome(burst)) {
  }
  bool served = false;  // the only place is free again
  for (int i = 0; i < 40 && !served; ++i) served = Serves(server.port()) || (usleep(50000), false);
  EXPECT_TRUE(served);
  const std::string out = server.Stop().out;
  EXPECT_NE(out.find("disconnected: cannot send the answer"), std::string::npos) << out;
}

TEST(ModbusConnectionTest, MalformedFramesCloseTheirConnectionAndTheServerGoesOn) {
  Server server({});
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    int exception;  // -1: the connection is closed
  } cases[] = {
      {"wrong protocol id", Frame({3, 0, 0, 0, 1}, 1), -1},
      {"length field longer than the frame", {0, 1, 0, 0, 0, 9, 1, 3, 0, 0, 0, 1}, -1},
      {"length field shorter than the frame", {0, 1, 0, 0, 0, 4, 1, 3, 0, 0, 0, 1}, -1},
      {"length field 0", {0, 1, 0, 0, 0, 0, 1, 3, 0, 0, 0, 1}, -1},
      {"byte count beyond any frame", {0, 1, 0, 0, 0, 7, 1, 16, 0, 0, 0, 1, 255}, -1},
      {"encapsulated interface (unknown)", Frame({0x2B, 0x0E, 1, 0}), 1},
      {"diagnostics", Frame({8, 0, 0, 0x12, 0x34}), 1},
      {"report server id", Frame({0x11}), 1},
      {"mask write register", Frame({22, 0, 0, 0xFF, 0xFF, 0, 0}), 1},
  };
  for (const Case& c : cases) {
    RawSocket socket(server.port());
    ASSERT_TRUE(socket.connected());
    socket.Send(c.bytes);
    bool closed = false;
    const std::vector<uint8_t> answer = socket.Receive(3000, &closed);
    if (c.exception < 0) {
      EXPECT_TRUE(closed && answer.empty()) << c.what;
    } else {
      ASSERT_EQ(answer.size(), 9u) << c.what;
      EXPECT_EQ(answer[7], c.bytes[7] | 0x80) << c.what;
      EXPECT_EQ(answer[8], c.exception) << c.what;
      EXPECT_FALSE(closed) << c.what;
    }
    EXPECT_TRUE(Serves(server.port())) << "after " << c.what;
  }
  // A client that leaves in the middle of a request.
  {
    RawSocket socket(server.port());
    socket.Send({0, 1, 0, 0, 0, 6, 1, 3, 0});
  }
  EXPECT_TRUE(Serves(server.port())) << "after a client left in the middle of a request";
}

TEST(ModbusConnectionTest, ConnectionsBeyondTheLimitAreRefused) {
  Server server({"--max-clients", "2"});
  Client first(server.port()), second(server.port());
  uint16_t value = 0;
  ASSERT_EQ(modbus_read_registers(first, 0, 1, &value), 1);
  ASSERT_EQ(modbus_read_registers(second, 0, 1, &value), 1);
  RawSocket third(server.port());
  bool closed = false;
  third.Receive(3000, &closed);
  EXPECT_TRUE(closed);
  modbus_close(first);
  bool served = false;  // once the server has noticed the leave
  for (int i = 0; i < 50 && !served; ++i) served = Serves(server.port()) || (usleep(20000), false);
  EXPECT_TRUE(served);
  EXPECT_NE(server.Stop().out.find("refused: 2 clients are connected"), std::string::npos);
}

TEST(ModbusConnectionTest, AnswersOnlyItsUnitIdWhenGivenOne) {
  Server server({"--unit-id", "5"});
  Client client(server.port());
  uint16_t value = 0;
  modbus_set_slave(client, 1);
  EXPECT_EQ(ExceptionOf(modbus_read_registers(client, 0, 1, &value)), MODBUS_EXCEPTION_GATEWAY_TARGET);
  modbus_set_slave(client, 5);
  EXPECT_EQ(modbus_read_registers(client, 0, 1, &value), 1);
}

TEST(ModbusConnectionTest, StopsCleanlyOnSigintAndSigterm) {
  for (int signal_number : {SIGINT, SIGTERM}) {
    Server server({"--verbose"});
    Client client(server.port());  // stays connected
    uint16_t value = 0;
    ASSERT_EQ(modbus_read_registers(client, 7, 1, &value), 1);
    const quorsma::testing::ChildResult result = server.Stop(signal_number);
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_NE(result.out.find("unit 255 fc 3 address 7 count 1: ok"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("stopped"), std::string::npos) << result.out;
  }
}

TEST(ModbusConnectionTest, AnIndependentClientReadsAndWrites) {
  if (std::string(QSMA_MBPOLL).empty()) GTEST_SKIP() << "mbpoll is not installed";
  MH_SHARED_STRUCTURE* image = Image();
  image->D[100] = 4321;
  image->D[101] = image->D[102] = image->Y[3] = 0;
  Server server({"--allow-write", "D101,Y3"});
  const std::string base = std::string(QSMA_MBPOLL) + " -m tcp -a 1 -0 -1 -p " + std::to_string(server.port());
  auto run = [](const std::string& options, const std::string& values = "") {
    std::string out;
    FILE* pipe = popen(("timeout 10 " + options + " 127.0.0.1 " + values + " 2>&1").c_str(), "r");
    char chunk[256];
    while (pipe != nullptr && std::fgets(chunk, sizeof chunk, pipe) != nullptr) out += chunk;
    if (pipe != nullptr) pclose(pipe);
    return out;
  };
  EXPECT_NE(run(base + " -t 4 -r 100 -c 1").find("[100]: \t4321"), std::string::npos);
  EXPECT_NE(run(base + " -t 4 -r 101", "65529").find("Written 1 references"), std::string::npos);
  EXPECT_NE(run(base + " -t 0 -r 3", "1").find("Written 1 references"), std::string::npos);
  EXPECT_EQ(run(base + " -t 4 -r 102", "5").find("Written 1 references"), std::string::npos);
  EXPECT_EQ(image->D[101], -7);
  EXPECT_EQ(image->D[102], 0);
  EXPECT_EQ(image->Y[3], 1);
}

}  // namespace
}  // namespace quorsma::tool::modbus::testing
