// Paths of the comment files, formed from the PLC project directory that the
// configuration stored in MemPlcPath.
#pragma once

#include <string>

#include "comment/comment_file_format.h"
#include "core/areas.h"
#include "core/context.h"
#include "platform/env.h"

namespace quorsma::comment {

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
