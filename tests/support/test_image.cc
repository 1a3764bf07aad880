#include "support/test_image.h"

#include <fstream>
#include <random>
#include <sstream>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#endif

namespace quorsma::testing {

TestImage::TestImage() {
#if defined(_WIN32)
  image_ = static_cast<Image*>(VirtualAlloc(nullptr, sizeof(Image), MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
#else
  void* p = mmap(nullptr, sizeof(Image), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  image_ = p == MAP_FAILED ? nullptr : static_cast<Image*>(p);
#endif
  if (image_ == nullptr) throw std::bad_alloc();
}

TestImage::~TestImage() {
#if defined(_WIN32)
  VirtualFree(image_, 0, MEM_RELEASE);
#else
  munmap(image_, sizeof(Image));
#endif
}

TempDir::TempDir() {
  std::random_device random;
  std::ostringstream name;
  name << "quorsma-test-" << std::hex << random() << random();
  path_ = std::filesystem::temp_directory_path() / name.str();
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::File(const std::string& name) const { return (path_ / name).string(); }

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::filesystem::path p(path);
  if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::string();
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

}  // namespace quorsma::testing
