#include "snapshot_restore.h"

#include <cstring>

#include "cli/client_names.h"
#include "cli/plural.h"

namespace quorsma::tool {
namespace {

// The comments of `entries` that differ from the image's.
std::vector<const SnapshotEntry*> ChangedComments(const MH_SHARED_STRUCTURE* image,
                                                  const std::vector<SnapshotEntry>& entries) {
  std::vector<const SnapshotEntry*> changed;
  for (const SnapshotEntry& e : entries) {
    if (e.has_comment && CommentOf(image, e.device, e.number) != e.comment) changed.push_back(&e);
  }
  return changed;
}

}  // namespace

bool RestoreComments(MH_SHARED_STRUCTURE* image, const std::vector<SnapshotEntry>& entries, int64_t* changed_count,
                     std::string* error) {
  constexpr int kAttempts = 3;
  std::vector<const SnapshotEntry*> changed = ChangedComments(image, entries);
  *changed_count = static_cast<int64_t>(changed.size());
  for (int attempt = 0; attempt < kAttempts && !changed.empty(); ++attempt) {
    for (std::size_t i = 0; i + 1 < changed.size(); ++i) {
      char* entry = CommentEntry(image, changed[i]->device, changed[i]->number);
      std::memset(entry, 0, QSMA_COMMENT_BYTES);
      std::memcpy(entry, changed[i]->comment.data(), changed[i]->comment.size());
    }
    const SnapshotEntry& last = *changed.back();
    if (!smModifyMemoryComment(last.device.c_str(), last.number, last.comment.c_str())) {
      *error = CommentWriteFailure(image) + " (the values were restored; the comments stay in memory only)";
      return false;
    }
    changed = ChangedComments(image, entries);
  }
  if (changed.empty()) return true;
  *error = Counted(static_cast<int64_t>(changed.size()), "comment") +
           " kept being changed back by another program while they were restored (the first on line " +
           std::to_string(changed.front()->line) + "); the values were restored";
  return false;
}

}  // namespace quorsma::tool
