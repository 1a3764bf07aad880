// The group whose members share a section's lock directory on Linux.
//
// Sections and data files go to the plant's group (QUORSMA_GROUP, else the
// group "quorsma" when it exists and this process may give files to it), so
// a service running as user quorsma and the operators of that group work on
// the same sections.  Their locks and force tables must then be one set too:
// with such a group the default lock directory is /dev/shm/quorsma-group-<gid>
// (mode 2770: new files take the group), and files made in it are 0660.
// QUORSMA_GROUP set but empty, or QUORSMA_MODE without group write, keeps the
// directory per user as before.
#pragma once

#include <sys/types.h>

namespace qsc {

struct LockGroup {
  bool shared = false;  // the lock directory is the group's
  gid_t gid = 0;
};

// Resolved once per process from the environment and the group database.
const LockGroup& CurrentLockGroup();

}  // namespace qsc
