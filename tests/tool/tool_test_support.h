// Helpers of the tool's tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "runner/program.h"
#include "runner/program_checker.h"
#include "runner/program_parser.h"
#include "quorsma/quorsma.h"
#include "cli/terminal.h"

namespace quorsma::tool::testing {

// The process's image, with every device, timer, edge cell and log field the
// tests touch cleared, logging off and no stop request pending.
class LibraryImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    smGetMemoryPointer(&image);
    ASSERT_NE(image, nullptr);
    Clear(image->M);
    Clear(image->D);
    Clear(image->X);
    Clear(image->Y);
    Clear(image->L);
    Clear(image->B);
    Clear(image->W);
    Clear(image->Z);
    Clear(image->SM);
    Clear(image->Tcur);
    Clear(image->Tset);
    Clear(image->Tcoil);
    Clear(image->TcurCopy);
    Clear(image->TsetCopy);
    Clear(image->PulseMemory);
    Clear(image->LogPrevM);
    Clear(image->LogPrevD);
    Clear(image->LogPrevB);
    Clear(image->LogPrevL);
    Clear(image->LogPrevW);
    image->LogEnable = 0;
    image->LogLinePending = 0;
    image->BranchRow = 0;
    image->BranchCol = 0;
    END();
    RequestStop(false);
  }
  template <typename T, std::size_t N>
  static void Clear(T (&area)[N]) {
    std::memset(area, 0, sizeof area);
  }

  MH_SHARED_STRUCTURE* image = nullptr;
};

// Checks program text that must pass.
inline Program MustCheck(const std::string& text) {
  Program program;
  std::vector<std::string> errors;
  EXPECT_TRUE(CheckProgram(ParseProgramText(text), "test.il", &program, &errors))
      << (errors.empty() ? std::string() : errors.front());
  return program;
}

// A fresh directory, removed with its contents at the end of the test.
class TempDir {
 public:
  TempDir() {
    static int counter = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("quorsma-tool-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
             std::to_string(reinterpret_cast<std::uintptr_t>(this)) + "-" + std::to_string(++counter));
    std::filesystem::create_directories(path_);
    // Only its owner's, as a lock directory must be (section_lock.h).
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Removes the comment file of the test installation, so that programs
// started afterwards begin without the comments of earlier test runs.
inline void RemoveCommentFile() {
  std::error_code ignored;
  std::filesystem::remove(std::string(QSMA_TOOL_INSTALLATION) + "/plc/Resource/Others/COMMENT.WCD", ignored);
}

inline std::string ExamplePath(const std::string& name) { return std::string(QSMA_TOOL_EXAMPLES) + "/" + name; }

}  // namespace quorsma::tool::testing
