// Comments, CP949 and UTF-8, and value-change lines.
#include "../change_line.h"
#include "../comment_failure.h"
#include "../comment_rules.h"
#include "../device_values.h"
#include "../text_encoding.h"
#include "out_text.h"

using namespace qsc;

extern "C" {

QSC_EXPORT int32_t QSC_CALL qsc_comment_from_utf8(const char* utf8, size_t length, char* cp949, size_t* cp949_length,
                                                  char* error, size_t error_size) {
  std::string converted;
  std::string reason;
  if (!CommentFromUtf8(In(utf8, length), &converted, &reason)) return Refused(QSC_BAD_INPUT, reason, error, error_size);
  OutText(converted, cp949, QSC_COMMENT_MAX_BYTES + 1);
  if (cp949_length != nullptr) *cp949_length = converted.size();
  return QSC_OK;
}

QSC_EXPORT size_t QSC_CALL qsc_comment_write_failure(const MH_SHARED_STRUCTURE* image, char* out, size_t size) {
  if (image == nullptr) return OutText("the section is not mapped", out, size);
  return OutText(CommentWriteFailure(image), out, size);
}

QSC_EXPORT int32_t QSC_CALL qsc_comment_check(const char* cp949, size_t length, char* error, size_t error_size) {
  std::string reason;
  return CheckComment(In(cp949, length), &reason) ? QSC_OK : Refused(QSC_BAD_INPUT, reason, error, error_size);
}

QSC_EXPORT size_t QSC_CALL qsc_cp949_to_utf8(const char* cp949, size_t length, char* out, size_t size) {
  return OutText(Cp949ToUtf8(std::string(In(cp949, length))), out, size);
}

QSC_EXPORT int32_t QSC_CALL qsc_utf8_to_cp949(const char* utf8, size_t length, char* out, size_t size,
                                              size_t* written) {
  std::string converted;
  if (!Utf8ToCp949(std::string(In(utf8, length)), &converted)) {
    if (written != nullptr) *written = 0;
    OutText("", out, size);
    return QSC_BAD_INPUT;
  }
  if (written != nullptr) *written = converted.size();
  OutText(converted, out, size);
  return converted.size() < size ? QSC_OK : QSC_BAD_INPUT;
}

QSC_EXPORT size_t QSC_CALL qsc_escape_controls(const char* text, size_t length, char* out, size_t size) {
  return OutText(EscapeControls(In(text, length)), out, size);
}

QSC_EXPORT void QSC_CALL qsc_change_parse(const char* line, size_t length, qsc_change* out) {
  ParseChange(line == nullptr ? "" : line, line == nullptr ? 0 : length, out);
}

QSC_EXPORT int32_t QSC_CALL qsc_change_take(MH_SHARED_STRUCTURE* image, qsc_change* out) {
  if (image == nullptr) return QSC_NO_IMAGE;
  return TakeChange(image, out) ? QSC_OK : QSC_NO_LINE;
}

}  // extern "C"

#include <new>

#include "../line_waiter.h"
#include "../section.h"

struct qsc_waiter {
  explicit qsc_waiter(MH_SHARED_STRUCTURE* image) : waiter(image) {}
  qsc::LineWaiter waiter;
};

extern "C" {

QSC_EXPORT int32_t QSC_CALL qsc_waiter_open(MH_SHARED_STRUCTURE* image, qsc_waiter** out) {
  if (image == nullptr) return QSC_NO_IMAGE;
  auto* made = new (std::nothrow) qsc_waiter(image);
  if (made == nullptr) return QSC_FAILED;
  *out = made;
  return QSC_OK;
}

QSC_EXPORT void QSC_CALL qsc_waiter_wait(qsc_waiter* waiter, int64_t timeout_us) {
  if (waiter != nullptr) waiter->waiter.Wait(std::chrono::microseconds(timeout_us < 0 ? 0 : timeout_us));
}

QSC_EXPORT int32_t QSC_CALL qsc_waiter_event_driven(const qsc_waiter* waiter) {
  return waiter != nullptr && waiter->waiter.event_driven();
}

QSC_EXPORT void QSC_CALL qsc_waiter_close(qsc_waiter* waiter) { delete waiter; }

QSC_EXPORT size_t QSC_CALL qsc_section_name(char* out, size_t size) { return OutText(SectionName(), out, size); }

}  // extern "C"
