// The library's message boxes, as the tool shows them: on standard error,
// converted for the terminal and marked as coming from the library.  A text
// that repeats (an instruction with a bad operand raises its box on every
// scan) is shown once and counted.  The client library captures them
// (LibraryMessageCount, LibraryMessages and ClearLibraryMessages come from
// client.h).
#pragma once

#include "client_names.h"

namespace quorsma::tool {

// Routes the library's message boxes to the tool, through the client library.
void CaptureLibraryMessages();
// Prints "library message repeated N times: ..." for texts seen more than once.
void PrintRepeatedLibraryMessages();

}  // namespace quorsma::tool
