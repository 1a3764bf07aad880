#include "config/configuration.h"

#include <cstring>
#include <string>
#include <vector>

#include "config/names.h"
#include "core/format.h"
#include "core/messages.h"
#include "platform/env.h"

namespace quorsma::config {
namespace {

using TextField = char (Image::*)[1024];

struct ConfigKey {
  const char* key;
  TextField field;
  // Keys 1-4 are copied before their message box, keys 5-8 after it.
  bool copy_before_message;
  // Keys 5-8 name directories.
  bool is_directory() const { return !copy_before_message; }
};

constexpr ConfigKey kKeys[] = {
    {names::kKeyEqpName, &Image::EqpName, true},
    {names::kKeyProgramVer, &Image::ProgramVer, true},
    {names::kKeyRecipeCurName, &Image::RecipeCurName, true},
    {names::kKeyRecipeCurNumber, &Image::RecipeCurNumber, true},
    {names::kKeyMemParaPath, &Image::MemParaPath, false},
    {names::kKeyMemPlcPath, &Image::MemPlcPath, false},
    {names::kKeySettingDir, &Image::SettingDir, false},
    {names::kKeyLogDir, &Image::LogDir, false},
};

// A value holds at most 254 characters: the reader's buffer of 255.  It is
// read into a larger buffer, so a longer one is seen as such.
constexpr std::size_t kValueLimit = 254;
constexpr std::size_t kReadBuffer = 1024;

// Stores `text` in a 1,024-byte field; false (field left as it is) when it
// does not fit.
bool StoreText(char (&field)[1024], const std::string& text) {
  if (text.size() >= sizeof field) return false;
  std::memcpy(field, text.c_str(), text.size() + 1);
  return true;
}

}  // namespace

std::string ModuleDirectory(const std::string& executable_path) {
  // Windows paths may use either separator; a bare drive ("C:prog.exe")
  // keeps its drive.
  constexpr bool kWindows = platform::kPathSeparator == '\\';
  const char* separators = kWindows ? "\\/" : "/";
  std::size_t cut = executable_path.find_last_of(separators);
  if (cut != std::string::npos) return executable_path.substr(0, cut + 1);
  if (kWindows && executable_path.size() >= 2 && executable_path[1] == ':')
    return executable_path.substr(0, 2);
  return std::string();
}

std::string ConfigurationPath(const std::string& module_dir) {
  std::string path = module_dir;
  // The directory ends with its separator; on Windows one more is added, as
  // the file system reads the doubled backslash as one.
  if constexpr (platform::kPathSeparator == '\\') path += platform::kPathSeparator;
  path += names::kConfigDir;
  path += platform::kPathSeparator;
  path += names::kConfigFile;
  return path;
}

std::string ChooseConfigurationFile(platform::Env& env, const std::string& module_dir, const char* system_file) {
  // QUORSMA_CONFIG names another configuration file; nothing else changes.
  std::string path = env.GetEnvironment(names::kConfigVariable);
  if (!path.empty()) return path;
  path = ConfigurationPath(module_dir);
  if constexpr (platform::kPathSeparator == '/') {
    std::vector<char> bytes;
    if (system_file != nullptr && env.ReadFile(path.c_str(), &bytes) == platform::ReadResult::kMissing &&
        env.ReadFile(system_file, &bytes) != platform::ReadResult::kMissing)
      return system_file;
  }
  return path;
}

void ReadConfiguration(const Context& context) {
  Image& image = *context.image;
  platform::Env& env = *context.env;

  // The path is built in a string of its own, so a long executable directory
  // cannot overrun anything; a directory too long for the image's field
  // leaves ModuleDir empty rather than cut to another directory's name.
  std::string module_dir = ModuleDirectory(env.ExecutablePath());
  if (!StoreText(image.ModuleDir, module_dir)) image.ModuleDir[0] = '\0';
  const std::string path = ChooseConfigurationFile(env, module_dir);

  for (const ConfigKey& entry : kKeys) {
    char value[kReadBuffer];
    std::size_t n = env.GetProfileString(names::kConfigSection, entry.key, "", value, sizeof value,
                                         path.c_str());
    if (n >= sizeof value) n = sizeof value - 1;  // never trust more than the buffer holds
    bool refused = false;
    if (n > kValueLimit) {
      if (entry.is_directory()) {
        refused = true;
        // Cut, it would name another directory that may well exist: the
        // directory is not used at all (its files are neither read nor
        // written), and the user is told why.
        env.ShowMessage(Format(text::kFmtPathTooLong, entry.key, static_cast<int>(kValueLimit)).c_str());
        n = 0;
      } else {
        n = kValueLimit;
      }
    }
    value[n] = '\0';
    char (&field)[1024] = image.*entry.field;
    if (entry.copy_before_message) std::memcpy(field, value, n + 1);
    if (n == 0 && !refused) env.ShowMessage(Format(text::kFmtKeyIsNull, entry.key).c_str());
    if (!entry.copy_before_message) std::memcpy(field, value, n + 1);
  }
}

}  // namespace quorsma::config
