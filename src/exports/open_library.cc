#include "exports/open_library.h"

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

void OpenLibrary(segment::Segment& segment) {
  segment.context().env->Trace(text::kTraceAttach);
  const auto read_texts = [&segment] {
    const Context context = segment.context();
    config::ReadConfiguration(context);
    comment::LoadMemoryComment(context);
  };
  // The saved registers go only into a section this process has just made:
  // never over the values of one that running programs already hold.  The
  // other processes wait to open it until they are in.
  bool filled = false;
  const auto fill_new = [&] {
    read_texts();
    config::LoadRetentiveRegisters(segment.context());
    filled = true;
  };
  if (segment.Create(fill_new) != 1) return;
  if (!filled) read_texts();

  const Context& context = segment.context();
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
