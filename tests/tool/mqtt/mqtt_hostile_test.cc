// quorsma mqtt under hostile conditions: each case does one thing to the
// bridge (a retained command, a broker that comes up late, a parameter
// directory that cannot be written, an oversize payload, another client with
// the same id) and names what must then appear on the errors topic and on
// standard error.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "tool_fixture.h"

namespace quorsma::tool::mqtt {
namespace {

class MqttHostileTest : public MqttCommandTest {
 protected:
  void SetUp() override {
    MqttCommandTest::SetUp();
    std::memcpy(saved_path_, image->MemParaPath, sizeof saved_path_);
  }
  void TearDown() override {
    std::memcpy(image->MemParaPath, saved_path_, sizeof saved_path_);
    for (int i : {303, 304}) image->D[i] = image->LogPrevD[i] = 0;
  }

  static auto ErrorWith(const std::string& topic, const std::string& text) {
    return [topic, text](const std::vector<Message>& all) {
      for (const Message& m : all)
        if (m.topic == topic && m.payload.find(text) != std::string::npos) return true;
      return false;
    };
  }
  static std::string Set(const std::string& operand) { return std::string(kPrefix) + "/set/" + operand; }

  char saved_path_[sizeof MH_SHARED_STRUCTURE::MemParaPath] = {};
};

struct HostileCase {
  std::string name;
  std::vector<std::string> args;
  std::function<void(Broker&, Subscriber&)> before;  // before the tool starts, when set
  std::function<void(Broker&, Subscriber&)> act;     // while it runs
  std::string error;                                 // in a message on the errors topic
  std::string err;                                   // on standard error
};

TEST_F(MqttHostileTest, EachActIsRefusedOrOutlastedAndReported) {
  quorsma::testing::ScratchDir scratch("mqtt-hostile");
  const HostileCase cases[] = {
      {"a retained command, stored and live, is never written, and is reported once",
       {"--allow-write", "W10"},
       [](Broker&, Subscriber& sub) { sub.Publish(Set("W10"), "4242", /*retain=*/true); },
       [&](Broker& broker, Subscriber& sub) {
         ASSERT_TRUE(sub.WaitFor(Count(errors, 1)));
         sub.Publish(Set("W10"), "77", /*retain=*/true);
         std::this_thread::sleep_for(300ms);
         EXPECT_EQ(image->W[0x10], 0);
         broker.Stop();  // the reconnect brings the retained command again
         broker.Start();
         // A plain write gets through once the tool is back, after the retained one.
         for (int i = 0; i < 50 && image->W[0x10] != 5; ++i) {
           sub.Publish(Set("W10"), "5");
           std::this_thread::sleep_for(300ms);
         }
         EXPECT_EQ(image->W[0x10], 5);
         std::this_thread::sleep_for(300ms);
         EXPECT_EQ(sub.On(errors).size(), 1u) << "once per topic";
       },
       "a retained message is never written", "set/W10: a retained message is never written"},

      {"a broker that comes up after the bridge is connected to, and the lines dropped meanwhile are counted",
       {"--queue", "5"},
       [](Broker& broker, Subscriber&) { broker.Stop(); },
       [&](Broker& broker, Subscriber& sub) {
         ASSERT_TRUE(WaitUntil([&] { return image->LogEnable == 1; }));
         Produce(1, 10);
         std::this_thread::sleep_for(1200ms);
         broker.Start();
         ASSERT_TRUE(sub.WaitFor(Count(changes, 5), 20s));
         EXPECT_EQ(NewValues(sub.On(changes)), Sequence(6, 5));
       },
       "5 lines dropped", "the queue of 5 lines is full while the broker is away"},

      {"a retentive register that cannot be saved is reported, also after the library's one message",
       {"--allow-write", "D303..D304"},
       {},
       [&](Broker&, Subscriber& sub) {
         // A path through a regular file: no save succeeds, whoever runs the test.  Set once
         // the tool has attached, which reads the configuration into the image.
         ASSERT_TRUE(WaitUntil([&] { return image->LogEnable == 1; }));
         std::ofstream(scratch.path() / "file") << "not a directory\n";
         std::snprintf(image->MemParaPath, sizeof image->MemParaPath, "%s/file/param",
                       scratch.path().string().c_str());
         sub.Publish(Set("D303"), "11");
         ASSERT_TRUE(sub.WaitFor(ErrorWith(errors, "could not be saved")));
         EXPECT_NE(sub.On(errors).front().payload.find("\"error\":\"D303: "), std::string::npos)
             << sub.On(errors).front().payload;
         EXPECT_EQ(image->D[303], 11);
         sub.Publish(Set("D304"), "12");
       },
       "D304 was written, but whether it was saved is not known", "could not be saved"},

      {"an oversize payload or operand is quoted cut to 200 bytes",
       {"--allow-write", "W10"},
       {},
       [&](Broker&, Subscriber& sub) {
         // Refused writes answer once the bridge has subscribed; on a busy
         // machine that comes a while after it started.
         for (int i = 0; i < 60 && sub.On(errors).empty(); ++i) {
           sub.Publish(Set("W11"), "1");
           std::this_thread::sleep_for(500ms);
         }
         ASSERT_FALSE(sub.On(errors).empty()) << "the bridge never subscribed";
         const std::size_t probes = sub.On(errors).size();
         sub.Publish(Set("W10"), std::string(10'000'000, 'x'));
         sub.Publish(Set(std::string(1000, 'A')), "1");
         ASSERT_TRUE(sub.WaitFor(Count(errors, probes + 2), 20s));
         for (const Message& m : sub.On(errors)) {
           EXPECT_LT(m.payload.size(), 600u) << m.payload.substr(0, 600);
           EXPECT_EQ(m.payload.find(std::string(201, 'x')), std::string::npos);
           EXPECT_EQ(m.payload.find(std::string(201, 'A')), std::string::npos);
         }
         EXPECT_EQ(image->W[0x10], 0);
       },
       "(10000000 bytes)", ""},

      {"another client with the same client id is named as the likely cause of lost connections",
       {"--client-id", "hostile-twin"},
       {},
       [&](Broker& broker, Subscriber& sub) {
         Subscriber twin(broker.port(), "elsewhere/#", "hostile-twin");
         EXPECT_TRUE(sub.WaitFor(ErrorWith(errors, "another client probably uses the client id 'hostile-twin'"), 30s));
       },
       "another client probably uses the client id", "another client probably uses the client id 'hostile-twin'"},
  };
  int n = 0;
  for (const HostileCase& c : cases) {
    SCOPED_TRACE(c.name);
    MqttCommandTest::SetUp();
    Broker broker;
    Subscriber sub(broker.port(), std::string(kPrefix) + "/#", "hostile-" + std::to_string(++n));
    if (c.before) c.before(broker, sub);
    auto tool = StartTool(broker, c.args);
    c.act(broker, sub);
    EXPECT_TRUE(sub.WaitFor(ErrorWith(errors, c.error), 20s))
        << (sub.On(errors).empty() ? "no errors" : sub.On(errors).back().payload.substr(0, 400));
    tool->Kill(SIGTERM);
    const auto result = tool->Wait();
    EXPECT_EQ(result.exit_code, 0) << result.err;
    EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
    TearDown();
  }
}

// A measurement, not a check (run it with --gtest_also_run_disabled_tests):
// 10,000 lines with the broker killed (SIGKILL) while they flow, at the QoS
// of QSMA_MEASURE_QOS (default: the tool's default).  The broker saves its
// state every second and queues without limit, so that its subscriber keeps
// its subscription across the kill; what is missing was lost between the
// tool and the broker, or acknowledged by the broker and lost with it.
TEST_F(MqttCommandTest, DISABLED_TenThousandLinesAcrossABrokerKill) {
  Broker broker("allow_anonymous true\nautosave_interval 1\nmax_queued_messages 0\n");
  Subscriber sub(broker.port(), changes, "measure-subscriber");
  std::vector<std::string> args;
  if (const char* qos = std::getenv("QSMA_MEASURE_QOS")) args = {"--qos", qos};
  auto tool = StartTool(broker, args);
  ASSERT_TRUE(WaitUntil([&] { return image->LogEnable == 1; }));
  std::this_thread::sleep_for(1500ms);  // connected, and the subscription saved
  std::thread producer([&] { Produce(1, 10000); });
  sub.WaitFor(Count(changes, 3000), 30s);
  broker.Kill();
  std::this_thread::sleep_for(500ms);
  broker.Start();
  producer.join();
  sub.WaitFor(Count(changes, 10000), 60s);
  std::this_thread::sleep_for(2s);
  tool->Kill(SIGTERM);
  const auto result = tool->Wait();
  std::vector<int> seen(10001, 0);
  for (int v : NewValues(sub.On(changes))) ++seen[v];
  int missing = 0, duplicated = 0;
  for (int v = 1; v <= 10000; ++v) missing += seen[v] == 0, duplicated += seen[v] > 1;
  std::printf("received %zu messages: %d of 10000 lines missing, %d received more than once\n%s",
              sub.On(changes).size(), missing, duplicated, result.err.c_str());
}

}  // namespace
}  // namespace quorsma::tool::mqtt
