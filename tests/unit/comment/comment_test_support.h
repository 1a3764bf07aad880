// A fixture for the comment tests: a private image whose PLC project
// directory is a fresh temporary directory.
#pragma once

#include <cstring>
#include <filesystem>
#include <string>

#include "support/test_image.h"
#include "unit/comment/comment_file_builder.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/shared_object.h"
#endif

namespace quorsma::testing {

class CommentTest : public ImageTest {
 protected:
  CommentTest() {
    std::strncpy(image->MemPlcPath, project.path().string().c_str(), sizeof image->MemPlcPath - 1);
    std::filesystem::create_directories(others());
  }

  std::filesystem::path others() const { return project.path() / "Resource" / "Others"; }
  std::string wcd_path() const { return (others() / "COMMENT.WCD").string(); }
  std::string listing_path() const { return (others() / "MEMORY.TXT").string(); }
  std::string ReadWcd() const { return ReadBytes(wcd_path()); }

  // The text of an entry up to its NUL (at most 256 bytes).
  static std::string EntryText(const char* entry) { return std::string(entry, strnlen(entry, 256)); }
  static void SetEntry(char* entry, const std::string& text) {
    std::memset(entry, 0, 256);
    std::memcpy(entry, text.data(), text.size());
  }

  TempDir project;
};

#if !defined(_WIN32)
// An Env whose sections come from the operating system, so that the comment
// code can ask which of their pages were ever written.
class SectionEnv : public TestEnv {
 public:
  bool WrittenRanges(const void* begin, std::size_t length,
                     std::vector<std::pair<std::size_t, std::size_t>>* out) override {
    return platform::DefaultEnv()->WrittenRanges(begin, length, out);
  }
};

// A fresh named section of this process, mapped once.
class TestSection {
 public:
  TestSection(SectionEnv& env, const std::string& tag)
      : env_(env), name_("qsma_" + tag + "_" + std::to_string(::getpid())) {
    handle_ = env_.CreateSection(name_.c_str(), sizeof(Image), nullptr);
    if (handle_) image_ = static_cast<Image*>(env_.MapSection(handle_, sizeof(Image)));
  }
  ~TestSection() {
    if (image_) env_.UnmapSection(image_, sizeof(Image));
    if (handle_) env_.CloseSection(handle_);
  }
  Image* image() const { return image_; }
  // Bytes of memory the section holds.
  std::size_t Allocated() const {
    struct stat st = {};
    const std::string path = "/dev/shm" + platform::SharedObjectName(name_);
    return ::stat(path.c_str(), &st) == 0 ? static_cast<std::size_t>(st.st_blocks) * 512 : 0;
  }

 private:
  SectionEnv& env_;
  std::string name_;
  void* handle_ = nullptr;
  Image* image_ = nullptr;
};
#endif

}  // namespace quorsma::testing
