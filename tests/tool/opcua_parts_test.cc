// The parts of quorsma opcua that decide before the stack sees anything: the
// listen address, the users file and its hashes, and the devices served.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "opcua/device_nodes.h"
#include "opcua/listen_url.h"
#include "opcua/users_file.h"

namespace quorsma::tool::opcua {
namespace {

TEST(OpcuaListenUrl, TakesOpcTcpWithAnIpv4AddressAndAPort) {
  struct Case {
    const char* text;
    bool ok;
    bool loopback;
  } cases[] = {
      {"opc.tcp://127.0.0.1:4840", true, true},  {"opc.tcp://127.9.8.7:1/", true, true},
      {"opc.tcp://localhost:4840", true, true},  {"opc.tcp://0.0.0.0:4840", true, false},
      {"opc.tcp://10.0.0.5:65535", true, false}, {"opc.tcp://127.0.0.1:0", false, false},
      {"opc.tcp://127.0.0.1:65536", false, false}, {"opc.tcp://127.0.0.1", false, false},
      {"opc.tcp://plc.local:4840", false, false}, {"http://127.0.0.1:4840", false, false},
      {"opc.tcp://[::1]:4840", false, false},    {"opc.tcp://127.0.0.1:48a0", false, false},
  };
  for (const Case& c : cases) {
    ListenUrl url;
    EXPECT_EQ(ParseListenUrl(c.text, &url), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(url.loopback, c.loopback) << c.text;
    }
  }
}

TEST(OpcuaUsers, HashedLinesLogInWithTheirPasswordOnly) {
  const std::string alice = HashLine("alice", "s3cret", 1000);
  const std::string bob = HashLine("bob", "other", 1000);
  std::vector<User> users;
  std::string error;
  ASSERT_TRUE(ParseUsers("# users\n\n" + alice + "\r\n" + bob + "\n", &users, &error)) << error;
  ASSERT_EQ(users.size(), 2u);
  struct Case {
    const char* name;
    const char* password;
    const char* who;  // nullptr: refused
  } cases[] = {
      {"alice", "s3cret", "alice"}, {"bob", "other", "bob"},   {"alice", "other", nullptr},
      {"alice", "", nullptr},       {"carol", "s3cret", nullptr}, {"Alice", "s3cret", nullptr},
  };
  for (const Case& c : cases) {
    const User* user = CheckPassword(users, c.name, c.password);
    if (c.who == nullptr) {
      EXPECT_EQ(user, nullptr) << c.name << " " << c.password;
    } else {
      ASSERT_NE(user, nullptr) << c.name;
      EXPECT_EQ(user->name, c.who);
    }
  }
}

TEST(OpcuaUsers, MalformedFilesAreRefusedWithTheirLine) {
  const std::string good = HashLine("alice", "pw", 1000);
  const std::string key(64, 'a');
  struct Case {
    std::string text;
    const char* reason;
  } cases[] = {
      {"alice\n", "line 1: expected"},
      {"alice secret\n", "line 1: expected"},
      {"# c\nalice pbkdf2-sha1$1000$00$" + key + "\n", "line 2: expected"},
      {"alice pbkdf2-sha256$0$00$" + key + "\n", "line 1: expected"},
      {"alice pbkdf2-sha256$1000$0g$" + key + "\n", "line 1: expected"},
      {"alice pbkdf2-sha256$1000$00$abcd\n", "line 1: expected"},
      {good + " extra\n", "line 1: expected"},
      {good + "\n" + good + "\n", "line 2: the user 'alice' again"},
  };
  for (const Case& c : cases) {
    std::vector<User> users;
    std::string error;
    EXPECT_FALSE(ParseUsers(c.text, &users, &error)) << c.text;
    EXPECT_EQ(error.rfind(c.reason, 0), 0u) << error;
  }
}

TEST(OpcuaNodes, RangesResolveToDevicesOnceWithTheirShapeAndPermission) {
  MH_SHARED_STRUCTURE* image = nullptr;
  smGetMemoryPointer(&image);
  ASSERT_NE(image, nullptr);
  qsc_permission* raw = nullptr;
  ASSERT_EQ(qsc_permission_parse("D1,M0", 5, &raw, nullptr, 0), QSC_OK);
  std::unique_ptr<qsc_permission, decltype(&qsc_permission_free)> allow(raw, qsc_permission_free);
  std::vector<DeviceNode> nodes;
  std::string error;
  ASSERT_TRUE(ResolveNodes(image, "D0..D1,D1,M0,X1F,SM0,T5", allow.get(), 100, &nodes, &error)) << error;
  const std::vector<std::string> expected = {"D0", "D1", "M0", "X1F", "SM0", "T5"};
  ASSERT_EQ(nodes.size(), expected.size());
  for (std::size_t i = 0; i < nodes.size(); ++i) EXPECT_EQ(nodes[i].operand, expected[i]);
  EXPECT_EQ(nodes[0].cell, &image->D[0]);
  EXPECT_EQ(nodes[3].cell, &image->X[0x1F]);
  EXPECT_EQ(nodes[5].cell, &image->Tcur[5]);
  EXPECT_EQ(nodes[5].shape, NodeShape::kTimer);
  EXPECT_EQ(nodes[2].shape, NodeShape::kBit);
  // Writable only inside the permission, and only what is written by name.
  EXPECT_FALSE(nodes[0].writable);
  EXPECT_TRUE(nodes[1].writable);
  EXPECT_TRUE(nodes[2].writable);
  EXPECT_FALSE(nodes[4].writable);

  struct Refused {
    const char* ranges;
    std::size_t max;
    const char* reason;
  } refused[] = {
      {"D100.3", 100, "only plain devices"}, {"K4M0", 100, "only plain devices"},
      {"M10Z2", 100, "only plain devices"},  {"Z0", 100, "are not served"},
      {"D0..D100", 100, "more than 100 devices"}, {"D0..", 100, ""},
  };
  for (const Refused& r : refused) {
    EXPECT_FALSE(ResolveNodes(image, r.ranges, allow.get(), r.max, &nodes, &error)) << r.ranges;
    EXPECT_NE(error.find(r.reason), std::string::npos) << r.ranges << ": " << error;
  }
}

}  // namespace
}  // namespace quorsma::tool::opcua
