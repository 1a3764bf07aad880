#include "image_access.h"

#include <cstddef>
#include <cstring>

#include "quorsma/client.h"

namespace quorsma::tool::io {
namespace {

struct Area {
  const char* kind;
  std::size_t offset;
  bool bit;
};

#define QSMA_AREA(kind, bit) Area{#kind, offsetof(MH_SHARED_STRUCTURE, kind), bit}
const Area kAreas[] = {
    QSMA_AREA(X, true),  QSMA_AREA(Y, true),  QSMA_AREA(M, true),  QSMA_AREA(L, true),
    QSMA_AREA(B, true),  QSMA_AREA(S, true),  QSMA_AREA(SM, true), QSMA_AREA(D, false),
    QSMA_AREA(W, false), QSMA_AREA(R, false), QSMA_AREA(Z, false),
};
#undef QSMA_AREA

const Area& AreaOf(const std::string& kind) {
  for (const Area& area : kAreas)
    if (kind == area.kind) return area;
  return kAreas[0];  // the parser admits only the kinds above
}

// The operand text of a plain device ("D100", "X1F"), as qsc_device_text
// gives it, made without formatting functions: a block of changed inputs
// costs its device writes, not the making of their names.
const char* OperandText(const Devices& devices, int32_t offset, char (&out)[16]) {
  char digits[12];
  int n = 0;
  uint32_t number = static_cast<uint32_t>(devices.first + offset);
  const uint32_t radix = devices.hex ? 16 : 10;
  do {
    digits[n++] = "0123456789ABCDEF"[number % radix];
    number /= radix;
  } while (number != 0);
  std::size_t at = 0;
  for (char c : devices.kind) out[at++] = c;
  while (n > 0) out[at++] = digits[--n];
  out[at] = '\0';
  return out;
}

}  // namespace

const int32_t* ImageAccess::Cells(const Devices& devices) const {
  return reinterpret_cast<const int32_t*>(reinterpret_cast<const char*>(image_) + AreaOf(devices.kind).offset) +
         devices.first;
}

void ImageAccess::Read(const Devices& devices, int32_t* values) const {
  const int32_t* cells = Cells(devices);
  const bool bit = AreaOf(devices.kind).bit;
  for (int32_t i = 0; i < devices.count; ++i) values[i] = bit ? (cells[i] != 0 ? 1 : 0) : cells[i];
}

bool ImageAccess::Write(const Devices& devices, const int32_t* values, std::string* error) {
  const int32_t* cells = Cells(devices);
  // Inputs change seldom: a block equal to the image costs no lock.
  int32_t first_change = 0;
  while (first_change < devices.count && cells[first_change] == values[first_change]) ++first_change;
  if (first_change == devices.count) return true;
  std::lock_guard<std::mutex> hold(write_lock_);
  const int64_t messages = qsc_messages_count();
  char name[16];
  for (int32_t i = first_change; i < devices.count; ++i) {
    if (cells[i] != values[i]) SetSma(OperandText(devices, i, name), values[i]);
  }
  if (qsc_messages_count() == messages) return true;
  char text[512];
  qsc_messages_last(text, sizeof text);
  std::size_t length = std::strlen(text);
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r')) --length;
  *error = "the library refused a write of " + DeviceName(devices, 0) + ".." +
           DeviceName(devices, devices.count - 1) + ": " + std::string(text, length);
  return false;
}

}  // namespace quorsma::tool::io
