#include "device_nodes.h"

#include <cstddef>
#include <cstring>
#include <set>
#include <utility>

namespace quorsma::tool::opcua {
namespace {

struct KindCells {
  const char* name;
  std::size_t cells;    // offset of the value cells
  std::size_t comment;  // offset of the comment area, 0: none
};

#define QSMA_CELLS(name, field, comment) \
  KindCells { name, offsetof(MH_SHARED_STRUCTURE, field), comment }
#define QSMA_COMMENTS(field) offsetof(MH_SHARED_STRUCTURE, field)

// Z is left out: index registers belong to the program that runs the ladder.
const KindCells kKinds[] = {
    QSMA_CELLS("X", X, QSMA_COMMENTS(CommentX)),   QSMA_CELLS("Y", Y, QSMA_COMMENTS(CommentY)),
    QSMA_CELLS("M", M, QSMA_COMMENTS(CommentM)),   QSMA_CELLS("L", L, QSMA_COMMENTS(CommentL)),
    QSMA_CELLS("B", B, QSMA_COMMENTS(CommentB)),   QSMA_CELLS("S", S, QSMA_COMMENTS(CommentS)),
    QSMA_CELLS("SM", SM, QSMA_COMMENTS(CommentSM)), QSMA_CELLS("D", D, QSMA_COMMENTS(CommentD)),
    QSMA_CELLS("W", W, QSMA_COMMENTS(CommentW)),   QSMA_CELLS("R", R, QSMA_COMMENTS(CommentR)),
    QSMA_CELLS("T", Tcur, QSMA_COMMENTS(CommentT)),
};

#undef QSMA_CELLS
#undef QSMA_COMMENTS

const KindCells* FindCells(const char* name) {
  for (const KindCells& kind : kKinds)
    if (std::strcmp(kind.name, name) == 0) return &kind;
  return nullptr;
}

class Builder {
 public:
  Builder(const MH_SHARED_STRUCTURE* image, const qsc_permission* allow_write, std::size_t max_nodes,
          std::vector<DeviceNode>* out)
      : image_(image), allow_write_(allow_write), max_nodes_(max_nodes), out_(out) {}

  bool Add(const char* kind_name, int32_t number, std::string* error) {
    if (!seen_.insert({kind_name, number}).second) return true;
    if (out_->size() >= max_nodes_) {
      *error = "more than " + std::to_string(max_nodes_) + " devices (--max-nodes)";
      return false;
    }
    const qsc_device_kind* kind = qsc_device_kind_find(kind_name, std::strlen(kind_name));
    const KindCells* cells = FindCells(kind_name);
    if (kind == nullptr || cells == nullptr) {
      *error = std::string(kind_name) + " devices are not served";
      return false;
    }
    DeviceNode node;
    node.kind = kind_name;
    node.number = number;
    char text[32];
    qsc_device_text(kind_name, number, text, sizeof text);
    node.operand = text;
    const char* base = reinterpret_cast<const char*>(image_);
    node.cell = reinterpret_cast<const int32_t*>(base + cells->cells) + number;
    node.shape = node.kind == "T" ? NodeShape::kTimer : kind->is_bit ? NodeShape::kBit : NodeShape::kRegister;
    node.writable = node.shape != NodeShape::kTimer && kind->writable &&
                    qsc_permission_allows(allow_write_, kind_name, number, 1) == 1;
    const char* comment = base + cells->comment + static_cast<std::size_t>(number) * QSMA_COMMENT_BYTES;
    if (comment[0] != '\0') {
      char utf8[QSMA_COMMENT_BYTES * 3 + 1];
      const std::size_t n = qsc_cp949_to_utf8(comment, strnlen(comment, QSMA_COMMENT_BYTES - 1), utf8, sizeof utf8);
      node.comment.assign(utf8, std::min(n, sizeof utf8 - 1));
    }
    out_->push_back(std::move(node));
    return true;
  }

  // Every device of the comment areas whose comment is not empty.
  bool AddCommented(std::string* error) {
    const char* base = reinterpret_cast<const char*>(image_);
    for (const KindCells& cells : kKinds) {
      const qsc_device_kind* kind = qsc_device_kind_find(cells.name, std::strlen(cells.name));
      for (int32_t n = 0; n < kind->count; ++n)
        if (base[cells.comment + static_cast<std::size_t>(n) * QSMA_COMMENT_BYTES] != '\0' &&
            !Add(cells.name, n, error))
          return false;
    }
    return true;
  }

 private:
  const MH_SHARED_STRUCTURE* image_;
  const qsc_permission* allow_write_;
  std::size_t max_nodes_;
  std::vector<DeviceNode>* out_;
  std::set<std::pair<std::string, int32_t>> seen_;
};

}  // namespace

bool TimerContact(const MH_SHARED_STRUCTURE* image, int32_t number) {
  return image->Tcoil[number] > 0 && image->Tcur[number] >= image->Tset[number];
}

const int32_t* TimerSet(const MH_SHARED_STRUCTURE* image, int32_t number) { return &image->Tset[number]; }

bool ResolveNodes(const MH_SHARED_STRUCTURE* image, const std::string& ranges, const qsc_permission* allow_write,
                  std::size_t max_nodes, std::vector<DeviceNode>* out, std::string* error) {
  out->clear();
  Builder builder(image, allow_write, max_nodes, out);
  const bool defaults = ranges.empty();
  const std::string text = defaults ? std::string(kDefaultNodes) : ranges;
  if (defaults && !builder.AddCommented(error)) return false;
  qsc_list* list = nullptr;
  char reason[256] = {};
  if (qsc_list_parse(text.data(), text.size(), 0, &list, reason, sizeof reason) != QSC_OK) {
    *error = reason;
    return false;
  }
  bool ok = true;
  const std::size_t items = qsc_list_item_count(list);
  for (std::size_t i = 0; ok && i < items; ++i) {
    qsc_item item{};
    qsc_list_item_at(list, i, &item);
    if (item.kind != QSC_ITEM_RANGE) {
      char operand[32] = {};
      qsc_operand_text(&item.operand, operand, sizeof operand);
      *error = std::string("'") + operand + "': only plain devices and ranges of them are served";
      ok = false;
      break;
    }
    for (int64_t n = item.range.first; ok && n <= item.range.last; ++n) {
      ok = builder.Add(item.range.device, static_cast<int32_t>(n), error);
      if (!ok && error->find("are not served") != std::string::npos)
        *error = "'" + std::string(item.range.device) + "': " + *error;
    }
  }
  qsc_list_free(list);
  return ok;
}

}  // namespace quorsma::tool::opcua
