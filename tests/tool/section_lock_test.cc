#include "section_lock.h"

#include <gtest/gtest.h>

#include <string>

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace quorsma::tool {
namespace {

TEST(SectionLockTest, OneHolderPerJobAndTheSecondLearnsItsPid) {
  SectionLock runner, second, collector;
  std::string error;
  ASSERT_TRUE(runner.Acquire("runner", &error)) << error;
  EXPECT_FALSE(second.Acquire("runner", &error));
  EXPECT_EQ(error, "another runner is running (pid " + std::to_string(getpid()) + ")");
  EXPECT_TRUE(collector.Acquire("collector", &error)) << "jobs lock apart: " << error;
  runner.Release();
  EXPECT_TRUE(second.Acquire("runner", &error)) << error;
}

TEST(SectionLockTest, LockFileIsNamedAfterTheSection) {
  const std::string path = SectionLockPath("collector");
  EXPECT_NE(path.find("quorsma." + SectionName() + ".collector.lock"), std::string::npos) << path;
}

}  // namespace
}  // namespace quorsma::tool
