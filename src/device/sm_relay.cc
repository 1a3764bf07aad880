// SM: the special relays the library defines, by number.
#include "device/write.h"

namespace quorsma::device {

int32_t SM(const Context& context, int32_t relay) {
  switch (relay) {
    case 400:
    case 401:
    case 402:
    case 403:
    case 411:
    case 412: return context.image->SM[relay];
    default: return 0;  // not a defined special relay
  }
}

}  // namespace quorsma::device
