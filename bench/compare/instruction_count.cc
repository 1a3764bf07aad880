// Instructions per device access and per ladder step, counted by callgrind:
// a second opinion beside the timings of bench/compare.sh that no other load
// on the machine can change.  Every measured operation is a function of its
// own named measure_*, called a fixed number of times; compare.sh runs the
// program under `valgrind --tool=callgrind` and divides each function's
// inclusive instruction count by the operations it did.
//
// Prints the number of operations of each function, one "name count" a line.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ladder_program.h"
#include "ladder_table.h"
#include "quorsma/quorsma.h"

namespace {

using quorsma::bench::Drive;
using quorsma::bench::PlainImage;

constexpr int kCalls = 100000;
constexpr int kScans = 20;

// The operand text as the compiler cannot see through, so that every call
// reads it anew as a client's call would.
inline const char* Opaque(const char* text) {
  asm volatile("" : "+r"(text));
  return text;
}

}  // namespace

extern "C" {

#define QSMA_MEASURE_GET(name, operand)                                     \
  [[gnu::noinline]] void measure_get_##name(void) {                        \
    for (int i = 0; i < kCalls; ++i) {                                     \
      int32_t value = GetSma(Opaque(operand));                            \
      asm volatile("" : : "r"(value));                                     \
    }                                                                      \
  }
#define QSMA_MEASURE_SET(name, operand, value)                              \
  [[gnu::noinline]] void measure_set_##name(void) {                        \
    for (int i = 0; i < kCalls; ++i) SetSma(Opaque(operand), value);       \
  }

QSMA_MEASURE_GET(D100, "D100")
QSMA_MEASURE_GET(X1F, "X1F")
QSMA_MEASURE_GET(M10, "M10")
QSMA_MEASURE_GET(K100, "K100")
QSMA_MEASURE_GET(M10Z2, "M10Z2")
QSMA_MEASURE_GET(D100_3, "D100.3")
QSMA_MEASURE_GET(K4M100, "K4M100")
QSMA_MEASURE_SET(D100, "D100", 1234)
QSMA_MEASURE_SET(M10, "M10", 1)
QSMA_MEASURE_SET(Y0, "Y0", 1)

// One scan each; the caller drives the inputs between scans.
[[gnu::noinline]] void measure_scan_exports(MH_SHARED_STRUCTURE* image) { quorsma::bench::RunExported(image); }
[[gnu::noinline]] void measure_scan_table_loop(const quorsma::bench::TableClient* client) { client->RunScan(); }
[[gnu::noinline]] void measure_scan_interpreter(const quorsma::bench::TableInterpreter* interpreter, PlainImage* p) {
  interpreter->RunScan(*p);
}

}  // extern "C"

int main() {
  if (std::getenv("QUORSMA_SECTION") == nullptr) {
    std::fprintf(stderr, "set QUORSMA_SECTION to a section name of the program's own\n");
    return 1;
  }
  MH_SHARED_STRUCTURE* image = nullptr;
  smGetMemoryPointer(&image);
  if (image == nullptr) {
    std::fprintf(stderr, "the section could not be mapped\n");
    return 1;
  }
  // As device_bench prepares them: logging off, the last logged values equal
  // to the values, so that no access finds a change to report.
  image->LogEnable = 0;
  image->D[100] = image->LogPrevD[100] = 1234;
  image->M[10] = image->LogPrevM[10] = 1;
  image->X[0x1F] = 1;
  image->Z[2] = 2;
  image->M[100] = image->M[103] = 1;

  measure_get_D100();
  measure_get_X1F();
  measure_get_M10();
  measure_get_K100();
  measure_get_M10Z2();
  measure_get_D100_3();
  measure_get_K4M100();
  measure_set_D100();
  measure_set_M10();
  measure_set_Y0();
  for (const char* name : {"get_D100", "get_X1F", "get_M10", "get_K100", "get_M10Z2", "get_D100_3", "get_K4M100",
                           "set_D100", "set_M10", "set_Y0"})
    std::printf("measure_%s %d\n", name, kCalls);

  // The ladder program from a clean start, as ladder_bench runs it.
  std::memset(image->M, 0, sizeof(int32_t) * quorsma::bench::kProgramRelays);
  std::memset(image->D, 0, sizeof(int32_t) * quorsma::bench::kProgramRegisters);
  image->SM[403] = 1;
  END();
  for (int scan = 0; scan < kScans; ++scan) {
    Drive(*image, scan);
    measure_scan_exports(image);
  }
  const quorsma::bench::TableClient client(image);
  for (int scan = 0; scan < kScans; ++scan) {
    Drive(*image, scan);
    measure_scan_table_loop(&client);
  }
  static PlainImage plain;
  plain.SM403 = 1;
  const quorsma::bench::TableInterpreter interpreter(plain);
  for (int scan = 0; scan < kScans; ++scan) {
    Drive(plain, scan);
    measure_scan_interpreter(&interpreter, &plain);
  }
  const int steps = kScans * quorsma::bench::kProgramInstructions;
  std::printf("measure_scan_exports %d\nmeasure_scan_table_loop %d\nmeasure_scan_interpreter %d\n", steps, steps,
              steps);
  return 0;
}
