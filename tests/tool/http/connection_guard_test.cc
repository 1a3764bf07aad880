// The connection account of quorsma serve: who is closed to make room, and
// when a deadline closes a connection.
#include "http/connection_guard.h"

#include <gtest/gtest.h>

namespace quorsma::tool::http {
namespace {

using namespace std::chrono_literals;
using Phase = ConnectionGuard::Phase;

TEST(ConnectionGuardTest, MakesRoomByClosingTheOldestWaitingConnection) {
  std::vector<int> closed;
  ConnectionGuard guard({2, 3, 5s, 10s}, [&](int socket) { closed.push_back(socket); });
  const auto t = ConnectionGuard::Clock::now();
  // Address a: 1 waiting (oldest), 2 streaming; address b: 3 answering.
  ConnectionGuard::Entry* a1 = guard.Opened(1, "a", t);
  guard.Enter(guard.Opened(2, "a", t + 1s), Phase::kStreaming, t + 1s);
  guard.Enter(guard.Opened(3, "b", t + 2s), Phase::kAnswering, t + 2s);
  // A third from a closes a's waiting one.
  EXPECT_TRUE(guard.Admit("a", t + 3s));
  EXPECT_EQ(closed, std::vector<int>{1});
  guard.Closed(a1);
  // With a's new one streaming too, the total (3) is reached and none waits.
  guard.Enter(guard.Opened(4, "a", t + 3s), Phase::kStreaming, t + 3s);
  EXPECT_FALSE(guard.Admit("b", t + 4s));
  EXPECT_FALSE(guard.Admit("a", t + 4s));
  // An answer not taken within 10 s makes its connection one to close for
  // room (even before the sweep closes it); a stream never is.
  EXPECT_EQ(guard.Sweep(t + 12s), 0);
  EXPECT_TRUE(guard.Admit("c", t + 13s));
  EXPECT_EQ(closed, (std::vector<int>{1, 3}));
  EXPECT_EQ(guard.Sweep(t + 100s), 0);
}

TEST(ConnectionGuardTest, SweepClosesWhatMissedItsDeadline) {
  std::vector<int> closed;
  ConnectionGuard guard({10, 10, 5s, 10s}, [&](int socket) { closed.push_back(socket); });
  const auto t = ConnectionGuard::Clock::now();
  guard.Opened(1, "a", t);                                          // waiting since t
  guard.Enter(guard.Opened(2, "a", t), Phase::kWaiting, t + 3s);    // its previous answer taken at t+3
  guard.Enter(guard.Opened(3, "a", t), Phase::kAnswering, t);       // answering since t
  guard.Enter(guard.Opened(4, "a", t), Phase::kStreaming, t);
  EXPECT_EQ(guard.Sweep(t + 5s), 0);
  EXPECT_EQ(guard.Sweep(t + 6s), 1);
  EXPECT_EQ(guard.Sweep(t + 9s), 1);
  EXPECT_EQ(guard.Sweep(t + 11s), 1);
  EXPECT_EQ(guard.Sweep(t + 1000s), 0);
  EXPECT_EQ(closed, (std::vector<int>{1, 2, 3}));
}

}  // namespace
}  // namespace quorsma::tool::http
