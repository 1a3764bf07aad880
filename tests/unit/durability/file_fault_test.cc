// Every file the library writes, through Envs that fail file steps and cut
// the power: a failed write is reported and leaves the old file; after a
// cut at any step the file is the old or the new one, never a mix, and a
// write reported as done survives the cut.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>

#include "comment/comment_loader.h"
#include "comment/comment_modify.h"
#include "config/retentive.h"
#include "config/value_change_log.h"
#include "support/fault_env.h"
#include "support/test_image.h"
#include "unit/comment/comment_file_builder.h"
#if !defined(_WIN32)
#include "platform/posix/background_sync.h"
#endif

namespace quorsma::testing {
namespace {

// An absolute path of the in-memory file system of the power-cut Env, with
// the separator the library puts between its parts on this platform.
std::string CutPath(std::initializer_list<const char*> parts) {
  std::string path;
  for (const char* part : parts) path += std::string(1, platform::kPathSeparator) + part;
  return path.substr(1);
}

class FileFaultTest : public ImageTest {
 protected:
  FileFaultTest() : faulty(&env), cut(&env) {
    std::snprintf(image->MemParaPath, sizeof image->MemParaPath, "%s", dir.path().string().c_str());
    context.env = &faulty;
  }
  std::string DataFile() const { return dir.File("_DIO_DV.ini"); }

  TempDir dir;
  FaultEnv faulty;
  PowerCutEnv cut;
};

// A save that fails is reported once per file until one succeeds; the file
// keeps its old content, and the D check leaves the change to be saved (and
// logged) again.
TEST_F(FileFaultTest, FailedRetentiveSaveIsReportedAndRetried) {
  struct Case {
    FileStep step;
    int error;
  } cases[] = {
      {FileStep::kWrite, ENOSPC}, {FileStep::kWrite, EIO},   {FileStep::kWrite, EACCES},  // disk full, read-only
      {FileStep::kRename, EIO},   {FileStep::kRead, EIO},
  };
  const std::string old_file = "[MODULE_DV]\r\nD000300=5,\r\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(std::strerror(c.error));
    WriteBytes(DataFile(), old_file);
    image->D[301] = 0;
    image->LogPrevD[301] = 0;
    image->LogLinePending = 0;
    env.Clear();
    faulty.Fail(c.step, 1, c.error, /*sticky=*/true);

    image->D[301] = 99;
    config::SetMap(context, "D", 301);
    config::CheckD(context, 301);
    EXPECT_EQ(ReadBytes(DataFile()), old_file);
    ASSERT_EQ(env.messages.size(), 1u);  // once, not at every attempt
    EXPECT_EQ(env.messages[0], DataFile() + " could not be saved: " + std::strerror(c.step == FileStep::kRead ? EIO : c.error));
    EXPECT_EQ(image->LogPrevD[301], 0);

    faulty.Heal();
    image->LogLinePending = 0;
    config::CheckD(context, 301);
    EXPECT_NE(ReadBytes(DataFile()).find("D000300=0,99,"), std::string::npos);
    EXPECT_EQ(image->LogPrevD[301], 99);
    EXPECT_STREQ(image->LogLine, "VC => D[0301]=0 => 99 \t: ");

    WriteBytes(DataFile(), old_file);  // changed by another program: read again
    faulty.Fail(c.step, 1, c.error, true);  // failing again is reported again
    image->D[301] = 7;
    config::CheckD(context, 301);
    EXPECT_EQ(env.messages.size(), 2u);
    faulty.Heal();
    config::CheckD(context, 301);  // a success ends the failing state
    EXPECT_EQ(env.messages.size(), 2u);
  }
}

TEST_F(FileFaultTest, FailedCommentWritesAreReportedAndKeepTheOldFile) {
  std::snprintf(image->MemPlcPath, sizeof image->MemPlcPath, "%s", dir.path().string().c_str());
  const std::string wcd = dir.File("Resource/Others/COMMENT.WCD");
  const std::string old_file = BuildWcd({{0x0090, 1, 0, {"old"}}});
  for (FileStep step : {FileStep::kWrite, FileStep::kFlush, FileStep::kRename}) {
    WriteBytes(wcd, old_file);
    env.Clear();
    faulty.Fail(step, 1, EIO, /*sticky=*/true);
    EXPECT_EQ(comment::ModifyMemoryComment(context, "M", 1, "new"), 0);
    EXPECT_EQ(ReadBytes(wcd), old_file);
    faulty.Heal();
  }
}

// The retentive file after a cut at every step of a save: old until the
// deferred flush has run, new afterwards; never anything else.
TEST_F(FileFaultTest, PowerCutDuringRetentiveSaveLeavesOldOrNew) {
  context.env = &cut;
  std::snprintf(image->MemParaPath, sizeof image->MemParaPath, "/para");
  const std::string path = CutPath({"/para", "_DIO_DV.ini"});
  const std::string old_file = "[MODULE_DV]\r\nD000300=5,\r\n";
  cut.Put(path, old_file);
  image->D[300] = 6;
  config::SetMap(context, "D", 300);
  std::string new_file;
  ASSERT_TRUE(cut.Get(path, &new_file));
  ASSERT_NE(new_file, old_file);
  EXPECT_EQ(cut.AfterCut().at(path), old_file);  // not durable before the flush
  cut.RunDeferredSyncs();
  EXPECT_EQ(cut.AfterCut().at(path), new_file);
  for (const auto& files : cut.cuts) {
    ASSERT_TRUE(files.count(path));
    const std::string& after = files.at(path);
    EXPECT_TRUE(after == old_file || after == new_file) << after;
  }
}

// Files written at once (comment file, its work files, the listing): after a
// cut at any step each is old or new, and once the call has returned it is
// new.
TEST_F(FileFaultTest, PowerCutDuringCommentWritesLeavesOldOrNew) {
  context.env = &cut;
  std::snprintf(image->MemPlcPath, sizeof image->MemPlcPath, "/plc");
  const std::string wcd = CutPath({"/plc", "Resource", "Others", "COMMENT.WCD"});
  const std::string listing = CutPath({"/plc", "Resource", "Others", "MEMORY.TXT"});
  struct Case {
    const char* name;
    std::function<void()> run;
    std::string path;
  } cases[] = {
      {"comment change", [&] { comment::ModifyMemoryComment(context, "M", 1, "new"); }, wcd},
      {"listing at load", [&] { comment::LoadMemoryComment(context); }, listing},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cut.Put(wcd, BuildWcd({{0x0090, 1, 0, {"old"}}}));
    cut.Put(listing, "old listing");
    const std::string old_file = c.path == wcd ? BuildWcd({{0x0090, 1, 0, {"old"}}}) : "old listing";
    cut.cuts.clear();
    c.run();
    std::string new_file;
    ASSERT_TRUE(cut.Get(c.path, &new_file));
    ASSERT_NE(new_file, old_file);
    EXPECT_EQ(cut.AfterCut().at(c.path), new_file);
    for (const auto& files : cut.cuts) {
      const std::string& after = files.at(c.path);
      EXPECT_TRUE(after == old_file || after == new_file);
    }
  }
}

#if !defined(_WIN32)
// A file replaced without waiting for the disk was reported saved; when the
// flusher cannot make it durable, that is said once until a flush succeeds.
TEST_F(FileFaultTest, FailedBackgroundFlushIsReportedOnce) {
  const std::string path = DataFile();
  WriteBytes(path, "x");
  platform::BackgroundSync syncer(&faulty);
  faulty.Fail(FileStep::kFlush, 1, EIO, /*sticky=*/true);
  for (int round = 0; round < 2; ++round) {
    syncer.Add({path}, nullptr);
    syncer.Finish();
  }
  ASSERT_EQ(env.messages.size(), 1u);
  EXPECT_EQ(env.messages[0], path + " could not be made durable: " + std::strerror(EIO));
  faulty.Heal();
  syncer.Add({path}, nullptr);
  syncer.Finish();
  faulty.Fail(FileStep::kFlush, 1, EIO, true);  // failing again after a success: said again
  syncer.Add({path}, nullptr);
  syncer.Finish();
  EXPECT_EQ(env.messages.size(), 2u);
}
#endif

}  // namespace
}  // namespace quorsma::testing
