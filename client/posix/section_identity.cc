// The section's identity on Linux: its file in /dev/shm.
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>

#include "../section.h"

namespace qsc {

std::string SectionIdentity() {
  // The inode and the birth time: a new section is a new file.  (The change
  // time is no identity: writes through the mapping move it.)
  struct statx info {};
  std::string path = "/dev/shm/";
  path += SectionName();
  if (statx(AT_FDCWD, path.c_str(), 0, STATX_INO | STATX_BTIME, &info) != 0) return "-";
  char identity[96];
  std::snprintf(identity, sizeof identity, "%llu:%lld.%u", static_cast<unsigned long long>(info.stx_ino),
                (info.stx_mask & STATX_BTIME) ? static_cast<long long>(info.stx_btime.tv_sec) : 0LL,
                (info.stx_mask & STATX_BTIME) ? info.stx_btime.tv_nsec : 0u);
  return identity;
}

}  // namespace qsc
