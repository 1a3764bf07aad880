// Comments changed through the exported editors of the built library, seen
// from several processes; a process rewriting COMMENT.WCD is killed at random
// moments, again and again, and the file is always whole.
#include <signal.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <thread>

#include "child_process.h"
#include "unit/comment/comment_file_builder.h"

namespace quorsma::testing {
namespace {

const std::string kChild = QSMA_TEST_CHILD;

class CommentProcessTest : public ::testing::Test {
 protected:
  CommentProcessTest() { std::filesystem::create_directories(project / "Resource" / "Others"); }

  std::string Wcd() const { return ReadFileBytes(project / "Resource" / "Others" / "COMMENT.WCD"); }

  ScratchDir scratch{"comment"};
  const std::filesystem::path project = scratch.path();
  std::map<std::string, std::string> env{{"QUORSMA_SECTION", UniqueSectionName("comment")}};
};

TEST_F(CommentProcessTest, ACommentSetByOneProcessIsSeenByAnotherAndSaved) {
  ChildProcess holder(kChild, {"hold"}, env);
  ASSERT_EQ(holder.ReadLine(), "ready\n");
  ChildResult editor = RunChild(kChild, {"plc-path", project.string(), "modify", "M", "100", "motor on"}, env);
  EXPECT_EQ(editor.out, "modify 1\n");
  EXPECT_EQ(RunChild(kChild, {"comment-m", "100"}, env).out, "comment-m 100=motor on\n");
  ParsedWcd parsed = ParseWcd(Wcd());
  ASSERT_TRUE(parsed.complete);
  ASSERT_EQ(parsed.records.size(), 1u);
  EXPECT_EQ(parsed.records[0].first, 100);
  EXPECT_EQ(parsed.texts[0], std::string(8, ' ') + Text32("motor on"));

  EXPECT_EQ(RunChild(kChild, {"modify", "ZR", "1", "x"}, env).out, "modify 0\n");
  holder.CloseInput();
  holder.Wait();
}

TEST_F(CommentProcessTest, KilledRewriterLeavesTheOldOrTheNewFile) {
  std::random_device seed;
  std::mt19937 random(seed());
  // 20,000 other comments make every rewrite long enough to be hit mid-way.
  const std::vector<std::string> fill = {"plc-path", project.string(), "fill-m", "1000", "20000"};
  int last_gen = 0;
  for (int round = 0; round < 60; ++round) {
    SCOPED_TRACE(round);
    std::vector<std::string> args = fill;
    args.insert(args.end(), {"modify-loop", "100"});
    ChildProcess writer(kChild, args, env);
    ASSERT_EQ(writer.ReadLine(), "modifying\n");
    // Every rewrite flushes three files, so it takes a while; the first
    // round waits for one to complete, so the later ones have a file to keep.
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 250000));
    for (int wait = 0; round == 0 && wait < 1000 && Wcd().empty(); ++wait)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    writer.Kill(SIGKILL);
    ASSERT_EQ(writer.Wait().signal, SIGKILL);

    const std::string file = Wcd();
    if (file.empty() && last_gen == 0) continue;  // killed before the first rewrite ended
    ParsedWcd parsed = ParseWcd(file);
    ASSERT_TRUE(parsed.complete) << "size " << file.size();
    ASSERT_EQ(parsed.records.size(), 2u);
    EXPECT_EQ(parsed.records[0].first, 100);
    EXPECT_EQ(parsed.records[1].first, 1000);
    EXPECT_EQ(parsed.records[1].count, 20000);
    const std::string text = parsed.texts[0].substr(8);
    ASSERT_EQ(text.rfind("gen-", 0), 0u) << text;
    last_gen = std::atoi(text.c_str() + 4);
    EXPECT_GE(last_gen, 1);
    for (std::size_t k = 1; k < parsed.texts.size(); ++k) ASSERT_EQ(parsed.texts[k], std::string(8, ' ') + Text32("fill"));
  }
  EXPECT_GT(last_gen, 0);
  // Writers killed between writing and renaming leave their temporary file.
  int interrupted = 0;
  for (const auto& entry : std::filesystem::directory_iterator(project / "Resource" / "Others"))
    interrupted += entry.path().filename().string().rfind("COMMENT.WCD.", 0) == 0;
  RecordProperty("interrupted_writes", interrupted);
}

}  // namespace
}  // namespace quorsma::testing
