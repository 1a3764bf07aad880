// The checked write, and values typed for writing.
#include "../checked_write.h"
#include "../device_values.h"
#include "../library_messages.h"
#include "out_text.h"

namespace qsc {
const Permission& PermissionOf(const qsc_permission* permission);
}

using namespace qsc;

extern "C" {

QSC_EXPORT int32_t QSC_CALL qsc_write_check(const MH_SHARED_STRUCTURE* image, const qsc_permission* permission,
                                            const char* text, size_t length, int32_t role, int64_t value,
                                            qsc_write_target* out, char* error, size_t error_size) {
  if (image == nullptr) return Refused(QSC_NO_IMAGE, "the section is not mapped", error, error_size);
  if (permission == nullptr) return Refused(QSC_NOT_ALLOWED, "no permission to write", error, error_size);
  if (role != QSC_ROLE_WRITE && role != QSC_ROLE_STORE)
    return Refused(QSC_BAD_INPUT, "a write takes the role QSC_ROLE_WRITE or QSC_ROLE_STORE", error, error_size);
  std::string reason;
  qsc_write_target target{};
  const int32_t status =
      CheckWrite(image, PermissionOf(permission), In(text, length), static_cast<Role>(role), value, &target, &reason);
  if (status != QSC_OK) return Refused(status, reason, error, error_size);
  if (out != nullptr) *out = target;
  return QSC_OK;
}

QSC_EXPORT int32_t QSC_CALL qsc_write_apply(const qsc_write_target* target, char* error, size_t error_size) {
  if (target == nullptr) return Refused(QSC_BAD_INPUT, "no target", error, error_size);
  const int64_t before = MessageCount();
  ApplyWrite(*target);
  if (MessageCount() != before)
    return Refused(QSC_FAILED, std::string(target->operand) + ": " + LastMessage(), error, error_size);
  return QSC_OK;
}

QSC_EXPORT int32_t QSC_CALL qsc_write(const MH_SHARED_STRUCTURE* image, const qsc_permission* permission,
                                      const char* text, size_t length, int32_t role, int64_t value, char* error,
                                      size_t error_size) {
  qsc_write_target target{};
  const int32_t status = qsc_write_check(image, permission, text, length, role, value, &target, error, error_size);
  if (status != QSC_OK) return status;
  return qsc_write_apply(&target, error, error_size);
}

QSC_EXPORT int32_t QSC_CALL qsc_parse_value(const char* text, size_t length, int32_t flags, int64_t* out) {
  std::string_view typed = In(text, length);
  while (!typed.empty() && (typed.front() == ' ' || typed.front() == '\t' || typed.front() == '\r' ||
                            typed.front() == '\n'))
    typed.remove_prefix(1);
  while (!typed.empty() &&
         (typed.back() == ' ' || typed.back() == '\t' || typed.back() == '\r' || typed.back() == '\n'))
    typed.remove_suffix(1);
  const std::string trimmed(typed);
  if ((flags & QSC_VALUE_WIDE) != 0) return ParseWideValueText(trimmed, out) ? QSC_OK : QSC_BAD_INPUT;
  int32_t value = 0;
  if (!ParseValueText(trimmed, &value)) return QSC_BAD_INPUT;
  *out = value;
  return QSC_OK;
}

}  // extern "C"
