// Stations that answer wrongly: garbage, a foreign transaction, a
// byte count that does not match, an answer cut short or trickled.  Each
// ends the cycle within its time with a reason, and no device changes.
#include <signal.h>

#include "io_test_support.h"

namespace quorsma::tool::io::testing {
namespace {

using Bytes = std::vector<uint8_t>;

// The right answer to a read of two holding registers, 7 and 9.
Bytes Right(const Bytes& request) { return {request[0], request[1], 0, 0, 0, 7, request[6], 3, 4, 0, 7, 0, 9}; }

TEST(IoHostileTest, AWrongAnswerFailsTheCycleAndChangesNothing) {
  struct Case {
    const char* name;
    std::function<Bytes(const Bytes&)> reply;
    int pieces = 1;
    int pause_ms = 0;
  } cases[] = {
      {"garbage", [](const Bytes&) { return Bytes(40, 0xFF); }},
      {"another transaction", [](const Bytes& r) { Bytes b = Right(r); b[1] ^= 1; return b; }},
      {"byte count too large", [](const Bytes& r) {
         Bytes b(6 + 253, 0);
         b[0] = r[0];
         b[1] = r[1];
         b[5] = 253;
         b[6] = r[6];
         b[7] = 3;
         b[8] = 250;
         return b;
       }},
      {"cut short", [](const Bytes& r) { return Bytes{r[0], r[1], 0, 0, 0, 7, r[6], 3, 4, 0}; }},
      {"trickled", Right, 13, 300},
  };
  quorsma::testing::ScratchDir dir("io-hostile");
  MH_SHARED_STRUCTURE* image = Image();
  for (const Case& c : cases) {
    SetSma("D500", 1);
    SetSma("D501", 2);
    ScriptedStation station(c.reply, c.pieces, c.pause_ms);
    const std::string config = WriteConfig(dir.path(), "h.io",
                                           "station h tcp 127.0.0.1:" + std::to_string(station.port()) +
                                               " unit 1 timeout 500 retries 0\nread holding-registers 0 D500 2\n");
    const auto start = std::chrono::steady_clock::now();
    const quorsma::testing::ChildResult once = RunTool({"io", "--once", config});
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(once.exit_code, 1) << c.name << ": " << once.out << once.err;
    EXPECT_NE(once.out.find("station h down: read holding-registers 0..1 -> D500..D501: "), std::string::npos)
        << c.name << ": " << once.out;
    EXPECT_LT(took, std::chrono::seconds(3)) << c.name;
    EXPECT_EQ(image->D[500], 1) << c.name;
    EXPECT_EQ(image->D[501], 2) << c.name;
  }
  // The same station answering rightly is taken.
  ScriptedStation right(Right, 1, 0);
  const quorsma::testing::ChildResult once =
      RunTool({"io", "--once", WriteConfig(dir.path(), "r.io",
                                           "station h tcp 127.0.0.1:" + std::to_string(right.port()) +
                                               " unit 1\nread holding-registers 0 D500 2\n")});
  EXPECT_EQ(once.exit_code, 0) << once.out << once.err;
  EXPECT_EQ(image->D[500], 7);
  EXPECT_EQ(image->D[501], 9);
}

}  // namespace
}  // namespace quorsma::tool::io::testing
