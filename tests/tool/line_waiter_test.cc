// The collector's wait: woken by the library when a line is handed over,
// otherwise back after its timeout.
#include <chrono>
#include <future>
#include <thread>

#include "cli/client_names.h"
#include "tool_test_support.h"

namespace quorsma::tool {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class LineWaiterTest : public testing::LibraryImageTest {};

TEST_F(LineWaiterTest, SleepsUntilTheLibrarySetsTheFlag) {
  LineWaiter waiter(image);
#if defined(__linux__)
  EXPECT_TRUE(waiter.event_driven());
#endif
  image->LogEnable = 1;
  // A timeout far beyond what the hand-over takes: returning early means the
  // wake-up came, not the timeout.
  auto waited = std::async(std::launch::async, [&] {
    const auto start = Clock::now();
    waiter.Wait(30s);
    return Clock::now() - start;
  });
  std::this_thread::sleep_for(50ms);
  SetSma("W0", 7);
  ASSERT_EQ(waited.wait_for(10s), std::future_status::ready);
  EXPECT_LT(waited.get(), 10s);
  EXPECT_EQ(image->LogLinePending, 1);
  // A pending line returns at once, and without one the timeout ends it.
  waiter.Wait(30s);
  image->LogLinePending = 0;
  const auto start = Clock::now();
  waiter.Wait(20ms);
  EXPECT_GE(Clock::now() - start, 15ms);
}

}  // namespace
}  // namespace quorsma::tool
