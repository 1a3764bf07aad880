#include "device_nodes.h"

#include <cstddef>
#include <cstring>
#include <set>
#include <utility>

namespace quorsma::tool::opcua {
namespace {

// Every kind with comments is served; Z is left out: index registers belong
// to the program that runs the ladder.
bool Served(const qsc_device_kind* kind) { return kind != nullptr && std::strcmp(kind->name, "Z") != 0; }

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
    if (!Served(kind)) {
      *error = std::string(kind_name) + " devices are not served";
      return false;
    }
    DeviceNode node;
    node.kind = kind_name;
    node.number = number;
    char text[32];
    qsc_device_text(kind_name, number, text, sizeof text);
    node.operand = text;
    node.cell = qsc_device_cells(image_, kind) + number;
    node.shape = node.kind == "T" ? NodeShape::kTimer : kind->is_bit ? NodeShape::kBit : NodeShape::kRegister;
    node.writable = node.shape != NodeShape::kTimer && kind->writable &&
                    qsc_permission_allows(allow_write_, kind_name, number, 1) == 1;
    const char* comment = qsc_device_comments(image_, kind) + static_cast<std::size_t>(number) * QSMA_COMMENT_BYTES;
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
    for (int32_t k = 0; k < qsc_device_kind_count(); ++k) {
      const qsc_device_kind* kind = qsc_device_kind_at(k);
      if (!Served(kind)) continue;
      const char* comments = qsc_device_comments(image_, kind);
      for (int32_t n = 0; n < kind->count; ++n)
        if (comments[static_cast<std::size_t>(n) * QSMA_COMMENT_BYTES] != '\0' && !Add(kind->name, n, error))
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
