// Reads _Configuration/_Configuration.ini beside the host executable into the
// configuration texts of the image (every attach, before the other loaders).
#pragma once

#include <string>

#include "config/names.h"
#include "core/context.h"
#include "platform/env.h"

namespace quorsma::config {

// Fills ModuleDir and the eight configuration texts; a key that reads empty
// (missing file, section or key, or an empty value) shows "<key> is NULL!!".
void ReadConfiguration(const Context& context);

// The drive and directory of an executable's path, ending with its separator
// ("" when the path has none).
std::string ModuleDirectory(const std::string& executable_path);

// The configuration file's path for a module directory.
std::string ConfigurationPath(const std::string& module_dir);

// The file the configuration is read from, first found of: QUORSMA_CONFIG
// (when set, whether or not the file exists), the configuration beside the
// executable in `module_dir`, and on Linux `system_file` (the system's
// configuration).  The one beside the executable when none exists, so the
// messages name the place a program looks first.
std::string ChooseConfigurationFile(platform::Env& env, const std::string& module_dir,
                                    const char* system_file = names::kSystemConfigFile);

}  // namespace quorsma::config
