#include "core/decimal.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace quorsma {
namespace {

constexpr NumberForm kLineHex{16, IsLineBlank, true};
constexpr NumberForm kLineDecimal{10, IsLineBlank, false};

struct Case {
  const char* text;
  NumberForm form;
  int32_t expected;
};

TEST(DecimalTest, ReadsAsTheCLibraryAndSaturates) {
  const Case cases[] = {
      {"", kCDecimal, 0},
      {"-", kCDecimal, 0},
      {"12ab", kCDecimal, 12},
      {" \t\n\v\f\r+42", kCDecimal, 42},
      {"\n7", kLineDecimal, 0},  // a line break is not a blank of a line
      {" \t-7", kLineDecimal, -7},
      {"2147483647", kCDecimal, INT32_MAX},
      {"2147483648", kCDecimal, INT32_MAX},
      {"-2147483648", kCDecimal, INT32_MIN},
      {"-2147483649", kCDecimal, INT32_MIN},
      {"99999999999999999999999999", kCDecimal, INT32_MAX},
      {"-99999999999999999999999999", kCDecimal, INT32_MIN},
      {"1fG", kCHex, 31},
      {"0x1F", kCHex, 0},  // no prefix: the x ends the number
      {"0x1F", kLineHex, 31},
      {"-0X10", kLineHex, -16},
      {"0x", kLineHex, 0},
      {"0xg", kLineHex, 0},
      {"FFFFFFFFFFFF", kCHex, INT32_MAX},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadInt32(c.text, nullptr, c.form), c.expected) << '"' << c.text << '"';
    const std::string copy(c.text);
    EXPECT_EQ(ReadInt32(copy.data(), copy.data() + copy.size(), c.form), c.expected) << '"' << c.text << '"';
  }
}

TEST(DecimalTest, StopsAtTheEndOfARange) {
  const char text[] = "0x12345";
  EXPECT_EQ(ReadInt32(text, text + 2, kLineHex), 0);  // "0x": the prefix needs a digit inside the range
  EXPECT_EQ(ReadInt32(text, text + 3, kLineHex), 1);
  EXPECT_EQ(ReadInt32(text + 2, text + 4, kCHex), 0x12);
  EXPECT_EQ(ReadSaturated("123456789", nullptr, kCDecimal, 1000), 1000);
  EXPECT_EQ(ReadSaturated("-123456789", nullptr, kCDecimal, 1000), -1000);
}

}  // namespace
}  // namespace quorsma
