// GetIndex and ResolveOP: operand texts to element indices and to their parts.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>

#include "core/areas.h"
#include "core/messages.h"
#include "device/operand.h"
#include "support/test_image.h"

namespace quorsma {
namespace {

using testing::ImageTest;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

using GetIndexTest = ImageTest;

struct IndexCase {
  const char* operand;
  int32_t expected;
};

TEST_F(GetIndexTest, ResolvesEveryForm) {
  image->Z[2] = 7;
  const IndexCase cases[] = {
      {"D100", 100},        {"X1F", 31},           {"W10", 16},        {"B1A", 26},
      {"SM400", 400},       {"SM400Z1", 400},      {"K100", 100},      {"K4M100", 100},
      {"T5K100", 5},        {"T5", 5},             {"D100.5", 100},    {"D12345.1", 0},
      {"W12345.1", 0x12345}, {"M10Z2", 17},        {"M10.1", 10},      {"M10.1Z2", 17},
      {"D100Z2", 107},      {"W10Z2", 23},         {"W10.3", 16},      {"D100K", 0},
      {"G5X", 0},           {"U0A100", 100},       {"R77", 77},        {"Z3", 3},
      {"", 0},              {"M", kBadOperand},    {"M-1", kBadOperand}, {"K-5", kBadOperand},
      {"XG", kBadOperand},  {"D.5", kBadOperand},  {"D:5", kBadOperand}, {"Dxyz", kBadOperand},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(device::GetIndex(context, c.operand), c.expected) << c.operand;
  }
  EXPECT_THAT(env.messages, IsEmpty());
  EXPECT_THAT(env.traces, IsEmpty());
}

TEST_F(GetIndexTest, TracesLettersNoRuleTakes) {
  for (const char* operand : {"X10Z1", "L100Z2", "B10.1", "K4X10", "T5Z1"}) {
    env.Clear();
    EXPECT_EQ(device::GetIndex(context, operand), kBadOperand) << operand;
    EXPECT_THAT(env.traces, ElementsAre(std::string("GetIndex( char* in ) ") + operand + "\n"));
  }
}

TEST_F(GetIndexTest, IndexRegisterAbove20ShowsTheMessageAndStillAdds) {
  image->Z[21] = 5;
  EXPECT_EQ(device::GetIndex(context, "D100Z21"), 105);
  EXPECT_THAT(env.messages, ElementsAre(text::kMsgGetIndexOver20));
}

TEST_F(GetIndexTest, IndexRegisterOutsideZOrSumBeyond32BitsIsNotAnOperand) {
  EXPECT_EQ(device::GetIndex(context, "M10Z70000"), kBadOperand);
  EXPECT_THAT(env.messages, ElementsAre(text::kMsgGetIndexOver20));
  env.Clear();
  EXPECT_EQ(device::GetIndex(context, "M10Z-1"), kBadOperand);
  image->Z[1] = INT32_MAX;
  EXPECT_EQ(device::GetIndex(context, "M10Z1"), kBadOperand);
  image->Z[1] = INT32_MIN;
  EXPECT_EQ(device::GetIndex(context, "M0Z1"), INT32_MIN);
  EXPECT_THAT(env.messages, IsEmpty());
}

TEST_F(GetIndexTest, HugeNumbersSaturateInsteadOfWrapping) {
  EXPECT_EQ(device::GetIndex(context, "D99999999999"), INT32_MAX);
  EXPECT_EQ(device::GetIndex(context, "XFFFFFFFFFF"), INT32_MAX);
}

// ---- ResolveOP ----

class ResolveOpTest : public ImageTest {
 protected:
  int32_t Resolve(const char* operand) {
    std::memset(&record, 0, sizeof(record));
    return device::ResolveOP(context, operand, &record);
  }
  ResolvedOperand record{};
};

TEST_F(ResolveOpTest, DigitFormCountsBitsOfABitDevice) {
  ASSERT_EQ(Resolve("K4M100"), 1);
  EXPECT_STREQ(record.text, "K4M100");
  EXPECT_STREQ(record.device, "M");
  EXPECT_EQ(record.isBit, 1);
  EXPECT_EQ(record.isWord, 0);
  EXPECT_EQ(record.constValue, 16);
  EXPECT_STREQ(record.constText, "4");
  EXPECT_STREQ(record.numberText, "100");
  EXPECT_EQ(record.number, 100);
  EXPECT_EQ(record.hasPrefix, 1);
  EXPECT_EQ(record.kPending, 0);
}

TEST_F(ResolveOpTest, BitSuffixIsOneHexadecimalDigit) {
  ASSERT_EQ(Resolve("D100.F"), 1);
  EXPECT_EQ(record.bit, 15);
  EXPECT_EQ(record.isWord, 1);
  EXPECT_EQ(record.isBit, 1);
  ASSERT_EQ(Resolve("D100.x"), 1);
  EXPECT_EQ(record.bit, 0);
}

TEST_F(ResolveOpTest, IndexSuffixAndPrefix) {
  ASSERT_EQ(Resolve("W1FZ2"), 1);
  EXPECT_EQ(record.number, 31);
  EXPECT_EQ(record.isHex, 1);
  EXPECT_EQ(record.hasIndex, 1);
  EXPECT_EQ(record.indexNumber, 2);

  ASSERT_EQ(Resolve("Z1D100"), 1);
  EXPECT_EQ(record.hasIndex, 1);
  EXPECT_EQ(record.indexNumber, 1);
  EXPECT_EQ(record.number, 100);
  EXPECT_STREQ(record.device, "D");

  // A suffix replaces the prefix's index number.
  ASSERT_EQ(Resolve("Z1D5Z23"), 1);
  EXPECT_STREQ(record.indexText, "23");
  EXPECT_EQ(record.indexNumber, 23);
}

TEST_F(ResolveOpTest, DeviceNumberReplacesThePrefixInNumberText) {
  ASSERT_EQ(Resolve("K1234567890D5"), 1);
  EXPECT_STREQ(record.numberText, "5");
  for (std::size_t i = 1; i < sizeof(record.numberText); ++i) EXPECT_EQ(record.numberText[i], 0) << i;
  EXPECT_EQ(record.constValue, 1234567890);
}

TEST_F(ResolveOpTest, SpecialRelayAndPendingK) {
  ASSERT_EQ(Resolve("SM400"), 1);
  EXPECT_STREQ(record.device, "SM");
  EXPECT_EQ(record.number, 400);
  EXPECT_EQ(record.isBit, 1);
  // K directly followed by a letter stays pending.
  EXPECT_EQ(Resolve("KM10"), 1);
  EXPECT_EQ(record.kPending, 1);
  EXPECT_EQ(record.hasPrefix, 0);
}

TEST_F(ResolveOpTest, RefusesWhatItDoesNotUnderstand) {
  for (const char* operand : {"K100", "M10.1", "D100Z", "D100X", "D123456789012", "D100.", "Q5", "", "D", "Z5",
                              "D100Z1X", "D1A"}) {
    EXPECT_EQ(Resolve(operand), 0) << operand;
  }
  EXPECT_THAT(env.messages, IsEmpty());
}

TEST_F(ResolveOpTest, ARefusedTextKeepsWhatWasTakenBeforeTheRefusal) {
  struct Case {
    const char* operand;
    const char* device;
    const char* number_text;
  };
  for (const Case& c : std::initializer_list<Case>{{"M10.1", "M", "10"},
                                                   {"D12X4", "D", "12"},
                                                   {"D123456789012", "D", "123456789012"},
                                                   {"X1F.2", "X", "1F"},
                                                   {"D100.", "D", "100"},
                                                   {"D100Z", "D", "100"}}) {
    EXPECT_EQ(Resolve(c.operand), 0) << c.operand;
    EXPECT_STREQ(record.device, c.device) << c.operand;
    EXPECT_STREQ(record.numberText, c.number_text) << c.operand;
  }
  EXPECT_EQ(Resolve("M10.1"), 0);
  EXPECT_EQ(record.isBit, 1);
  EXPECT_EQ(record.number, 0) << "the number is converted only after the checks";
}

TEST_F(ResolveOpTest, ZRightAfterAPrefixShowsTheMessage) {
  EXPECT_EQ(Resolve("K4Z1"), 0);
  EXPECT_EQ(Resolve("Z4Z1"), 0);
  EXPECT_THAT(env.messages, ElementsAre(text::kMsgResolveOpKThenZ, text::kMsgResolveOpKThenZ));
}

TEST_F(ResolveOpTest, TextsThatDoNotFitTheFieldsAreRefused) {
  const std::string long_text = "D" + std::string(63, '1');  // 64 characters
  EXPECT_EQ(Resolve(long_text.c_str()), 0);
  EXPECT_EQ(record.text[0], 0) << "nothing written for a text that does not fit";

  const std::string fits = "D1" + std::string(61, ' ');  // 63 characters: copied, then refused
  EXPECT_EQ(Resolve(fits.c_str()), 0);
  EXPECT_EQ(std::string(record.text), fits);

  EXPECT_EQ(Resolve("K12345678901M5"), 0);  // 11-character constant
  EXPECT_EQ(Resolve("K1234567890M5"), 1);   // 10 characters fit
  EXPECT_EQ(Resolve("D5Z12345678901"), 0);  // 11-digit index number
  EXPECT_EQ(Resolve("D5Z1234567890"), 1);
  EXPECT_EQ(Resolve("W123456789ABC"), 0);   // 12-character device number
  EXPECT_EQ(Resolve("W123456789AB"), 1);
}

TEST_F(ResolveOpTest, NeverTouchesTheImage) {
  Context no_image{nullptr, &env};
  ResolvedOperand r{};
  EXPECT_EQ(device::ResolveOP(no_image, "Z1D100Z2", &r), 1);
}

}  // namespace
}  // namespace quorsma
