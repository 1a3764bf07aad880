// The answer to a message on <prefix>/set/<operand>, published on
// <prefix>/set/<operand>/result (QoS 1, not retained), so that a dashboard can
// tell a refused write from a lost one:
//
//   {"time":"...", "operand":"D100", "value":"0x2A", "accepted":true}
//   {"time":"...", "operand":"D101", "value":"7", "accepted":false, "error":"D101 is not in ..."}
//
// value is the payload as received (cut as the errors topic cuts it).  A
// write accepted whose save is not known or failed is answered accepted:false
// with the library's message: the register may hold the value, the file does
// not.
#pragma once

#include <cstddef>
#include <string>

namespace quorsma::tool::mqtt {

inline constexpr char kResultSuffix[] = "/result";

// True for a topic under set/ that is an answer, not a write.
bool IsResultTopic(const std::string& topic);

std::string SetResultJson(const std::string& operand, const std::string& payload, std::size_t payload_size,
                          const std::string& refusal);

}  // namespace quorsma::tool::mqtt
