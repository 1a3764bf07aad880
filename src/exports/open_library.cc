#include "exports/open_library.h"

#include <cstdint>
#include <string>

#include "comment/comment_loader.h"
#include "config/configuration.h"
#include "config/exclusion.h"
#include "config/names.h"
#include "config/retentive.h"
#include "core/areas.h"
#include "core/format.h"
#include "core/messages.h"
#include "platform/env.h"

namespace quorsma::exports {
namespace {

// Data registers D1000..D1099 add up to 0 until the retentive registers of a
// section are loaded: a later process finds them loaded and leaves the
// registers as the running programs have them.
constexpr int32_t kLoadProbeFirst = 1000;
constexpr int32_t kLoadProbeEnd = 1100;

// Summed in 64 bits, so values cannot cancel through 32-bit wrap-around.
bool RetentiveRegistersUnloaded(const Image& image) {
  int64_t sum = 0;
  for (int32_t i = kLoadProbeFirst; i < kLoadProbeEnd; ++i) sum += image.D[i];
  return sum == 0;
}

}  // namespace

void OpenLibrary(segment::Segment& segment) {
  segment.context().env->Trace(text::kTraceAttach);
  if (segment.Create() != 1) return;

  const Context& context = segment.context();
  config::ReadConfiguration(context);
  comment::LoadMemoryComment(context);
  if (RetentiveRegistersUnloaded(*context.image)) config::LoadRetentiveRegisters(context);
  const Image& image = *context.image;
  const std::string settings =
      FieldText(image.MemParaPath) + platform::kPathSeparator + config::names::kExclusionFile;
  // Without a memory-parameter directory the path names a file at the root
  // of the file system, which is not read: the settings file is reported
  // missing, as any missing settings file is.
  if (image.MemParaPath[0] == '\0') {
    context.env->Trace(Format(text::kFmtCannotOpenFile, settings.c_str()).c_str());
    return;
  }
  config::ReadMemorySettings(context, settings);
}

void CloseLibrary(segment::Segment& segment) {
  platform::Env& env = *segment.context().env;
  env.Trace(text::kTraceDetach);
  // Files replaced without waiting for the disk are made durable before the
  // process goes.
  env.SyncPending();
  segment.Delete();
}

}  // namespace quorsma::exports
