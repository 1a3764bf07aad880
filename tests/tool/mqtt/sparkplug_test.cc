// quorsma mqtt --sparkplug against a broker of the test's own, its payloads
// decoded (and the commands encoded) by Python's protobuf with the same
// schema (sparkplug_codec.py), not by the tool's own code.
//
// What an edge node must do, and the test that shows it:
//   NBIRTH first, then a DBIRTH per device kind; names, aliases, types,
//   comments as properties; seq 0, 1, 2, ...         BirthsThenOnlyChangesThenDeath
//   DDATA by alias with only the changed metrics, from lines and the image
//                                                    BirthsThenOnlyChangesThenDeath
//   NDEATH with the bdSeq of the connection before a deliberate end
//                                                    BirthsThenOnlyChangesThenDeath
//   bdSeq per connection; births again after a broker restart; the will's
//   NDEATH on a SIGKILL                              BdSeqAcrossABrokerRestartAndAKill
//   Rebirth on NCMD, by name or alias; never from a retained NCMD
//                                                    RebirthOnRequest
//   DCMD writes inside the permission only; never a retained one
//                                                    WritesOnlyInsideThePermission
//   commands oversize, malformed, with too many metrics, or with writes off:
//   refused with a reason, nothing written, the node goes on
//                                                    RefusesHostileCommands
//   births wait for the primary host; NDEATH and a new connection when it
//   goes offline; older STATE messages ignored        FollowsThePrimaryHost
#include <signal.h>
#include <unistd.h>

#include <fstream>

#include "cli/text_encoding.h"
#include "tool_fixture.h"

namespace quorsma::tool::mqtt {
namespace {

using nlohmann::json;

constexpr char kNs[] = "spBv1.0/G/";
const std::string kNbirth = std::string(kNs) + "NBIRTH/N", kNdeath = std::string(kNs) + "NDEATH/N",
                  kNcmd = std::string(kNs) + "NCMD/N", kState = "spBv1.0/STATE/H";
std::string On(const std::string& type, const std::string& device) { return kNs + type + "/N/" + device; }

std::string RunCodec(const std::string& mode, const std::string& input) {
  const std::string file = ::testing::TempDir() + "/sparkplug-" + std::to_string(getpid()) + "-" + mode;
  std::ofstream(file, std::ios::binary) << input;
  auto result = RunChild("/bin/sh",
                         {"-c", std::string("python3 ") + QSMA_SPARKPLUG_CODEC + " " + QSMA_SPARKPLUG_PROTO_DIR + " " +
                                    mode + " < " + file},
                         kEnv);
  std::remove(file.c_str());
  EXPECT_EQ(result.exit_code, 0) << result.err;
  return result.out;
}

// The Sparkplug messages among `all` (not STATE), decoded in arrival order.
std::vector<json> Decode(const std::vector<Message>& all) {
  std::string records;
  for (const Message& m : all)
    if (m.topic.rfind(kNs, 0) == 0) records += m.topic + "\n" + std::to_string(m.payload.size()) + "\n" + m.payload;
  std::vector<json> out;
  std::istringstream lines(RunCodec("decode", records));
  for (std::string line; std::getline(lines, line);) out.push_back(json::parse(line));
  return out;
}

// A command payload of `metrics` ([{"name"|"alias", "datatype", "value"}]).
std::string Command(const json& metrics) {
  const std::string hex = RunCodec("encode", json{{"metrics", metrics}}.dump() + "\n");
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return bytes;
}

std::vector<Message> All(Subscriber& sub) {
  std::vector<Message> messages;
  sub.WaitFor([&](const std::vector<Message>& m) {
    messages = m;
    return true;
  });
  return messages;
}

std::vector<json> Of(const std::vector<json>& decoded, const std::string& topic) {
  std::vector<json> out;
  for (const json& d : decoded)
    if (d["topic"] == topic) out.push_back(d);
  return out;
}

json Metric(const json& payload, const std::string& name) {
  for (const json& m : payload["metrics"])
    if (m.value("name", "") == name) return m;
  return {};
}

class SparkplugTest : public MqttCommandTest {
 protected:
  std::unique_ptr<ChildProcess> StartNode(const Broker& broker, std::vector<std::string> more = {}) {
    std::vector<std::string> args = {"--sparkplug", "G/N", "--watch", "W20..W21,M5", "--interval", "20"};
    args.insert(args.end(), more.begin(), more.end());
    return StartTool(broker, args);
  }
  static constexpr const char* kBroker = "allow_anonymous true\nqueue_qos0_messages true\n";
};

TEST_F(SparkplugTest, BirthsThenOnlyChangesThenDeath) {
  Broker broker;
  Subscriber sub(broker.port(), "#");
  std::string comment;
  ASSERT_TRUE(Utf8ToCp949("펌프", &comment));
  std::memcpy(image->CommentW[0x20], comment.data(), comment.size());
  image->M[5] = 0;
  auto tool = StartNode(broker);
  ASSERT_TRUE(sub.WaitFor(Count(On("DBIRTH", "M"), 1)));
  Produce(1, 3);  // W20 = 1, 2, 3 as value-change lines
  ASSERT_TRUE(sub.WaitFor(Count(On("DDATA", "W"), 3)));
  image->M[5] = 1;  // no line: the image sample finds it
  ASSERT_TRUE(sub.WaitFor(Count(On("DDATA", "M"), 1)));
  tool->Kill(SIGTERM);
  EXPECT_EQ(tool->Wait().exit_code, 0);
  ASSERT_TRUE(sub.WaitFor(Count(kNdeath, 1)));

  const std::vector<json> d = Decode(All(sub));
  ASSERT_EQ(d.size(), 8u);
  std::vector<std::string> topics;
  for (const json& p : d) topics.push_back(p["topic"]);
  EXPECT_EQ(topics, (std::vector<std::string>{kNbirth, On("DBIRTH", "W"), On("DBIRTH", "M"), On("DDATA", "W"),
                                               On("DDATA", "W"), On("DDATA", "W"), On("DDATA", "M"), kNdeath}));
  for (std::size_t i = 0; i + 1 < d.size(); ++i) EXPECT_EQ(d[i]["seq"], i) << d[i];
  EXPECT_FALSE(d.back().contains("seq"));
  EXPECT_EQ(Metric(d[0], "bdSeq")["value"], 0);
  EXPECT_EQ(Metric(d[0], "Node Control/Rebirth"), (json{{"name", "Node Control/Rebirth"}, {"alias", 0},
                                                        {"datatype", 11}, {"timestamp", d[0]["timestamp"]},
                                                        {"value", false}}));
  EXPECT_EQ(Metric(d[1], "W20")["alias"], 1);
  EXPECT_EQ(Metric(d[1], "W20")["datatype"], 3);
  EXPECT_EQ(Metric(d[1], "W20")["properties"]["comment"], "펌프");
  EXPECT_EQ(Metric(d[1], "W21")["alias"], 2);
  EXPECT_EQ(Metric(d[2], "M5"), (json{{"name", "M5"}, {"alias", 3}, {"datatype", 11},
                                      {"timestamp", d[2]["timestamp"]}, {"value", false}}));
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(d[3 + i]["metrics"].size(), 1u) << "only the changed metric";
    EXPECT_EQ(d[3 + i]["metrics"][0]["alias"], 1);
    EXPECT_EQ(d[3 + i]["metrics"][0]["value"], i + 1);
    EXPECT_FALSE(d[3 + i]["metrics"][0].contains("name"));
    EXPECT_TRUE(d[3 + i]["metrics"][0].contains("timestamp"));
  }
  EXPECT_EQ(d[6]["metrics"][0]["value"], true);
  EXPECT_EQ(Metric(d[7], "bdSeq")["value"], 0);
}

TEST_F(SparkplugTest, BdSeqAcrossABrokerRestartAndAKill) {
  Broker broker(kBroker);
  // A kept session: what the node publishes while this subscriber
  // reconnects after the restart is held for it.
  Subscriber sub(broker.port(), "spBv1.0/#", "sparkplug-host");
  auto tool = StartNode(broker);
  ASSERT_TRUE(sub.WaitFor(Count(On("DBIRTH", "M"), 1)));
  broker.Stop();
  broker.Start();
  ASSERT_TRUE(sub.WaitFor(Count(On("DBIRTH", "M"), 2), 15s));
  // The broker going down publishes the will of the first connection (a
  // QoS 1 message, which may come twice over the restart).
  const std::size_t earlier_deaths = sub.On(kNdeath).size();
  tool->Kill(SIGKILL);
  tool->Wait();
  ASSERT_TRUE(sub.WaitFor(Count(kNdeath, earlier_deaths + 1)));
  const std::vector<json> d = Decode(All(sub));
  const std::vector<json> births = Of(d, kNbirth), deaths = Of(d, kNdeath);
  ASSERT_EQ(births.size(), 2u);
  EXPECT_EQ(Metric(births[0], "bdSeq")["value"], 0);
  EXPECT_EQ(Metric(births[1], "bdSeq")["value"], 1) << "one more per connection";
  EXPECT_EQ(births[1]["seq"], 0);
  EXPECT_EQ(Of(d, On("DBIRTH", "M")).back()["seq"], 2);
  for (std::size_t i = 0; i < earlier_deaths; ++i) EXPECT_EQ(Metric(deaths[i], "bdSeq")["value"], 0);
  EXPECT_EQ(Metric(deaths.back(), "bdSeq")["value"], 1) << "the will of the last connection";
}

TEST_F(SparkplugTest, RebirthOnRequest) {
  Broker broker;
  Subscriber sub(broker.port(), "spBv1.0/#");
  auto tool = StartNode(broker);
  ASSERT_TRUE(sub.WaitFor(Count(On("DBIRTH", "M"), 1)));
  struct Case {
    json metric;
    bool retained;
    std::size_t births;  // NBIRTH messages seen after it
  };
  const Case cases[] = {
      {{{"name", "Node Control/Rebirth"}, {"datatype", 11}, {"value", true}}, false, 2},
      {{{"alias", 0}, {"datatype", 11}, {"value", true}}, false, 3},
      {{{"name", "Node Control/Rebirth"}, {"datatype", 11}, {"value", true}}, true, 3},
      {{{"name", "Node Control/Rebirth"}, {"datatype", 11}, {"value", false}}, false, 3},
  };
  for (const Case& c : cases) {
    sub.Publish(kNcmd, Command(json::array({c.metric})), c.retained);
    if (c.births == sub.On(kNbirth).size()) {
      EXPECT_FALSE(sub.WaitFor(Count(kNbirth, c.births + 1), 1s)) << c.metric << " retained " << c.retained;
      continue;
    }
    ASSERT_TRUE(sub.WaitFor(Count(On("DBIRTH", "M"), c.births))) << c.metric;
  }
  sub.Publish(kNcmd, "", true);  // clears the retained one
  const std::vector<json> d = Decode(All(sub));
  const std::vector<json> births = Of(d, kNbirth);
  ASSERT_EQ(births.size(), 3u);
  for (const json& b : births) {
    EXPECT_EQ(b["seq"], 0);
    EXPECT_EQ(Metric(b, "bdSeq")["value"], 0) << "the same connection";
  }
  EXPECT_EQ(Of(d, On("DBIRTH", "W")).back()["seq"], 1);
}

TEST_F(SparkplugTest, WritesOnlyInsideThePermission) {
  Broker broker;
  Subscriber sub(broker.port(), "#");
  auto tool = StartNode(broker, {"--allow-write", "W20,M5"});
  ASSERT_TRUE(sub.WaitFor(Count(On("DBIRTH", "M"), 1)));
  image->M[5] = 0;
  struct Case {
    std::string device;
    json metric;
    bool retained;
    int32_t w20, w21, m5;    // the image after it
    std::string error;       // in the next message on errors; empty: none
  };
  const Case cases[] = {
      {"W", {{"name", "W20"}, {"datatype", 3}, {"value", 7}}, false, 7, 0, 0, ""},
      {"W", {{"alias", 1}, {"datatype", 3}, {"value", -2}}, false, -2, 0, 0, ""},
      {"M", {{"alias", 3}, {"datatype", 11}, {"value", true}}, false, -2, 0, 1, ""},
      {"W", {{"alias", 2}, {"datatype", 3}, {"value", 9}}, false, -2, 0, 1, "W21 is not in the ranges allowed"},
      {"W", {{"name", "W20"}, {"datatype", 3}, {"value", 8}}, true, -2, 0, 1, "a retained command is never"},
      {"M", {{"name", "W20"}, {"datatype", 3}, {"value", 8}}, false, -2, 0, 1, "no such metric of device 'M'"},
      {"W", {{"name", "W20"}, {"datatype", 4}, {"value", 1LL << 40}}, false, -2, 0, 1, "an Int32 value is needed"},
  };
  std::size_t errors_seen = 0;
  for (const Case& c : cases) {
    sub.Publish(On("DCMD", c.device), Command(json::array({c.metric})), c.retained);
    if (!c.error.empty()) {
      ASSERT_TRUE(sub.WaitFor(Count(errors, ++errors_seen))) << c.metric;
      EXPECT_NE(sub.On(errors).back().payload.find(c.error), std::string::npos) << sub.On(errors).back().payload;
    } else {
      EXPECT_TRUE(WaitUntil([&] { return image->W[0x20] == c.w20 && image->M[5] == c.m5; })) << c.metric;
    }
    EXPECT_EQ(image->W[0x20], c.w20) << c.metric;
    EXPECT_EQ(image->W[0x21], c.w21) << c.metric;
    EXPECT_EQ(image->M[5], c.m5) << c.metric;
  }
  sub.Publish(On("DCMD", "W"), "", true);
  // Each write comes back as data.
  ASSERT_TRUE(sub.WaitFor(Count(On("DDATA", "M"), 1)));
  const std::vector<json> data = Of(Decode(All(sub)), On("DDATA", "W"));
  ASSERT_GE(data.size(), 2u);
  EXPECT_EQ(data.back()["metrics"][0]["value"], -2);
}

TEST_F(SparkplugTest, RefusesHostileCommands) {
  Broker broker;
  Subscriber sub(broker.port(), "#");
  auto tool = StartNode(broker, {"--allow-write", "W20"});
  ASSERT_TRUE(sub.WaitFor(Count(On("DBIRTH", "M"), 1)));
  const json write = {{"name", "W20"}, {"datatype", 3}, {"value", 5}};
  json many = json::array();
  for (int i = 0; i < 1001; ++i) many.push_back(write);
  const std::pair<std::string, std::string> cases[] = {
      {std::string(20000, '\x0a'), "a command of 20000 bytes: at most 16384 are read"},
      {"\xff\xff\xff\xff", "not a Sparkplug B payload (4 bytes"},
      {Command(many), "1001 metrics: at most 1000"},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    sub.Publish(On("DCMD", "W"), cases[i].first);
    ASSERT_TRUE(sub.WaitFor(Count(errors, i + 1))) << cases[i].second;
    EXPECT_NE(sub.On(errors).back().payload.find(cases[i].second), std::string::npos) << sub.On(errors).back().payload;
  }
  EXPECT_EQ(image->W[0x20], 0) << "nothing written";
  sub.Publish(On("DCMD", "W"), Command(json::array({write})));
  EXPECT_TRUE(WaitUntil([&] { return image->W[0x20] == 5; })) << "the node goes on";

  // Without --allow-write no command writes.
  tool->Kill(SIGTERM);
  tool->Wait();
  tool = StartNode(broker);
  ASSERT_TRUE(sub.WaitFor(Count(On("DBIRTH", "M"), 2)));
  sub.Publish(On("DCMD", "W"), Command(json::array({{{"name", "W20"}, {"datatype", 3}, {"value", 6}}})));
  ASSERT_TRUE(sub.WaitFor(Count(errors, std::size(cases) + 1)));
  EXPECT_NE(sub.On(errors).back().payload.find("writes are off"), std::string::npos);
  EXPECT_EQ(image->W[0x20], 5);
}

TEST_F(SparkplugTest, FollowsThePrimaryHost) {
  Broker broker;
  Subscriber sub(broker.port(), "spBv1.0/#");
  auto tool = StartNode(broker, {"--primary-host", "H"});
  EXPECT_FALSE(sub.WaitFor(Count(kNbirth, 1), 1500ms)) << "no birth before the host is online";
  auto state = [](bool online, int timestamp) {
    return json{{"online", online}, {"timestamp", timestamp}}.dump();
  };
  sub.Publish(kState, state(true, 100), true);
  ASSERT_TRUE(sub.WaitFor(Count(On("DBIRTH", "M"), 1)));
  sub.Publish(kState, state(false, 200), true);
  ASSERT_TRUE(sub.WaitFor(Count(kNdeath, 1)));
  // Connected again (a new bdSeq), it finds the host offline and waits.
  EXPECT_FALSE(sub.WaitFor(Count(kNbirth, 2), 2000ms));
  sub.Publish(kState, state(true, 300), true);
  ASSERT_TRUE(sub.WaitFor(Count(On("DBIRTH", "M"), 2)));
  sub.Publish(kState, state(false, 250), false);  // older than the last: ignored
  EXPECT_FALSE(sub.WaitFor(Count(kNdeath, 2), 1s));
  sub.Publish(kState, "", true);
  const std::vector<json> d = Decode(All(sub));
  const std::vector<json> births = Of(d, kNbirth);
  ASSERT_EQ(births.size(), 2u);
  EXPECT_EQ(Metric(births[0], "bdSeq")["value"], 0);
  EXPECT_EQ(Metric(Of(d, kNdeath)[0], "bdSeq")["value"], 0);
  EXPECT_EQ(Metric(births[1], "bdSeq")["value"], 1);
}

}  // namespace
}  // namespace quorsma::tool::mqtt
