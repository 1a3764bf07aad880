// A fixture for the comment tests: a private image whose PLC project
// directory is a fresh temporary directory.
#pragma once

#include <cstring>
#include <filesystem>
#include <string>

#include "support/test_image.h"
#include "unit/comment/comment_file_builder.h"

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

}  // namespace quorsma::testing
