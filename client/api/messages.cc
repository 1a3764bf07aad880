// The core library's messages.
#include "../library_messages.h"
#include "out_text.h"

using namespace qsc;

extern "C" {

QSC_EXPORT void QSC_CALL qsc_messages_capture(qsc_message_sink sink, void* context) { CaptureMessages(sink, context); }

QSC_EXPORT int64_t QSC_CALL qsc_messages_count(void) { return MessageCount(); }

QSC_EXPORT int32_t QSC_CALL qsc_messages_distinct(void) { return static_cast<int32_t>(Messages().size()); }

QSC_EXPORT size_t QSC_CALL qsc_messages_at(int32_t index, int64_t* count, char* out, size_t size) {
  const std::vector<Message> messages = Messages();
  if (index < 0 || static_cast<std::size_t>(index) >= messages.size()) {
    if (count != nullptr) *count = 0;
    return OutText("", out, size);
  }
  if (count != nullptr) *count = messages[static_cast<std::size_t>(index)].count;
  return OutText(messages[static_cast<std::size_t>(index)].text, out, size);
}

QSC_EXPORT size_t QSC_CALL qsc_messages_last(char* out, size_t size) { return OutText(LastMessage(), out, size); }

QSC_EXPORT void QSC_CALL qsc_messages_clear(void) { ClearMessages(); }

}  // extern "C"
