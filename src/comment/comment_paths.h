// Paths of the comment files, formed from the PLC project directory that the
// configuration stored in MemPlcPath.
#pragma once

#include <string>

#include "comment/comment_file_format.h"
#include "core/areas.h"
#include "core/context.h"
#include "platform/env.h"

namespace quorsma::comment {

// False while no PLC project directory is configured: the paths would then
// name the root of the file system, and nothing is read or written there.
inline bool HasProjectDirectory(const Context& context) { return context.image->MemPlcPath[0] != '\0'; }

// <MemPlcPath>/<name>
inline std::string ProjectFilePath(const Context& context, const char* name) {
  return FieldText(context.image->MemPlcPath) + platform::kPathSeparator + name;
}

// <MemPlcPath>/Resource/Others/<name>
inline std::string OthersFilePath(const Context& context, const char* name) {
  return FieldText(context.image->MemPlcPath) + platform::kPathSeparator + kResourceDir +
         platform::kPathSeparator + kOthersDir + platform::kPathSeparator + name;
}

}  // namespace quorsma::comment
