// The checked write: an operand resolved to fixed cells once, those cells
// checked against the area, the permission and the value, and exactly those
// cells written.  What is checked is what is written, even when an index
// register changes between the check and the write.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "operand_grammar.h"
#include "permission.h"
#include "quorsma/client.h"

namespace qsc {

// Fills *out and returns QSC_OK, or returns the refusal (QSC_BAD_INPUT,
// QSC_OUTSIDE_AREA, QSC_NOT_ALLOWED) with its reason; `role` is
// Role::kWrite or Role::kStore.
int32_t CheckWrite(const MH_SHARED_STRUCTURE* image, const Permission& permission, std::string_view text, Role role,
                   int64_t value, qsc_write_target* out, std::string* error);

// Writes a target CheckWrite filled.
void ApplyWrite(const qsc_write_target& target);

}  // namespace qsc
