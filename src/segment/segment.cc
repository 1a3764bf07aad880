#include "segment/segment.h"

#include <string>

#include "core/messages.h"
#include "platform/env.h"

namespace quorsma::segment {

int32_t Segment::Create(const std::function<void()>& fill_new) {
  LifecycleGuard guard(lifecycle_busy_);
  platform::Env* env = env_;
  // A name that would meet another section, or lose its lock objects, is
  // refused with a message rather than used.
  const std::string problem = platform::SectionNameProblem(*env);
  if (!problem.empty()) {
    env->ShowMessage(problem.c_str());
    env->Trace(text::kTraceCreateFailed);
    return 0;
  }
  std::string name = platform::SectionName(*env);
  bool created = false;
  void* handle = env->CreateSection(name.c_str(), sizeof(Image), &created);
  if (handle == nullptr) {
    env->Trace(text::kTraceCreateFailed);
    return 0;
  }
  void* view = env->MapSection(handle, sizeof(Image));
  if (view == nullptr) {
    env->CloseSection(handle);
    env->Trace(text::kTraceMapFailed);
    return 0;
  }
  published_ = new Published{Context{static_cast<Image*>(view), env}, published_};
  current_.store(&published_->context, std::memory_order_release);
  if (created && fill_new) fill_new();
  env->ShareSection(handle);
  // The earlier view stays mapped; its handle is no longer needed to keep the
  // section, which the new handle holds.
  if (mapping_handle_ != nullptr) env->CloseSection(mapping_handle_);
  mapping_handle_ = handle;
  return 1;
}

void Segment::Delete() {
  LifecycleGuard guard(lifecycle_busy_);
  if (mapping_handle_ == nullptr) return;
  Image* view = current_.exchange(&unmapped_, std::memory_order_acq_rel)->image;
  if (view != nullptr) env_->UnmapSection(view, sizeof(Image));
}

void Segment::Close() {
  LifecycleGuard guard(lifecycle_busy_);
  if (mapping_handle_ == nullptr) return;
  env_->CloseSection(mapping_handle_);
  mapping_handle_ = nullptr;
}

void SetCommHandle(const Context& context, int32_t hwnd) {
  int32_t* shared = context.env->SharedCommHandle();
  if (shared == nullptr) return;
  if (*shared != 0) context.env->Trace(text::kTraceHwndCommBusy);
  *shared = hwnd;
}

int32_t GetCommHandle(const Context& context) {
  int32_t* shared = context.env->SharedCommHandle();
  return shared ? *shared : 0;
}

void SetMsgHandle(const Context& context, int32_t hwnd) {
  if (context.image) context.image->hWndMsg = hwnd;
}

int32_t GetMsgHandle(const Context& context) { return context.image ? context.image->hWndMsg : 0; }

}  // namespace quorsma::segment
