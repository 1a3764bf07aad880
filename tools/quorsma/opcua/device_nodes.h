// The devices quorsma opcua exposes, each resolved once to its cells in the
// image, so that a read is a load from the section and nothing more.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "quorsma/client.h"
#include "quorsma/quorsma.h"

namespace quorsma::tool::opcua {

enum class NodeShape { kBit, kRegister, kTimer };

struct DeviceNode {
  std::string kind;     // "D", "X", "T"
  std::string operand;  // "D100", "X1F": browse name, display name and node id
  int32_t number = 0;
  NodeShape shape = NodeShape::kRegister;
  const int32_t* cell = nullptr;  // the value cell; for a timer its current value
  bool writable = false;          // inside --allow-write and writable by name
  std::string comment;            // UTF-8, "" when none
};

// A bit reads as 1 when its cell is not 0; a timer's contact is on while its
// coil is on and its current value has reached its set value.
bool TimerContact(const MH_SHARED_STRUCTURE* image, int32_t number);
const int32_t* TimerSet(const MH_SHARED_STRUCTURE* image, int32_t number);

// The devices that have a comment, then the default ranges; each device once.
inline constexpr char kDefaultNodes[] = "X0..X1FF,Y0..Y1FF,M0..M1023,D0..D1999,W0..W1FF,T0..T255";

// Resolves `ranges` (the range grammar; "" for the default set above plus
// every device with a comment) to nodes in the order written, each device
// once.  Register bits, digit groups, indexed devices and Z are refused;
// false with the reason, or when there would be more than `max_nodes`.
bool ResolveNodes(const MH_SHARED_STRUCTURE* image, const std::string& ranges, const qsc_permission* allow_write,
                  std::size_t max_nodes, std::vector<DeviceNode>* out, std::string* error);

}  // namespace quorsma::tool::opcua
