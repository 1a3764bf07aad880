// Map files: what is refused, with its line, and the shape of what is taken.
#include "modbus/map_file.h"

#include <fstream>
#include <iterator>
#include <string>

#include "modbus_test_support.h"

namespace quorsma::tool::modbus::testing {
namespace {

TEST(MapFileTest, RefusesBadRangesWithTheirLine) {
  struct Case {
    const char* line;
    const char* error;
  } cases[] = {
      {"holding 0 D0 10", "unknown table 'holding'"},
      {"holding-registers 65536 D0 1", "address '65536'"},
      {"holding-registers 0 Q0 1", "unknown device 'Q0'"},
      {"holding-registers 0 T0 1", "unknown device 'T0'"},
      {"coils 0 X10000 1", "X numbers are hexadecimal, X0 to XFFFE"},
      {"holding-registers 0 D131070 2", "run past the last D (D131070)"},
      {"holding-registers 65535 D0 1 int32-high-first", "runs past address 65535"},
      {"holding-registers 0 D0 0", "count '0'"},
      {"holding-registers 0 M0 1", "M is a bit device"},
      {"coils 0 D0 1", "D is a word device"},
      {"input-registers 0 D0 1 rw", "input-registers are read only"},
      {"holding-registers 0 R0 1 rw", "R cannot be written"},
      {"coils 0 SM400 1 rw", "SM cannot be written"},
      {"holding-registers 0 Tset0 1 rw", "Tset cannot be written"},
      {"holding-registers 0 D0 1 ro rw", "the access is given twice"},
      {"holding-registers 0 D0 1 int64", "unknown option 'int64'"},
      {"holding-registers 0 D0", "a range is TABLE ADDRESS DEVICE COUNT"},
  };
  for (const Case& c : cases) {
    AddressMap map;
    std::vector<std::string> errors;
    EXPECT_FALSE(ParseMapText("# header\n\n" + std::string(c.line) + "\n", "map.txt", &map, &errors)) << c.line;
    ASSERT_EQ(errors.size(), 1u) << c.line;
    EXPECT_EQ(errors[0].rfind("map.txt:3: ", 0), 0u) << errors[0];
    EXPECT_NE(errors[0].find(c.error), std::string::npos) << errors[0];
  }
}

TEST(MapFileTest, RefusesOverlapsAndReportsEveryError) {
  AddressMap map;
  std::vector<std::string> errors;
  EXPECT_FALSE(ParseMapText("holding-registers 10 D0 10 int32-low-first\r\n"  // 10..29
                            "input-registers 10 D0 10\n"                      // another table: fine
                            "holding-registers 29 D100 1\n"
                            "holding-registers 0 D100 11\n"
                            "coils 0 Q1 1\n"
                            "holding-registers 30 D0 1\n",
                            "m", &map, &errors));
  ASSERT_EQ(errors.size(), 3u);
  EXPECT_EQ(errors[0], "m:3: addresses 29..29 of holding-registers overlap the range of line 1");
  EXPECT_EQ(errors[1], "m:4: addresses 0..10 of holding-registers overlap the range of line 1");
  EXPECT_EQ(errors[2].rfind("m:5: unknown device", 0), 0u);
  EXPECT_FALSE(ParseMapText("# nothing\n", "m", &map, &errors));
  EXPECT_EQ(errors.back(), "m: the file maps no address");
}

TEST(MapFileTest, TheExampleMapLoads) {
  AddressMap map;
  std::vector<std::string> errors;
  std::ifstream in(QSMA_MODBUS_EXAMPLE_MAP, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(text.empty());
  EXPECT_TRUE(ParseMapText(text, QSMA_MODBUS_EXAMPLE_MAP, &map, &errors)) << (errors.empty() ? "" : errors[0]);
}

TEST(MapFileTest, TheServerRefusesBadInputAndServesNothing) {
  const std::string path = ::testing::TempDir() + "/quorsma-bad-map-" + std::to_string(getpid()) + ".txt";
  std::ofstream(path) << "holding-registers 0 D0 10\nholding-registers 5 W0 1\n";
  struct Case {
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {{"--listen", "127.0.0.1:0", "--map", path}, path + ":2: addresses 5..5 of holding-registers overlap the range of line 1"},
      {{"--listen", "127.0.0.1:0", "--allow-write", "D100.3"}, "a register bit"},
      {{"--listen", "127.0.0.1:0", "--allow-write", "Q1..Q5"}, "--allow-write 'Q1..Q5'"},
      {{"--listen", "localhost:1502"}, "an IPv4 address and a port"},
  };
  for (Case& c : cases) {
    c.args.insert(c.args.begin(), "modbus");
    const quorsma::testing::ChildResult result = quorsma::testing::RunChild(QSMA_MODBUS_TOOL, c.args, {});
    EXPECT_EQ(result.exit_code, 2) << c.error;
    EXPECT_NE(result.err.find(c.error), std::string::npos) << result.err;
    EXPECT_EQ(result.out.find("listening"), std::string::npos);
  }
  std::remove(path.c_str());
}

}  // namespace
}  // namespace quorsma::tool::modbus::testing
