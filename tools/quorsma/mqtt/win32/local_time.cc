#include <time.h>

#include "../local_time.h"

namespace quorsma::tool::mqtt {

// Windows's tm has no offset: reading the local fields back as UTC gives it.
std::tm LocalTimeAndOffset(std::time_t seconds, long* offset) {
  std::tm local{};
  localtime_s(&local, &seconds);
  std::tm fields = local;
  *offset = static_cast<long>(_mkgmtime(&fields) - seconds);
  return local;
}

}  // namespace quorsma::tool::mqtt
