// The parts of quorsma mqtt that need no broker.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "mqtt/change_message.h"
#include "mqtt/line_queue.h"
#include "mqtt/set_request.h"

namespace quorsma::tool::mqtt {
namespace {

TEST(ChangeMessageTest, EveryKindOfLineAndTextsInNoFormat) {
  struct Case {
    std::string line;
    bool parsed;
    std::string kind = {}, number = {};
    int index = 0, old_value = 0, new_value = 0;
    std::string comment = {};
  };
  const Case cases[] = {
      {"VC => M[0005]=0 => 1 \t: PUMP", true, "M", "0005", 5, 0, 1, "PUMP"},
      {"VC => B[001F]=1 => 0 \t: ", true, "B", "001F", 31, 1, 0, ""},
      {"VC => W[1FFFE]=-5 => 2147483647 \t: a:b", true, "W", "1FFFE", 131070, -5, 2147483647, "a:b"},
      {"VC => D[131070]=-2147483648 => 0 \t: x", true, "D", "131070", 131070, -2147483648, 0, "x"},
      {"VC => L[0010]=3 => 4 \t: ", true, "L", "0010", 10, 3, 4, ""},
      {"VC => D[0001]=99999999999 => 0 \t: ", false, {}, {}, 0, 0, 0, {}},  // value beyond 32 bits
      {"VC => X[0001]=0 => 1 \t: ", false, {}, {}, 0, 0, 0, {}},            // not a logged kind
      {"VC => D[00A1]=0 => 1 \t: ", false, {}, {}, 0, 0, 0, {}},            // hexadecimal digit in a decimal number
      {"written by another program", false, {}, {}, 0, 0, 0, {}},
      {"", false, {}, {}, 0, 0, 0, {}},
  };
  const auto when = std::chrono::system_clock::now();
  for (const Case& c : cases) {
    const auto json = nlohmann::json::parse(ChangeJson(c.line, when));
    EXPECT_EQ(json["line"], c.line);
    EXPECT_EQ(json.contains("kind"), c.parsed) << c.line;
    if (!c.parsed) continue;
    EXPECT_EQ(json["kind"], c.kind) << c.line;
    EXPECT_EQ(json["number"], c.number) << c.line;
    EXPECT_EQ(json["index"], c.index) << c.line;
    EXPECT_EQ(json["old"], c.old_value) << c.line;
    EXPECT_EQ(json["new"], c.new_value) << c.line;
    EXPECT_EQ(json["comment"], c.comment) << c.line;
  }
  // The operand as devices/<operand> names it.
  for (const auto& [line, operand] : std::vector<std::pair<std::string, std::string>>{
           {"VC => B[001F]=1 => 0 \t: ", "B1F"}, {"VC => M[0005]=0 => 1 \t: ", "M5"},
           {"VC => D[131070]=1 => 0 \t: ", "D131070"}})
    EXPECT_EQ(nlohmann::json::parse(ChangeJson(line, when))["operand"], operand) << line;
  EXPECT_FALSE(nlohmann::json::parse(ChangeJson("written by another program", when)).contains("operand"));
  // CP949 bytes that are not a character still give valid JSON.
  EXPECT_NO_THROW(nlohmann::json::parse(ChangeJson("VC => M[0001]=0 => 1 \t: \xB0", when)));
}

TEST(SetValueTest, DecimalAndHexadecimalWithinThirtyTwoBits) {
  const std::pair<std::string, int64_t> good[] = {{"0", 0},          {" 42\n", 42},       {"-7", -7},
                                                  {"0x2A", 42},      {"0XFFFFFFFF", -1}, {"2147483647", 2147483647},
                                                  {"-2147483648", -2147483648LL},
                                                  {R"({"value":7})", 7},   {R"( {"value": -3} )", -3},
                                                  {R"({"value":"0x2A"})", 42}, {R"({"value":true})", 1},
                                                  {R"({"value":-2147483648})", -2147483648LL}};
  for (const auto& [text, value] : good) {
    int32_t v = 0;
    EXPECT_TRUE(ParseSetValue(text, &v)) << text;
    EXPECT_EQ(v, value) << text;
  }
  for (const char* bad : {"", "x", "12x", "0x", "2147483648", "0x100000000", "1 2", "--1", "1.5",
                          R"({"value":2147483648})", R"({"value":1.5})", R"({"v":1})", R"({"value":1,"x":2})", "{",
                          R"({"value":null})", "[1]", R"({"value":"12x"})"}) {
    int32_t v = 0;
    EXPECT_FALSE(ParseSetValue(bad, &v)) << bad;
  }
}

TEST(LineQueueTest, DropsTheOldestWhenFullAndCountsThem) {
  LineQueue queue(3);
  for (int i = 1; i <= 5; ++i) queue.Push(std::to_string(i));
  EXPECT_EQ(queue.TakeDropped(), 2u);
  EXPECT_EQ(queue.TakeDropped(), 0u);
  std::string order;
  for (; !queue.empty(); queue.pop()) order += queue.front();
  EXPECT_EQ(order, "345");
}

}  // namespace
}  // namespace quorsma::tool::mqtt
