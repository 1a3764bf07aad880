// Exported segment, handle and sink functions.
#include "exports/library.h"
#include "platform/env.h"
#include "segment/segment.h"

using quorsma::exports::Ctx;
using quorsma::exports::g_segment;

extern "C" {

QSMA_EXPORT int32_t QSMA_API smCreateSharedMemory(void) { return g_segment.Create(); }

QSMA_EXPORT void QSMA_API smDelateSharedMemory(void) { g_segment.Delete(); }

QSMA_EXPORT MH_SHARED_STRUCTURE** QSMA_API smGetMemoryPointer(MH_SHARED_STRUCTURE** pointer) {
  if (pointer != nullptr) *pointer = g_segment.image();
  return pointer;
}

QSMA_EXPORT void QSMA_API smSethWndComm(QSMA_HWND hwnd) { quorsma::segment::SetCommHandle(Ctx(), hwnd); }
QSMA_EXPORT QSMA_HWND QSMA_API smGethWndComm(void) { return quorsma::segment::GetCommHandle(Ctx()); }
QSMA_EXPORT void QSMA_API smSethWndMsg(QSMA_HWND hwnd) { quorsma::segment::SetMsgHandle(Ctx(), hwnd); }
QSMA_EXPORT QSMA_HWND QSMA_API smGethWndMsg(void) { return quorsma::segment::GetMsgHandle(Ctx()); }

QSMA_EXPORT void QSMA_API smSetMessageSink(QsmaTextSink sink, void* context) {
  quorsma::platform::SetMessageSink(sink, context);
}
QSMA_EXPORT void QSMA_API smSetTraceSink(QsmaTextSink sink, void* context) {
  quorsma::platform::SetTraceSink(sink, context);
}

}  // extern "C"
