// Host-installed receivers of message-box texts and trace lines.
#include <atomic>

#include "platform/env.h"

namespace quorsma::platform {
namespace {

struct Sink {
  std::atomic<QsmaTextSink> function{nullptr};
  std::atomic<void*> context{nullptr};
};

Sink g_message_sink;
Sink g_trace_sink;

void Install(Sink& sink, QsmaTextSink function, void* context) {
  sink.context.store(context);
  sink.function.store(function);
}

bool Deliver(Sink& sink, const char* text) {
  QsmaTextSink function = sink.function.load();
  if (function == nullptr) return false;
  function(text, sink.context.load());
  return true;
}

}  // namespace

void SetMessageSink(QsmaTextSink sink, void* context) { Install(g_message_sink, sink, context); }
void SetTraceSink(QsmaTextSink sink, void* context) { Install(g_trace_sink, sink, context); }
bool DeliverToMessageSink(const char* text) { return Deliver(g_message_sink, text); }
bool DeliverToTraceSink(const char* text) { return Deliver(g_trace_sink, text); }

}  // namespace quorsma::platform
