// The device memory as quorsma io uses it: inputs go in through the library's
// device write (SetSma), so value-change lines and retentive saves follow as
// for any write; outputs are read straight from the image cells.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "io_config.h"
#include "quorsma/quorsma.h"

namespace quorsma::tool::io {

class ImageAccess {
 public:
  explicit ImageAccess(MH_SHARED_STRUCTURE* image) : image_(image) {}

  // The cells of `devices` as they are now (bit devices 0 or 1).
  void Read(const Devices& devices, int32_t* values) const;
  // Writes the values whose cell differs, all under one lock so that the
  // stations' blocks never interleave.  False with the library's message
  // when it refused a write.
  bool Write(const Devices& devices, const int32_t* values, std::string* error);
  // One device: a health relay or a failure counter.
  bool WriteOne(const Devices& device, int32_t value, std::string* error) { return Write(device, &value, error); }

 private:
  const int32_t* Cells(const Devices& devices) const;

  MH_SHARED_STRUCTURE* image_;
  std::mutex write_lock_;
};

}  // namespace quorsma::tool::io
