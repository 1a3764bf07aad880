// The core library's message boxes, captured for the client library's
// callers: counted, the distinct texts remembered, and passed on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "quorsma/client.h"

namespace qsc {

struct Message {
  std::string text;  // CP949
  int64_t count = 0;
};

void CaptureMessages(qsc_message_sink sink, void* context);
int64_t MessageCount();
std::vector<Message> Messages();
std::string LastMessage();
void ClearMessages();

}  // namespace qsc
