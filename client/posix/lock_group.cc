#include "lock_group.h"

#include <grp.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace qsc {
namespace {

bool FindGroup(const char* name, gid_t* gid) {
  struct group entry {};
  struct group* found = nullptr;
  std::vector<char> buffer(16384);
  if (getgrnam_r(name, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) return false;
  *gid = found->gr_gid;
  return true;
}

// Root may give a file to any group; anyone else to a group it is in.
bool MayGiveTo(gid_t gid) {
  if (geteuid() == 0 || getegid() == gid) return true;
  const int count = getgroups(0, nullptr);
  if (count <= 0) return false;
  std::vector<gid_t> groups(static_cast<std::size_t>(count));
  const int got = getgroups(count, groups.data());
  for (int i = 0; i < got; ++i)
    if (groups[static_cast<std::size_t>(i)] == gid) return true;
  return false;
}

// QUORSMA_MODE as the library reads it: octal within 0666 with 0600; the
// group may share locks unless a valid mode leaves out group write.
bool ModeLetsGroupWrite() {
  const char* text = std::getenv("QUORSMA_MODE");
  if (text == nullptr || *text == '\0') return true;
  const std::string mode(text);
  if (mode.size() > 4) return true;
  unsigned value = 0;
  for (char c : mode) {
    if (c < '0' || c > '7') return true;  // refused by the library: its default applies
    value = value * 8 + static_cast<unsigned>(c - '0');
  }
  if ((value & ~0666u) != 0 || (value & 0600u) != 0600u) return true;
  return (value & 0020u) != 0;
}

LockGroup Resolve() {
  LockGroup group;
  gid_t gid = 0;
  const char* named = std::getenv("QUORSMA_GROUP");
  if (named != nullptr) {
    if (*named == '\0' || !FindGroup(named, &gid) || !MayGiveTo(gid)) return group;
  } else if (!FindGroup("quorsma", &gid) || !MayGiveTo(gid)) {
    return group;
  }
  group.shared = ModeLetsGroupWrite();
  group.gid = gid;
  return group;
}

}  // namespace

const LockGroup& CurrentLockGroup() {
  static const LockGroup group = Resolve();
  return group;
}

}  // namespace qsc
