// Device lists and write permissions.
#include <new>
#include <vector>

#include "../permission.h"
#include "out_text.h"

// A parsed list, with the start of each item's operands for lookups by index.
struct qsc_list {
  std::vector<qsc::RangeItem> items;
  std::vector<std::size_t> starts;  // operands before item i
  std::size_t operand_count = 0;
};

struct qsc_permission {
  qsc::Permission permission;
};

using namespace qsc;

extern "C" {

QSC_EXPORT int32_t QSC_CALL qsc_list_parse(const char* text, size_t length, int32_t flags, qsc_list** out,
                                           char* error, size_t error_size) {
  RangeOptions options;
  options.allow_all = (flags & QSC_LIST_ALLOW_ALL) != 0;
  std::vector<RangeItem> items;
  std::string reason;
  if (!ParseRangeList(In(text, length), options, &items, &reason)) return Refused(QSC_BAD_INPUT, reason, error, error_size);
  auto* list = new (std::nothrow) qsc_list;
  if (list == nullptr) return Refused(QSC_FAILED, "out of memory", error, error_size);
  list->items = std::move(items);
  for (const RangeItem& item : list->items) {
    list->starts.push_back(list->operand_count);
    list->operand_count += item.kind == RangeItem::Kind::kRange     ? static_cast<std::size_t>(item.range.Count())
                           : item.kind == RangeItem::Kind::kOperand ? 1
                                                                    : 0;
  }
  *out = list;
  return QSC_OK;
}

QSC_EXPORT void QSC_CALL qsc_list_free(qsc_list* list) { delete list; }

QSC_EXPORT size_t QSC_CALL qsc_list_item_count(const qsc_list* list) { return list->items.size(); }

QSC_EXPORT int32_t QSC_CALL qsc_list_item_at(const qsc_list* list, size_t index, qsc_item* out) {
  if (index >= list->items.size()) return QSC_BAD_INPUT;
  const RangeItem& item = list->items[index];
  *out = qsc_item{};
  out->kind = static_cast<int32_t>(item.kind);
  if (item.kind == RangeItem::Kind::kRange) out->range = item.range.ToC();
  if (item.kind == RangeItem::Kind::kOperand) out->operand = item.operand.ToC();
  return QSC_OK;
}

QSC_EXPORT size_t QSC_CALL qsc_list_operand_count(const qsc_list* list) { return list->operand_count; }

QSC_EXPORT size_t QSC_CALL qsc_list_operand_at(const qsc_list* list, size_t index, char* out, size_t size) {
  if (index >= list->operand_count) return OutText("", out, size);
  // The last item that starts at or before `index` holds it.
  std::size_t lo = 0;
  std::size_t hi = list->starts.size();
  while (hi - lo > 1) {
    const std::size_t mid = (lo + hi) / 2;
    if (list->starts[mid] <= index) lo = mid; else hi = mid;
  }
  while (list->items[lo].kind == RangeItem::Kind::kAll) ++lo;  // "all" holds none
  const RangeItem& item = list->items[lo];
  if (item.kind == RangeItem::Kind::kOperand) return OutText(OperandText(item.operand), out, size);
  return OutText(DeviceText(item.range.device, item.range.first + static_cast<int64_t>(index - list->starts[lo])), out,
                 size);
}

QSC_EXPORT int32_t QSC_CALL qsc_permission_parse(const char* text, size_t length, qsc_permission** out, char* error,
                                                 size_t error_size) {
  Permission permission;
  std::string reason;
  if (!Permission::Parse(In(text, length), &permission, &reason)) return Refused(QSC_BAD_INPUT, reason, error, error_size);
  auto* made = new (std::nothrow) qsc_permission{std::move(permission)};
  if (made == nullptr) return Refused(QSC_FAILED, "out of memory", error, error_size);
  *out = made;
  return QSC_OK;
}

QSC_EXPORT void QSC_CALL qsc_permission_free(qsc_permission* permission) { delete permission; }

QSC_EXPORT int32_t QSC_CALL qsc_permission_allows(const qsc_permission* permission, const char* device, int64_t number,
                                                  int64_t count) {
  return permission != nullptr && device != nullptr && count >= 1 &&
         permission->permission.AllowsCells(device, number, count);
}

QSC_EXPORT int32_t QSC_CALL qsc_permission_allows_bit(const qsc_permission* permission, const char* device,
                                                      int64_t number, int32_t bit) {
  return permission != nullptr && device != nullptr && permission->permission.AllowsBit(device, number, bit);
}

QSC_EXPORT int32_t QSC_CALL qsc_permission_is_empty(const qsc_permission* permission) {
  return permission == nullptr || permission->permission.empty();
}

QSC_EXPORT int32_t QSC_CALL qsc_permission_is_all(const qsc_permission* permission) {
  return permission != nullptr && permission->permission.all();
}

}  // extern "C"

namespace qsc {
const Permission& PermissionOf(const qsc_permission* permission) { return permission->permission; }
}  // namespace qsc
