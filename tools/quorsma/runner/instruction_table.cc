#include "instruction_table.h"

#include <array>
#include <cctype>
#include <string>

namespace quorsma::tool {
namespace {

constexpr InstructionInfo Op0(const char* name, OperandForm form, InstructionFn0 fn, bool edge = false) {
  return {name, Signature::kNone, form, 0, 0, edge, fn, nullptr, nullptr, nullptr, nullptr};
}
constexpr InstructionInfo Op1(const char* name, OperandForm form, InstructionFn1 fn, bool edge = false) {
  return {name, Signature::kOne, form, 1, 1, edge, nullptr, fn, nullptr, nullptr, nullptr};
}
constexpr InstructionInfo Op1R(const char* name, InstructionFn1R fn) {
  return {name, Signature::kOneResult, OperandForm::kContact, 1, 1, true, nullptr, nullptr, fn, nullptr, nullptr};
}
constexpr InstructionInfo Op2(const char* name, OperandForm form, uint8_t min, InstructionFn2 fn, bool edge = false) {
  return {name, Signature::kTwo, form, min, 2, edge, nullptr, nullptr, nullptr, fn, nullptr};
}
constexpr InstructionInfo Op3(const char* name, OperandForm form, uint8_t min, InstructionFn3 fn) {
  return {name, Signature::kThree, form, min, 3, false, nullptr, nullptr, nullptr, nullptr, fn};
}

using F = OperandForm;

// Every instruction export except the stack primitives Push, Pop_p and
// CheckPulse, which take numbers rather than operand texts.  Two-operand
// exports whose second operand may be empty take one or two operands; the
// arithmetic exports take two or three.
const std::array kInstructions = {
    Op1("LD", F::kContact, LD),
    Op1("LDI", F::kContact, LDI),
    Op1("AND", F::kContact, AND),
    Op1("ANI", F::kContact, ANI),
    Op1("OR", F::kContact, OR),
    Op1("ORI", F::kContact, ORI),
    Op0("INV", F::kNone, INV),
    Op0("END", F::kEnd, END),
    Op0("ANB", F::kNone, ANB),
    Op0("ORB", F::kNone, ORB),
    Op0("MPS", F::kNone, MPS),
    Op0("MRD", F::kNone, MRD),
    Op0("MPP", F::kNone, MPP),
    Op1R("LDP", LDP),
    Op1R("LDF", LDF),
    Op1R("ANDP", ANDP),
    Op1R("ANDF", ANDF),
    Op1R("ORP", ORP),
    Op1R("ORF", ORF),
    Op0("MEP", F::kNone, MEP, true),
    Op2("LD_EQ", F::kCompare, 2, LD_EQ),
    Op2("LD_NEQ", F::kCompare, 2, LD_NEQ),
    Op2("LD_LT", F::kCompare, 2, LD_LT),
    Op2("LD_LTE", F::kCompare, 2, LD_LTE),
    Op2("LD_GT", F::kCompare, 2, LD_GT),
    Op2("LD_GTE", F::kCompare, 2, LD_GTE),
    Op2("AND_EQ", F::kCompare, 2, AND_EQ),
    Op2("AND_NEQ", F::kCompare, 2, AND_NEQ),
    Op2("AND_LT", F::kCompare, 2, AND_LT),
    Op2("AND_LTE", F::kCompare, 2, AND_LTE),
    Op2("AND_GT", F::kCompare, 2, AND_GT),
    Op2("AND_GTE", F::kCompare, 2, AND_GTE),
    Op2("OR_EQ", F::kCompare, 2, OR_EQ),
    Op2("OR_NEQ", F::kCompare, 2, OR_NEQ),
    Op2("OR_LT", F::kCompare, 2, OR_LT),
    Op2("OR_LTE", F::kCompare, 2, OR_LTE),
    Op2("OR_GTE", F::kCompare, 2, OR_GTE),
    Op2("LAD_OUT", F::kOut, 1, LAD_OUT),
    Op1("SET", F::kSetReset, SET),
    Op1("RST", F::kSetReset, RST),
    Op2("PLS", F::kPulse, 1, PLS, true),
    Op3("LAD_PLUS", F::kPlusMinus, 2, LAD_PLUS),
    Op3("LAD_MINUS", F::kPlusMinus, 2, LAD_MINUS),
    Op3("LAD_MULTIPLY", F::kMultiply, 2, LAD_MULTIPLY),
    Op3("LADALL_DIVIDE", F::kDivide, 3, LADALL_DIVIDE),
    Op1("INC", F::kIncrement, INC),
    Op1("INCP", F::kIncrement, INCP, true),
    Op1("DINCP", F::kIncrement, DINCP, true),
    Op1("DECP", F::kDecrement, DECP, true),
    Op2("BSFLP", F::kShift, 2, BSFLP, true),
};

// Conventional instruction-list spellings.
const std::array kAliases = {
    InstructionAlias{"OUT", "LAD_OUT"},
    InstructionAlias{"PLUS", "LAD_PLUS"},
    InstructionAlias{"ADD", "LAD_PLUS"},
    InstructionAlias{"+", "LAD_PLUS"},
    InstructionAlias{"MINUS", "LAD_MINUS"},
    InstructionAlias{"SUB", "LAD_MINUS"},
    InstructionAlias{"-", "LAD_MINUS"},
    InstructionAlias{"MUL", "LAD_MULTIPLY"},
    InstructionAlias{"MULTIPLY", "LAD_MULTIPLY"},
    InstructionAlias{"*", "LAD_MULTIPLY"},
    InstructionAlias{"DIV", "LADALL_DIVIDE"},
    InstructionAlias{"DIVIDE", "LADALL_DIVIDE"},
    InstructionAlias{"/", "LADALL_DIVIDE"},
    InstructionAlias{"SFTL", "BSFLP"},
    InstructionAlias{"LD=", "LD_EQ"},
    InstructionAlias{"LD<>", "LD_NEQ"},
    InstructionAlias{"LD<", "LD_LT"},
    InstructionAlias{"LD<=", "LD_LTE"},
    InstructionAlias{"LD>", "LD_GT"},
    InstructionAlias{"LD>=", "LD_GTE"},
    InstructionAlias{"AND=", "AND_EQ"},
    InstructionAlias{"AND<>", "AND_NEQ"},
    InstructionAlias{"AND<", "AND_LT"},
    InstructionAlias{"AND<=", "AND_LTE"},
    InstructionAlias{"AND>", "AND_GT"},
    InstructionAlias{"AND>=", "AND_GTE"},
    InstructionAlias{"OR=", "OR_EQ"},
    InstructionAlias{"OR<>", "OR_NEQ"},
    InstructionAlias{"OR<", "OR_LT"},
    InstructionAlias{"OR<=", "OR_LTE"},
    InstructionAlias{"OR>=", "OR_GTE"},
};

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

const InstructionInfo* FindByName(std::string_view name) {
  for (const InstructionInfo& info : kInstructions) {
    if (SameName(info.name, name)) return &info;
  }
  return nullptr;
}

}  // namespace

const InstructionInfo* FindInstruction(std::string_view name) {
  if (const InstructionInfo* info = FindByName(name)) return info;
  for (const InstructionAlias& alias : kAliases) {
    if (SameName(alias.alias, name)) return FindByName(alias.name);
  }
  return nullptr;
}

std::span<const InstructionInfo> AllInstructions() { return kInstructions; }
std::span<const InstructionAlias> AllAliases() { return kAliases; }

}  // namespace quorsma::tool
