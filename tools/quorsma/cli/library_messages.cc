#include "library_messages.h"

#include <cstdio>

#include "text_encoding.h"

namespace quorsma::tool {
namespace {

extern "C" void QSC_CALL PrintLibraryMessage(const char* text, int32_t first_time, void*) {
  if (!first_time) return;
  std::fprintf(stderr, "quorsma: library message: %s\n", ToTerminal(text).c_str());
  std::fflush(stderr);
}

}  // namespace

void CaptureLibraryMessages() { qsc_messages_capture(PrintLibraryMessage, nullptr); }

void PrintRepeatedLibraryMessages() {
  for (const LibraryMessage& m : LibraryMessages()) {
    if (m.count > 1)
      std::fprintf(stderr, "quorsma: library message shown %lld times: %s\n", static_cast<long long>(m.count),
                   ToTerminal(m.text).c_str());
  }
}

}  // namespace quorsma::tool
