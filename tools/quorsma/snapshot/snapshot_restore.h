// Setting the comments of a checked snapshot.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "quorsma/quorsma.h"
#include "snapshot_format.h"

namespace quorsma::tool {

// Sets the comments of `entries` that differ from the image's and has the
// comment editor rewrite the comment file once: every rewrite writes the
// whole file, so one call per comment would take minutes for a few thousand.
// All but the last go into their entries directly, the last through
// smModifyMemoryComment, whose rewrite saves them all.  A program attaching
// meanwhile loads the comment file and may put old texts back; the result is
// read back, and the rewrite repeated a few times before giving up.
// `changed` receives how many differed; false with a reason in `error` when
// the comment file could not be written or the texts did not stay.
bool RestoreComments(MH_SHARED_STRUCTURE* image, const std::vector<SnapshotEntry>& entries, int64_t* changed,
                     std::string* error);

}  // namespace quorsma::tool
