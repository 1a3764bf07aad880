// Forces: devices held at a value against the program.  The table is the
// tool's own, kept outside the image in a small text file in the directory of
// the section locks (section_lock.h), quorsma.<section>.forces:
//
//   section <identity>
//   X3 1
//   D100 1234
//
// <identity> names the section instance the forces were set on (on Linux the
// inode and birth time of /dev/shm/<section>); a table whose identity is not
// that of the section in use belongs to a section that has ended and counts
// as empty, so forces end with the section.  On Windows the section has no
// such identity: forces stay until cleared.  Every further line is a device
// that can be forced and its value, one blank between them.  The file holds
// at most kMaxForceFileBytes, room for every device that can be forced.
//
// A file that is not such a table (a damaged line, no section line, too
// large, not a regular file) is refused as a whole: a reader that had a good
// table keeps it (the runner says so once per change of the file), and
// `quorsma force --clear` or setting a force writes a new table over it.
//
// Forced devices are plain devices of X Y M L B S (0 or 1) and D W R Z
// (any 32-bit value).  `quorsma run` writes forced inputs (X) into the image
// before each scan, and every other forced device after each scan, straight
// into the cells: a force itself runs no value-change check.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "quorsma/client.h"
#include "section_lock.h"

namespace qsc {

using Force = quorsma::client::Force;

// 983,030 devices can be forced, each in at most 20 bytes.
inline constexpr std::size_t kMaxForceFileBytes = QSC_MAX_FORCE_FILE_BYTES;

class ForceTable {
 public:
  // Reads the table of the section in use; a missing file, or one of an
  // ended section, gives an empty table.  False with a reason when the file
  // cannot be read or is not a table, and the table stays as it was.
  bool Load(std::string* error);
  // After a failed Load: whether the file itself is at fault (damaged, not a
  // regular file, too large), so that Save would mend it; what is wrong with
  // it, naming the path, without advice.
  bool damaged() const { return !damage_.empty(); }
  const std::string& damage() const { return damage_; }
  // Replaces the file whole (a new file renamed over the old one).
  bool Save(std::string* error) const;

  const std::vector<Force>& forces() const { return forces_; }
  // Sets or replaces the force of a device.
  void Set(const Force& force);
  // Removes the force of a device; false when it had none.
  bool Clear(const std::string& device, int32_t number);
  void ClearAll() {
    forces_.clear();
    at_.clear();
  }
  const Force* Find(const std::string& device, int32_t number) const;

  // Writes the forced values into the image: inputs (X) or everything else.
  void ApplyInputs(MH_SHARED_STRUCTURE* image) const;
  void ApplyOutputs(MH_SHARED_STRUCTURE* image) const;
  void ApplyAll(MH_SHARED_STRUCTURE* image) const {
    ApplyInputs(image);
    ApplyOutputs(image);
  }

  // Checks whether the file changed since the last Load and reloads it if so
  // (cheap: one stat when nothing changed).  For the runner, between scans.
  // Returns why a changed file was refused, once per change of the file (the
  // table then stays as it was); empty otherwise.
  std::string Refresh();

 private:
  static uint64_t Key(const std::string& device, int32_t number);
  void Reindex();

  std::vector<Force> forces_;                   // in the order they were set
  std::unordered_map<uint64_t, std::size_t> at_;  // where each device is in forces_
  FileStamp stamp_;                             // the file at the last Load
  std::string damage_;
};

// The path of the forces file of the section in use.
std::string ForceTablePath();

// Whether a plain device of `device` can be forced (X Y M L B S D W R Z).
bool IsForceable(const std::string& device);

// The cell a plain device of a forceable kind names in the image; null for
// other kinds.
int32_t* ForceCell(MH_SHARED_STRUCTURE* image, const std::string& device, int32_t number);

}  // namespace qsc
