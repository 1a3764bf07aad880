// Section names that would meet another section or lose their locks are
// refused before anything is created.
#include <gtest/gtest.h>

#include <string>

#include "segment/segment.h"
#include "support/test_env.h"

namespace quorsma::testing {
namespace {

// Fails the test if a section is created at all.
class NoSectionEnv : public TestEnv {
 public:
  void* CreateSection(const char*, std::size_t, bool*) override {
    ADD_FAILURE() << "section created";
    return nullptr;
  }
};

TEST(SectionNameTest, UnusableNamesAreRefusedWithAMessage) {
  struct Case {
    std::string name;
    const char* says;
  } cases[] = {
      {"", "empty"},
      {"plant/a", "'/'"},
      {"plant.SHARDATA", ".SHARDATA"},
      {std::string(241, 'n'), "longer than 240"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.says);
    NoSectionEnv env;
    env.environment["QUORSMA_SECTION"] = c.name;
    segment::Segment segment(&env);
    EXPECT_EQ(segment.Create(), 0);
    EXPECT_EQ(segment.image(), nullptr);
    ASSERT_EQ(env.messages.size(), 1u);
    EXPECT_NE(env.messages[0].find(c.says), std::string::npos) << env.messages[0];
  }
}

}  // namespace
}  // namespace quorsma::testing
