// quorsma io against real stations on 127.0.0.1: our own quorsma modbus on a
// second section as a remote I/O coupler, libmodbus stations in the test
// (word orders, exceptions, a station that dies and returns) and an RTU
// station behind a socat pseudo-terminal pair.
#include <signal.h>

#include "io_test_support.h"

namespace quorsma::tool::io::testing {
namespace {

using quorsma::testing::ChildProcess;
using quorsma::testing::ChildResult;
using quorsma::testing::ScratchDir;

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Reads lines until one holds `part`; false at the end of the output.
bool ReadUntil(ChildProcess& child, const std::string& part, std::string* seen) {
  for (std::string line; !(line = child.ReadLine()).empty();) {
    *seen += line;
    if (Has(line, part)) return true;
  }
  return false;
}

TEST(IoProgramTest, MovesACouplersInputsAndOutputsAndIsTheOnlyCommunicationProgram) {
  ScratchDir dir("io-coupler");
  const std::map<std::string, std::string> remote{{"QUORSMA_SECTION", quorsma::testing::UniqueSectionName("coupler")}};
  ChildProcess coupler(QSMA_IO_TOOL, {"modbus", "--listen", "127.0.0.1:0", "--allow-write", "Y0..YF"}, remote);
  const std::string listening = coupler.ReadLine();
  ASSERT_TRUE(Has(listening, "listening on 127.0.0.1:")) << listening;
  const std::size_t colon = listening.rfind(':');
  const std::string port = listening.substr(colon + 1, listening.find_last_not_of("\r\n") - colon);
  const std::string config = WriteConfig(dir.path(), "coupler.io",
                                         "station coupler tcp 127.0.0.1:" + port +
                                             " unit 1 period 20 timeout 500 health M9000 failures D9000\n"
                                             "read discrete-inputs 0 X0 16\n"
                                             "write coils 0 Y0 16 on-change safe 0\n");
  MH_SHARED_STRUCTURE* image = Image();
  ASSERT_NE(image, nullptr);
  auto io = std::make_unique<ChildProcess>(QSMA_IO_TOOL, std::vector<std::string>{"io", config},
                                           std::map<std::string, std::string>{});
  std::string out;
  ASSERT_TRUE(ReadUntil(*io, "station coupler up", &out)) << out;
  EXPECT_EQ(image->M[9000], 1);
  EXPECT_EQ(smGethWndComm(), io->pid());

  // Inputs there appear here, outputs here appear there, within a period or so.
  ASSERT_EQ(RunTool({"set", "XB", "1"}, remote).exit_code, 0);  // hexadecimal numbers written by name
  EXPECT_TRUE(Eventually([&] { return image->X[0xB] == 1; }, 1000));
  SetSma("Y5", 1);
  EXPECT_TRUE(Eventually([&] { return Has(RunTool({"get", "Y5"}, remote).out, "Y5               1"); }, 2000));

  const ChildResult second = RunTool({"io", config});
  EXPECT_EQ(second.exit_code, 1);
  EXPECT_TRUE(Has(second.err, "another communication program is running (pid " + std::to_string(io->pid()) + ")"))
      << second.err;
  EXPECT_TRUE(Eventually([&] { return Has(RunTool({"info"}).out, "station coupler    up, "); }))
      << RunTool({"info"}).out;

  io->Kill(SIGTERM);
  const ChildResult stopped = io->Wait();
  EXPECT_EQ(stopped.exit_code, 0) << stopped.err;
  EXPECT_TRUE(Has(stopped.out, "station coupler: write Y0..YF -> coils 0..15: safe value 0 written")) << stopped.out;
  EXPECT_TRUE(Has(RunTool({"get", "Y5"}, remote).out, "Y5               0"));
  EXPECT_EQ(image->M[9000], 0);
  EXPECT_EQ(smGethWndComm(), 0);
  SetSma("Y5", 0);
  SetSma("XB", 0);
}

TEST(IoProgramTest, WordOrdersAndExceptions) {
  ScratchDir dir("io-words");
  TestStation station(0);
  station.With([](modbus_mapping_t* m) {
    m->tab_registers[0] = 0x1234;
    m->tab_registers[1] = 0xFFFE;
    m->tab_input_registers[0] = 0xFFFF;
  });
  SetSma("D110", 0x00010002);
  SetSma("M100", 1);
  SetSma("M102", 1);
  const std::string head = "station t tcp 127.0.0.1:" + std::to_string(station.port()) + " unit 1 retries 0\n";
  const ChildResult once = RunTool({"io", "--once",
                                    WriteConfig(dir.path(), "words.io",
                                                head + "read holding-registers 0 D100 1 int32-high-first\n"
                                                       "read holding-registers 0 D101 1 int32-low-first\n"
                                                       "read holding-registers 1 D102 1\n"
                                                       "read input-registers 0 D103 1 uint16\n"
                                                       "write holding-registers 4 D110 1 int32-low-first\n"
                                                       "write coils 0 M100 3\n")});
  EXPECT_EQ(once.exit_code, 0) << once.out << once.err;
  MH_SHARED_STRUCTURE* image = Image();
  EXPECT_EQ(image->D[100], 0x1234FFFE);
  EXPECT_EQ(image->D[101], static_cast<int32_t>(0xFFFE1234u));
  EXPECT_EQ(image->D[102], -2);
  EXPECT_EQ(image->D[103], 65535);
  EXPECT_TRUE(Has(once.out, "t read holding-registers 0..1 -> D100: 305463294")) << once.out;
  station.With([](modbus_mapping_t* m) {
    EXPECT_EQ(m->tab_registers[4], 0x0002);
    EXPECT_EQ(m->tab_registers[5], 0x0001);
    EXPECT_EQ(m->tab_bits[0], 1);
    EXPECT_EQ(m->tab_bits[1], 0);
    EXPECT_EQ(m->tab_bits[2], 1);
  });

  // A block the station refuses leaves its devices as they were, and the
  // station answers for nothing else of that cycle.
  for (const char* d : {"D200", "D201", "D202", "D203"}) SetSma(d, 7);
  const ChildResult refused = RunTool(
      {"io", "--once", WriteConfig(dir.path(), "bad.io", head + "read holding-registers 98 D200 4\n")});
  EXPECT_EQ(refused.exit_code, 1);
  EXPECT_TRUE(Has(refused.out, "station t down: read holding-registers 98..101 -> D200..D203: Illegal data address"))
      << refused.out;
  for (int d = 200; d < 204; ++d) EXPECT_EQ(image->D[d], 7) << d;

  // A refused file starts nothing: every error with its line, exit code 2.
  const ChildResult bad = RunTool({"io", WriteConfig(dir.path(), "c.io", head + "read coils 0 D0 1\npoll\n")});
  EXPECT_EQ(bad.exit_code, 2);
  EXPECT_TRUE(Has(bad.err, "c.io:2: device 'D0'") && Has(bad.err, "c.io:3: unknown statement 'poll'") &&
              Has(bad.err, "nothing is started"))
      << bad.err;
  EXPECT_EQ(bad.out, "");
  const ChildResult missing = RunTool({"io", (dir.path() / "missing.io").string()});
  EXPECT_EQ(missing.exit_code, 2);
  EXPECT_TRUE(Has(missing.err, "missing.io: No such file or directory")) << missing.err;
}

TEST(IoProgramTest, ADeadStationDropsItsRelayKeepsItsValuesAndReturns) {
  ScratchDir dir("io-dead");
  auto station = std::make_unique<TestStation>(0);
  const int port = station->port();
  auto fill = [&](int base) {
    station->With([base](modbus_mapping_t* m) {
      for (int i = 0; i < 6; ++i) m->tab_registers[i] = static_cast<uint16_t>(base + i);
    });
  };
  fill(10);
  const std::string config = WriteConfig(dir.path(), "dead.io",
                                         "station t tcp 127.0.0.1:" + std::to_string(port) +
                                             " unit 1 period 20 timeout 200 health M9100 failures D9100\n"
                                             "read holding-registers 0 D300 4\n"
                                             "read holding-registers 4 D310 2 safe -1\n");
  MH_SHARED_STRUCTURE* image = Image();
  ChildProcess io(QSMA_IO_TOOL, {"io", config}, {});
  std::string out;
  ASSERT_TRUE(ReadUntil(io, "station t up", &out)) << out;
  EXPECT_TRUE(Eventually([&] { return image->D[303] == 13 && image->D[311] == 15; }));

  station.reset();
  ASSERT_TRUE(ReadUntil(io, "station t down", &out)) << out;
  EXPECT_TRUE(Has(out, "D310..D311 set to -1")) << out;
  EXPECT_EQ(image->M[9100], 0);
  EXPECT_TRUE(Eventually([&] { return image->D[9100] >= 2; })) << image->D[9100];
  for (int i = 0; i < 4; ++i) EXPECT_EQ(image->D[300 + i], 10 + i);  // the last values stay
  EXPECT_EQ(image->D[310], -1);

  station = std::make_unique<TestStation>(port);
  ASSERT_TRUE(station->serving());
  fill(20);
  ASSERT_TRUE(ReadUntil(io, "station t up", &out)) << out;
  EXPECT_TRUE(Eventually([&] { return image->D[300] == 20 && image->D[9100] == 0; }));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(image->D[300 + i], 20 + i);
  EXPECT_EQ(image->M[9100], 1);
  io.Kill(SIGINT);
  EXPECT_EQ(io.Wait().exit_code, 0);
}

TEST(IoProgramTest, RtuThroughAPseudoTerminalPair) {
  if (std::string(QSMA_SOCAT).empty() || !std::filesystem::exists(QSMA_SOCAT)) GTEST_SKIP() << "socat is missing";
  ScratchDir dir("io-rtu");
  const std::string ours = (dir.path() / "io").string(), theirs = (dir.path() / "station").string();
  ChildProcess socat(QSMA_SOCAT, {"pty,raw,echo=0,link=" + ours, "pty,raw,echo=0,link=" + theirs}, {});
  ASSERT_TRUE(Eventually([&] { return std::filesystem::exists(ours) && std::filesystem::exists(theirs); }));
  TestStation station(theirs, 7);
  ASSERT_TRUE(station.serving());
  station.With([](modbus_mapping_t* m) {
    m->tab_registers[0] = 41;
    m->tab_registers[1] = 42;
  });
  SetSma("D410", 99);
  const ChildResult once = RunTool({"io", "--once",
                                    WriteConfig(dir.path(), "rtu.io",
                                                "station r rtu " + ours + " 19200 none 8 1 unit 7 timeout 1000\n"
                                                "read holding-registers 0 D400 2\n"
                                                "write holding-registers 10 D410 1\n")});
  EXPECT_EQ(once.exit_code, 0) << once.out << once.err;
  EXPECT_EQ(Image()->D[400], 41);
  EXPECT_EQ(Image()->D[401], 42);
  station.With([](modbus_mapping_t* m) { EXPECT_EQ(m->tab_registers[10], 99); });
  socat.Kill(SIGTERM);
  socat.Wait();
}

}  // namespace
}  // namespace quorsma::tool::io::testing
