// Reading devices by operand text.
#pragma once

#include <cstdint>

#include "core/context.h"

namespace quorsma::device {

int32_t GetSma(const Context& context, const char* operand);
int32_t GetValue2Word(const Context& context, const char* operand);
// Address of the device's cell, or null (never an address outside its area).
int32_t* SmaGetPoint(const Context& context, const char* operand);
// To be called after a store through a cell that SmaGetPoint gave: a data
// register's value-change check runs again, so its change is logged and its
// retentive group saved now, not at some later access that may never come.
void CellWritten(const Context& context, const int32_t* cell);
// Address of the device's 256-byte comment entry, or null.
char* GetComSma(const Context& context, const char* operand);
// Timer contact: 1 when the timer has timed out.
int32_t SmaTGet(const Context& context, int32_t timer);

}  // namespace quorsma::device
