// Comparison contacts: load, series and parallel forms of six relations.  The
// operands are read first, then second, and only when the outcome depends on
// them; the pushed value is always 0 or 1.
#include "device/plain_device.h"
#include "device/read.h"
#include "ladder/instructions.h"
#include "ladder/result_stack.h"

namespace quorsma::ladder {
namespace {

template <Relation R>
int32_t Holds(const Context& c, const char* first, const char* second) {
  int32_t a = device::ReadDevice(c, first);
  int32_t b = device::ReadDevice(c, second);
  bool holds = false;
  if constexpr (R == Relation::kEq) holds = a == b;
  if constexpr (R == Relation::kNeq) holds = a != b;
  if constexpr (R == Relation::kLt) holds = a < b;
  if constexpr (R == Relation::kLte) holds = a <= b;
  if constexpr (R == Relation::kGt) holds = a > b;
  if constexpr (R == Relation::kGte) holds = a >= b;
  return holds ? 1 : 0;
}

}  // namespace

template <Form F, Relation R>
void Compare(const Context& c, const char* first, const char* second) {
  if constexpr (F == Form::kLoad) {
    Push(c, Holds<R>(c, first, second));
  } else if constexpr (F == Form::kAnd) {
    ReplaceResult(c, [&](int32_t p) { return p != 0 ? Holds<R>(c, first, second) : 0; });
  } else {
    ReplaceResult(c, [&](int32_t p) { return p != 0 ? 1 : Holds<R>(c, first, second); });
  }
}

template void Compare<Form::kLoad, Relation::kEq>(const Context&, const char*, const char*);
template void Compare<Form::kLoad, Relation::kNeq>(const Context&, const char*, const char*);
template void Compare<Form::kLoad, Relation::kLt>(const Context&, const char*, const char*);
template void Compare<Form::kLoad, Relation::kLte>(const Context&, const char*, const char*);
template void Compare<Form::kLoad, Relation::kGt>(const Context&, const char*, const char*);
template void Compare<Form::kLoad, Relation::kGte>(const Context&, const char*, const char*);
template void Compare<Form::kAnd, Relation::kEq>(const Context&, const char*, const char*);
template void Compare<Form::kAnd, Relation::kNeq>(const Context&, const char*, const char*);
template void Compare<Form::kAnd, Relation::kLt>(const Context&, const char*, const char*);
template void Compare<Form::kAnd, Relation::kLte>(const Context&, const char*, const char*);
template void Compare<Form::kAnd, Relation::kGt>(const Context&, const char*, const char*);
template void Compare<Form::kAnd, Relation::kGte>(const Context&, const char*, const char*);
template void Compare<Form::kOr, Relation::kEq>(const Context&, const char*, const char*);
template void Compare<Form::kOr, Relation::kNeq>(const Context&, const char*, const char*);
template void Compare<Form::kOr, Relation::kLt>(const Context&, const char*, const char*);
template void Compare<Form::kOr, Relation::kLte>(const Context&, const char*, const char*);
template void Compare<Form::kOr, Relation::kGte>(const Context&, const char*, const char*);

}  // namespace quorsma::ladder
