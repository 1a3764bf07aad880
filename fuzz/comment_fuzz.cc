// Fuzzes the COMMENT.WCD loader and the comment import parser on a private
// image.  The first byte chooses: even, the rest is a comment file (listing
// and load); odd, the rest is an import file (and each of its bytes is laid
// out as a comment).
#include <sys/mman.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "comment/comment_loader.h"
#include "comment/comment_modify.h"
#include "comment/format_memory_comment.h"
#include "core/context.h"
#include "platform/env.h"

namespace {

using quorsma::Image;

// Nothing reaches the operating system's files, boxes or traces: every file
// is missing and cannot be written.
class FuzzEnv final : public quorsma::platform::EnvWrapper {
 public:
  FuzzEnv() : EnvWrapper(quorsma::platform::DefaultEnv()) {}
  std::string ExecutablePath() override { return std::string(); }
  std::string GetEnvironment(const char*) override { return std::string(); }
  std::size_t GetProfileString(const char*, const char*, const char*, char* out, std::size_t size,
                               const char*) override {
    if (size > 0) out[0] = '\0';
    return 0;
  }
  quorsma::platform::ReadResult ReadFile(const char*, std::vector<char>* out) override {
    out->clear();
    return quorsma::platform::ReadResult::kMissing;
  }
  int WriteNewFile(const char*, const void*, std::size_t, const char*) override { return EACCES; }
  int SyncFile(const char*) override { return EACCES; }
  int RenameFile(const char*, const char*) override { return EACCES; }
  int SyncDirectory(const char*) override { return EACCES; }
  void RemoveFile(const char*) override {}
  void ShowMessage(const char* text) override { sink_ += std::strlen(text); }
  void Trace(const char* text) override { sink_ += std::strlen(text); }
  quorsma::platform::InterProcessLock* LogLock() override { return nullptr; }
  quorsma::platform::InterProcessLock* CommentFileLock() override { return nullptr; }
  int32_t* SharedCommHandle() override { return nullptr; }
  void ReleaseSharedData() override {}

 private:
  std::size_t sink_ = 0;
};

Image* PrivateImage() {
  static Image* image = [] {
    void* p = mmap(nullptr, sizeof(Image), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE,
                   -1, 0);
    if (p == MAP_FAILED) std::abort();
    return static_cast<Image*>(p);
  }();
  return image;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static FuzzEnv env;
  static unsigned runs = 0;
  Image* image = PrivateImage();
  if (++runs % 512 == 0) madvise(image, sizeof(Image), MADV_DONTNEED);  // keep the touched pages few
  quorsma::Context context{image, &env};

  // An exact-size copy, so that any read past the input is caught.
  std::vector<char> input(reinterpret_cast<const char*>(data) + 1, reinterpret_cast<const char*>(data) + size);
  if (data[0] % 2 == 0) {
    std::string listing = quorsma::comment::CommentListing(*image, input.data(), input.size());
    quorsma::comment::ApplyCommentFile(context, input.data(), input.size());
    if (listing.size() > 64 * input.size() + 64) std::abort();  // bounded by the file
  } else {
    quorsma::comment::ImportComments(context, input.data(), input.size());
    char out[quorsma::comment::kLaidOutBytes + 1];
    std::size_t n = quorsma::comment::LayOutComment(std::string_view(input.data(), input.size()), out);
    if (n > quorsma::comment::kLaidOutBytes || out[n] != '\0') std::abort();
  }
  return 0;
}
