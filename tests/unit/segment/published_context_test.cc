// The context a segment publishes: read once by an export and passed down by
// reference, it must stay valid and unchanged while another thread creates
// the section again or a create fails.
#include <gtest/gtest.h>

#include <cstddef>

#include "segment/segment.h"
#include "support/test_env.h"

namespace quorsma::testing {
namespace {

// Hands out views 1, 2, 3 ... as distinct addresses that are never touched,
// or fails to create the section.
class CountingEnv : public TestEnv {
 public:
  bool fail_create = false;
  void* CreateSection(const char*, std::size_t, bool* created) override {
    *created = true;
    return fail_create ? nullptr : &views[next++];
  }
  void* MapSection(void* handle, std::size_t) override { return handle; }
  void UnmapSection(void* view, std::size_t) override { unmapped = view; }
  void CloseSection(void*) override {}
  alignas(64) char views[8][64] = {};
  int next = 0;
  void* unmapped = nullptr;
};

Image* View(CountingEnv& env, int k) { return reinterpret_cast<Image*>(&env.views[k]); }

TEST(PublishedContextTest, AReferenceReadEarlierKeepsItsViewThroughCreatesFailuresAndDelete) {
  CountingEnv env;
  env.environment["QUORSMA_SECTION"] = "published_context_test";
  segment::Segment segment(&env);
  const Context& unmapped = segment.context();
  EXPECT_EQ(unmapped.image, nullptr);
  EXPECT_EQ(unmapped.env, &env);

  ASSERT_EQ(segment.Create(), 1);
  const Context& first = segment.context();
  EXPECT_EQ(first.image, View(env, 0));
  EXPECT_EQ(unmapped.image, nullptr);  // the unmapped context is not reused

  ASSERT_EQ(segment.Create(), 1);
  const Context& second = segment.context();
  EXPECT_EQ(second.image, View(env, 1));
  EXPECT_EQ(second.env, &env);
  EXPECT_EQ(first.image, View(env, 0));  // a thread still holding it goes on with the earlier view

  env.fail_create = true;
  EXPECT_EQ(segment.Create(), 0);
  EXPECT_EQ(&segment.context(), &second);
  EXPECT_EQ(segment.image(), View(env, 1));

  segment.Delete();
  EXPECT_EQ(env.unmapped, View(env, 1));
  EXPECT_EQ(segment.image(), nullptr);
  EXPECT_EQ(segment.context().env, &env);
  EXPECT_EQ(first.image, View(env, 0));
  EXPECT_EQ(second.image, View(env, 1));
}

}  // namespace
}  // namespace quorsma::testing
