// A write asked for over MQTT: the operand from the topic <prefix>/set/<operand>
// and the value from the payload: decimal, or 0x hexadecimal (a sign is
// allowed; blanks around it are ignored), or the JSON object {"value": V}
// whose V is such a text, a JSON integer of 32 bits, or true/false (1/0).  It is written through SetSma only
// when the operand is writable, every cell it touches lies inside the allowed
// set, and the value suits the device (0 or 1 for a bit).
#pragma once

#include <cstdint>
#include <string>

#include "quorsma/quorsma.h"
#include "quorsma/client.h"

namespace quorsma::tool::mqtt {

using namespace quorsma::client;

// Parses a payload; false when it is not a 32-bit number (0xFFFFFFFF is -1),
// alone or as {"value": ...}.
bool ParseSetValue(std::string text, int32_t* value);

// Checks and writes.  Returns an empty text when written, else the reason
// nothing was written.
std::string ApplySetRequest(MH_SHARED_STRUCTURE* image, const std::string& operand, const std::string& payload,
                            const Permission& allowed);

}  // namespace quorsma::tool::mqtt
