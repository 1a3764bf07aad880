// CP949 and UTF-8 through iconv.
#include <iconv.h>

#include <cerrno>

#include "../text_encoding.h"

namespace qsc {
namespace {

// Converts `text`; invalid or incomplete input becomes '?' when `lenient`,
// else the conversion fails.
bool Convert(const std::string& text, const char* to, const char* from, bool lenient, std::string* result) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    *result = text;
    return lenient;
  }
  std::string out;
  char buffer[1024];
  char* in_ptr = const_cast<char*>(text.data());
  std::size_t in_left = text.size();
  bool ok = true;
  while (in_left > 0) {
    char* out_ptr = buffer;
    std::size_t out_left = sizeof buffer;
    std::size_t rc = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    out.append(buffer, sizeof buffer - out_left);
    if (rc != static_cast<std::size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    if (!lenient) {
      ok = false;
      break;
    }
    out.push_back('?');  // EILSEQ or EINVAL: skip one byte and go on
    ++in_ptr;
    --in_left;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(cd);
  if (ok) *result = std::move(out);
  return ok;
}

}  // namespace

std::string Cp949ToUtf8(const std::string& cp949) {
  std::string out;
  Convert(cp949, "UTF-8", "CP949", true, &out);
  return out;
}

bool Utf8ToCp949(const std::string& utf8, std::string* cp949) { return Convert(utf8, "CP949", "UTF-8", false, cp949); }

}  // namespace qsc
