#include "config/value_change_log.h"

namespace quorsma::config {

void LogChangeM(const Context&, int32_t) {}
void LogChangeB(const Context&, int32_t) {}
void LogChangeL(const Context&, int32_t) {}
void LogChangeW(const Context&, int32_t) {}
void LogChangeD(const Context&, int32_t) {}

}  // namespace quorsma::config
