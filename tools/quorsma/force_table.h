// Forces: devices held at a value against the program.  The table is the
// tool's own, kept outside the image in a small text file beside the section
// locks (section_lock.h), quorsma.<section>.forces:
//
//   section <identity>
//   X3 1
//   D100 1234
//
// <identity> names the section instance the forces were set on (on Linux the
// inode and birth time of /dev/shm/<section>); a table whose identity is not
// that of the section in use belongs to a section that has ended and counts
// as empty, so forces end with the section.  On Windows the section has no
// such identity: forces stay until cleared.
//
// Forced devices are plain devices of X Y M L B S (0 or 1) and D W R Z
// (any 32-bit value).  `quorsma run` writes forced inputs (X) into the image
// before each scan, and every other forced device after each scan, straight
// into the cells: a force itself runs no value-change check.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "quorsma/quorsma.h"

namespace quorsma::tool {

struct Force {
  std::string device;
  int32_t number = 0;
  int32_t value = 0;
  bool operator==(const Force& other) const {
    return device == other.device && number == other.number && value == other.value;
  }
};

class ForceTable {
 public:
  // Reads the table of the section in use; a missing file, or one of an
  // ended section, gives an empty table.  False with a reason when the file
  // cannot be read or is damaged.
  bool Load(std::string* error);
  // Replaces the file whole (a new file renamed over the old one).
  bool Save(std::string* error) const;

  const std::vector<Force>& forces() const { return forces_; }
  // Sets or replaces the force of a device.
  void Set(const Force& force);
  // Removes the force of a device; false when it had none.
  bool Clear(const std::string& device, int32_t number);
  void ClearAll() { forces_.clear(); }
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
  void Refresh();

 private:
  std::vector<Force> forces_;
  int64_t stamp_ = -1;  // modification time of the file at the last Load
};

// The path of the forces file of the section in use.
std::string ForceTablePath();

// The cell a plain device of a forceable kind names in the image; null for
// other kinds.
int32_t* ForceCell(MH_SHARED_STRUCTURE* image, const std::string& device, int32_t number);

}  // namespace quorsma::tool
