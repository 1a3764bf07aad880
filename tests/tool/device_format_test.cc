#include "cli/client_names.h"

#include <gtest/gtest.h>

#include "tool_test_support.h"

namespace quorsma::tool {
namespace {

struct FormatCase {
  int32_t value;
  int32_t width;
  const char* dec;
  const char* hex;
  const char* bin;
  const char* u16;
};

TEST(DeviceFormatTest, FormatsValuesByWidth) {
  const FormatCase cases[] = {
      {1234, 16, "1234", "0x04D2", "0b0000010011010010", "1234"},
      {-5, 16, "-5", "0xFFFB", "0b1111111111111011", "65531"},
      {-5, 32, "-5", "0xFFFFFFFB", "0b11111111111111111111111111111011", "65531"},
      {70000, 32, "70000", "0x00011170", "0b00000000000000010001000101110000", "4464"},
      {1, 1, "1", "0x1", "0b1", "1"},
      {0x81, 8, "129", "0x81", "0b10000001", "129"},
  };
  for (const FormatCase& c : cases) {
    DeviceValue v;
    v.value = c.value;
    v.width = c.width;
    EXPECT_EQ(FormatValue(v, ValueFormat::kDec), c.dec);
    EXPECT_EQ(FormatValue(v, ValueFormat::kHex), c.hex) << c.value;
    EXPECT_EQ(FormatValue(v, ValueFormat::kBin), c.bin) << c.value;
    EXPECT_EQ(FormatValue(v, ValueFormat::kU16), c.u16) << c.value;
  }
}

TEST(DeviceFormatTest, JsonAndCsvNeverCarryRawControlCharacters) {
  DeviceValue v;
  v.operand = "T3";
  v.value = 1;
  v.width = 1;
  v.comment = "a\"b\x1B[2J\r\n";
  v.timer = true;
  v.timer_current = 120;
  v.timer_set = 300;
  v.timer_coil = true;
  EXPECT_EQ(ToJson(v, ValueFormat::kHex),
            "{\"operand\":\"T3\",\"value\":\"0x1\",\"comment\":\"a\\\"b\\u001B[2J\\u000D\\u000A\",\"forced\":false,"
            "\"timer\":{\"current\":120,\"set\":300,\"coil\":true}}");
  EXPECT_EQ(ToCsv(v, ValueFormat::kDec), "T3,1,\"a\"\"b\\x1B[2J\\r\\n\",0,120,300,1");
}

class DeviceReadTest : public testing::LibraryImageTest {};

TEST_F(DeviceReadTest, ImageReadsMatchTheLibraryAndLeaveTheLogAlone) {
  image->W[0x100] = 0x0008;  // W: logged, but never saved to the retentive file
  image->Y[0x10] = 1;
  image->Y[0x13] = 1;
  image->X[0x17] = 1;
  image->Z[2] = 3;
  image->M[13] = 1;
  image->LogEnable = 1;
  for (const char* text : {"W100", "W100.3", "W100.2", "K2Y10", "M10Z2", "K1M10Z2"}) {
    const DeviceValue raw = ReadDeviceValue(image, text, ReadPath::kImage);
    EXPECT_EQ(image->LogLinePending, 0) << text << ": an image read runs no value-change check";
    const DeviceValue library = ReadDeviceValue(image, text, ReadPath::kLibrary);
    EXPECT_EQ(raw.value, library.value) << text;
    image->LogLinePending = 0;
  }
  EXPECT_EQ(ReadDeviceValue(image, "K2Y10", ReadPath::kImage).value, 0x09);
  EXPECT_EQ(ReadDeviceValue(image, "k2x10", ReadPath::kImage).value, 0x80);
  image->Z[2] = 200000;
  EXPECT_FALSE(ReadDeviceValue(image, "M10Z2", ReadPath::kImage).ok) << "index outside the area";
}

}  // namespace
}  // namespace quorsma::tool
