// The rungs the page draws, from small programs: a wrong tree would show an
// engineer contacts in series that run in parallel, or a coil on the wrong
// branch, so every construct of the instruction list is here once.
#include "http/rung_structure.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace quorsma::tool::http {
namespace {

std::vector<std::string> Names(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> names;
  for (std::string name; in >> name;) names.push_back(name);
  return names;
}

// The rungs as "first-last:TREE" joined by " | ".
std::string Rungs(const std::string& program) {
  std::string out;
  for (const auto& rung : RungStructure(Names(program))) {
    if (!out.empty()) out += " | ";
    out += std::to_string(rung["first"].get<int>()) + "-" + std::to_string(rung["last"].get<int>()) + ":" +
           RungText(rung);
  }
  return out;
}

TEST(RungStructure, DrawsEveryConstruct) {
  struct Case {
    const char* what;
    const char* program;  // export names, one per instruction
    const char* rungs;
  } cases[] = {
      {"contact and coil", "LD LAD_OUT", "0-1:S(c0,o1)"},
      {"series, inverted, then parallel around both", "LD ANI OR LAD_OUT", "0-3:S(P(S(c0,c1),c2|or),o3)"},
      {"a parallel block in series (ANB)", "LD LD OR ANB LAD_OUT", "0-4:S(c0,P(c1,c2|or)b,o4)"},
      {"two series blocks in parallel (ORB)", "LD AND LD AND ORB SET", "0-5:S(P(S(c0,c1),S(c2,c3)b),o5)"},
      {"comparisons and an arithmetic box", "LD_GT AND_EQ OR_LT LAD_PLUS", "0-3:S(P(S(c0,c1),c2|or),o3)"},
      {"edge contacts and INV, MEP", "LDP ANDF INV MEP PLS", "0-4:S(c0,c1,c2,c3,o4)"},
      {"two outputs on one result", "LD LAD_OUT RST INC", "0-3:S(c0,o1,o2,o3)"},
      {"branches of MPS, MRD, MPP", "LD MPS AND LAD_OUT MRD AND LAD_OUT MPP LAD_OUT",
       "0-8:S(c0,F(S(c2,o3)@1,S(c5,o6)@4,S(o8)@7))"},
      {"an output straight after MPS", "LD MPS LAD_OUT MPP AND SET", "0-5:S(c0,F(S(o2)@1,S(c4,o5)@3))"},
      {"a block joined inside a branch", "LD MPS LD OR ANB LAD_OUT MPP LAD_OUT",
       "0-7:S(c0,F(S(P(c2,c3|or)b,o5)@1,S(o7)@6))"},
      {"nested branches", "LD MPS AND MPS AND LAD_OUT MPP LAD_OUT MPP LAD_OUT",
       "0-9:S(c0,F(S(c2,F(S(c4,o5)@3,S(o7)@6))@1,S(o9)@8))"},
      {"one more output after the fork", "LD MPS AND LAD_OUT MPP LAD_OUT SET",
       "0-6:S(c0,F(S(c2,o3)@1,S(o5,o6)@4))"},
      {"rungs one after the other, END", "LD LAD_OUT LDI AND SET END", "0-1:S(c0,o1) | 2-4:S(c2,c3,o4)"},
      {"a timer and its contact", "LD LAD_OUT LD LAD_OUT", "0-1:S(c0,o1) | 2-3:S(c2,o3)"},
  };
  for (const Case& c : cases) EXPECT_EQ(Rungs(c.program), c.rungs) << c.what;
}

TEST(RungStructure, ShowsWhatItCannotFollowAsSuchAndGoesOn) {
  struct Case {
    const char* what;
    const char* program;
    const char* rungs;
  } cases[] = {
      {"an output first", "LAD_OUT LD LAD_OUT", "0-0:error: LAD_OUT with nothing to take | 1-2:S(c1,o2)"},
      {"ANB with one block", "LD ANB LAD_OUT LD LAD_OUT",
       "0-2:error: ANB without two blocks | 3-4:S(c3,o4)"},
      {"two loads never joined", "LD LD LAD_OUT", "0-2:error: blocks not joined (ANB, ORB) before LAD_OUT"},
      {"MPS never closed", "LD MPS AND LAD_OUT", "0-3:error: a branch (MPS) that is not closed (MPP)"},
      {"MRD with no MPS", "LD MRD LAD_OUT LD LAD_OUT", "0-2:error: MRD with no branch open (MPS) | 3-4:S(c3,o4)"},
      {"contacts with no output", "LD AND", "0-1:error: contacts that reach no output"},
      {"a parallel contact on a branch point", "LD MPS OR LAD_OUT MPP LAD_OUT",
       "0-5:error: OR in parallel with a branch of MPS"},
  };
  for (const Case& c : cases) EXPECT_EQ(Rungs(c.program), c.rungs) << c.what;
}

}  // namespace
}  // namespace quorsma::tool::http
