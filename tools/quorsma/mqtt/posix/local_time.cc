#include "../local_time.h"

namespace quorsma::tool::mqtt {

std::tm LocalTimeAndOffset(std::time_t seconds, long* offset) {
  std::tm local{};
  localtime_r(&seconds, &local);
  *offset = local.tm_gmtoff;
  return local;
}

}  // namespace quorsma::tool::mqtt
