// The ladder instructions.  A client evaluates a program by calling one
// instruction per program step, in order, and END() once per scan; the
// instructions talk to each other through the result stack (result_stack.h)
// and read and write devices through the device subsystem.
//
// Each instruction is named as its export is (LAD_OUT, LADALL_DIVIDE, BSFLP);
// these live in this namespace and are called qualified by the exports.
//
// Operand texts are never null here (the exports pass "" for a null text).
// No instruction allocates or takes a lock.
#pragma once

#include <cstdint>

#include "core/context.h"
#include "ladder/contacts.h"  // LD, LDI, AND, ANI, OR, ORI, INV

namespace quorsma::ladder {

// ---- Blocks and branches ----
inline constexpr int32_t kBranchCells = 8;  // rows and columns of BranchStack
void ANB(const Context& c);
void ORB(const Context& c);
void MPS(const Context& c);
void MRD(const Context& c);
void MPP(const Context& c);

// ---- Edges (on the edge-memory cell chosen by PulseSlot, gated by SM403) ----
// A PulseSlot outside the edge memory gives no edge and touches no cell.
int32_t CheckPulse(const Context& c, int32_t input);
int32_t CheckFallPulse(const Context& c, int32_t input);
void LDP(const Context& c, const char* operand);
void LDF(const Context& c, const char* operand);
void ANDP(const Context& c, const char* operand);
void ANDF(const Context& c, const char* operand);
void ORP(const Context& c, const char* operand);
void ORF(const Context& c, const char* operand);
void MEP(const Context& c);

// ---- Comparison contacts: first operand on the left, signed 32-bit ----
enum class Relation { kEq, kNeq, kLt, kLte, kGt, kGte };
enum class Form {
  kLoad,  // pushes the outcome
  kAnd,   // pops; compares only when the current result is on
  kOr,    // pops; compares only when the current result is off
};
// Instantiated for the 17 exported combinations (no parallel greater-than).
template <Form F, Relation R>
void Compare(const Context& c, const char* first, const char* second);

// ---- Outputs ----
void LAD_OUT(const Context& c, const char* operand, const char* set_value);
void SET(const Context& c, const char* operand);
void RST(const Context& c, const char* operand);
void PLS(const Context& c, const char* operand, const char* set_value);

// ---- Arithmetic, increment and decrement ----
void LAD_PLUS(const Context& c, const char* first, const char* second, const char* destination);
void LAD_MINUS(const Context& c, const char* first, const char* second, const char* destination);
void LAD_MULTIPLY(const Context& c, const char* first, const char* second, const char* destination);
void LADALL_DIVIDE(const Context& c, const char* first, const char* second, const char* destination);
void IncDevice(const Context& c, const char* operand);
void DecDevice(const Context& c, const char* operand);
void INC(const Context& c, const char* operand);
void INCP(const Context& c, const char* operand);
void DINCP(const Context& c, const char* operand);
void DECP(const Context& c, const char* operand);

// ---- Bit shift ----
void BSFLP(const Context& c, const char* device, const char* count);

}  // namespace quorsma::ladder
