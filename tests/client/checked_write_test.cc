// Write permissions and the checked write: a permission grants exactly what
// it names, and what is checked is what is written.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "quorsma/client.h"

namespace {

MH_SHARED_STRUCTURE* Image() {
  MH_SHARED_STRUCTURE* image = nullptr;
  smGetMemoryPointer(&image);
  return image;
}

struct WriteCase {
  const char* permission;
  const char* operand;
  int32_t role;
  int64_t value;
  int32_t z1;                // Z1 at the time of the check
  int32_t status;            // expected
  const char* written;       // expected target text, when written
};

constexpr int32_t W = QSC_ROLE_WRITE;
constexpr int32_t S = QSC_ROLE_STORE;

const WriteCase kWriteCases[] = {
    // A register bit grants that bit alone.
    {"D100.3", "D100.3", W, 1, 0, QSC_OK, "D100.3"},
    {"D100.3", "D100", W, 5, 0, QSC_NOT_ALLOWED, nullptr},
    {"D100.3", "D100.4", W, 1, 0, QSC_NOT_ALLOWED, nullptr},
    {"W1F.0", "W1F.0", W, 0, 0, QSC_OK, "W1F.0"},
    // A whole cell grants its bits.
    {"D100..D109", "D100.15", W, 1, 0, QSC_OK, "D100.15"},
    // An index register is resolved once, to the cell that is checked.
    {"D100..D109", "D105Z1", W, 7, 3, QSC_OK, "D108"},
    {"D100..D109", "D105Z1", W, 7, 5, QSC_NOT_ALLOWED, nullptr},
    {"all", "D0Z1", W, 7, -1, QSC_OUTSIDE_AREA, nullptr},
    {"all", "D131070Z1", W, 7, 2147483647, QSC_OUTSIDE_AREA, nullptr},
    {"all", "M131070Z1", W, 1, 1, QSC_OUTSIDE_AREA, nullptr},
    // Digit groups: every cell granted, the value within its bits.
    {"M0..M15", "K4M0", S, 0xFFFF, 0, QSC_OK, "K4M0"},
    {"M0..M14", "K4M0", S, 1, 0, QSC_NOT_ALLOWED, nullptr},
    {"K2Y0", "K2Y0", S, 255, 0, QSC_OK, "K2Y0"},
    {"all", "K2Y0", S, 256, 0, QSC_BAD_INPUT, nullptr},
    {"all", "K8Y0", S, -1, 0, QSC_OK, "K8Y0"},
    {"all", "K8Y0", S, 0xFFFFFFFFLL, 0, QSC_OK, "K8Y0"},
    {"all", "K4M0Z1", S, 1, 0, QSC_BAD_INPUT, nullptr},
    {"all", "K4M0", W, 1, 0, QSC_BAD_INPUT, nullptr},  // a ladder write takes no digit group
    // Values that do not suit the device, devices not written by name.
    {"all", "X0", W, 2, 0, QSC_BAD_INPUT, nullptr},
    {"all", "D0", W, 2147483648LL, 0, QSC_BAD_INPUT, nullptr},
    {"all", "D0", W, -2147483648LL, 0, QSC_OK, "D0"},
    {"all", "T0", W, 1, 0, QSC_BAD_INPUT, nullptr},
    {"all", "SM400", W, 1, 0, QSC_BAD_INPUT, nullptr},
    {"", "D0", W, 1, 0, QSC_NOT_ALLOWED, nullptr},
};

TEST(CheckedWriteTest, GrantsExactlyWhatThePermissionNames) {
  MH_SHARED_STRUCTURE* image = Image();
  ASSERT_NE(image, nullptr);
  for (const WriteCase& c : kWriteCases) {
    SCOPED_TRACE(std::string(c.permission) + " / " + c.operand);
    qsc_permission* permission = nullptr;
    char error[256] = "";
    ASSERT_EQ(qsc_permission_parse(c.permission, std::strlen(c.permission), &permission, error, sizeof error), QSC_OK)
        << error;
    image->Z[1] = c.z1;
    qsc_write_target target{};
    const int32_t status = qsc_write_check(image, permission, c.operand, std::strlen(c.operand), c.role, c.value,
                                           &target, error, sizeof error);
    EXPECT_EQ(status, c.status) << error;
    if (status == QSC_OK && c.written != nullptr) {
      EXPECT_STREQ(target.operand, c.written);
    }
    if (status != QSC_OK) {
      EXPECT_GT(std::strlen(error), 0u) << "a refusal says why";
    }
    qsc_permission_free(permission);
  }
  image->Z[1] = 0;
}

TEST(CheckedWriteTest, WritesTheCellItCheckedWhenTheIndexRegisterMoves) {
  MH_SHARED_STRUCTURE* image = Image();
  qsc_permission* permission = nullptr;
  ASSERT_EQ(qsc_permission_parse("D200..D209", 10, &permission, nullptr, 0), QSC_OK);
  image->Z[2] = 4;
  image->D[204] = 0;
  image->D[254] = 0;
  qsc_write_target target{};
  ASSERT_EQ(qsc_write_check(image, permission, "D200Z2", 6, QSC_ROLE_WRITE, 77, &target, nullptr, 0), QSC_OK);
  image->Z[2] = 54;  // another program moves the index between check and write
  EXPECT_EQ(qsc_write_apply(&target, nullptr, 0), QSC_OK);
  EXPECT_EQ(image->D[204], 77);
  EXPECT_EQ(image->D[254], 0) << "the write never leaves what was checked";
  image->Z[2] = 0;
  qsc_permission_free(permission);
}

TEST(CheckedWriteTest, BitWritesLeaveTheOtherBitsAndDigitGroupsWriteEachBit) {
  MH_SHARED_STRUCTURE* image = Image();
  qsc_permission* permission = nullptr;
  ASSERT_EQ(qsc_permission_parse("D300.3,K2M40", 12, &permission, nullptr, 0), QSC_OK);
  image->D[300] = 0x00F0;
  ASSERT_EQ(qsc_write(image, permission, "D300.3", 6, QSC_ROLE_WRITE, 1, nullptr, 0), QSC_OK);
  EXPECT_EQ(image->D[300], 0x00F8);
  ASSERT_EQ(qsc_write(image, permission, "K2M40", 5, QSC_ROLE_STORE, 0xA5, nullptr, 0), QSC_OK);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(image->M[40 + i], (0xA5 >> i) & 1) << "M" << 40 + i;
  qsc_permission_free(permission);
}

TEST(CheckedWriteTest, RefusesPermissionsThatNameNoFixedDevice) {
  for (const char* text : {"M10Z2", "D1..", "K5", "D1,,D2"}) {
    qsc_permission* permission = nullptr;
    char error[256] = "";
    EXPECT_EQ(qsc_permission_parse(text, std::strlen(text), &permission, error, sizeof error), QSC_BAD_INPUT) << text;
    EXPECT_EQ(permission, nullptr);
    EXPECT_GT(std::strlen(error), 0u);
  }
}

}  // namespace
