#include "library_messages.h"

#include <cstdio>
#include <mutex>

#include "quorsma/quorsma.h"
#include "text_encoding.h"

namespace quorsma::tool {
namespace {

constexpr std::size_t kDistinctTexts = 64;  // beyond this, texts are only counted

std::mutex g_mutex;
std::vector<LibraryMessage> g_messages;
int64_t g_total = 0;

extern "C" void QSMA_CDECL OnLibraryMessage(const char* text, void*) {
  std::lock_guard<std::mutex> lock(g_mutex);
  ++g_total;
  for (LibraryMessage& m : g_messages) {
    if (m.text == text) {
      ++m.count;
      return;
    }
  }
  if (g_messages.size() < kDistinctTexts) g_messages.push_back({text, 1});
  std::fprintf(stderr, "quorsma: library message: %s\n", ToTerminal(text).c_str());
  std::fflush(stderr);
}

}  // namespace

void CaptureLibraryMessages() { smSetMessageSink(OnLibraryMessage, nullptr); }

std::vector<LibraryMessage> LibraryMessages() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_messages;
}

int64_t LibraryMessageCount() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_total;
}

void ClearLibraryMessages() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_messages.clear();
  g_total = 0;
}

void PrintRepeatedLibraryMessages() {
  for (const LibraryMessage& m : LibraryMessages()) {
    if (m.count > 1)
      std::fprintf(stderr, "quorsma: library message shown %lld times: %s\n", static_cast<long long>(m.count),
                   ToTerminal(m.text).c_str());
  }
}

}  // namespace quorsma::tool
