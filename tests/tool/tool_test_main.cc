// The tests map the library's section when they load; they refuse to run on
// the machine's live section.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  const char* section = std::getenv("QUORSMA_SECTION");
  if (section == nullptr || *section == '\0') {
    std::fprintf(stderr, "set QUORSMA_SECTION to a name of the tests' own (ctest does)\n");
    return 1;
  }
  return RUN_ALL_TESTS();
}
