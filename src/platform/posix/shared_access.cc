#include "platform/posix/shared_access.h"

#include <errno.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

namespace quorsma::platform {
namespace {

bool FindGroup(const std::string& name, gid_t* gid) {
  struct group entry {};
  struct group* found = nullptr;
  std::vector<char> buffer(16384);
  if (getgrnam_r(name.c_str(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) return false;
  *gid = found->gr_gid;
  return true;
}

std::string GroupName(gid_t gid) {
  struct group entry {};
  struct group* found = nullptr;
  std::vector<char> buffer(16384);
  if (getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr) return found->gr_name;
  return std::to_string(gid);
}

std::string UserName(uid_t uid) {
  struct passwd entry {};
  struct passwd* found = nullptr;
  std::vector<char> buffer(16384);
  if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr) return found->pw_name;
  return std::to_string(uid);
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

// Octal permission bits within 0666 that leave the owner reading and writing.
bool ParseMode(const std::string& text, mode_t* out) {
  if (text.empty() || text.size() > 4) return false;
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '7') return false;
    value = value * 8 + static_cast<unsigned>(c - '0');
  }
  if ((value & ~0666u) != 0 || (value & 0600u) != 0600u) return false;
  *out = static_cast<mode_t>(value);
  return true;
}

std::string Octal(mode_t mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
  return text;
}

}  // namespace

SharedAccess ResolveSharedAccess(bool group_set, const std::string& group, const std::string& mode) {
  SharedAccess access;
  gid_t gid = 0;
  if (group_set) {
    if (!group.empty() && FindGroup(group, &gid)) {
      access.has_group = true;
      access.group = gid;
      access.group_name = group;
    } else if (!group.empty()) {
      access.problem = std::string(kGroupVariable) + "=" + group +
                       " names no group of this system: what this program creates is its owner's alone";
    }
  } else if (FindGroup(kDefaultGroup, &gid) && MayGiveTo(gid)) {
    access.has_group = true;
    access.group = gid;
    access.group_name = kDefaultGroup;
  }
  access.mode = access.has_group ? 0660 : 0600;
  mode_t asked = 0;
  if (!mode.empty()) {
    if (ParseMode(mode, &asked)) {
      access.mode = asked;
    } else {
      if (!access.problem.empty()) access.problem += "; ";
      access.problem += std::string(kModeVariable) + "=" + mode +
                        " is no permission from 0600 to 0666 in octal: " + Octal(access.mode) + " is used";
    }
  }
  return access;
}

bool ApplySharedAccess(int fd, const SharedAccess& access) {
  int error = 0;
  mode_t mode = access.mode;
  if (access.has_group && fchown(fd, static_cast<uid_t>(-1), access.group) != 0) {
    error = errno;
    mode &= 0700;  // never left open to a group that was not meant
  }
  if (fchmod(fd, mode) != 0 && error == 0) error = errno;
  errno = error;
  return error == 0;
}

std::string AccessHint(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return std::string();
  const std::string owner = UserName(st.st_uid);
  const std::string group = GroupName(st.st_gid);
  std::string hint = path + " belongs to user " + owner + " and group " + group + " (mode " + Octal(st.st_mode) + ")";
  if ((st.st_mode & 0060) == 0060) {
    return hint + ": members of group " + group + " may use it; join that group (adduser " + UserName(geteuid()) +
           " " + group + ") and log in again";
  }
  return hint + ": only " + owner + " may use it; programs that share it start with " + kGroupVariable +
         " naming a group of all their users";
}

}  // namespace quorsma::platform
