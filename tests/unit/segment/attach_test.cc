// The attach sequence on a private image: which loaders run, in which order,
// and when the retentive registers are loaded.
#include "exports/open_library.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "core/format.h"
#include "core/messages.h"
#include "platform/env.h"
#include "support/test_image.h"

namespace quorsma::testing {
namespace {

using ::testing::ElementsAre;

// Hands out the test's image as the mapped section (or fails to create it),
// as made afresh by this process or as held by others.
class AttachEnv : public TestEnv {
 public:
  Image* image = nullptr;
  bool fail_create = false;
  bool fresh = true;
  int32_t d50_when_shared = -1;  // D50 at the moment other processes could open the section
  void* CreateSection(const char*, std::size_t, bool* created) override {
    if (created) *created = fresh;
    return fail_create ? nullptr : image;
  }
  void ShareSection(void*) override { d50_when_shared = image->D[50]; }
  void* MapSection(void* handle, std::size_t) override { return handle; }
  void UnmapSection(void*, std::size_t) override {}
  void CloseSection(void*) override {}
};

class AttachTest : public ::testing::Test {
 protected:
  AttachTest() {
    env.image = image.get();
    env.environment["QUORSMA_SECTION"] = "attach_test";
    env.environment["QUORSMA_CONFIG"] = dir.File("config.ini");
    segment.set_env(&env);
  }

  // A configuration whose directories are the test's own.
  void Configure() {
    const std::string d = dir.path().string();
    WriteBytes(dir.File("config.ini"), "[LAST_LIST_SETTING]\r\nEQP_NAME=E\r\nPROGRAM_VER=1\r\nRECIPE_CUR_NAME=R\r\n"
                                       "RECIPE_CUR_NUMBER=1\r\nMEM_PARA_PATH=" + d + "\r\nMEM_PLC_PATH=" + d +
                                       "\r\nQuorUSC__DIRECTORY_SETTING=" + d + "\r\nQuorUSC__DIRECTORY_LOG=" + d + "\r\n");
  }

  static std::string CannotOpen(const std::string& path) { return Format(text::kFmtCannotOpenFile, path.c_str()); }

  TestImage image;
  AttachEnv env;
  TempDir dir;
  segment::Segment segment;
};

// Loaded only into a section this process made, before others can open it;
// never over the registers of a section that others hold, whatever they read.
TEST_F(AttachTest, RetentiveRegistersLoadOnlyIntoASectionThisProcessMade) {
  Configure();
  WriteBytes(dir.File("_DIO_DV.ini"), "[MODULE_DV]\r\nD000050=1,2,3,\r\n");
  struct Case {
    const char* name;
    bool fresh;
    std::vector<std::pair<int, int32_t>> cells;
    bool loaded;
  } cases[] = {
      {"made by this process", true, {}, true},
      {"held by others, D1000..D1099 all 0", false, {}, false},
      {"held by others, a register written", false, {{1050, 1}}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    env.fresh = c.fresh;
    for (const auto& [i, v] : c.cells) image->D[i] = v;
    exports::OpenLibrary(segment);
    EXPECT_EQ(image->D[50], c.loaded ? 1 : 0);
    EXPECT_EQ(image->D[52], c.loaded ? 3 : 0);
    EXPECT_EQ(env.d50_when_shared, image->D[50]);
    for (const auto& [i, v] : c.cells) image->D[i] = 0;
    image->D[50] = image->D[51] = image->D[52] = 0;
  }
}

TEST_F(AttachTest, LoadersRunInOrderAgainstTheMappedImage) {
  Configure();
  WriteBytes(dir.File("_MEM_SMEF.ini"), "D500=1\r\n");
  exports::OpenLibrary(segment);
  EXPECT_EQ(segment.image(), image.get());
  EXPECT_STREQ(image->EqpName, "E");
  EXPECT_EQ(image->NoLogD[500], 1);
  EXPECT_THAT(env.traces, ElementsAre(text::kTraceAttach, text::kTraceNoCommentFile));
  EXPECT_THAT(env.messages, ::testing::IsEmpty());
  std::remove(dir.File("_MEM_SMEF.ini").c_str());
  env.Clear();
  exports::OpenLibrary(segment);
  EXPECT_THAT(env.traces, ElementsAre(text::kTraceAttach, text::kTraceNoCommentFile,
                                      CannotOpen(dir.File("_MEM_SMEF.ini"))));
}

// Without a configuration the later loaders find no directory: the settings
// file is reported missing under the path an empty directory gives, and
// nothing at the root of the file system is read.
TEST_F(AttachTest, WithoutConfigurationTheSettingsFileIsReportedMissing) {
  exports::OpenLibrary(segment);
  EXPECT_EQ(env.messages.size(), 8u);
  const std::string root_file = std::string(1, platform::kPathSeparator) + "_MEM_SMEF.ini";
  EXPECT_THAT(env.traces, ElementsAre(text::kTraceAttach, text::kTraceNoCommentFile, CannotOpen(root_file)));
}

TEST_F(AttachTest, NoLoaderRunsWhenTheSectionCannotBeCreated) {
  Configure();
  env.fail_create = true;
  exports::OpenLibrary(segment);
  EXPECT_EQ(segment.image(), nullptr);
  EXPECT_THAT(env.traces, ElementsAre(text::kTraceAttach, text::kTraceCreateFailed));
  EXPECT_THAT(env.messages, ::testing::IsEmpty());
  EXPECT_EQ(image->EqpName[0], '\0');
}

}  // namespace
}  // namespace quorsma::testing
