// Arithmetic, increment and decrement instructions.
#include <gtest/gtest.h>

#include <string>

#include "core/messages.h"
#include "unit/ladder/rung.h"

namespace quorsma {
namespace {

using testing::LadderTest;
using ArithmeticTest = LadderTest;

constexpr int32_t kMin = -2147483647 - 1;
constexpr int32_t kMax = 2147483647;

struct Case {
  const char* op;
  const char* first;
  const char* second;
  const char* destination;
  int32_t d0, d1;          // D0 and D1 before
  int32_t index;           // D register to check afterwards
  int32_t expected;        // its value
  const char* message;     // message shown, or null
};

TEST_F(ArithmeticTest, ComputesIntoTheDestinationOrTheSecondOperand) {
  const Case cases[] = {
      {"LAD_PLUS", "D0", "D1", "", 5, 7, 1, 12, nullptr},
      {"LAD_PLUS", "D0", "D1", "D2", 5, 7, 2, 12, nullptr},
      {"LAD_PLUS", "D0", "K1", "D2", kMax, 0, 2, kMin, nullptr},  // wraps
      {"LAD_MINUS", "D0", "D1", "", 5, 7, 1, 2, nullptr},
      {"LAD_MINUS", "D0", "D1", "D2", 5, 7, 2, -2, nullptr},
      {"LAD_MINUS", "D0", "K1", "D2", kMin, 0, 2, kMax, nullptr},
      {"LAD_MULTIPLY", "K3", "D1", "D2", 0, 4, 2, 12, nullptr},
      {"LAD_MULTIPLY", "K3", "D1", "", 0, 4, 1, 12, nullptr},
      {"LAD_MULTIPLY", "D0", "D1", "D2", 65536, 65536, 2, 0, nullptr},  // low 32 bits
      {"LAD_MULTIPLY", "D0", "D1", "D2", kMin, -1, 2, kMin, nullptr},
      {"LAD_MULTIPLY", "W0", "D1", "D2", 0, 4, 2, 36, nullptr},        // any source kind (W0 = 9)
      {"LAD_MULTIPLY", "D0", "D1", "K5", 3, 4, 1, 4, text::kMsgMultiplyConstDest},
      {"LADALL_DIVIDE", "D0", "D1", "D10", -7, 2, 10, -3, nullptr},
      {"LADALL_DIVIDE", "D0", "D1", "D10", -7, 2, 11, -1, nullptr},
      {"LADALL_DIVIDE", "D0", "D1", "K5", -7, 2, 1, 2, text::kMsgDivideConstDest},
  };
  for (const Case& k : cases) {
    std::string what = std::string(k.op) + " " + k.first + "," + k.second + "," + k.destination;
    image->D[0] = k.d0;
    image->D[1] = k.d1;
    image->D[2] = image->D[10] = image->D[11] = 99;
    image->W[0] = 9;
    env.Clear();
    Run({{"PUSH", "1"}, {k.op, k.first, k.second, k.destination}});
    EXPECT_EQ(image->D[k.index], k.expected) << what;
    EXPECT_EQ(image->ResultDepth, 0) << what;
    if (k.message) {
      ASSERT_EQ(env.messages.size(), 1u) << what;
      EXPECT_EQ(env.messages[0], k.message) << what;
      EXPECT_EQ(image->D[0], k.d0) << what;
      EXPECT_EQ(image->Kscratch, 0) << what;
    } else {
      EXPECT_TRUE(env.messages.empty()) << what;
    }
  }
}

TEST_F(ArithmeticTest, ResultOffDoesNothing) {
  image->D[0] = 5;
  image->D[1] = 7;
  for (const char* op : {"LAD_PLUS", "LAD_MINUS", "LAD_MULTIPLY", "LADALL_DIVIDE"}) {
    Run({{"PUSH", "0"}, {op, "D0", "D1", "K5"}, {"PUSH", "0"}, {op, "D0", "D1", ""}});
  }
  Run({{"PUSH", "0"}, {"INC", "X0"}});
  EXPECT_EQ(image->D[1], 7);
  EXPECT_TRUE(env.messages.empty());
}

// The sum of a constant destination lands in the constant cell, as it always
// has; no device changes.
TEST_F(ArithmeticTest, PlusIntoAConstantChangesNoDevice) {
  image->D[0] = 5;
  image->D[1] = 7;
  Run({{"PUSH", "1"}, {"LAD_PLUS", "D0", "D1", "K5"}});
  EXPECT_EQ(image->Kscratch, 12);
  EXPECT_EQ(image->D[1], 7);
  EXPECT_TRUE(env.messages.empty());
}

// Where quotient and remainder cannot both be stored, neither is.
TEST_F(ArithmeticTest, DivisionStoresNothingWithoutAWholeResult) {
  struct Division {
    int32_t dividend, divisor;
    const char* destination;
  };
  const Division cases[] = {
      {7, 0, "D10"},        {kMin, -1, "D10"}, {7, 2, ""},
      {7, 2, "D131070"},    {7, 2, "Z65534"},  {7, 2, "M131070"},
      {7, 2, "D200000"},
  };
  for (const Division& k : cases) {
    image->D[0] = k.dividend;
    image->D[1] = k.divisor;
    image->D[10] = image->D[11] = image->D[131070] = 99;
    image->Z[65534] = image->M[131070] = 99;
    env.Clear();
    Run({{"PUSH", "1"}, {"LADALL_DIVIDE", "D0", "D1", k.destination}});
    EXPECT_EQ(image->D[10], 99) << k.destination;
    EXPECT_EQ(image->D[11], 99) << k.destination;
    EXPECT_EQ(image->D[131070], 99) << k.destination;
    EXPECT_EQ(image->WrDChk[0], 0) << k.destination;
    EXPECT_EQ(image->Z[65534], 99) << k.destination;
    EXPECT_EQ(image->M[0], 0) << k.destination;
    EXPECT_EQ(image->M[131070], 99) << k.destination;
    EXPECT_EQ(image->Reserved000BFFF8[0], 0) << k.destination;
  }
  // The cell before the last is fine.
  image->D[0] = 7;
  image->D[1] = 2;
  Run({{"PUSH", "1"}, {"LADALL_DIVIDE", "D0", "D1", "D131069"}});
  EXPECT_EQ(image->D[131069], 3);
  EXPECT_EQ(image->D[131070], 1);
}

// A named destination of another kind receives the result itself; it is
// never diverted into the second operand.
TEST_F(ArithmeticTest, MultiplyAndDivideStoreIntoOtherDeviceKinds) {
  image->D[0] = 7;
  image->D[1] = 2;
  Run({{"PUSH", "1"}, {"LAD_MULTIPLY", "D0", "D1", "W10"}, {"PUSH", "1"}, {"LADALL_DIVIDE", "D0", "D1", "R5"}});
  EXPECT_EQ(image->W[16], 14);
  EXPECT_EQ(image->R[5], 3);
  EXPECT_EQ(image->R[6], 1);
  EXPECT_EQ(image->D[1], 2);
  Run({{"PUSH", "1"}, {"LADALL_DIVIDE", "D0", "D1", "Z3"}, {"PUSH", "1"}, {"LADALL_DIVIDE", "D0", "D1", "M7"}});
  EXPECT_EQ(image->Z[3], 3);
  EXPECT_EQ(image->Z[4], 1);
  EXPECT_EQ(image->M[7], 3);
  EXPECT_EQ(image->M[8], 1);
}

TEST_F(ArithmeticTest, IncrementAndDecrementTheirDeviceKinds) {
  struct Step1 {
    const char* op;
    const char* operand;
    const char* message;
  };
  const Step1 cases[] = {
      {"INC", "D0", nullptr},   {"INC", "W10", nullptr},  {"INC", "Z1", nullptr},
      {"INC", "X0", text::kMsgIncError}, {"INC", "M0", text::kMsgIncError},
      {"DECP", "W10", nullptr}, {"DECP", "D0", nullptr},
      {"DECP", "Z1", text::kMsgDecError}, {"INCP", "Y0", text::kMsgIncError},
      {"DINCP", "D2", nullptr},
  };
  image->D[0] = 32767;
  for (const Step1& k : cases) {
    env.Clear();
    image->PulseMemory[0] = 0;
    Run({{"SLOT", "0"}, {"PUSH", "1"}, {k.op, k.operand}});
    if (k.message) {
      ASSERT_EQ(env.messages.size(), 1u) << k.op << " " << k.operand;
      EXPECT_EQ(env.messages[0], k.message);
    } else {
      EXPECT_TRUE(env.messages.empty()) << k.op << " " << k.operand;
    }
  }
  EXPECT_EQ(image->D[0], 32767);  // INC then DECP
  EXPECT_EQ(image->W[16], 0);
  EXPECT_EQ(image->Z[1], 1);
  EXPECT_EQ(image->D[2], 1);
  EXPECT_EQ(image->D[3], 0);  // DINCP steps one cell only
  EXPECT_EQ(image->X[0], 0);
  EXPECT_EQ(image->M[0], 0);

  image->D[5] = kMax;
  Run({{"PUSH", "1"}, {"INC", "D5"}});
  EXPECT_EQ(image->D[5], kMin);
}

TEST_F(ArithmeticTest, PulseFormsActOncePerRisingEdge) {
  for (int32_t result : {1, 1, 1}) {
    Run({{"SLOT", "4"}, {"PUSH", std::to_string(result)}, {"INCP", "D0"}});
    Run({{"PUSH", std::to_string(result)}, {"INC", "D1"}});
  }
  EXPECT_EQ(image->D[0], 1);
  EXPECT_EQ(image->D[1], 3);
  // Steady or off: DECP neither reports nor changes anything, whatever the device.
  image->PulseMemory[5] = 1;
  Run({{"SLOT", "5"}, {"PUSH", "1"}, {"DECP", "Z0"}, {"PUSH", "0"}, {"DECP", "Z0"}});
  EXPECT_TRUE(env.messages.empty());
  EXPECT_EQ(image->PulseMemory[5], 0);  // the edge cell is evaluated on every call
}

}  // namespace
}  // namespace quorsma
