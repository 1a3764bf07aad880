#include "segment/attach.h"

#include <string>

#include "comment/comment_loader.h"
#include "config/configuration.h"
#include "config/exclusion.h"
#include "config/retentive.h"
#include "core/areas.h"
#include "core/messages.h"
#include "platform/env.h"

namespace quorsma::segment {
namespace {

// True while data registers D1000..D1099 add up to 0: the registers of this
// section have not been loaded yet.  Summed in 64 bits, so values cannot
// cancel through 32-bit wrap-around.
bool RetentiveRegistersUnloaded(const Image& image) {
  int64_t sum = 0;
  for (int i = 1000; i < 1100; ++i) sum += image.D[i];
  return sum == 0;
}

}  // namespace

void AttachProcess(Segment& segment) {
  platform::Env* env = segment.context().env;
  env->Trace(text::kTraceAttach);
  if (segment.Create() != 1) return;

  const Context& context = segment.context();
  config::ReadConfiguration(context);
  comment::LoadMemoryComment(context);
  if (RetentiveRegistersUnloaded(*context.image)) config::LoadRetentiveRegisters(context);
  // Without a memory-parameter directory there is no settings file to read
  // (the configuration has said why).
  if (context.image->MemParaPath[0] == '\0') return;
  std::string settings = FieldText(context.image->MemParaPath) + platform::kPathSeparator + "_MEM_SMEF.ini";
  config::ReadMemorySettings(context, settings);
}

void DetachProcess(Segment& segment) {
  segment.context().env->Trace(text::kTraceDetach);
  // Files replaced without waiting for the disk are made durable before the
  // process goes.
  segment.context().env->SyncPending();
  segment.Delete();
}

}  // namespace quorsma::segment
