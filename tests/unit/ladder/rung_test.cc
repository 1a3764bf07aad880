// Whole rungs and scans: basic contacts, comparisons, branch rungs, and
// multi-scan timer and edge scenarios, checked against device values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/messages.h"
#include "unit/ladder/rung.h"

namespace quorsma {
namespace {

using testing::LadderTest;
using testing::Rung;
using RungTest = LadderTest;

// Reading this operand shows a message box, so a test sees whether an
// instruction read it.
constexpr const char* kTripwire = "D100K";

TEST_F(RungTest, SeriesAndParallelContactsDriveAnOutput) {
  // LD X0, AND X1, ORI M5, OUT Y0 with X0 = 1, X1 = 0, M5 = 0.
  image->X[0] = 1;
  Run({{"LD", "X0"}, {"AND", "X1"}, {"ORI", "M5"}, {"LAD_OUT", "Y0"}});
  EXPECT_EQ(image->Y[0], 1);
  EXPECT_EQ(image->ResultDepth, 0);
  EXPECT_EQ(image->LastResult, 1);
  image->M[5] = 1;
  Run({{"LD", "X0"}, {"AND", "X1"}, {"ORI", "M5"}, {"LAD_OUT", "Y0"}});
  EXPECT_EQ(image->Y[0], 0);
}

TEST_F(RungTest, ContactsPassWordValuesAndOnlyAniWantsExactlyOne) {
  image->D[0] = 1234;
  image->M[1] = 1;
  struct Case {
    Rung rung;
    int32_t pushed;
  };
  const Case cases[] = {
      {{{"LD", "D0"}}, 1234},
      {{{"LD", "D0"}, {"ANI", "M2"}}, 0},  // current result not exactly 1
      {{{"LD", "M1"}, {"ANI", "M2"}}, 1},
      {{{"LD", "D0"}, {"AND", "M1"}}, 1},
      {{{"LD", "M1"}, {"AND", "D0"}}, 1234},
      {{{"LD", "M2"}, {"OR", "D0"}}, 1234},
      {{{"LDI", "D0"}}, 0},
      {{{"LDI", "M2"}}, 1},
      {{{"LD", "M2"}, {"ORI", "M1"}}, 0},
      {{{"LD", "D0"}, {"INV"}}, 0},
      {{{"LD", "K-5"}}, -999},  // unparsable text is pushed as the failure value
  };
  for (const Case& k : cases) {
    Run({{"END"}});
    Run(k.rung);
    EXPECT_EQ(image->ResultDepth, 1);
    EXPECT_EQ(PopResult(), k.pushed) << k.rung.back().op << " " << k.rung.back().a;
  }
}

TEST_F(RungTest, ContactsReadTheirOperandOnlyWhenNeeded) {
  struct Case {
    Rung rung;
    bool reads;
  };
  const Case cases[] = {
      {{{"PUSH", "0"}, {"AND", kTripwire}}, false}, {{{"PUSH", "1"}, {"AND", kTripwire}}, true},
      {{{"PUSH", "3"}, {"OR", kTripwire}}, false},  {{{"PUSH", "0"}, {"OR", kTripwire}}, true},
      {{{"PUSH", "3"}, {"ORI", kTripwire}}, false}, {{{"PUSH", "0"}, {"ORI", kTripwire}}, true},
      {{{"PUSH", "0"}, {"ANI", kTripwire}}, true},
  };
  for (const Case& k : cases) {
    env.Clear();
    Run(k.rung);
    EXPECT_EQ(env.messages.size(), k.reads ? 1u : 0u) << k.rung.back().op << " after " << k.rung[0].a;
    if (k.reads && !env.messages.empty()) {
      EXPECT_EQ(env.messages[0], text::kMsgGetSmaD);
    }
  }
  // OR with a current result of 3 pushes 1.
  Run({{"END"}, {"PUSH", "3"}, {"OR", kTripwire}});
  EXPECT_EQ(PopResult(), 1);
}

// LD X0, MPS, AND X1, OUT Y0, MRD, AND X2, OUT Y1, MPP, AND X3, OUT Y2.
TEST_F(RungTest, BranchRungDrivesThreeOutputsFromOneBranchPoint) {
  const Rung rung = {{"LD", "X0"},  {"MPS"},          {"AND", "X1"}, {"LAD_OUT", "Y0"},
                     {"MRD"},       {"AND", "X2"},    {"LAD_OUT", "Y1"}, {"MPP"},
                     {"AND", "X3"}, {"LAD_OUT", "Y2"}};
  struct Case {
    int32_t x0, x1, x2, x3;
  };
  for (const Case& k : {Case{1, 1, 1, 1}, Case{1, 0, 1, 0}, Case{0, 1, 1, 1}, Case{1, 1, 0, 1}}) {
    image->X[0] = k.x0;
    image->X[1] = k.x1;
    image->X[2] = k.x2;
    image->X[3] = k.x3;
    Run(rung);
    Run({{"END"}});
    EXPECT_EQ(image->Y[0], k.x0 & k.x1);
    EXPECT_EQ(image->Y[1], k.x0 & k.x2);
    EXPECT_EQ(image->Y[2], k.x0 & k.x3);
    EXPECT_EQ(image->BranchRow, 0);
    EXPECT_EQ(image->BranchCol, 0);
    EXPECT_EQ(image->BlockDepth, 0);
  }
}

TEST_F(RungTest, ComparisonContactsFollowTheirForm) {
  image->D[0] = -5;
  image->D[1] = 3;
  image->D[2] = 3;
  struct Relation {
    const char* name;
    bool (*holds)(int32_t, int32_t);
  };
  const Relation relations[] = {
      {"EQ", [](int32_t a, int32_t b) { return a == b; }}, {"NEQ", [](int32_t a, int32_t b) { return a != b; }},
      {"LT", [](int32_t a, int32_t b) { return a < b; }},  {"LTE", [](int32_t a, int32_t b) { return a <= b; }},
      {"GT", [](int32_t a, int32_t b) { return a > b; }},  {"GTE", [](int32_t a, int32_t b) { return a >= b; }},
  };
  const char* pairs[][2] = {{"D0", "D1"}, {"D1", "D0"}, {"D1", "D2"}, {"K3", "D1"}};
  for (const Relation& r : relations) {
    for (auto& pair : pairs) {
      int32_t a = pair[0][0] == 'K' ? 3 : image->D[pair[0][1] - '0'];
      int32_t b = image->D[pair[1][1] - '0'];
      int32_t outcome = r.holds(a, b) ? 1 : 0;
      std::string what = std::string(r.name) + " " + pair[0] + "," + pair[1];
      Run({{"END"}, {std::string("LD_") + r.name, pair[0], pair[1]}});
      EXPECT_EQ(image->ResultDepth, 1) << what;
      EXPECT_EQ(PopResult(), outcome) << "LD_" << what;
      for (int32_t current : {0, 7}) {
        Run({{"PUSH", std::to_string(current)}, {std::string("AND_") + r.name, pair[0], pair[1]}});
        EXPECT_EQ(image->ResultDepth, 1) << what;
        EXPECT_EQ(PopResult(), current != 0 ? outcome : 0) << "AND_" << what << " on " << current;
        if (std::string(r.name) == "GT") continue;  // no parallel greater-than
        Run({{"PUSH", std::to_string(current)}, {std::string("OR_") + r.name, pair[0], pair[1]}});
        EXPECT_EQ(image->ResultDepth, 1) << what;
        EXPECT_EQ(PopResult(), current != 0 ? 1 : outcome) << "OR_" << what << " on " << current;
      }
    }
  }
}

TEST_F(RungTest, ComparisonsReadOperandsOnlyWhenNeededAndInOrder) {
  Run({{"PUSH", "0"}, {"AND_EQ", kTripwire, kTripwire}, {"PUSH", "2"}, {"OR_LT", kTripwire, kTripwire}});
  EXPECT_TRUE(env.messages.empty());
  Run({{"PUSH", "7"}, {"AND_EQ", "H10", kTripwire}});
  ASSERT_EQ(env.messages.size(), 2u);
  EXPECT_EQ(env.messages[0], text::kMsgGetSmaPlain);
  EXPECT_EQ(env.messages[1], text::kMsgGetSmaD);
}

// A timer coil on X0 with a set value of 3 (stored as 30) whose contact
// drives Y0; the client advances Tcur by 10 after every scan with the coil on.
TEST_F(RungTest, TimerTimesOutAfterItsSetValueAndResetsWithItsCoil) {
  const Rung program = {{"LD", "X0"}, {"LAD_OUT", "T5", "K3"}, {"LD", "T5"}, {"LAD_OUT", "Y0"}, {"END"}};
  std::vector<int32_t> outputs;
  for (int scan = 0; scan < 7; ++scan) {
    image->X[0] = scan < 5 ? 1 : 0;
    Run(program);
    outputs.push_back(image->Y[0]);
    if (image->Tcoil[5] > 0) image->Tcur[5] += 10;
  }
  EXPECT_EQ(outputs, (std::vector<int32_t>{0, 0, 0, 1, 1, 0, 0}));
  EXPECT_EQ(image->Tset[5], 0);
  EXPECT_EQ(image->Tcur[5], 0);
  EXPECT_EQ(image->Tcoil[5], 0);
  EXPECT_EQ(image->TcurCopy[5], 40);  // as found at the last time-out
  EXPECT_EQ(image->TsetCopy[5], 30);
}

// Edge rungs over several scans: a rising edge of X1 sets M0 and counts in
// D0; a falling edge of X1 resets M0; PLS makes a one-scan pulse on M1; a
// self-resetting timer with BSFLP walks a bit along M100..M103.
TEST_F(RungTest, EdgeRungsActOncePerEdgeAcrossScans) {
  const Rung program = {
      {"SLOT", "0"},    {"LDP", "X1"},    {"SET", "M0"},          {"SLOT", "1"},   {"LDF", "X1"},
      {"RST", "M0"},    {"SLOT", "2"},    {"LD", "X1"},           {"INCP", "D0"},  {"SLOT", "3"},
      {"LD", "X1"},     {"PLS", "M1"},    {"SLOT", "4"},          {"LD", "X1"},    {"BSFLP", "M100", "K4"},
      {"END"},
  };
  const int32_t x1[] = {0, 1, 1, 1, 0, 0, 1, 0, 1};
  std::vector<int32_t> m0, m1, d0;
  image->M[100] = 1;
  for (int32_t level : x1) {
    image->X[1] = level;
    Run(program);
    m0.push_back(image->M[0]);
    m1.push_back(image->M[1]);
    d0.push_back(image->D[0]);
  }
  EXPECT_EQ(m0, (std::vector<int32_t>{0, 1, 1, 1, 0, 0, 1, 0, 1}));
  EXPECT_EQ(m1, (std::vector<int32_t>{0, 1, 0, 0, 0, 0, 1, 0, 1}));
  EXPECT_EQ(d0, (std::vector<int32_t>{0, 1, 1, 1, 1, 1, 2, 2, 3}));
  // Three rising edges moved the bit from M100 to M103.
  EXPECT_EQ(image->M[100], 0);
  EXPECT_EQ(image->M[101], 0);
  EXPECT_EQ(image->M[102], 0);
  EXPECT_EQ(image->M[103], 1);
}

// With logging on, an instruction's device read reports the relay's change
// through the mailbox; a read that the instruction skips reports nothing.
TEST_F(RungTest, ContactReadsReportValueChangesThroughTheMailbox) {
  image->LogEnable = 1;
  image->M[10] = 1;
  Run({{"PUSH", "0"}, {"AND", "M10"}});
  EXPECT_EQ(image->LogLinePending, 0);
  Run({{"LD", "X0"}, {"OR", "M10"}, {"LAD_OUT", "Y0"}});
  EXPECT_EQ(image->LogLinePending, 1);
  EXPECT_EQ(std::string(image->LogLine), "VC => M[0010]=0 => 1 \t: ");
  EXPECT_EQ(image->Y[0], 1);
}

}  // namespace
}  // namespace quorsma
