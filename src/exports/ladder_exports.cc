// Exported ladder instructions: thin wrappers over the engine in src/ladder.
// Each fails cleanly (nothing done, 0 returned) while the image is not mapped
// in this process; a null operand text counts as the empty text.
#include "exports/library.h"
#include "ladder/instructions.h"
#include "ladder/result_stack.h"

using quorsma::exports::Ctx;
namespace lad = quorsma::ladder;
using lad::Form;
using lad::Relation;

namespace {

inline const char* Text(const char* text) { return text ? text : ""; }

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
  if (c.image) lad::LD(c, Text(operand));
}
QSMA_EXPORT void QSMA_API LDI(const char* operand) {
  const auto& c = Ctx();
  if (c.image) lad::LDI(c, Text(operand));
}
QSMA_EXPORT void QSMA_API AND(const char* operand) {
  const auto& c = Ctx();
  if (c.image) lad::AND(c, Text(operand));
}
QSMA_EXPORT void QSMA_API ANI(const char* operand) {
  const auto& c = Ctx();
  if (c.image) lad::ANI(c, Text(operand));
}
QSMA_EXPORT void QSMA_API OR(const char* operand) {
  const auto& c = Ctx();
  if (c.image) lad::OR(c, Text(operand));
}
QSMA_EXPORT void QSMA_API ORI(const char* operand) {
  const auto& c = Ctx();
  if (c.image) lad::ORI(c, Text(operand));
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
  if (c.image) lad::Compare<Form::kLoad, Relation::kEq>(c, Text(first), Text(second));
}
QSMA_EXPORT void QSMA_API LD_NEQ(const char* first, const char* second) {
  const auto& c = Ctx();
  if (c.image) lad::Compare<Form::kLoad, Relation::kNeq>(c, Text(first), Text(second));
}
QSMA_EXPORT void QSMA_API LD_LT(const char* first, const char* second) {
  const auto& c = Ctx();
  if (c.image) lad::Compare<Form::kLoad, Relation::kLt>(c, Text(first), Text(second));
}
QSMA_EXPORT void QSMA_API LD_LTE(const char* first, const char* second) {
  const auto& c = Ctx();
  if (c.image) lad::Compare<Form::kLoad, Relation::kLte>(c, Text(first), Text(second));
}
QSMA_EXPORT void QSMA_API LD_GT(const char* first, const char* second) {
  const auto& c = Ctx();
  if (c.image) lad::Compare<Form::kLoad, Relation::kGt>(c, Text(first), Text(second));
}
QSMA_EXPORT void QSMA_API LD_GTE(const char* first, const char* second) {
  const auto& c = Ctx();
  if (c.image) lad::Compare<Form::kLoad, Relation::kGte>(c, Text(first), Text(second));
}
QSMA_EXPORT void QSMA_API AND_EQ(const char* first, const char* second) {
  const auto& c = Ctx();
  if (c.image) lad::Compare<Form::kAnd, Relation::kEq>(c, Text(first), Text(second));
}
QSMA_EXPORT void QSMA_API AND_NEQ(const char* first, const char* second) {
  const auto& c = Ctx();
  if (c.image) lad::Compare<Form::kAnd, Relation::kNeq>(c, Text(first), Text(second));
}
QSMA_EXPORT void QSMA_API AND_LT(const char* first, const char* second) {
  const auto& c = Ctx();
  if (c.image) lad::Compare<Form::kAnd, Relation::kLt>(c, Text(first), Text(second));
}
QSMA_EXPORT void QSMA_API AND_LTE(const char* first, const char* second) {
  const auto& c = Ctx();
  if (c.image) lad::Compare<Form::kAnd, Relation::kLte>(c, Text(first), Text(second));
}
QSMA_EXPORT void QSMA_API AND_GT(const char* first, const char* second) {
  const auto& c = Ctx();
  if (c.image) lad::Compare<Form::kAnd, Relation::kGt>(c, Text(first), Text(second));
}
QSMA_EXPORT void QSMA_API AND_GTE(const char* first, const char* second) {
  const auto& c = Ctx();
  if (c.image) lad::Compare<Form::kAnd, Relation::kGte>(c, Text(first), Text(second));
}
QSMA_EXPORT void QSMA_API OR_EQ(const char* first, const char* second) {
  const auto& c = Ctx();
  if (c.image) lad::Compare<Form::kOr, Relation::kEq>(c, Text(first), Text(second));
}
QSMA_EXPORT void QSMA_API OR_NEQ(const char* first, const char* second) {
  const auto& c = Ctx();
  if (c.image) lad::Compare<Form::kOr, Relation::kNeq>(c, Text(first), Text(second));
}
QSMA_EXPORT void QSMA_API OR_LT(const char* first, const char* second) {
  const auto& c = Ctx();
  if (c.image) lad::Compare<Form::kOr, Relation::kLt>(c, Text(first), Text(second));
}
QSMA_EXPORT void QSMA_API OR_LTE(const char* first, const char* second) {
  const auto& c = Ctx();
  if (c.image) lad::Compare<Form::kOr, Relation::kLte>(c, Text(first), Text(second));
}
QSMA_EXPORT void QSMA_API OR_GTE(const char* first, const char* second) {
  const auto& c = Ctx();
  if (c.image) lad::Compare<Form::kOr, Relation::kGte>(c, Text(first), Text(second));
}

// ---- Outputs ----
QSMA_EXPORT void QSMA_API LAD_OUT(const char* operand, const char* set_value) {
  const auto& c = Ctx();
  if (c.image) lad::LAD_OUT(c, Text(operand), Text(set_value));
}
QSMA_EXPORT void QSMA_API SET(const char* operand) {
  const auto& c = Ctx();
  if (c.image) lad::SET(c, Text(operand));
}
QSMA_EXPORT void QSMA_API RST(const char* operand) {
  const auto& c = Ctx();
  if (c.image) lad::RST(c, Text(operand));
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
