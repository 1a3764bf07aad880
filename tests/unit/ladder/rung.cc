#include "unit/ladder/rung.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "ladder/instructions.h"
#include "ladder/result_stack.h"

namespace quorsma::testing {

InstructionSet CoreInstructions(const Context& context) {
  using ladder::Form;
  using ladder::Relation;
  const Context* c = &context;
  InstructionSet set;
  auto unary = [&](const char* name, void (*f)(const Context&, const char*)) {
    set.unary[name] = [c, f](const char* a) { f(*c, a); };
  };
  auto binary = [&](const char* name, void (*f)(const Context&, const char*, const char*)) {
    set.binary[name] = [c, f](const char* a, const char* b) { f(*c, a, b); };
  };
  auto ternary = [&](const char* name, void (*f)(const Context&, const char*, const char*, const char*)) {
    set.ternary[name] = [c, f](const char* a, const char* b, const char* d) { f(*c, a, b, d); };
  };
  auto nullary = [&](const char* name, void (*f)(const Context&)) {
    set.nullary[name] = [c, f]() { f(*c); };
  };
  unary("LD", ladder::LD);
  unary("LDI", ladder::LDI);
  unary("AND", ladder::AND);
  unary("ANI", ladder::ANI);
  unary("OR", ladder::OR);
  unary("ORI", ladder::ORI);
  unary("LDP", ladder::LDP);
  unary("LDF", ladder::LDF);
  unary("ANDP", ladder::ANDP);
  unary("ANDF", ladder::ANDF);
  unary("ORP", ladder::ORP);
  unary("ORF", ladder::ORF);
  unary("SET", ladder::SET);
  unary("RST", ladder::RST);
  unary("INC", ladder::INC);
  unary("INCP", ladder::INCP);
  unary("DINCP", ladder::DINCP);
  unary("DECP", ladder::DECP);
  nullary("INV", ladder::INV);
  nullary("END", ladder::END);
  nullary("ANB", ladder::ANB);
  nullary("ORB", ladder::ORB);
  nullary("MPS", ladder::MPS);
  nullary("MRD", ladder::MRD);
  nullary("MPP", ladder::MPP);
  nullary("MEP", ladder::MEP);
  binary("LAD_OUT", ladder::LAD_OUT);
  binary("PLS", ladder::PLS);
  binary("BSFLP", ladder::BSFLP);
  binary("LD_EQ", ladder::Compare<Form::kLoad, Relation::kEq>);
  binary("LD_NEQ", ladder::Compare<Form::kLoad, Relation::kNeq>);
  binary("LD_LT", ladder::Compare<Form::kLoad, Relation::kLt>);
  binary("LD_LTE", ladder::Compare<Form::kLoad, Relation::kLte>);
  binary("LD_GT", ladder::Compare<Form::kLoad, Relation::kGt>);
  binary("LD_GTE", ladder::Compare<Form::kLoad, Relation::kGte>);
  binary("AND_EQ", ladder::Compare<Form::kAnd, Relation::kEq>);
  binary("AND_NEQ", ladder::Compare<Form::kAnd, Relation::kNeq>);
  binary("AND_LT", ladder::Compare<Form::kAnd, Relation::kLt>);
  binary("AND_LTE", ladder::Compare<Form::kAnd, Relation::kLte>);
  binary("AND_GT", ladder::Compare<Form::kAnd, Relation::kGt>);
  binary("AND_GTE", ladder::Compare<Form::kAnd, Relation::kGte>);
  binary("OR_EQ", ladder::Compare<Form::kOr, Relation::kEq>);
  binary("OR_NEQ", ladder::Compare<Form::kOr, Relation::kNeq>);
  binary("OR_LT", ladder::Compare<Form::kOr, Relation::kLt>);
  binary("OR_LTE", ladder::Compare<Form::kOr, Relation::kLte>);
  binary("OR_GTE", ladder::Compare<Form::kOr, Relation::kGte>);
  ternary("LAD_PLUS", ladder::LAD_PLUS);
  ternary("LAD_MINUS", ladder::LAD_MINUS);
  ternary("LAD_MULTIPLY", ladder::LAD_MULTIPLY);
  ternary("LADALL_DIVIDE", ladder::LADALL_DIVIDE);
  set.push = [c](int32_t v) { ladder::Push(*c, v); };
  return set;
}

int32_t LadderTest::PopResult() { return ladder::Pop(context); }

void RunRung(const InstructionSet& set, Image* image, const Rung& rung) {
  for (const Step& s : rung) {
    if (s.op == "SLOT") {
      image->PulseSlot = std::atoi(s.a.c_str());
    } else if (s.op == "PUSH") {
      set.push(std::atoi(s.a.c_str()));
    } else if (auto n = set.nullary.find(s.op); n != set.nullary.end()) {
      n->second();
    } else if (auto u = set.unary.find(s.op); u != set.unary.end()) {
      u->second(s.a.c_str());
    } else if (auto b = set.binary.find(s.op); b != set.binary.end()) {
      b->second(s.a.c_str(), s.b.c_str());
    } else if (auto t = set.ternary.find(s.op); t != set.ternary.end()) {
      t->second(s.a.c_str(), s.b.c_str(), s.c.c_str());
    } else {
      ADD_FAILURE() << "unknown instruction " << s.op;
    }
  }
}

}  // namespace quorsma::testing
