#include "config/retentive.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "config/mailbox.h"
#include "config/names.h"
#include "config/retentive_store.h"
#include "core/areas.h"
#include "core/decimal.h"
#include "core/format.h"
#include "core/messages.h"
#include "platform/env.h"
#include "platform/profile.h"

namespace quorsma::config {
namespace {

// A value is read as the private-profile read with a 1,024-character buffer
// gives it: cut to 1,023 characters.
constexpr std::size_t kValueLimit = 1023;

// A field's decimal value as the C library's atoi reads it; values beyond 32
// bits saturate.
int32_t ReadField(std::string_view field) {
  return ReadInt32(field.data(), field.data() + field.size(), kCDecimal);
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

// What this process last read or wrote of one retentive file, and the
// version the file had then: while the file keeps that version its content
// need not be read again.
struct CachedFile {
  platform::FileStamp stamp;
  std::string content;
  std::map<int32_t, std::string> written;  // group values this process wrote into `content`
};

// The files whose last save failed, each reported once until a save of it
// succeeds again.
struct SaveState {
  std::mutex mutex;
  std::map<std::string, CachedFile> cache;
  std::set<std::string> failing;
};

SaveState& State() {
  static SaveState* state = new SaveState;  // used until the unload hook
  return *state;
}

void ReportSave(const Context& context, const std::string& path, int error) {
  SaveState& state = State();
  bool report = false;
  {
    std::lock_guard<std::mutex> guard(state.mutex);
    if (error == 0) {
      state.failing.erase(path);
    } else {
      report = state.failing.insert(path).second;
    }
  }
  if (report)
    context.env->ShowMessage(Format(text::kFmtCannotSave, path.c_str(), platform::ErrorText(error).c_str()).c_str());
}

}  // namespace

int32_t GroupLength(int32_t start) { return std::min(kGroupSize, kLargeArea - start); }

std::size_t FormatGroup(const int32_t* cells, int32_t count, char* out) {
  char* p = out;
  for (int32_t k = 0; k < count; ++k) {
    int32_t value = LoadRelaxed(cells[k]);
    p = std::to_chars(p, p + 11, value).ptr;
    *p++ = ',';
  }
  *p = '\0';
  return static_cast<std::size_t>(p - out);
}

std::string MemParaFile(const Image& image, const char* name) {
  return FieldText(image.MemParaPath) + platform::kPathSeparator + name;
}

bool HasParameterDirectory(const Image& image) { return image.MemParaPath[0] != '\0'; }

int SaveRegisterGroup(const Context& context, RegisterFile file, int32_t i) {
  Image& image = *context.image;
  // No directory configured (or one that could not be used): there is no
  // file to keep current, which the configuration has reported already.
  if (!HasParameterDirectory(image)) return 0;
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
  // The file is read, the one key replaced and the whole file replaced: at
  // once in the file (a process killed afterwards loses nothing) and on the
  // disk shortly after (see Env::ReplaceContentSoon).  The buffers keep their
  // capacity between saves: a full file is rewritten without fresh memory
  // each time.
  SaveState& state = State();
  std::unique_lock<std::mutex> guard(state.mutex);
  CachedFile& cached = state.cache[path];
  platform::FileStamp stamp;
  const bool known = context.env->FileVersion(path.c_str(), &stamp);
  if (known && stamp == cached.stamp) {
    auto it = cached.written.find(start);
    if (it != cached.written.end() && it->second == value) {
      guard.unlock();
      ReportSave(context, path, 0);
      return 0;  // the file holds these values already
    }
  }
  bool exists = true;
  if (!known || !(stamp == cached.stamp)) {
    cached.written.clear();
    std::vector<char> bytes;
    const platform::ReadResult read = context.env->ReadFile(path.c_str(), &bytes);
    // Only a file that is not there starts anew; one that exists but cannot
    // be read now is left alone rather than replaced by this one group.
    if (read == platform::ReadResult::kFailed) {
      state.cache.erase(path);
      guard.unlock();
      ReportSave(context, path, EIO);
      return EIO;
    }
    exists = read == platform::ReadResult::kRead;
    cached.content.assign(bytes.begin(), bytes.end());
    cached.stamp = stamp;
    if (!known) cached.stamp = platform::FileStamp{};
  }
  thread_local std::string new_content;
  platform::ProfileWrite(cached.content, section, key, value, &new_content);
  int error = 0;
  // A group whose saved values are unchanged is not written again.
  if (new_content != cached.content || !exists) {
    const std::vector<std::string> group = {MemParaFile(image, names::kRetentiveFile),
                                            MemParaFile(image, names::kWriteCheckFile)};
    error = context.env->ReplaceContentSoon(path.c_str(), new_content.data(), new_content.size(), group,
                                         context.env->LogLock());
    if (error == 0 && context.env->FileVersion(path.c_str(), &cached.stamp)) {
      cached.content.swap(new_content);
      cached.written[start] = value;
    } else {
      state.cache.erase(path);
    }
  }
  guard.unlock();
  ReportSave(context, path, error);
  return error;
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
    SaveRegisterGroup(context, RegisterFile::kData, index);  // a failure is reported through the message sink
  } else if (std::strcmp(kind, names::kWriteCheckKind) == 0) {
    platform::ScopedLock lock(context.env->LogLock());
    SaveRegisterGroup(context, RegisterFile::kWriteCheck, index);
  }
  return 0;
}

void LoadRetentiveRegisters(const Context& context) {
  Image& image = *context.image;
  if (!HasParameterDirectory(image)) return;
  std::vector<char> bytes;
  if (context.env->ReadFile(MemParaFile(image, names::kRetentiveFile).c_str(), &bytes) != platform::ReadResult::kRead)
    return;
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
