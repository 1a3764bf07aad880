// Section locks and the force table.
#include <new>

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
