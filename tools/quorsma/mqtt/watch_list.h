// The devices of --watch and the values last published for them.  Values
// are read straight from the image (no value-change check runs), so watching
// changes nothing that the collector sees.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "quorsma/client.h"
#include "quorsma/quorsma.h"

namespace quorsma::tool::mqtt {

using namespace quorsma::client;

class WatchList {
 public:
  // Parses a list of operands and ranges (range_grammar.h, without "all");
  // false with a reason.
  bool Parse(const std::string& text, std::string* error);
  bool empty() const { return devices_.empty(); }
  std::size_t size() const { return devices_.size(); }

  // Reads every device and returns (operand text, decimal value) of those
  // whose value differs from the last call, or of all of them when `all`.
  std::vector<std::pair<std::string, std::string>> Sample(MH_SHARED_STRUCTURE* image, bool all);

 private:
  struct Device {
    std::string text;
    Operand operand;
    std::string last;  // empty before the first sample
  };
  std::vector<Device> devices_;
};

}  // namespace quorsma::tool::mqtt
