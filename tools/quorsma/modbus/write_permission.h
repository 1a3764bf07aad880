// --allow-write: which devices the server's writes may reach.
#pragma once

#include <string>

#include "request_handler.h"

namespace quorsma::tool::modbus {

// `text` is empty (every write refused), "all", or a list of device ranges in
// the tool's range grammar (D100..D199,M0..M99,Y0..Y1F).  False with a reason
// when the text is refused.
bool ParseWritePermission(const std::string& text, WritePermission* out, std::string* error);

}  // namespace quorsma::tool::modbus
