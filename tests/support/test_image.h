// A private, zero-filled image for unit tests, and a fixture that pairs it
// with a TestEnv.  Pages come into being only where a test writes.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/context.h"
#include "support/test_env.h"

namespace quorsma::testing {

class TestImage {
 public:
  TestImage();
  ~TestImage();
  TestImage(const TestImage&) = delete;
  TestImage& operator=(const TestImage&) = delete;

  Image* get() const { return image_; }
  Image* operator->() const { return image_; }

 private:
  Image* image_;
};

// A fresh directory under the system's temporary directory, removed with its
// contents at the end of the test.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::filesystem::path& path() const { return path_; }
  // path() / name, as a string.
  std::string File(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

// Writes bytes to a file, creating directories on the way.
void WriteBytes(const std::string& path, const std::string& bytes);
// Whole file content; empty when missing.
std::string ReadBytes(const std::string& path);

class ImageTest : public ::testing::Test {
 protected:
  ImageTest() {
    context.image = image.get();
    context.env = &env;
  }
  TestImage image;
  TestEnv env;
  Context context;
};

}  // namespace quorsma::testing
