#include "config/value_change_log.h"

#include <cstring>

#include "config/mailbox.h"
#include "config/retentive_store.h"
#include "core/format.h"
#include "core/messages.h"
#include "platform/env.h"

namespace quorsma::config {
namespace {

using Cells = int32_t (Image::*)[kLargeArea];

// One device kind of the M, B, L, W checks.
struct Checked {
  LogKind kind;
  Cells value;
  Cells previous;
  Cells excluded;
};

constexpr Checked kM{LogKind::kM, &Image::M, &Image::LogPrevM, &Image::NoLogM};
constexpr Checked kB{LogKind::kB, &Image::B, &Image::LogPrevB, &Image::NoLogB};
constexpr Checked kL{LogKind::kL, &Image::L, &Image::LogPrevL, &Image::NoLogL};
constexpr Checked kW{LogKind::kW, &Image::W, &Image::LogPrevW, &Image::NoLogW};

// A comment entry as a terminated text, read no further than its 256 bytes
// even when another process left it unterminated.
void CopyComment(char (&out)[257], const char (&entry)[256]) {
  const void* nul = std::memchr(entry, '\0', sizeof entry);
  std::size_t n = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - entry) : sizeof entry;
  std::memcpy(out, entry, n);
  out[n] = '\0';
}

// The change of a bit or word device: logged when logging is on, the slot is
// free and the device is not excluded; otherwise left for a later check with
// the last logged value unchanged.
void LogChange(const Context& context, int32_t i, const Checked& kind) {
  Image& image = *context.image;
  // Cheap refusals first, without the lock: most calls with logging off or a
  // line pending end here.
  if (LoadRelaxed(image.LogEnable) == 0 || !SlotFree(image) || (image.*kind.excluded)[i] != 0) return;
  platform::ScopedLock lock(context.env->LogLock());
  if (LoadRelaxed(image.LogEnable) == 0 || !SlotFree(image) || (image.*kind.excluded)[i] != 0) return;
  // One reading of each cell, so the line, the last logged value and the
  // device agree even while another process writes the device.
  int32_t value = LoadRelaxed((image.*kind.value)[i]);
  int32_t previous = LoadRelaxed((image.*kind.previous)[i]);
  if (previous == value) return;  // another producer logged it meanwhile
  PublishLine(context, kind.kind, i, previous, value);
  StoreRelaxed((image.*kind.previous)[i], value);
}

}  // namespace

void PublishLine(const Context& context, LogKind kind, int32_t i, int32_t previous, int32_t value) {
  Image& image = *context.image;
  char comment[257];
  switch (kind) {
    case LogKind::kM:
      CopyComment(comment, image.CommentM[i]);
      FormatTo(image.LogLine, text::kFmtLogM, i, previous, value, comment);
      break;
    case LogKind::kB:
      CopyComment(comment, image.CommentB[i]);
      FormatTo(image.LogLine, text::kFmtLogB, static_cast<unsigned>(i), previous, value, comment);
      break;
    case LogKind::kL:
      CopyComment(comment, image.CommentL[i]);
      FormatTo(image.LogLine, text::kFmtLogL, i, previous, value, comment);
      break;
    case LogKind::kW:
      CopyComment(comment, image.CommentW[i]);
      FormatTo(image.LogLine, text::kFmtLogW, static_cast<unsigned>(i), previous, value, comment);
      break;
    case LogKind::kD:
      CopyComment(comment, image.CommentD[i]);
      FormatTo(image.LogLine, text::kFmtLogD, i, previous, value, comment);
      break;
  }
  // Sequentially consistent so that the read of the sleepers in LinePending
  // cannot pass it.
  StoreSequential(image.LogLinePending, 1);
  context.env->LinePending(&image.LogLinePending);
}

void LogChangeM(const Context& context, int32_t index) { LogChange(context, index, kM); }
void LogChangeB(const Context& context, int32_t index) { LogChange(context, index, kB); }
void LogChangeL(const Context& context, int32_t index) { LogChange(context, index, kL); }
void LogChangeW(const Context& context, int32_t index) { LogChange(context, index, kW); }

void LogChangeD(const Context& context, int32_t i) {
  Image& image = *context.image;
  const bool always_saved = IsAlwaysRetentive(i);
  if (!always_saved && LoadRelaxed(image.LogEnable) == 0) return;
  platform::ScopedLock lock(context.env->LogLock());
  if (LoadRelaxed(image.NoLogD[i]) != 0) return;
  int32_t value = LoadRelaxed(image.D[i]);
  int32_t previous = LoadRelaxed(image.LogPrevD[i]);
  if (previous == value) return;  // another producer handled it meanwhile
  if (!always_saved && LoadRelaxed(image.LogEnable) == 0) return;
  // The group is saved first, whether or not the slot is free, so the file
  // is current after every change.  A change whose save failed is left as it
  // is: the next check tries the save again.  A pending line is never
  // replaced: while the slot is taken the last logged value stays, and the
  // line comes at a later check (which finds the group saved already and
  // does not write it again).
  if (SaveRegisterGroup(context, RegisterFile::kData, i) != 0) return;
  if (!SlotFree(image)) return;
  PublishLine(context, LogKind::kD, i, previous, value);
  StoreRelaxed(image.LogPrevD[i], value);
}

}  // namespace quorsma::config
