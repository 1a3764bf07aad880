#include "library_messages.h"

#include <mutex>

namespace qsc {
namespace {

constexpr std::size_t kDistinctTexts = 64;  // beyond this, texts are only counted

std::mutex g_mutex;
std::vector<Message> g_messages;
std::string g_last;
int64_t g_total = 0;
qsc_message_sink g_sink = nullptr;
void* g_context = nullptr;

extern "C" void QSMA_CDECL OnMessage(const char* text, void*) {
  const std::string message = text != nullptr ? text : "";
  bool first = true;
  qsc_message_sink sink = nullptr;
  void* context = nullptr;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    ++g_total;
    g_last = message;
    for (Message& m : g_messages) {
      if (m.text == message) {
        ++m.count;
        first = false;
        break;
      }
    }
    if (first && g_messages.size() < kDistinctTexts) g_messages.push_back({message, 1});
    sink = g_sink;
    context = g_context;
  }
  if (sink != nullptr) sink(message.c_str(), first ? 1 : 0, context);
}

}  // namespace

void CaptureMessages(qsc_message_sink sink, void* context) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_sink = sink;
    g_context = context;
  }
  smSetMessageSink(OnMessage, nullptr);
}

int64_t MessageCount() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_total;
}

std::vector<Message> Messages() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_messages;
}

std::string LastMessage() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_last;
}

void ClearMessages() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_messages.clear();
  g_last.clear();
  g_total = 0;
}

}  // namespace qsc
