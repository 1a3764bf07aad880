#include "segment/segment.h"

#include <string>

#include "core/messages.h"
#include "platform/env.h"

namespace quorsma::segment {

int32_t Segment::Create() {
  platform::Env* env = context_.env;
  // The name must fit a 256-byte buffer; a longer one is refused rather than
  // cut, so that two installations never meet under a shortened name.
  std::string name = platform::SectionName(*env);
  mapping_handle_ = name.size() < 256 ? env->CreateSection(name.c_str(), sizeof(Image)) : nullptr;
  if (mapping_handle_ == nullptr) {
    env->Trace(text::kTraceCreateFailed);
    return 0;
  }
  void* view = env->MapSection(mapping_handle_, sizeof(Image));
  context_.image = static_cast<Image*>(view);
  if (view == nullptr) {
    env->Trace(text::kTraceMapFailed);
    return 0;
  }
  return 1;
}

void Segment::Delete() {
  if (mapping_handle_ == nullptr) return;
  if (context_.image != nullptr) context_.env->UnmapSection(context_.image, sizeof(Image));
  context_.image = nullptr;
}

void Segment::Close() {
  if (mapping_handle_ == nullptr) return;
  context_.env->CloseSection(mapping_handle_);
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
