#include "device_kinds.h"

#include <cstddef>
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

// Where each kind of kKinds lies in the image, in the same order: its cells
// and its comment area (0: none).
struct KindArea {
  std::size_t cells;
  std::size_t comments;
};
#define QSC_AREA(cells, comments) \
  KindArea { offsetof(MH_SHARED_STRUCTURE, cells), offsetof(MH_SHARED_STRUCTURE, comments) }
constexpr KindArea kAreas[] = {
    QSC_AREA(X, CommentX), QSC_AREA(Y, CommentY),   QSC_AREA(M, CommentM), QSC_AREA(L, CommentL),
    QSC_AREA(B, CommentB), QSC_AREA(S, CommentS),   QSC_AREA(SM, CommentSM), QSC_AREA(D, CommentD),
    QSC_AREA(W, CommentW), QSC_AREA(R, CommentR),   {offsetof(MH_SHARED_STRUCTURE, Z), 0},
    QSC_AREA(Tcur, CommentT),
};
#undef QSC_AREA
static_assert(std::size(kAreas) == std::size(kKinds), "one area for every kind");

// The area of `kind` when it is one of kKinds, else null.
const KindArea* AreaOf(const qsc_device_kind* kind) {
  if (kind < std::begin(kKinds) || kind >= std::end(kKinds)) return nullptr;
  return &kAreas[kind - std::begin(kKinds)];
}

}  // namespace

int32_t* KindCells(MH_SHARED_STRUCTURE* image, const qsc_device_kind* kind) {
  const KindArea* area = AreaOf(kind);
  if (image == nullptr || area == nullptr) return nullptr;
  return reinterpret_cast<int32_t*>(reinterpret_cast<char*>(image) + area->cells);
}

char* KindComments(MH_SHARED_STRUCTURE* image, const qsc_device_kind* kind) {
  const KindArea* area = AreaOf(kind);
  if (image == nullptr || area == nullptr || area->comments == 0) return nullptr;
  return reinterpret_cast<char*>(image) + area->comments;
}

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
