// Exported ladder instructions: thin wrappers over the engine in src/ladder.
// Each fails cleanly (nothing done, 0 returned) while the image is not mapped
// in this process; a null operand text counts as the empty text.
#include "exports/library.h"
#include "ladder/instructions.h"
#include "ladder/quick.h"
#include "ladder/result_stack.h"

using quorsma::Context;
using quorsma::exports::Ctx;
namespace lad = quorsma::ladder;
using lad::Form;
using lad::Relation;

namespace {

inline const char* Text(const char* text) { return text ? text : ""; }

// The full forms of the instructions with a quick form (ladder/quick.h),
// out of line so that an export whose quick form does the work calls
// nothing, and reached by a jump.  They read the context again: the quick
// form that declined changed nothing, so the instruction is done whole under
// whichever context they see.
#define QSMA_FULL_FORM(name, call)                       \
  [[gnu::noinline]] void Full##name(const char* operand) { \
    const auto& c = Ctx();                                 \
    if (c.image) call;                                     \
  }
QSMA_FULL_FORM(LD, lad::LD(c, Text(operand)))
QSMA_FULL_FORM(LDI, lad::LDI(c, Text(operand)))
QSMA_FULL_FORM(AND, lad::AND(c, Text(operand)))
QSMA_FULL_FORM(ANI, lad::ANI(c, Text(operand)))
QSMA_FULL_FORM(OR, lad::OR(c, Text(operand)))
QSMA_FULL_FORM(ORI, lad::ORI(c, Text(operand)))
QSMA_FULL_FORM(SET, lad::SET(c, Text(operand)))
QSMA_FULL_FORM(RST, lad::RST(c, Text(operand)))
#undef QSMA_FULL_FORM
template <Form F, Relation R>
[[gnu::noinline]] void FullCompare(const char* first, const char* second) {
  const auto& c = Ctx();
  if (c.image) lad::Compare<F, R>(c, Text(first), Text(second));
}
[[gnu::noinline]] void FullOUT(const char* operand, const char* set_value) {
  const auto& c = Ctx();
  if (c.image) lad::LAD_OUT(c, Text(operand), Text(set_value));
}

}  // namespace

extern "C" {

// ---- Result stack and basic contacts ----
QSMA_EXPORT void QSMA_API Push(int32_t value) {
  const auto& c = Ctx();
  if (c.image) lad::Push(c, value);
}
QSMA_EXPORT int32_t QSMA_API Pop_p(void) {
  const auto& c = Ctx();
  return c.image ? lad::Pop(c) : 0;
}
QSMA_EXPORT void QSMA_API LD(const char* operand) {
  const auto& c = Ctx();
  if (!c.image || (operand && lad::quick::LD(c, operand))) return;
  FullLD(operand);
}
QSMA_EXPORT void QSMA_API LDI(const char* operand) {
  const auto& c = Ctx();
  if (!c.image || (operand && lad::quick::LDI(c, operand))) return;
  FullLDI(operand);
}
QSMA_EXPORT void QSMA_API AND(const char* operand) {
  const auto& c = Ctx();
  if (!c.image || (operand && lad::quick::AND(c, operand))) return;
  FullAND(operand);
}
QSMA_EXPORT void QSMA_API ANI(const char* operand) {
  const auto& c = Ctx();
  if (!c.image || (operand && lad::quick::ANI(c, operand))) return;
  FullANI(operand);
}
QSMA_EXPORT void QSMA_API OR(const char* operand) {
  const auto& c = Ctx();
  if (!c.image || (operand && lad::quick::OR(c, operand))) return;
  FullOR(operand);
}
QSMA_EXPORT void QSMA_API ORI(const char* operand) {
  const auto& c = Ctx();
  if (!c.image || (operand && lad::quick::ORI(c, operand))) return;
  FullORI(operand);
}
QSMA_EXPORT void QSMA_API INV(void) {
  const auto& c = Ctx();
  if (c.image) lad::INV(c);
}
QSMA_EXPORT void QSMA_API END(void) {
  const auto& c = Ctx();
  if (c.image) lad::END(c);
}

// ---- Blocks and branches ----
QSMA_EXPORT void QSMA_API ANB(void) {
  const auto& c = Ctx();
  if (c.image) lad::ANB(c);
}
QSMA_EXPORT void QSMA_API ORB(void) {
  const auto& c = Ctx();
  if (c.image) lad::ORB(c);
}
QSMA_EXPORT void QSMA_API MPS(void) {
  const auto& c = Ctx();
  if (c.image) lad::MPS(c);
}
QSMA_EXPORT void QSMA_API MRD(void) {
  const auto& c = Ctx();
  if (c.image) lad::MRD(c);
}
QSMA_EXPORT void QSMA_API MPP(void) {
  const auto& c = Ctx();
  if (c.image) lad::MPP(c);
}

// ---- Edges (LDP .. ORF always return 1) ----
QSMA_EXPORT int32_t QSMA_API CheckPulse(int32_t input) {
  const auto& c = Ctx();
  return c.image ? lad::CheckPulse(c, input) : 0;
}
QSMA_EXPORT int32_t QSMA_API LDP(const char* operand) {
  const auto& c = Ctx();
  if (!c.image) return 0;
  lad::LDP(c, Text(operand));
  return 1;
}
QSMA_EXPORT int32_t QSMA_API LDF(const char* operand) {
  const auto& c = Ctx();
  if (!c.image) return 0;
  lad::LDF(c, Text(operand));
  return 1;
}
QSMA_EXPORT int32_t QSMA_API ANDP(const char* operand) {
  const auto& c = Ctx();
  if (!c.image) return 0;
  lad::ANDP(c, Text(operand));
  return 1;
}
QSMA_EXPORT int32_t QSMA_API ANDF(const char* operand) {
  const auto& c = Ctx();
  if (!c.image) return 0;
  lad::ANDF(c, Text(operand));
  return 1;
}
QSMA_EXPORT int32_t QSMA_API ORP(const char* operand) {
  const auto& c = Ctx();
  if (!c.image) return 0;
  lad::ORP(c, Text(operand));
  return 1;
}
QSMA_EXPORT int32_t QSMA_API ORF(const char* operand) {
  const auto& c = Ctx();
  if (!c.image) return 0;
  lad::ORF(c, Text(operand));
  return 1;
}
QSMA_EXPORT void QSMA_API MEP(void) {
  const auto& c = Ctx();
  if (c.image) lad::MEP(c);
}

// ---- Comparison contacts ----
QSMA_EXPORT void QSMA_API LD_EQ(const char* first, const char* second) {
  const auto& c = Ctx();
  if (!c.image || (first && second && lad::quick::Compare<Form::kLoad, Relation::kEq>(c, first, second))) return;
  FullCompare<Form::kLoad, Relation::kEq>(first, second);
}
QSMA_EXPORT void QSMA_API LD_NEQ(const char* first, const char* second) {
  const auto& c = Ctx();
  if (!c.image || (first && second && lad::quick::Compare<Form::kLoad, Relation::kNeq>(c, first, second))) return;
  FullCompare<Form::kLoad, Relation::kNeq>(first, second);
}
QSMA_EXPORT void QSMA_API LD_LT(const char* first, const char* second) {
  const auto& c = Ctx();
  if (!c.image || (first && second && lad::quick::Compare<Form::kLoad, Relation::kLt>(c, first, second))) return;
  FullCompare<Form::kLoad, Relation::kLt>(first, second);
}
QSMA_EXPORT void QSMA_API LD_LTE(const char* first, const char* second) {
  const auto& c = Ctx();
  if (!c.image || (first && second && lad::quick::Compare<Form::kLoad, Relation::kLte>(c, first, second))) return;
  FullCompare<Form::kLoad, Relation::kLte>(first, second);
}
QSMA_EXPORT void QSMA_API LD_GT(const char* first, const char* second) {
  const auto& c = Ctx();
  if (!c.image || (first && second && lad::quick::Compare<Form::kLoad, Relation::kGt>(c, first, second))) return;
  FullCompare<Form::kLoad, Relation::kGt>(first, second);
}
QSMA_EXPORT void QSMA_API LD_GTE(const char* first, const char* second) {
  const auto& c = Ctx();
  if (!c.image || (first && second && lad::quick::Compare<Form::kLoad, Relation::kGte>(c, first, second))) return;
  FullCompare<Form::kLoad, Relation::kGte>(first, second);
}
QSMA_EXPORT void QSMA_API AND_EQ(const char* first, const char* second) {
  const auto& c = Ctx();
  if (!c.image || (first && second && lad::quick::Compare<Form::kAnd, Relation::kEq>(c, first, second))) return;
  FullCompare<Form::kAnd, Relation::kEq>(first, second);
}
QSMA_EXPORT void QSMA_API AND_NEQ(const char* first, const char* second) {
  const auto& c = Ctx();
  if (!c.image || (first && second && lad::quick::Compare<Form::kAnd, Relation::kNeq>(c, first, second))) return;
  FullCompare<Form::kAnd, Relation::kNeq>(first, second);
}
QSMA_EXPORT void QSMA_API AND_LT(const char* first, const char* second) {
  const auto& c = Ctx();
  if (!c.image || (first && second && lad::quick::Compare<Form::kAnd, Relation::kLt>(c, first, second))) return;
  FullCompare<Form::kAnd, Relation::kLt>(first, second);
}
QSMA_EXPORT void QSMA_API AND_LTE(const char* first, const char* second) {
  const auto& c = Ctx();
  if (!c.image || (first && second && lad::quick::Compare<Form::kAnd, Relation::kLte>(c, first, second))) return;
  FullCompare<Form::kAnd, Relation::kLte>(first, second);
}
QSMA_EXPORT void QSMA_API AND_GT(const char* first, const char* second) {
  const auto& c = Ctx();
  if (!c.image || (first && second && lad::quick::Compare<Form::kAnd, Relation::kGt>(c, first, second))) return;
  FullCompare<Form::kAnd, Relation::kGt>(first, second);
}
QSMA_EXPORT void QSMA_API AND_GTE(const char* first, const char* second) {
  const auto& c = Ctx();
  if (!c.image || (first && second && lad::quick::Compare<Form::kAnd, Relation::kGte>(c, first, second))) return;
  FullCompare<Form::kAnd, Relation::kGte>(first, second);
}
QSMA_EXPORT void QSMA_API OR_EQ(const char* first, const char* second) {
  const auto& c = Ctx();
  if (!c.image || (first && second && lad::quick::Compare<Form::kOr, Relation::kEq>(c, first, second))) return;
  FullCompare<Form::kOr, Relation::kEq>(first, second);
}
QSMA_EXPORT void QSMA_API OR_NEQ(const char* first, const char* second) {
  const auto& c = Ctx();
  if (!c.image || (first && second && lad::quick::Compare<Form::kOr, Relation::kNeq>(c, first, second))) return;
  FullCompare<Form::kOr, Relation::kNeq>(first, second);
}
QSMA_EXPORT void QSMA_API OR_LT(const char* first, const char* second) {
  const auto& c = Ctx();
  if (!c.image || (first && second && lad::quick::Compare<Form::kOr, Relation::kLt>(c, first, second))) return;
  FullCompare<Form::kOr, Relation::kLt>(first, second);
}
QSMA_EXPORT void QSMA_API OR_LTE(const char* first, const char* second) {
  const auto& c = Ctx();
  if (!c.image || (first && second && lad::quick::Compare<Form::kOr, Relation::kLte>(c, first, second))) return;
  FullCompare<Form::kOr, Relation::kLte>(first, second);
}
QSMA_EXPORT void QSMA_API OR_GTE(const char* first, const char* second) {
  const auto& c = Ctx();
  if (!c.image || (first && second && lad::quick::Compare<Form::kOr, Relation::kGte>(c, first, second))) return;
  FullCompare<Form::kOr, Relation::kGte>(first, second);
}

// ---- Outputs ----
QSMA_EXPORT void QSMA_API LAD_OUT(const char* operand, const char* set_value) {
  const auto& c = Ctx();
  if (!c.image || (operand && lad::quick::OUT(c, operand, Text(set_value)))) return;
  FullOUT(operand, set_value);
}
QSMA_EXPORT void QSMA_API SET(const char* operand) {
  const auto& c = Ctx();
  if (!c.image || (operand && lad::quick::Store(c, operand, 1))) return;
  FullSET(operand);
}
QSMA_EXPORT void QSMA_API RST(const char* operand) {
  const auto& c = Ctx();
  if (!c.image || (operand && lad::quick::Store(c, operand, 0))) return;
  FullRST(operand);
}
QSMA_EXPORT void QSMA_API PLS(const char* operand, const char* set_value) {
  const auto& c = Ctx();
  if (c.image) lad::PLS(c, Text(operand), Text(set_value));
}

// ---- Arithmetic, increment and decrement ----
QSMA_EXPORT void QSMA_API LAD_PLUS(const char* first, const char* second, const char* destination) {
  const auto& c = Ctx();
  if (c.image) lad::LAD_PLUS(c, Text(first), Text(second), Text(destination));
}
QSMA_EXPORT void QSMA_API LAD_MINUS(const char* first, const char* second, const char* destination) {
  const auto& c = Ctx();
  if (c.image) lad::LAD_MINUS(c, Text(first), Text(second), Text(destination));
}
QSMA_EXPORT void QSMA_API LAD_MULTIPLY(const char* first, const char* second, const char* destination) {
  const auto& c = Ctx();
  if (c.image) lad::LAD_MULTIPLY(c, Text(first), Text(second), Text(destination));
}
QSMA_EXPORT void QSMA_API LADALL_DIVIDE(const char* first, const char* second, const char* destination) {
  const auto& c = Ctx();
  if (c.image) lad::LADALL_DIVIDE(c, Text(first), Text(second), Text(destination));
}
QSMA_EXPORT void QSMA_API INC(const char* operand) {
  const auto& c = Ctx();
  if (c.image) lad::INC(c, Text(operand));
}
QSMA_EXPORT void QSMA_API INCP(const char* operand) {
  const auto& c = Ctx();
  if (c.image) lad::INCP(c, Text(operand));
}
QSMA_EXPORT void QSMA_API DINCP(const char* operand) {
  const auto& c = Ctx();
  if (c.image) lad::DINCP(c, Text(operand));
}
QSMA_EXPORT void QSMA_API DECP(const char* operand) {
  const auto& c = Ctx();
  if (c.image) lad::DECP(c, Text(operand));
}

// ---- Bit shift ----
QSMA_EXPORT void QSMA_API BSFLP(const char* device, const char* count) {
  const auto& c = Ctx();
  if (c.image) lad::BSFLP(c, Text(device), Text(count));
}

}  // extern "C"
