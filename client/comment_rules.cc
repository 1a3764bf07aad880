#include "comment_rules.h"

#include "quorsma/client.h"
#include "text_encoding.h"

namespace qsc {
namespace {

bool HasControl(std::string_view text) {
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) return true;
  }
  return false;
}

}  // namespace

bool CheckComment(std::string_view cp949, std::string* error) {
  if (HasControl(cp949)) {
    if (error) *error = "the comment holds a control character";
    return false;
  }
  if (cp949.size() > QSC_COMMENT_MAX_BYTES) {
    if (error)
      *error = "the comment takes " + std::to_string(cp949.size()) + " bytes in CP949; at most " +
               std::to_string(QSC_COMMENT_MAX_BYTES);
    return false;
  }
  return true;
}

bool CommentFromUtf8(std::string_view utf8, std::string* cp949, std::string* error) {
  // Control characters are single bytes in UTF-8 as in CP949: refuse them
  // before the conversion, whose failure would name the wrong reason.
  if (HasControl(utf8)) {
    if (error) *error = "the comment holds a control character";
    return false;
  }
  std::string converted;
  if (!Utf8ToCp949(std::string(utf8), &converted)) {
    if (error) *error = "the comment holds characters that CP949 cannot store";
    return false;
  }
  if (!CheckComment(converted, error)) return false;
  *cp949 = std::move(converted);
  return true;
}

}  // namespace qsc
