// The client library's own types as the C records of client.h.
#pragma once

#include "../operand_grammar.h"
#include "../range_grammar.h"
#include "quorsma/client.h"

namespace qsc {

void ToC(const Operand& op, qsc_operand* out);
Operand FromC(const qsc_operand& op);
void ToC(const DeviceRange& range, qsc_range* out);

}  // namespace qsc
