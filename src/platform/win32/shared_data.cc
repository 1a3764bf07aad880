#include "platform/win32/shared_data.h"

namespace quorsma::platform {
namespace {

// Placed in its own section, flagged shared, so that every process that loads
// the module sees the same bytes (the module definition file repeats the
// section's attributes for the linker).
SharedLibraryData g_shared_data __attribute__((section("SHARDATA"), shared)) = {0, kSharedLayout};

}  // namespace

SharedLibraryData* SharedData() { return &g_shared_data; }

}  // namespace quorsma::platform
