// Value-change lines: parsing the library's line, and taking it from the
// section's one-line mailbox.
//
// The library puts one line at a time into LogLine and sets LogLinePending to
// 1; the collector takes the line, then clears the flag so that the library
// can hand over the next.  A line reads "VC => M[0005]=0 => 1 \t: PUMP"; B
// and W numbers are hexadecimal.
#pragma once

#include <cstddef>

#include "quorsma/client.h"

namespace qsc {

void ParseChange(const char* line, std::size_t length, qsc_change* out);

// Takes and parses the pending line; false when none is pending.
bool TakeChange(MH_SHARED_STRUCTURE* image, qsc_change* out);

}  // namespace qsc
