#include "force_table.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "host.h"
#include "client_names.h"
#include "section_lock.h"

namespace quorsma::tool {
namespace {

int64_t FileStamp(const std::string& path) {
  std::error_code error;
  const auto time = std::filesystem::last_write_time(path, error);
  if (error) return -1;
  return static_cast<int64_t>(time.time_since_epoch().count()) ^
         static_cast<int64_t>(std::filesystem::file_size(path, error));
}

}  // namespace

std::string ForceTablePath() {
  std::string path = SectionLockPath("forces");
  return path.substr(0, path.size() - std::strlen(".lock"));
}

int32_t* ForceCell(MH_SHARED_STRUCTURE* image, const std::string& device, int32_t number) {
  if (number < 0 || number >= AreaCount(device)) return nullptr;
  if (device == "X") return &image->X[number];
  if (device == "Y") return &image->Y[number];
  if (device == "M") return &image->M[number];
  if (device == "L") return &image->L[number];
  if (device == "B") return &image->B[number];
  if (device == "S") return &image->S[number];
  if (device == "D") return &image->D[number];
  if (device == "W") return &image->W[number];
  if (device == "R") return &image->R[number];
  if (device == "Z") return &image->Z[number];
  return nullptr;
}

bool ForceTable::Load(std::string* error) {
  const std::string path = ForceTablePath();
  forces_.clear();
  stamp_ = FileStamp(path);
  std::ifstream in(path, std::ios::binary);
  if (!in) return true;  // no forces
  std::string line;
  if (!std::getline(in, line)) return true;
  if (line != "section " + SectionIdentity()) return true;  // forces of an ended section
  int line_number = 1;
  while (std::getline(in, line)) {
    ++line_number;
    std::istringstream fields(line);
    std::string operand;
    long long value = 0;
    Operand op;
    std::string reason;
    if (!(fields >> operand >> value) || !ParseOperand(operand, &op, &reason) || !op.IsPlainDevice() ||
        value < INT32_MIN || value > INT32_MAX) {
      *error = path + ":" + std::to_string(line_number) + ": damaged force line";
      forces_.clear();
      return false;
    }
    Set({op.device, static_cast<int32_t>(op.number), static_cast<int32_t>(value)});
  }
  return true;
}

bool ForceTable::Save(std::string* error) const {
  const std::string path = ForceTablePath();
  const std::string temporary = path + ".new";
  std::string text = "section " + SectionIdentity() + "\n";
  for (const Force& f : forces_) text += DeviceText(f.device, f.number) + " " + std::to_string(f.value) + "\n";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << text;
    out.flush();
    if (!out) {
      *error = "cannot write " + temporary + ": " + SystemError(errno);
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      return false;
    }
  }
  std::error_code failure;
  std::filesystem::rename(temporary, path, failure);
  if (failure) {
    *error = "cannot replace " + path + ": " + failure.message();
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    return false;
  }
  return true;
}

void ForceTable::Set(const Force& force) {
  for (Force& f : forces_) {
    if (f.device == force.device && f.number == force.number) {
      f.value = force.value;
      return;
    }
  }
  forces_.push_back(force);
}

bool ForceTable::Clear(const std::string& device, int32_t number) {
  const auto it = std::find_if(forces_.begin(), forces_.end(),
                               [&](const Force& f) { return f.device == device && f.number == number; });
  if (it == forces_.end()) return false;
  forces_.erase(it);
  return true;
}

const Force* ForceTable::Find(const std::string& device, int32_t number) const {
  for (const Force& f : forces_) {
    if (f.device == device && f.number == number) return &f;
  }
  return nullptr;
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

void ForceTable::Refresh() {
  if (FileStamp(ForceTablePath()) == stamp_) return;
  std::string ignored;
  Load(&ignored);
}

}  // namespace quorsma::tool
