// The configuration of quorsma io: what is refused, with its line, and the
// shape of what is taken; the word orders of 32-bit values.
#include "io/io_config.h"

#include <gtest/gtest.h>

#include "io/register_codec.h"

namespace quorsma::tool::io {
namespace {

constexpr const char* kStation = "station s tcp 127.0.0.1:502 unit 1\n";

TEST(IoConfigTest, RefusesBadLinesWithTheirLine) {
  struct Case {
    const char* station;  // null: kStation
    const char* line;
    const char* error;
  } cases[] = {
      {"station s tcp 127.0.0.1 unit 1", "read coils 0 X0 1", "HOST:PORT"},
      {"station s tcp 127.0.0.1:0 unit 1", "read coils 0 X0 1", "HOST:PORT"},
      {"station s udp h:1 unit 1", "read coils 0 X0 1", "link 'udp': tcp or rtu"},
      {"station s tcp h:1", "read coils 0 X0 1", "the unit id is missing"},
      {"station s tcp h:1 unit 256", "read coils 0 X0 1", "unit '256'"},
      {"station s rtu /dev/ttyS0 9600 none 8 1 unit 0", "read coils 0 X0 1", "unit '0'"},
      {"station s rtu /dev/ttyS0 9600 mark 8 1 unit 1", "read coils 0 X0 1", "parity 'mark'"},
      {"station s rtu /dev/ttyS0 100 none 8 1 unit 1", "read coils 0 X0 1", "baud '100'"},
      {"station s/1 tcp h:1 unit 1", "read coils 0 X0 1", "station name 's/1'"},
      {"station s tcp h:1 unit 1 period 3600001", "read coils 0 X0 1", "period '3600001'"},
      {"station s tcp h:1 unit 1 period 50 period 60", "read coils 0 X0 1", "'period' is given twice"},
      {"station s tcp h:1 unit 1 retries", "read coils 0 X0 1", "option 'retries' has no value"},
      {"station s tcp h:1 unit 1 health D0", "read coils 0 X0 1", "health device 'D0': here M L B S X Y"},
      {"station s tcp h:1 unit 1 failures M0", "read coils 0 X0 1", "failures device 'M0'"},
      {"station s tcp h:1 unit 1 colour red", "read coils 0 X0 1", "unknown option 'colour'"},
      {nullptr, "read holding 0 D0 1", "unknown table 'holding'"},
      {nullptr, "write input-registers 0 D0 1", "input-registers are read only"},
      {nullptr, "read coils 65536 X0 1", "address '65536'"},
      {nullptr, "read coils 0 D0 1", "device 'D0': here X Y M L B S"},
      {nullptr, "read holding-registers 0 M0 1", "device 'M0': here D W Z"},
      {nullptr, "read holding-registers 0 R0 1", "device 'R0'"},
      {nullptr, "read coils 0 SM0 1", "device 'SM0'"},
      {nullptr, "read coils 0 XG 1", "X numbers are hexadecimal"},
      {nullptr, "read holding-registers 0 D131070 2", "run past the last D"},
      {nullptr, "read holding-registers 0 D0 126", "count '126': a decimal number from 1 to 125"},
      {nullptr, "read holding-registers 0 D0 63 int32-low-first", "from 1 to 62"},
      {nullptr, "write holding-registers 0 D0 124", "from 1 to 123"},
      {nullptr, "read coils 0 X0 2001", "from 1 to 2000"},
      {nullptr, "write coils 0 Y0 1969", "from 1 to 1968"},
      {nullptr, "read holding-registers 65535 D0 1 int32-high-first", "runs past address 65535"},
      {nullptr, "read coils 0 X0 16 int16", "a format applies to registers only"},
      {nullptr, "read holding-registers 0 D0 1 int16 uint16", "the format is given twice"},
      {nullptr, "read holding-registers 0 D0 1 on-change", "unknown option 'on-change'"},
      {nullptr, "write coils 0 Y0 1 cyclic on-change", "given twice"},
      {nullptr, "write coils 0 Y0 1 safe 2", "the safe value of bits is 0 or 1"},
      {nullptr, "write holding-registers 0 D0 1 safe ten", "safe value 'ten'"},
      {nullptr, "write holding-registers 0 D0 1 safe", "'safe' has no value"},
      {nullptr, "read coils 0 X0", "a read is: read TABLE"},
      {nullptr, "poll coils 0 X0 1", "unknown statement 'poll'"},
  };
  for (const Case& c : cases) {
    // The bad line is line 3 whether it is the station or the transfer.
    const std::string text = c.station ? "# plant\n\n" + std::string(c.station) + "\nread coils 0 X0 1\n"
                                       : "# plant\n" + std::string(kStation) + c.line + "\n";
    Config config;
    std::vector<std::string> errors;
    EXPECT_FALSE(ParseConfigText(text, "p.io", &config, &errors)) << c.line;
    ASSERT_EQ(errors.size(), 1u) << text;
    EXPECT_EQ(errors[0].rfind("p.io:3: ", 0), 0u) << errors[0];
    EXPECT_NE(errors[0].find(c.error), std::string::npos) << errors[0];
    EXPECT_TRUE(config.stations.empty());
  }
}

TEST(IoConfigTest, RefusesWhatSpansLines) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"read coils 0 X0 1\n", "p.io:1: a read belongs to a station"},
      {"# nothing\n", "p.io: the file names no station"},
      {"station a tcp h:1 unit 1\n", "p.io:1: station 'a' has no transfer"},
      {"station a tcp h:1 unit 1\nread coils 0 X0 1\nstation a tcp h:2 unit 1\n", "p.io:3: station 'a' is named twice"},
      {"station a tcp h:1 unit 1\nread coils 0 X0 16\nstation b tcp h:2 unit 1\nread discrete-inputs 0 XF 1\n",
       "p.io:4: XF overlaps X0..XF, written by line 2"},
      {"station a tcp h:1 unit 1 health M5\nread coils 0 M0 8\n", "p.io:2: M0..M7 overlaps M5"},
      {"station a rtu /dev/ttyS0 9600 none 8 1 unit 1\nread coils 0 X0 1\n"
       "station b rtu /dev/ttyS0 19200 none 8 1 unit 2\nread coils 0 X1 1\n",
       "p.io:3: station 'b' uses /dev/ttyS0 with other settings than station 'a'"},
  };
  for (const Case& c : cases) {
    Config config;
    std::vector<std::string> errors;
    EXPECT_FALSE(ParseConfigText(c.text, "p.io", &config, &errors)) << c.text;
    ASSERT_FALSE(errors.empty()) << c.text;
    EXPECT_EQ(errors[0].rfind(c.error, 0), 0u) << errors[0];
  }
}

TEST(IoConfigTest, TakesAWholeFile) {
  Config config;
  std::vector<std::string> errors;
  ASSERT_TRUE(ParseConfigText("station coupler tcp 10.0.0.5:502 unit 3 period 20 timeout 200 retries 0 health M9000 "
                              "failures D9000  # the rack\n"
                              "  read discrete-inputs 0 X0 16\r\n"
                              "\twrite coils 0 Y0 16 on-change safe 0\n"
                              "station drive rtu /dev/ttyUSB0 19200 even 8 1 unit 7\n"
                              "read holding-registers 100 D100 4 int32-low-first safe -1\n"
                              "write holding-registers 10 W1F 1 uint16\n",
                              "p.io", &config, &errors))
      << (errors.empty() ? "" : errors[0]);
  ASSERT_EQ(config.stations.size(), 2u);
  const Station& coupler = config.stations[0];
  EXPECT_EQ(coupler.Address(), "tcp 10.0.0.5:502 unit 3");
  EXPECT_EQ(coupler.period_ms, 20);
  EXPECT_EQ(coupler.timeout_ms, 200);
  EXPECT_EQ(coupler.retries, 0);
  EXPECT_EQ(DeviceName(*coupler.health, 0), "M9000");
  EXPECT_EQ(DeviceName(*coupler.failures, 0), "D9000");
  ASSERT_EQ(coupler.transfers.size(), 2u);
  EXPECT_TRUE(coupler.transfers[1].write);
  EXPECT_TRUE(coupler.transfers[1].on_change);
  EXPECT_EQ(coupler.transfers[1].safe, 0);
  const Station& drive = config.stations[1];
  EXPECT_EQ(drive.Address(), "rtu /dev/ttyUSB0 19200 E 8 1 unit 7");
  EXPECT_EQ(drive.transfers[0].Items(), 8);
  EXPECT_EQ(drive.transfers[0].safe, -1);
  EXPECT_EQ(DeviceName(drive.transfers[1].devices, 0), "W1F");
}

TEST(IoConfigTest, WordOrdersRoundTrip) {
  const uint16_t registers[] = {0x1234, 0xFFFE};
  struct Case {
    Format format;
    int32_t first;
  } cases[] = {
      {Format::kInt16, 0x1234},
      {Format::kUint16, 0x1234},
      {Format::kInt32HighFirst, 0x1234FFFE},
      {Format::kInt32LowFirst, static_cast<int32_t>(0xFFFE1234u)},
  };
  for (const Case& c : cases) {
    int32_t values[2] = {};
    DecodeRegisters(registers, IsWide(c.format) ? 1 : 2, c.format, values);
    EXPECT_EQ(values[0], c.first);
    uint16_t back[2] = {};
    EncodeRegisters(values, IsWide(c.format) ? 1 : 2, c.format, back);
    EXPECT_EQ(back[0], registers[0]);
    EXPECT_EQ(back[1], registers[1]);
  }
  int32_t value = 0;
  DecodeRegisters(&registers[1], 1, Format::kInt16, &value);
  EXPECT_EQ(value, -2);
  DecodeRegisters(&registers[1], 1, Format::kUint16, &value);
  EXPECT_EQ(value, 65534);
}

}  // namespace
}  // namespace quorsma::tool::io
