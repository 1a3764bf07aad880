// Who may use what the library creates on Linux: the section, its library
// data, and the data files it writes (retentive registers, comments, logs).
//
// The programs and operators of one plant share them through a group:
//   QUORSMA_GROUP  the group's name; set but empty: nobody but the owner.
//                  Unset: the group "quorsma" when the system has it and
//                  this process may give files to it (root, or a member),
//                  else nobody but the owner, as before there was a group.
//   QUORSMA_MODE   the permission bits in octal, within 0666 and with at
//                  least 0600 (default 0660 with a group, 0600 without).
#pragma once

#include <sys/types.h>

#include <string>

namespace quorsma::platform {

inline constexpr char kGroupVariable[] = "QUORSMA_GROUP";
inline constexpr char kModeVariable[] = "QUORSMA_MODE";
inline constexpr char kDefaultGroup[] = "quorsma";

struct SharedAccess {
  mode_t mode = 0600;
  bool has_group = false;
  gid_t group = 0;
  std::string group_name;
  // Why a setting was not used ("" when every one was): a message for the
  // user; the default takes its place.
  std::string problem;
};

// The access that the two variables ask for (values as read: `group_set`
// tells an unset QUORSMA_GROUP from an empty one).
SharedAccess ResolveSharedAccess(bool group_set, const std::string& group, const std::string& mode);

// Gives the open file `fd`, just created by this process, the group and mode
// of `access`.  When the group cannot be given (this process is not in it),
// the file is left to its owner alone (mode & 0700) and false is returned
// with errno set.
bool ApplySharedAccess(int fd, const SharedAccess& access);

// What to tell a user refused `path` (a file or a section's object in
// /dev/shm): who may use it, and how to become one of them.  "" when `path`
// cannot be examined.
std::string AccessHint(const std::string& path);

}  // namespace quorsma::platform
