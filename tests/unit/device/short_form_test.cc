// GetSma and SetSma read and write the common short forms in one pass; every
// text must come out exactly as the general parser has it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "device/general_path.h"
#include "device/read.h"
#include "device/write.h"
#include "support/test_image.h"

namespace quorsma {
namespace {

using testing::TestImage;

std::vector<std::string> Operands() {
  const char* devices[] = {"D", "M", "K", "T", "L", "R", "Z", "S", "X", "Y", "B", "W", "SM", "U", "G", "H", "d"};
  const char* numbers[] = {"0",    "5",      "100",       "1F",         "FFFF",  "131070", "131071", "65535",
                           "1FFFE", "999999999", "1234567890", "12345678", "0001", "A",      " 7",     ""};
  const char* suffixes[] = {"",     "Z1",   "Z0",    "Z21",  "Z99999", "Z-1", "Z", ".3",   ".15", ".31",
                            ".40",  ".F",   ".",     "M100", "M4",     "M131050", "K5", "Z1.3", ".3Z1", "M8Z1",
                            "Z2Z1", "ZZ",   "MM1",   "X",    "M0000000001"};
  std::vector<std::string> out;
  for (const char* d : devices)
    for (const char* n : numbers)
      for (const char* s : suffixes) out.push_back(std::string(d) + n + s);
  return out;
}

void Seed(Image& image) {
  const int32_t z[] = {3, -2, 100000, 7, 131070, -131070, 1, 0, 5};
  for (int i = 0; i < 22; ++i) image.Z[i] = z[i % 9];
  for (int i = 0; i < 140; ++i) {
    image.M[i] = i % 3 == 0;
    image.D[i] = i * 0x1111;
    image.W[i] = -i;
    image.X[i] = i & 1;
    image.Y[i] = (i >> 1) & 1;
    image.B[i] = (i >> 2) & 1;
    image.Tcoil[i] = 1;
    image.Tset[i] = 50;
    image.Tcur[i] = i;
  }
  for (int i = 131040; i < 131071; ++i) image.M[i] = 1;
  // Relay and link changes are logged; data registers are kept out of the
  // retentive file.
  image.LogEnable = 1;
  for (int32_t& excluded : image.NoLogD) excluded = 1;
}

TEST(ShortFormTest, ReadsAgreeWithTheGeneralParser) {
  TestImage image;
  testing::TestEnv env;
  Context context{image.get(), &env};
  Seed(*image.get());
  for (const std::string& operand : Operands()) {
    const int32_t general = device::GetSmaGeneral(context, operand.c_str());
    EXPECT_EQ(device::GetSma(context, operand.c_str()), general) << operand;
  }
}

TEST(ShortFormTest, WritesAgreeWithTheGeneralParser) {
  TestImage fast_image;
  TestImage general_image;
  testing::TestEnv fast_env;
  testing::TestEnv general_env;
  Context fast{fast_image.get(), &fast_env};
  Context general{general_image.get(), &general_env};
  Seed(*fast_image.get());
  Seed(*general_image.get());
  int32_t value = 1;
  for (const std::string& operand : Operands()) {
    device::SetSma(fast, operand.c_str(), value);
    device::SetSmaGeneral(general, operand.c_str(), value);
    fast_image->LogLinePending = 0;
    general_image->LogLinePending = 0;
    value += 7;
  }
  EXPECT_EQ(fast_env.messages, general_env.messages);
  // Device values and timers, then the bookkeeping of the value-change checks.
  const std::size_t device_bytes = offsetof(Image, CommentM);
  EXPECT_EQ(std::memcmp(fast_image.get(), general_image.get(), device_bytes), 0);
  const std::size_t log_begin = offsetof(Image, LogPrevM);
  const std::size_t log_end = offsetof(Image, MemParaPath);
  EXPECT_EQ(std::memcmp(reinterpret_cast<char*>(fast_image.get()) + log_begin,
                        reinterpret_cast<char*>(general_image.get()) + log_begin, log_end - log_begin),
            0);
}

}  // namespace
}  // namespace quorsma
