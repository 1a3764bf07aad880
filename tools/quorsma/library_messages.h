// The library's message boxes, as the tool shows them: on standard error,
// converted for the terminal and marked as coming from the library.  A text
// that repeats (an instruction with a bad operand raises its box on every
// scan) is shown once and counted.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorsma::tool {

struct LibraryMessage {
  std::string text;  // CP949, as the library formatted it
  int64_t count = 0;
};

// Routes the library's message boxes to the tool (smSetMessageSink).
void CaptureLibraryMessages();
// Every distinct text so far with its count, in order of first appearance.
std::vector<LibraryMessage> LibraryMessages();
int64_t LibraryMessageCount();
void ClearLibraryMessages();
// Prints "library message repeated N times: ..." for texts seen more than once.
void PrintRepeatedLibraryMessages();

}  // namespace quorsma::tool
