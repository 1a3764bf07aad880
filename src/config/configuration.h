// Reads _Configuration/_Configuration.ini beside the host executable into the
// configuration texts of the image (every attach, before the other loaders).
#pragma once

#include <string>

#include "core/context.h"

namespace quorsma::config {

// Fills ModuleDir and the eight configuration texts; a key that reads empty
// (missing file, section or key, or an empty value) shows "<key> is NULL!!".
void ReadConfiguration(const Context& context);

// The drive and directory of an executable's path, ending with its separator
// ("" when the path has none).
std::string ModuleDirectory(const std::string& executable_path);

// The configuration file's path for a module directory.
std::string ConfigurationPath(const std::string& module_dir);

}  // namespace quorsma::config
