// Writing devices by operand text, timers and the special relays.
#pragma once

#include <cstdint>

#include "core/context.h"

namespace quorsma::device {

void SetSma(const Context& context, const char* operand, int32_t value);
void SmaTSet(const Context& context, int32_t timer, int32_t set_value);
int32_t SM(const Context& context, int32_t relay);

}  // namespace quorsma::device
