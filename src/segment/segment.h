// The per-process view of the shared section: creating or opening it,
// mapping it, releasing it, and the two window-handle registers.
#pragma once

#include <cstdint>

#include "core/context.h"

namespace quorsma::segment {

class Segment {
 public:
  constexpr Segment() = default;
  explicit Segment(platform::Env* env) { context_.env = env; }
  void set_env(platform::Env* env) { context_.env = env; }

  // Creates the named section or opens it, and maps a view.  1 on success,
  // 0 on failure (with its trace line).  A second call maps a second view and
  // takes it in place of the first, which stays mapped.
  int32_t Create();
  // Unmaps this process's view.  Afterwards the image is not available here:
  // operations on it fail cleanly instead of touching unmapped memory.
  void Delete();
  // Gives up the section handle (library unload).
  void Close();

  const Context& context() const { return context_; }
  Image* image() const { return context_.image; }
  void* mapping_handle() const { return mapping_handle_; }

 private:
  Context context_;
  void* mapping_handle_ = nullptr;
};

// Window-handle registers.
void SetCommHandle(const Context& context, int32_t hwnd);
int32_t GetCommHandle(const Context& context);
void SetMsgHandle(const Context& context, int32_t hwnd);
int32_t GetMsgHandle(const Context& context);

}  // namespace quorsma::segment
