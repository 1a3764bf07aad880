// The device and comment requests of the API, checked in full before
// anything is read or written: a request either passes as a whole or is
// refused with the HTTP status and the reason of its first bad item.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quorsma/client.h"
#include "quorsma/quorsma.h"

namespace quorsma::tool::http {

using namespace quorsma::client;

struct Refusal {
  int status = 400;  // 400 bad request, 403 not allowed
  std::string reason;
};

// A watch list (the value of operands=) as operands to read, in order; at most
// kMaxRequestDevices devices.
std::optional<Refusal> ParseWatchList(std::string_view text, std::vector<Operand>* out);

// Checks a body [{"operand":"D100","value":5}, ...]: each operand must be one
// the set command writes, reach only cells inside `allowed` (an index
// register is resolved with its value in `image` now, and the write goes to
// the cells checked: client.h's checked write), and carry a value that suits
// it (0 or 1, true or false for a bit; a 32-bit integer for a register).
std::optional<Refusal> PlanDeviceWrites(const nlohmann::json& body, const Permission& allowed,
                                        const MH_SHARED_STRUCTURE* image, std::vector<qsc_write_target>* plan);

// One comment to set through the comment editor.
struct CommentWrite {
  std::string operand;
  std::string kind;     // "M", "D", "SM", ...
  int32_t number = 0;
  std::string cp949;    // at most 255 bytes
};

// Checks a body [{"operand":"D100","comment":"UTF-8 text"}, ...]: plain
// devices with a comment area inside `allowed`; text that CP949 can hold, at
// most 255 bytes in CP949, without control characters.
std::optional<Refusal> PlanCommentWrites(const nlohmann::json& body, const Permission& allowed,
                                         std::vector<CommentWrite>* plan);

}  // namespace quorsma::tool::http
