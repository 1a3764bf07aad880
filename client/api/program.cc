// The running program, published by the runner for monitors.
#include <atomic>
#include <charconv>
#include <chrono>
#include <cstring>
#include <new>

#include "../program_monitor.h"
#include "../section_lock.h"
#include "out_text.h"

struct qsc_program {
  qsc::ProgramListing listing;
};

using namespace qsc;

namespace {

// Reads a file of the lock directory: QSC_OK, QSC_NO_LINE when missing.
int32_t ReadSectionFile(const char* suffix, std::size_t limit, std::string* text, char* error, size_t error_size) {
  bool missing = false, replaceable = false;
  std::string reason;
  if (!ReadLockDirFile(SectionFileName(suffix), limit, text, &missing, &replaceable, &reason))
    return Refused(replaceable ? QSC_BAD_INPUT : QSC_FAILED, reason, error, error_size);
  if (missing) return Refused(QSC_NO_LINE, "no runner has published a program on the section", error, error_size);
  return QSC_OK;
}

int64_t UnixMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// Writes the request file, at most once a second per process; a failure
// only means the runner stops publishing after a while.
void AskForScans() {
  static std::atomic<int64_t> last{0};
  const int64_t now = UnixMs();
  int64_t before = last.load();
  if (now - before < 1000 || !last.compare_exchange_strong(before, now)) return;
  std::string ignored;
  ReplaceLockDirFile(SectionFileName("scan.wanted"), std::to_string(now) + "\n", &ignored);
}

}  // namespace

extern "C" {

QSC_EXPORT int32_t QSC_CALL qsc_program_publish(int64_t run_id, const char* name, const qsc_instruction* list,
                                                size_t count, char* error, size_t error_size) {
  if (count > QSC_MAX_INSTRUCTIONS || (count > 0 && list == nullptr))
    return Refused(QSC_BAD_INPUT, "too many instructions", error, error_size);
  ProgramListing listing;
  listing.run_id = run_id;
  listing.name = name == nullptr ? "" : name;
  if (listing.name.find_first_of("\n\r") != std::string::npos)
    return Refused(QSC_BAD_INPUT, "a program name with a line break", error, error_size);
  listing.instructions.assign(list, list + count);
  // Each field must be terminated within its array and hold no separator.
  for (std::size_t i = 0; i < count; ++i) {
    qsc_instruction& in = listing.instructions[i];
    bool fits = in.line >= 0 && memchr(in.name, 0, sizeof in.name) != nullptr && in.name[0] != '\0';
    for (const auto& operand : in.operands) fits = fits && memchr(operand, 0, sizeof operand) != nullptr;
    std::string texts = std::string(in.name);
    for (const auto& operand : in.operands) texts += operand;
    if (!fits || texts.find_first_of("\t\n\r") != std::string::npos)
      return Refused(QSC_BAD_INPUT, "instruction " + std::to_string(i + 1) + " does not fit the program file", error,
                     error_size);
  }
  std::string reason;
  if (!ReplaceLockDirFile(SectionFileName("program"), FormatProgram(listing), &reason))
    return Refused(QSC_FAILED, reason, error, error_size);
  return QSC_OK;
}

QSC_EXPORT int32_t QSC_CALL qsc_scan_publish(const qsc_scan_state* state, const uint8_t* results, char* error,
                                             size_t error_size) {
  if (state == nullptr || state->count > QSC_MAX_INSTRUCTIONS || (state->count > 0 && results == nullptr))
    return Refused(QSC_BAD_INPUT, "too many results", error, error_size);
  std::string reason;
  if (!ReplaceLockDirFile(SectionFileName("scan"), FormatScan(*state, results), &reason))
    return Refused(QSC_FAILED, reason, error, error_size);
  return QSC_OK;
}

QSC_EXPORT int32_t QSC_CALL qsc_program_load(qsc_program** out, char* error, size_t error_size) {
  if (out == nullptr) return QSC_BAD_INPUT;
  std::string text;
  const int32_t status = ReadSectionFile("program", kMaxProgramFileBytes, &text, error, error_size);
  if (status != QSC_OK) return status;
  auto* made = new (std::nothrow) qsc_program;
  if (made == nullptr) return Refused(QSC_FAILED, "out of memory", error, error_size);
  std::string reason;
  if (!ParseProgram(text, &made->listing, &reason)) {
    delete made;
    return Refused(QSC_BAD_INPUT, SectionFileName("program") + ": " + reason, error, error_size);
  }
  *out = made;
  return QSC_OK;
}

QSC_EXPORT void QSC_CALL qsc_program_free(qsc_program* program) { delete program; }

QSC_EXPORT int64_t QSC_CALL qsc_program_run_id(const qsc_program* program) { return program->listing.run_id; }

QSC_EXPORT size_t QSC_CALL qsc_program_name(const qsc_program* program, char* out, size_t size) {
  return OutText(program->listing.name, out, size);
}

QSC_EXPORT size_t QSC_CALL qsc_program_count(const qsc_program* program) {
  return program->listing.instructions.size();
}

QSC_EXPORT int32_t QSC_CALL qsc_program_at(const qsc_program* program, size_t index, qsc_instruction* out) {
  if (index >= program->listing.instructions.size() || out == nullptr) return QSC_BAD_INPUT;
  *out = program->listing.instructions[index];
  return QSC_OK;
}

QSC_EXPORT int32_t QSC_CALL qsc_scan_read(qsc_scan_state* state, uint8_t* results, size_t capacity, char* error,
                                          size_t error_size) {
  if (state == nullptr) return QSC_BAD_INPUT;
  AskForScans();
  std::string text;
  const int32_t status = ReadSectionFile("scan", kMaxScanFileBytes, &text, error, error_size);
  if (status != QSC_OK) return status;
  std::vector<uint8_t> got;
  std::string reason;
  if (!ParseScan(text, state, &got, &reason))
    return Refused(QSC_BAD_INPUT, SectionFileName("scan") + ": " + reason, error, error_size);
  if (got.size() > capacity || (!got.empty() && results == nullptr))
    return Refused(QSC_BAD_INPUT, "more results than room for them", error, error_size);
  if (!got.empty()) memcpy(results, got.data(), got.size());
  return QSC_OK;
}

QSC_EXPORT int32_t QSC_CALL qsc_scan_wanted(int64_t now_unix_ms) {
  std::string text;
  bool missing = false, replaceable = false;
  std::string reason;
  if (!ReadLockDirFile(SectionFileName("scan.wanted"), 64, &text, &missing, &replaceable, &reason) || missing)
    return 0;
  int64_t asked = 0;
  const auto [end, code] = std::from_chars(text.data(), text.data() + text.size(), asked);
  if (code != std::errc()) return 0;
  return now_unix_ms - asked < QSC_SCAN_WANTED_MS && asked - now_unix_ms < QSC_SCAN_WANTED_MS ? 1 : 0;
}

}  // extern "C"
