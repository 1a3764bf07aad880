// Messages to the service manager: sent to the socket NOTIFY_SOCKET names,
// nothing without it; the watchdog interval only for the process it names.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "quorsma/client.h"

#if !defined(_WIN32)
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>

namespace {

// A datagram socket standing in for the service manager.
class FakeManager {
 public:
  FakeManager() {
    path_ = "/tmp/qsma-notify-" + std::to_string(getpid());
    unlink(path_.c_str());
    fd_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path_.copy(address.sun_path, sizeof address.sun_path - 1);
    bound_ = bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    timeval timeout{2, 0};
    setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  }
  ~FakeManager() {
    close(fd_);
    unlink(path_.c_str());
  }
  bool bound() const { return bound_; }
  const std::string& path() const { return path_; }
  std::string Receive() {
    char buffer[4096];
    const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
    return n < 0 ? std::string("<nothing>") : std::string(buffer, static_cast<std::size_t>(n));
  }

 private:
  std::string path_;
  int fd_ = -1;
  bool bound_ = false;
};

TEST(ServiceNotifyTest, SentOnlyToTheManagerThatStartedTheProgram) {
  FakeManager manager;
  ASSERT_TRUE(manager.bound());
  unsetenv("NOTIFY_SOCKET");
  EXPECT_EQ(qsc_service_notify("READY=1"), 0);  // started by hand: nothing to tell
  setenv("NOTIFY_SOCKET", manager.path().c_str(), 1);
  for (const char* state : {"READY=1\nSTATUS=serving 127.0.0.1:1502", "WATCHDOG=1", "STOPPING=1"}) {
    SCOPED_TRACE(state);
    EXPECT_EQ(qsc_service_notify(state), 1);
    EXPECT_EQ(manager.Receive(), state);
  }
  EXPECT_TRUE(quorsma::client::ServiceNotify("STATUS=from C++"));
  EXPECT_EQ(manager.Receive(), "STATUS=from C++");
  EXPECT_EQ(qsc_service_notify(nullptr), -1);
  setenv("NOTIFY_SOCKET", "/nonexistent/qsma-socket", 1);
  EXPECT_EQ(qsc_service_notify("READY=1"), -1);
  unsetenv("NOTIFY_SOCKET");
}

TEST(ServiceNotifyTest, WatchdogIntervalOnlyForTheProcessItNames) {
  const std::string self = std::to_string(getpid());
  struct Case {
    const char* usec;
    const char* pid;  // nullptr: unset
    int64_t expected;
  } cases[] = {
      {nullptr, nullptr, 0}, {"2000000", nullptr, 2000000}, {"2000000", self.c_str(), 2000000},
      {"2000000", "1", 0},   {"nonsense", nullptr, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.usec ? c.usec : "-") + " " + (c.pid ? c.pid : "-"));
    if (c.usec) setenv("WATCHDOG_USEC", c.usec, 1); else unsetenv("WATCHDOG_USEC");
    if (c.pid) setenv("WATCHDOG_PID", c.pid, 1); else unsetenv("WATCHDOG_PID");
    EXPECT_EQ(qsc_service_watchdog_usec(), c.expected);
    EXPECT_EQ(quorsma::client::ServiceWatchdogInterval().count(), c.expected);
  }
  unsetenv("WATCHDOG_USEC");
  unsetenv("WATCHDOG_PID");
}

TEST(ServiceNotifyTest, AliveIsSentAtMostEveryThirdOfTheInterval) {
  FakeManager manager;
  ASSERT_TRUE(manager.bound());
  setenv("NOTIFY_SOCKET", manager.path().c_str(), 1);
  setenv("WATCHDOG_USEC", "600000", 1);
  unsetenv("WATCHDOG_PID");
  ASSERT_EQ(qsc_service_alive(), 1);
  EXPECT_EQ(manager.Receive(), "WATCHDOG=1");
  int sent = 0;
  for (int i = 0; i < 1000; ++i) sent += qsc_service_alive();
  EXPECT_EQ(sent, 0) << "a loop calling it on every pass sends nothing until a third of the interval passed";
  usleep(250000);
  EXPECT_EQ(qsc_service_alive(), 1);
  EXPECT_EQ(manager.Receive(), "WATCHDOG=1");
  unsetenv("WATCHDOG_USEC");
  unsetenv("NOTIFY_SOCKET");
}

}  // namespace
#else
TEST(ServiceNotifyTest, NothingIsSentOnWindows) {
  EXPECT_EQ(qsc_service_notify("READY=1"), 0);
  EXPECT_EQ(qsc_service_watchdog_usec(), 0);
  EXPECT_EQ(qsc_service_alive(), 0);
}
#endif
