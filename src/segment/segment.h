// The per-process view of the shared section: creating or opening it,
// mapping it, releasing it, and the two window-handle registers.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

#include "core/context.h"

namespace quorsma::segment {

// Threads: the context (image and Env) is published atomically, so Create may
// run while other threads call the exports: they work on the earlier view
// (which stays mapped) or on the new one.  Delete unmaps the view; no other
// thread may be working on the image at that moment.  Create, Delete and
// Close serialise among themselves.
//
// A published Context is never changed or freed afterwards: Create publishes
// a new one and keeps the earlier ones for the life of the process, as it
// keeps their views mapped, so a thread may hold a reference to the context
// it read and pass it down the call chain without copying it, while another
// thread creates.  (The segment has no destructor, so not even the end of the
// process takes a context from a thread still running.)
class Segment {
 public:
  constexpr Segment() = default;
  explicit Segment(platform::Env* env) : env_(env), unmapped_{nullptr, env} {}
  Segment(const Segment&) = delete;
  Segment& operator=(const Segment&) = delete;
  // Set once, before the segment is used from more than one thread and
  // before Create.
  void set_env(platform::Env* env) {
    env_ = env;
    unmapped_.env = env;
  }

  // Creates the named section or opens it, and maps a view.  1 on success,
  // 0 on failure (with its trace line), leaving an earlier view and handle as
  // they were.  A second call maps a second view and takes it in place of the
  // first, which stays mapped (threads may still be reading it); the first
  // handle is closed, the new one keeps the section.  `fill_new` runs once the
  // view is in place, only when this call made the section afresh, and (on
  // Linux) before any other process can open it.
  int32_t Create(const std::function<void()>& fill_new = {});
  // Unmaps this process's view.  Afterwards the image is not available here:
  // operations on it fail cleanly instead of touching unmapped memory.
  void Delete();
  // Gives up the section handle (library unload).
  void Close();

  // The context of the present view (image null while none is mapped); the
  // reference stays valid, and its content unchanged, for the segment's life.
  const Context& context() const { return *current_.load(std::memory_order_acquire); }
  Image* image() const { return context().image; }
  void* mapping_handle() const { return mapping_handle_; }

 private:
  // A context that Create published, with the one published before it.
  struct Published {
    Context context;
    Published* earlier;
  };

  platform::Env* env_ = nullptr;
  Context unmapped_{nullptr, nullptr};  // published while no view is mapped
  std::atomic<const Context*> current_{&unmapped_};
  Published* published_ = nullptr;  // the latest, linked to the earlier ones
  void* mapping_handle_ = nullptr;
  // Serialises Create, Delete and Close.  A flag rather than a std::mutex,
  // which is not constant-initialised on every platform; these calls are rare
  // and short.
  std::atomic<bool> lifecycle_busy_{false};
};

class LifecycleGuard {
 public:
  explicit LifecycleGuard(std::atomic<bool>& busy) : busy_(busy) {
    while (busy_.exchange(true, std::memory_order_acquire)) std::this_thread::yield();
  }
  ~LifecycleGuard() { busy_.store(false, std::memory_order_release); }
  LifecycleGuard(const LifecycleGuard&) = delete;
  LifecycleGuard& operator=(const LifecycleGuard&) = delete;

 private:
  std::atomic<bool>& busy_;
};

// Window-handle registers.
void SetCommHandle(const Context& context, int32_t hwnd);
int32_t GetCommHandle(const Context& context);
void SetMsgHandle(const Context& context, int32_t hwnd);
int32_t GetMsgHandle(const Context& context);

}  // namespace quorsma::segment
