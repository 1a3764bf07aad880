// quorsma mqtt as a program against a broker of the test's own.
#include <signal.h>

#include <fstream>
#include <regex>

#include "cli/text_encoding.h"
#include "tool_fixture.h"

namespace quorsma::tool::mqtt {
namespace {

TEST_F(MqttCommandTest, PublishesChangesDevicesAndWritesAndLeavesItsWill) {
  Broker broker;
  Subscriber sub(broker.port(), std::string(kPrefix) + "/#");
  std::string comment;
  ASSERT_TRUE(Utf8ToCp949("펌프 압력", &comment));
  std::memcpy(image->CommentW[0x20], comment.data(), comment.size());
  auto tool = StartTool(broker, {"--watch", "W10..W11", "--allow-write", "W10", "--interval", "20"});
  ASSERT_TRUE(sub.WaitFor(Count(status, 1))) << "no status";
  EXPECT_EQ(sub.On(status).front().payload, "online");
  ASSERT_TRUE(sub.WaitFor(Count(std::string(kPrefix) + "/devices/W11", 1)));

  Produce(1, 50);
  ASSERT_TRUE(sub.WaitFor(Count(changes, 50)));
  EXPECT_EQ(NewValues(sub.On(changes)), Sequence(1, 50)) << "every line once, in order";
  const auto first = nlohmann::json::parse(sub.On(changes).front().payload);
  EXPECT_EQ(first["kind"], "W");
  EXPECT_EQ(first["number"], "0020");
  EXPECT_EQ(first["index"], 32);
  EXPECT_EQ(first["old"], 0);
  EXPECT_EQ(first["comment"], "펌프 압력");
  EXPECT_EQ(first["line"], "VC => W[0020]=0 => 1 \t: 펌프 압력");
  EXPECT_TRUE(std::regex_match(first["time"].get<std::string>(),
                               std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d)")));

  // Writes: one inside the allowed ranges, three refused with a reason each.
  sub.Publish(std::string(kPrefix) + "/set/W10", "0x2A");
  sub.Publish(std::string(kPrefix) + "/set/W11", "1");
  sub.Publish(std::string(kPrefix) + "/set/W10", "12x");
  sub.Publish(std::string(kPrefix) + "/set/Q10", "1");
  ASSERT_TRUE(sub.WaitFor(Count(errors, 3)));
  const auto refused = sub.On(errors);
  EXPECT_NE(refused[0].payload.find("W11 is not in the ranges allowed"), std::string::npos) << refused[0].payload;
  EXPECT_NE(refused[1].payload.find("value '12x'"), std::string::npos) << refused[1].payload;
  EXPECT_NE(refused[2].payload.find("Q10"), std::string::npos) << refused[2].payload;
  EXPECT_EQ(image->W[0x10], 42);
  EXPECT_EQ(image->W[0x11], 0);
  ASSERT_TRUE(sub.WaitFor([&](const std::vector<Message>& all) {
    for (const Message& m : all)
      if (m.topic == std::string(kPrefix) + "/devices/W10" && m.payload == "42") return true;
    return false;
  }));

  // A late subscriber gets the device values and the status as retained messages.
  Subscriber late(broker.port(), std::string(kPrefix) + "/devices/#");
  ASSERT_TRUE(late.WaitFor(Count(std::string(kPrefix) + "/devices/W10", 1)));
  EXPECT_TRUE(late.On(std::string(kPrefix) + "/devices/W10").front().retained);
  EXPECT_EQ(late.On(std::string(kPrefix) + "/devices/W10").front().payload, "42");

  // One collector per section.
  auto second = RunChild(QSMA_TEST_TOOL, {"mqtt", "--broker", "127.0.0.1:" + std::to_string(broker.port())}, kEnv);
  EXPECT_EQ(second.exit_code, 1);
  EXPECT_NE(second.err.find("another collector is running (pid " + std::to_string(tool->pid()) + ")"),
            std::string::npos)
      << second.err;

  // Killed outright: the broker publishes the will.
  tool->Kill(SIGKILL);
  tool->Wait();
  ASSERT_TRUE(sub.WaitFor(Count(status, 2)));
  EXPECT_EQ(sub.On(status).back().payload, "offline");
}

// Every write is answered on set/<operand>/result; JSON set payloads; device
// payloads as JSON; the operand in each change message.
TEST_F(MqttCommandTest, AnswersEveryWriteAndSpeaksJson) {
  Broker broker;
  Subscriber sub(broker.port(), std::string(kPrefix) + "/#");
  const std::string set = std::string(kPrefix) + "/set/", device = std::string(kPrefix) + "/devices/W10";
  auto tool = StartTool(broker, {"--watch", "W10", "--allow-write", "W10", "--device-payload", "json",
                                 "--interval", "20"});
  ASSERT_TRUE(sub.WaitFor(Count(device, 1)));
  const auto first = nlohmann::json::parse(sub.On(device).front().payload);
  EXPECT_EQ(first["value"], 0);
  EXPECT_TRUE(first["time"].is_string());
  struct Case {
    std::string operand, payload;
    bool retained;
    int32_t w10;        // after it
    std::string error;  // empty: accepted
  };
  const Case cases[] = {
      {"W10", R"({"value":7})", false, 7, ""},
      {"W10", "0x2A", false, 42, ""},
      {"W11", "1", false, 42, "W11 is not in the ranges allowed"},
      {"W10", R"({"value":1.5})", false, 42, "value '{\"value\":1.5}'"},
      {"W10", "9", true, 42, "a retained message is never written"},
  };
  std::size_t answers = 0;
  for (const Case& c : cases) {
    const std::string result = set + c.operand + "/result";
    sub.Publish(set + c.operand, c.payload, c.retained);
    ASSERT_TRUE(sub.WaitFor(Count(result, sub.On(result).size() + 1))) << c.payload;
    ++answers;
    const auto answer = nlohmann::json::parse(sub.On(result).back().payload);
    EXPECT_EQ(answer["operand"], c.operand);
    EXPECT_EQ(answer["value"], c.payload);
    EXPECT_EQ(answer["accepted"], c.error.empty()) << answer;
    EXPECT_NE(answer.value("error", "").find(c.error), std::string::npos) << answer;
    EXPECT_EQ(image->W[0x10], c.w10) << c.payload;
  }
  sub.Publish(set + "W10", "", true);
  ASSERT_TRUE(sub.WaitFor([&](const std::vector<Message>& all) {
    for (const Message& m : all)
      if (m.topic == device && nlohmann::json::parse(m.payload)["value"] == 42) return true;
    return false;
  }));
  // The accepted writes made lines too: W10 = 7, then 42.
  Produce(5, 1);
  ASSERT_TRUE(sub.WaitFor(Count(changes, 3)));
  EXPECT_EQ(nlohmann::json::parse(sub.On(changes).front().payload)["operand"], "W10");
  EXPECT_EQ(nlohmann::json::parse(sub.On(changes).back().payload)["operand"], "W20");
  EXPECT_EQ(answers, std::size(cases));
}

TEST_F(MqttCommandTest, LinesProducedWhileTheBrokerIsAwayArriveOnceInOrder) {
  Broker broker;
  // A kept session: the broker holds the messages for this subscriber while
  // it reconnects after the restart.
  Subscriber sub(broker.port(), changes, "outage-subscriber");
  auto tool = StartTool(broker, {});
  ASSERT_TRUE(WaitUntil([&] { return image->LogEnable == 1; }));
  Produce(1, 20);
  ASSERT_TRUE(sub.WaitFor(Count(changes, 20)));
  std::this_thread::sleep_for(200ms);  // acknowledgements settle
  broker.Stop();
  std::this_thread::sleep_for(300ms);
  Produce(21, 300);
  broker.Start();
  // The broker may hand the subscriber again what it delivered before its
  // stop and had not yet seen acknowledged (QoS 1 is at least once between
  // broker and subscriber); the bridge's own lines must each come once.
  const auto bridged = [this](const std::vector<Message>& all) {
    std::vector<int> values = NewValues(Only(all, changes));
    std::vector<int> kept;
    for (std::size_t i = 0; i < values.size(); ++i)
      if (i < 20 || values[i] > 20) kept.push_back(values[i]);
    return kept;
  };
  ASSERT_TRUE(sub.WaitFor([&](const std::vector<Message>& all) { return bridged(all).size() >= 320; }, 30s))
      << sub.On(changes).size() << " of 320";
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(bridged(sub.On(changes)), Sequence(1, 320));
  tool->Kill(SIGTERM);
  auto result = tool->Wait();
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(image->LogEnable, 0) << "restored at the end";
}

TEST_F(MqttCommandTest, AFullQueueDropsTheOldestLinesAndSaysHowMany) {
  Broker broker;
  Subscriber sub(broker.port(), std::string(kPrefix) + "/#", "overflow-subscriber");
  auto tool = StartTool(broker, {"--queue", "10"});
  ASSERT_TRUE(sub.WaitFor(Count(status, 1)));
  broker.Stop();
  std::this_thread::sleep_for(300ms);  // the tool notices the lost connection
  Produce(1, 30);
  broker.Start();
  ASSERT_TRUE(sub.WaitFor(Count(changes, 10), 30s));
  ASSERT_TRUE(sub.WaitFor(Count(errors, 1)));
  EXPECT_NE(sub.On(errors).front().payload.find("20 lines dropped"), std::string::npos) << sub.On(errors).front().payload;
  EXPECT_EQ(NewValues(sub.On(changes)), Sequence(21, 10));
  tool->Kill(SIGTERM);
  auto result = tool->Wait();
  EXPECT_NE(result.err.find("20 lines dropped"), std::string::npos) << result.err;
}

TEST_F(MqttCommandTest, ABrokerThatRequiresAPasswordRefusesAWrongOne) {
  Broker broker("allow_anonymous false\npassword_file DIR/passwords\n", [](const std::string& dir) {
    // mosquitto_passwd writes the hashed file the broker reads.
    ASSERT_EQ(RunChild("/usr/bin/mosquitto_passwd", {"-c", "-b", dir + "/passwords", "plant", "right"}, {}).exit_code,
              0);
    std::ofstream(dir + "/wrong") << "wrong\n";
    std::ofstream(dir + "/right") << "right\n";
  });
  auto wrong = StartTool(broker, {"--username", "plant", "--password-file", broker.dir() + "/wrong"});
  auto result = wrong->Wait();
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_NE(result.err.find("the broker refused the connection"), std::string::npos) << result.err;

  auto right = StartTool(broker, {"--username", "plant", "--password-file", broker.dir() + "/right"});
  WaitUntil([&] { return image->LogEnable == 1; });
  std::this_thread::sleep_for(500ms);
  right->Kill(SIGTERM);
  result = right->Wait();
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_NE(result.err.find("connected to the broker"), std::string::npos) << result.err;
}

TEST_F(MqttCommandTest, ARegisterBitPermissionGrantsThatBitAlone) {
  Broker broker;
  Subscriber sub(broker.port(), std::string(kPrefix) + "/#");
  image->W[0x30] = 0;
  auto tool = StartTool(broker, {"--allow-write", "W30.3"});
  ASSERT_TRUE(sub.WaitFor(Count(status, 1))) << "no status";
  // The register and another bit are refused (retried until the bridge has
  // subscribed); the granted bit alone is written.
  for (int i = 0; i < 40 && sub.On(errors).size() < 2; ++i) {
    sub.Publish(std::string(kPrefix) + "/set/W30", "255");
    sub.Publish(std::string(kPrefix) + "/set/W30.4", "1");
    std::this_thread::sleep_for(250ms);
  }
  ASSERT_GE(sub.On(errors).size(), 2u);
  EXPECT_EQ(image->W[0x30], 0);
  sub.Publish(std::string(kPrefix) + "/set/W30.3", "1");
  ASSERT_TRUE(WaitUntil([&] { return image->W[0x30] != 0; }));
  EXPECT_EQ(image->W[0x30], 8);
}

}  // namespace
}  // namespace quorsma::tool::mqtt
