#include "force_table.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "device_kinds.h"
#include "operand_grammar.h"
#include "section.h"

namespace qsc {
namespace {

// The next field of `line` after blanks, moving `line` past it.
std::string_view NextField(std::string_view* line) {
  std::size_t start = 0;
  while (start < line->size() && ((*line)[start] == ' ' || (*line)[start] == '\t')) ++start;
  std::size_t end = start;
  while (end < line->size() && (*line)[end] != ' ' && (*line)[end] != '\t') ++end;
  const std::string_view field = line->substr(start, end - start);
  line->remove_prefix(end);
  return field;
}

// Reads one force line; empty when good, else what is wrong with it.
std::string ParseForceLine(std::string_view line, Force* force) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  const std::string_view device = NextField(&line);
  const std::string_view value_text = NextField(&line);
  if (device.empty() || value_text.empty() || !NextField(&line).empty()) return "expected a device and a value";
  Operand op;
  std::string reason;
  if (!ParseOperand(device, &op, &reason) || !op.IsPlainDevice() || !IsForceable(op.device) ||
      op.number >= AreaCount(op.device))
    return "not a device that can be forced";
  int32_t value = 0;
  const auto [end, code] = std::from_chars(value_text.data(), value_text.data() + value_text.size(), value);
  if (code != std::errc() || end != value_text.data() + value_text.size()) return "the value is not a 32-bit integer";
  if (IsBitDevice(op.device) && value != 0 && value != 1) return "a bit device holds 0 or 1";
  *force = {op.device, static_cast<int32_t>(op.number), value};
  return {};
}

}  // namespace

std::string ForceTablePath() {
  std::string path = SectionLockPath("forces");
  return path.substr(0, path.size() - std::string_view(".lock").size());
}

bool IsForceable(const std::string& device) {
  const qsc_device_kind* kind = FindKind(device);
  return kind != nullptr && kind->forceable;
}

int32_t* ForceCell(MH_SHARED_STRUCTURE* image, const std::string& device, int32_t number) {
  if (number < 0 || number >= AreaCount(device) || !IsForceable(device)) return nullptr;
  int32_t* cells = KindCells(image, FindKind(device));
  return cells != nullptr ? &cells[number] : nullptr;
}

uint64_t ForceTable::Key(const std::string& device, int32_t number) {
  uint64_t key = 0;
  for (const char c : device) key = key << 8 | static_cast<unsigned char>(c);
  return key << 32 | static_cast<uint32_t>(number);
}

void ForceTable::Reindex() {
  at_.clear();
  for (std::size_t i = 0; i < forces_.size(); ++i) at_[Key(forces_[i].device, forces_[i].number)] = i;
}

bool ForceTable::Load(std::string* error) {
  const std::string name = SectionFileName("forces");
  const std::string path = ForceTablePath();
  stamp_ = StampLockDirFile(name);
  damage_.clear();
  std::string text;
  bool missing = false, replaceable = false;
  if (!ReadLockDirFile(name, kMaxForceFileBytes, &text, &missing, &replaceable, error)) {
    if (replaceable) {
      damage_ = *error;
      *error += "; 'quorsma force --clear' replaces it";
    }
    return false;
  }
  ForceTable loaded;
  std::string_view rest = text;
  int line_number = 0;
  std::string reason;
  while (!missing && !rest.empty() && reason.empty()) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    ++line_number;
    if (line_number == 1) {
      if (line.substr(0, 8) != "section ") {
        reason = "no section line";
      } else if (line != "section " + SectionIdentity()) {
        break;  // the forces of an ended section
      }
      continue;
    }
    Force force;
    reason = ParseForceLine(line, &force);
    if (reason.empty()) loaded.Set(force);
  }
  if (!missing && text.empty()) reason = "empty";
  if (!reason.empty()) {
    damage_ = path + " is damaged (" + (text.empty() ? reason : "line " + std::to_string(line_number) + ": " + reason) +
              ")";
    *error = damage_ + "; 'quorsma force --clear' replaces it";
    return false;
  }
  forces_ = std::move(loaded.forces_);
  at_ = std::move(loaded.at_);
  return true;
}

bool ForceTable::Save(std::string* error) const {
  std::string text = "section " + SectionIdentity() + "\n";
  for (const Force& f : forces_) text += DeviceText(f.device, f.number) + " " + std::to_string(f.value) + "\n";
  return ReplaceLockDirFile(SectionFileName("forces"), text, error);
}

void ForceTable::Set(const Force& force) {
  const auto [it, added] = at_.try_emplace(Key(force.device, force.number), forces_.size());
  if (added) {
    forces_.push_back(force);
  } else {
    forces_[it->second].value = force.value;
  }
}

bool ForceTable::Clear(const std::string& device, int32_t number) {
  const auto it = at_.find(Key(device, number));
  if (it == at_.end()) return false;
  forces_.erase(forces_.begin() + static_cast<std::ptrdiff_t>(it->second));
  Reindex();
  return true;
}

const Force* ForceTable::Find(const std::string& device, int32_t number) const {
  const auto it = at_.find(Key(device, number));
  return it == at_.end() ? nullptr : &forces_[it->second];
}

void ForceTable::ApplyInputs(MH_SHARED_STRUCTURE* image) const {
  for (const Force& f : forces_) {
    if (f.device != "X") continue;
    if (int32_t* cell = ForceCell(image, f.device, f.number)) *cell = f.value;
  }
}

void ForceTable::ApplyOutputs(MH_SHARED_STRUCTURE* image) const {
  for (const Force& f : forces_) {
    if (f.device == "X") continue;
    if (int32_t* cell = ForceCell(image, f.device, f.number)) *cell = f.value;
  }
}

std::string ForceTable::Refresh() {
  if (StampLockDirFile(SectionFileName("forces")) == stamp_) return {};
  std::string error;
  return Load(&error) ? std::string() : error;
}

}  // namespace qsc
