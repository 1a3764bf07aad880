// Reading devices and formatting their values.
#include <cstdio>

#include "../device_values.h"
#include "out_text.h"

namespace qsc {
namespace {

DeviceValue FromC(const qsc_value& v, bool forced) {
  DeviceValue out = DeviceValue::From(v);
  out.forced = forced;
  return out;
}

ValueFormat FormatOf(int32_t format) {
  return format >= QSC_FORMAT_DEC && format <= QSC_FORMAT_U16 ? static_cast<ValueFormat>(format) : ValueFormat::kDec;
}

}  // namespace
}  // namespace qsc

using namespace qsc;

extern "C" {

QSC_EXPORT void QSC_CALL qsc_read_operand(const MH_SHARED_STRUCTURE* image, const qsc_operand* op, int32_t path,
                                          qsc_value* out) {
  const ReadPath read = path == QSC_READ_LIBRARY ? ReadPath::kLibrary : ReadPath::kImage;
  *out = ReadDeviceValue(const_cast<MH_SHARED_STRUCTURE*>(image), Operand::From(*op), read).ToC();
}

QSC_EXPORT int32_t QSC_CALL qsc_read(const MH_SHARED_STRUCTURE* image, const char* text, size_t length, int32_t path,
                                     qsc_value* out, char* error, size_t error_size) {
  if (image == nullptr) return Refused(QSC_NO_IMAGE, "the section is not mapped", error, error_size);
  Operand op;
  std::string reason;
  if (!CheckOperand(In(text, length), Role::kMonitor, &op, &reason))
    return Refused(QSC_BAD_INPUT, reason, error, error_size);
  const ReadPath read = path == QSC_READ_LIBRARY ? ReadPath::kLibrary : ReadPath::kImage;
  *out = ReadDeviceValue(const_cast<MH_SHARED_STRUCTURE*>(image), op, read).ToC();
  return QSC_OK;
}

QSC_EXPORT int32_t QSC_CALL qsc_format_parse(const char* text, size_t length) {
  ValueFormat format;
  return ParseValueFormat(In(text, length), &format) ? static_cast<int32_t>(format) : -1;
}

QSC_EXPORT size_t QSC_CALL qsc_format_value(const qsc_value* value, int32_t format, char* out, size_t size) {
  return OutText(FormatValue(FromC(*value, false), FormatOf(format)), out, size);
}

QSC_EXPORT size_t QSC_CALL qsc_value_json(const qsc_value* value, int32_t format, int32_t forced, char* out,
                                          size_t size) {
  return OutText(ToJson(FromC(*value, forced != 0), FormatOf(format)), out, size);
}

QSC_EXPORT size_t QSC_CALL qsc_value_csv(const qsc_value* value, int32_t format, int32_t forced, char* out,
                                         size_t size) {
  return OutText(ToCsv(FromC(*value, forced != 0), FormatOf(format)), out, size);
}

QSC_EXPORT const char* QSC_CALL qsc_csv_header(void) {
  static const std::string header = CsvHeader();
  return header.c_str();
}

QSC_EXPORT size_t QSC_CALL qsc_comment_of(const MH_SHARED_STRUCTURE* image, const char* device, int64_t number,
                                          char* out, size_t size) {
  if (image == nullptr || device == nullptr) return OutText("", out, size);
  return OutText(CommentOf(image, device, number), out, size);
}

}  // extern "C"

extern "C" {

QSC_EXPORT char* QSC_CALL qsc_comment_entry(MH_SHARED_STRUCTURE* image, const char* device, int64_t number) {
  if (image == nullptr || device == nullptr) return nullptr;
  return CommentEntry(image, device, number);
}

QSC_EXPORT size_t QSC_CALL qsc_json_string(const char* utf8, size_t length, char* out, size_t size) {
  return OutText(JsonString(In(utf8, length)), out, size);
}

}  // extern "C"
