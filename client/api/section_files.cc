// Section locks and the force table.
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "../device_kinds.h"
#include "../force_table.h"
#include "../section_lock.h"
#include "out_text.h"

struct qsc_lock {
  qsc::SectionLock lock;
};

struct qsc_forces {
  qsc::ForceTable table;
};

using namespace qsc;

namespace {

// A name of the section's published files: safe in a path, and none of the
// names the locks and the force table use.
bool IsPublishedFileName(const char* name) {
  if (name == nullptr) return false;
  const std::string_view text(name);
  if (text.empty() || text.size() > 64 || text.front() == '.' || text == "forces") return false;
  for (const char c : text) {
    const bool safe = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
                      c == '-' || c == '.';
    if (!safe) return false;
  }
  const auto ends = [&](std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
  };
  return !ends(".lock") && !ends(".new");
}

int32_t* Cell(MH_SHARED_STRUCTURE* image, const char* device, int32_t number) {
  return image != nullptr && device != nullptr ? ForceCell(image, device, number) : nullptr;
}

}  // namespace

extern "C" {

QSC_EXPORT int32_t QSC_CALL qsc_lock_acquire(const char* job, qsc_lock** out, char* error, size_t error_size) {
  if (job == nullptr || out == nullptr) return Refused(QSC_BAD_INPUT, "no job named", error, error_size);
  auto* made = new (std::nothrow) qsc_lock;
  if (made == nullptr) return Refused(QSC_FAILED, "out of memory", error, error_size);
  std::string reason;
  if (!made->lock.Acquire(job, &reason)) {
    delete made;
    const bool busy = reason.rfind("another ", 0) == 0;
    return Refused(busy ? QSC_BUSY : QSC_FAILED, reason, error, error_size);
  }
  *out = made;
  return QSC_OK;
}

QSC_EXPORT void QSC_CALL qsc_lock_release(qsc_lock* lock) { delete lock; }

QSC_EXPORT size_t QSC_CALL qsc_lock_dir(char* out, size_t size) { return OutText(LockDir(), out, size); }

QSC_EXPORT size_t QSC_CALL qsc_lock_path(const char* job, char* out, size_t size) {
  return OutText(SectionLockPath(job == nullptr ? "" : job), out, size);
}

QSC_EXPORT int32_t QSC_CALL qsc_section_file_write(const char* name, const void* bytes, size_t length, char* error,
                                                   size_t error_size) {
  if (!IsPublishedFileName(name)) return Refused(QSC_BAD_INPUT, "no name of a published file", error, error_size);
  if (bytes == nullptr && length != 0) return Refused(QSC_BAD_INPUT, "no bytes", error, error_size);
  if (length > QSC_MAX_SECTION_FILE_BYTES) {
    return Refused(QSC_BAD_INPUT, "larger than " + std::to_string(QSC_MAX_SECTION_FILE_BYTES) + " bytes", error,
                   error_size);
  }
  std::string reason;
  const std::string text(static_cast<const char*>(bytes), length);
  if (!ReplaceLockDirFile(SectionFileName(name), text, &reason)) return Refused(QSC_FAILED, reason, error, error_size);
  return QSC_OK;
}

QSC_EXPORT int32_t QSC_CALL qsc_section_file_read(const char* name, void* out, size_t size, size_t* length,
                                                  char* error, size_t error_size) {
  if (!IsPublishedFileName(name) || length == nullptr || (out == nullptr && size != 0))
    return Refused(QSC_BAD_INPUT, "no name of a published file", error, error_size);
  *length = 0;
  std::string bytes, reason;
  bool missing = false, replaceable = false;
  if (!ReadLockDirFile(SectionFileName(name), QSC_MAX_SECTION_FILE_BYTES, &bytes, &missing, &replaceable, &reason))
    return Refused(QSC_FAILED, reason, error, error_size);
  if (missing) return Refused(QSC_MISSING, "no such file", error, error_size);
  *length = bytes.size();
  if (size > 0) std::memcpy(out, bytes.data(), bytes.size() < size ? bytes.size() : size);
  return bytes.size() <= size ? QSC_OK : QSC_BAD_INPUT;
}

QSC_EXPORT qsc_forces* QSC_CALL qsc_forces_new(void) { return new (std::nothrow) qsc_forces; }

QSC_EXPORT void QSC_CALL qsc_forces_free(qsc_forces* forces) { delete forces; }

QSC_EXPORT int32_t QSC_CALL qsc_forces_load(qsc_forces* forces, char* error, size_t error_size) {
  std::string reason;
  if (forces->table.Load(&reason)) return QSC_OK;
  return Refused(forces->table.damaged() ? QSC_BAD_INPUT : QSC_FAILED, reason, error, error_size);
}

QSC_EXPORT int32_t QSC_CALL qsc_forces_save(const qsc_forces* forces, char* error, size_t error_size) {
  std::string reason;
  return forces->table.Save(&reason) ? QSC_OK : Refused(QSC_FAILED, reason, error, error_size);
}

QSC_EXPORT size_t QSC_CALL qsc_forces_refresh(qsc_forces* forces, char* refusal, size_t size) {
  return OutText(forces->table.Refresh(), refusal, size);
}

QSC_EXPORT size_t QSC_CALL qsc_forces_count(const qsc_forces* forces) { return forces->table.forces().size(); }

QSC_EXPORT int32_t QSC_CALL qsc_forces_at(const qsc_forces* forces, size_t index, qsc_force* out) {
  if (index >= forces->table.forces().size()) return QSC_BAD_INPUT;
  const Force& f = forces->table.forces()[index];
  *out = qsc_force{};
  OutText(f.device, out->device, sizeof out->device);
  out->number = f.number;
  out->value = f.value;
  return QSC_OK;
}

QSC_EXPORT int32_t QSC_CALL qsc_forces_set(qsc_forces* forces, const char* device, int32_t number, int32_t value) {
  const qsc_device_kind* kind = device != nullptr ? FindKind(device) : nullptr;
  if (kind == nullptr || !kind->forceable || number < 0 || number >= kind->count) return QSC_BAD_INPUT;
  if (kind->is_bit && value != 0 && value != 1) return QSC_BAD_INPUT;
  forces->table.Set(Force{kind->name, number, value});
  return QSC_OK;
}

QSC_EXPORT int32_t QSC_CALL qsc_forces_clear(qsc_forces* forces, const char* device, int32_t number) {
  return device != nullptr && forces->table.Clear(device, number);
}

QSC_EXPORT void QSC_CALL qsc_forces_clear_all(qsc_forces* forces) { forces->table.ClearAll(); }

QSC_EXPORT int32_t QSC_CALL qsc_forces_find(const qsc_forces* forces, const char* device, int32_t number,
                                            int32_t* value) {
  const Force* f = device != nullptr ? forces->table.Find(device, number) : nullptr;
  if (f == nullptr) return 0;
  if (value != nullptr) *value = f->value;
  return 1;
}

QSC_EXPORT void QSC_CALL qsc_forces_apply(const qsc_forces* forces, MH_SHARED_STRUCTURE* image, int32_t which) {
  if (image == nullptr) return;
  if (which & QSC_FORCE_INPUTS) forces->table.ApplyInputs(image);
  if (which & QSC_FORCE_OUTPUTS) forces->table.ApplyOutputs(image);
}

QSC_EXPORT int32_t QSC_CALL qsc_forces_apply_one(const qsc_forces* forces, MH_SHARED_STRUCTURE* image,
                                                 const char* device, int32_t number) {
  const Force* f = device != nullptr ? forces->table.Find(device, number) : nullptr;
  int32_t* cell = Cell(image, device, number);
  if (f == nullptr || cell == nullptr) return 0;
  *cell = f->value;
  return 1;
}

QSC_EXPORT size_t QSC_CALL qsc_forces_damage(const qsc_forces* forces, char* out, size_t size) {
  return OutText(forces->table.damage(), out, size);
}

QSC_EXPORT size_t QSC_CALL qsc_forces_path(char* out, size_t size) { return OutText(ForceTablePath(), out, size); }

}  // extern "C"
