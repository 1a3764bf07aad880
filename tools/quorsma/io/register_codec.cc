#include "register_codec.h"

namespace quorsma::tool::io {

void DecodeRegisters(const uint16_t* registers, int32_t devices, Format format, int32_t* values) {
  for (int32_t i = 0; i < devices; ++i) {
    switch (format) {
      case Format::kInt16: values[i] = static_cast<int16_t>(registers[i]); break;
      case Format::kUint16: values[i] = registers[i]; break;
      case Format::kInt32HighFirst:
        values[i] = static_cast<int32_t>((uint32_t{registers[2 * i]} << 16) | registers[2 * i + 1]);
        break;
      case Format::kInt32LowFirst:
        values[i] = static_cast<int32_t>((uint32_t{registers[2 * i + 1]} << 16) | registers[2 * i]);
        break;
    }
  }
}

void EncodeRegisters(const int32_t* values, int32_t devices, Format format, uint16_t* registers) {
  for (int32_t i = 0; i < devices; ++i) {
    const uint32_t v = static_cast<uint32_t>(values[i]);
    const uint16_t high = static_cast<uint16_t>(v >> 16), low = static_cast<uint16_t>(v & 0xFFFF);
    switch (format) {
      case Format::kInt16:
      case Format::kUint16: registers[i] = low; break;
      case Format::kInt32HighFirst:
        registers[2 * i] = high;
        registers[2 * i + 1] = low;
        break;
      case Format::kInt32LowFirst:
        registers[2 * i] = low;
        registers[2 * i + 1] = high;
        break;
    }
  }
}

}  // namespace quorsma::tool::io
