#include "config/retentive.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "config/mailbox.h"
#include "config/names.h"
#include "config/retentive_store.h"
#include "core/areas.h"
#include "core/format.h"
#include "platform/env.h"
#include "platform/profile.h"

namespace quorsma::config {
namespace {

// A value is read as the private-profile read with a 1,024-character buffer
// gives it: cut to 1,023 characters.
constexpr std::size_t kValueLimit = 1023;

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// A field's decimal value as the C library's atoi reads it: leading white
// space, a sign, digits up to the first other character; nothing readable is
// 0, and values beyond 32 bits saturate.
int32_t ReadField(std::string_view field) {
  std::size_t p = 0;
  while (p < field.size() && IsSpace(field[p])) ++p;
  bool negative = false;
  if (p < field.size() && (field[p] == '+' || field[p] == '-')) negative = field[p++] == '-';
  int64_t value = 0;
  for (; p < field.size() && field[p] >= '0' && field[p] <= '9'; ++p) {
    value = value * 10 + (field[p] - '0');
    if (value > int64_t{INT32_MAX} + 1) value = int64_t{INT32_MAX} + 1;
  }
  if (negative) value = -value;
  return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// The group whose key is "D%06d" of its first register (letter in either
// case, as look-ups match names), or -1.
int32_t GroupOfKey(std::string_view key) {
  if (key.size() != 7 || (key[0] != 'D' && key[0] != 'd')) return -1;
  int32_t n = 0;
  for (std::size_t k = 1; k < 7; ++k) {
    if (key[k] < '0' || key[k] > '9') return -1;
    n = n * 10 + (key[k] - '0');
  }
  if (n % kGroupSize != 0 || n / kGroupSize >= kGroupCount) return -1;
  return n / kGroupSize;
}

// True only when the file is known not to exist.
bool FileIsMissing(const std::string& path) {
  std::error_code error;
  return std::filesystem::status(path, error).type() == std::filesystem::file_type::not_found;
}

}  // namespace

int32_t GroupLength(int32_t start) { return std::min(kGroupSize, kLargeArea - start); }

std::size_t FormatGroup(const int32_t* cells, int32_t count, char* out) {
  char* p = out;
  for (int32_t k = 0; k < count; ++k) {
    int32_t value = std::atomic_ref<int32_t>(const_cast<int32_t&>(cells[k])).load(std::memory_order_relaxed);
    p = std::to_chars(p, p + 11, value).ptr;
    *p++ = ',';
  }
  *p = '\0';
  return static_cast<std::size_t>(p - out);
}

std::string MemParaFile(const Image& image, const char* name) {
  return FieldText(image.MemParaPath) + platform::kPathSeparator + name;
}

void SaveRegisterGroup(const Context& context, RegisterFile file, int32_t i) {
  Image& image = *context.image;
  const int32_t start = GroupStart(i);
  const int32_t count = GroupLength(start);
  char key[24];
  char value[kGroupSize * 12 + 1];
  std::string path;
  const char* section;
  if (file == RegisterFile::kData) {
    FormatTo(key, names::kFmtRetentiveKey, start);
    FormatGroup(&image.D[start], count, value);
    path = MemParaFile(image, names::kRetentiveFile);
    section = names::kRetentiveSection;
  } else {
    FormatTo(key, names::kFmtWriteCheckKey, start);
    FormatGroup(&image.WrDChk[start], count, value);
    path = MemParaFile(image, names::kWriteCheckFile);
    section = names::kWriteCheckSection;
  }
  // The file is read, the one key replaced and the whole file replaced
  // atomically, so a writer killed at any moment leaves the old or the new
  // file.  The buffers keep their capacity between saves: a full file is
  // rewritten without fresh memory each time.  A failed write is not
  // reported; the register is saved again at its next change.
  thread_local std::vector<char> old_content;
  thread_local std::string new_content;
  if (!context.env->ReadFile(path.c_str(), &old_content)) {
    // Only a file that is not there starts anew; one that exists but cannot
    // be read now is left alone rather than replaced by this one group.
    if (!FileIsMissing(path)) return;
    old_content.clear();
  }
  platform::ProfileWrite(std::string_view(old_content.data(), old_content.size()), section, key, value,
                         &new_content);
  context.env->WriteFileAtomically(path.c_str(), new_content.data(), new_content.size());
}

void LoadGroup(std::string_view value, int32_t* cells, int32_t count) {
  std::size_t start = 0;
  for (int32_t k = 0; k < count; ++k) {
    std::size_t comma = value.find(',', start);
    if (comma == std::string_view::npos) return;
    std::string_view field = value.substr(start, comma - start);
    if (k > 0 || !field.empty()) cells[k] = ReadField(field);
    start = comma + 1;
  }
}

int32_t SetMap(const Context& context, const char* kind, int32_t index) {
  if (kind == nullptr || !InArea(index, kLargeArea)) return 0;
  Image& image = *context.image;
  if (kind[0] == 'D') {
    platform::ScopedLock lock(context.env->LogLock());
    // The D line goes into the slot only while it is free: a line that is
    // pending is never replaced.  The group is saved either way.
    if (SlotFree(image))
      PublishLine(context, LogKind::kD, index, LoadRelaxed(image.LogPrevD[index]), LoadRelaxed(image.D[index]));
    SaveRegisterGroup(context, RegisterFile::kData, index);
  } else if (std::strcmp(kind, names::kWriteCheckKind) == 0) {
    platform::ScopedLock lock(context.env->LogLock());
    SaveRegisterGroup(context, RegisterFile::kWriteCheck, index);
  }
  return 0;
}

void LoadRetentiveRegisters(const Context& context) {
  Image& image = *context.image;
  std::vector<char> bytes;
  if (!context.env->ReadFile(MemParaFile(image, names::kRetentiveFile).c_str(), &bytes)) return;
  // One pass over the file; each group takes the first of its keys, as a
  // look-up of that key would.
  std::vector<std::string_view> values(kGroupCount);
  std::vector<bool> found(kGroupCount, false);
  std::string_view content(bytes.data(), bytes.size());
  for (const platform::ProfileEntry& entry : platform::ProfileSectionEntries(content, names::kRetentiveSection)) {
    int32_t g = GroupOfKey(entry.key);
    if (g < 0 || found[g]) continue;
    found[g] = true;
    values[g] = entry.value;
  }
  for (int32_t g = 0; g < kGroupCount; ++g) {
    if (values[g].empty()) continue;
    const int32_t start = g * kGroupSize;
    LoadGroup(values[g].substr(0, kValueLimit), &image.D[start], GroupLength(start));
  }
}

}  // namespace quorsma::config
