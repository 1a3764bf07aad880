#include "device_kinds.h"

#include <iterator>

namespace qsc {
namespace {

//                  name   count            radix bit write comment force index bits
constexpr qsc_device_kind kKinds[] = {
    {"X", QSMA_AREA_SMALL, 16, 1, 1, 1, 1, 1, 0, 0},
    {"Y", QSMA_AREA_SMALL, 16, 1, 1, 1, 1, 1, 0, 0},
    {"M", QSMA_AREA_LARGE, 10, 1, 1, 1, 1, 1, 0, 0},
    {"L", QSMA_AREA_LARGE, 10, 1, 1, 1, 1, 0, 0, 0},
    {"B", QSMA_AREA_LARGE, 16, 1, 1, 1, 1, 1, 0, 0},
    {"S", QSMA_AREA_SMALL, 10, 1, 1, 1, 1, 0, 0, 0},
    {"SM", QSMA_AREA_SMALL, 10, 1, 0, 1, 0, 0, 0, 0},
    {"D", QSMA_AREA_LARGE, 10, 0, 1, 1, 1, 1, 1, 0},
    {"W", QSMA_AREA_LARGE, 16, 0, 1, 1, 1, 1, 1, 0},
    {"R", QSMA_AREA_SMALL, 10, 0, 0, 1, 1, 0, 0, 0},
    {"Z", QSMA_AREA_SMALL, 10, 0, 1, 0, 1, 0, 0, 0},
    {"T", QSMA_AREA_SMALL, 10, 1, 0, 1, 0, 0, 0, 0},
};

}  // namespace

const qsc_device_kind* Kinds(int* count) {
  *count = static_cast<int>(std::size(kKinds));
  return kKinds;
}

const qsc_device_kind* FindKind(std::string_view name) {
  if (name.empty() || name.size() > 2) return nullptr;
  for (const qsc_device_kind& kind : kKinds) {
    if (name == kind.name) return &kind;
  }
  return nullptr;
}

}  // namespace qsc
