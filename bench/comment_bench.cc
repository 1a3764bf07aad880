// The comment file rewrite and the load at attach, with 10,000 comments.
//
// BM_SaveAfterAttach: SaveMemoryComment called through a view of the section
// mapped just before (as by a process that has just attached), the comments
// written earlier through another view.  Counter shm_growth_KiB: growth of
// the section's allocated memory over all iterations (0: no untouched comment
// page was brought into being).
// BM_SavePrivateImage: the same rewrite when the platform cannot name the
// written pages and every entry is looked at (a private image).
// BM_Attach: a later process attaching (configuration, COMMENT.WCD of 10,000
// comments with MEMORY.TXT, retentive check, memory settings).
#include <benchmark/benchmark.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "comment/comment_loader.h"
#include "comment/comment_save.h"
#include "platform/posix/shared_object.h"
#include "exports/open_library.h"
#include "support/test_env.h"

namespace {

using quorsma::Context;
using quorsma::Image;
namespace fs = std::filesystem;

constexpr int kComments = 10000;

// A test Env that asks the operating system which section pages were written.
class SectionEnv : public quorsma::testing::TestEnv {
 public:
  bool WrittenRanges(const void* begin, std::size_t length,
                     std::vector<std::pair<std::size_t, std::size_t>>* out) override {
    return quorsma::platform::DefaultEnv()->WrittenRanges(begin, length, out);
  }
};

// Entry n of rewrite pass p (the ten device areas, then the unit run).
char* PassEntry(Image* image, int p, int n) {
  switch (p) {
    case 0: return image->CommentM[n];
    case 1: return image->CommentSM[n];
    case 2: return image->CommentL[n];
    case 3: return image->CommentX[n];
    case 4: return image->CommentY[n];
    case 5: return image->CommentB[n];
    case 6: return image->CommentD[n];
    case 7: return image->CommentR[n];
    case 8: return image->CommentW[n];
    case 9: return image->CommentT[n];
    default: return n < 12500 ? image->CommentU[n / 500][n % 500] : image->CommentTMP[n - 12500];
  }
}

// 10,000 comments spread over the eleven passes: runs of 1 to 20 neighbours
// at random places (run_length 20), or single comments (run_length 1), with
// device numbers below `span` (the unit run always over its whole length).
void WriteComments(Image* image, int run_length, int span = 65000) {
  std::mt19937 random(1);
  int written = 0;
  for (int p = 0; p < 11; ++p) {
    const int quota = kComments * (p + 1) / 11 - kComments * p / 11;
    int here = 0;
    while (here < quota) {
      int start = static_cast<int>(random() % static_cast<unsigned>(p == 10 ? 131000 : span));
      int length = 1 + static_cast<int>(random() % run_length);
      for (int n = start; n < start + length && here < quota; ++n) {
        char* entry = PassEntry(image, p, n);
        if (entry[0] != '\0') continue;
        std::snprintf(entry, 256, "comment %d of pass %d", n, p);
        ++here;
      }
    }
    written += here;
  }
  if (written != kComments) std::abort();
}

struct Project {
  Project() {
    dir = fs::temp_directory_path() / ("quorsma-comment-bench-" + std::to_string(getpid()));
    fs::create_directories(dir / "Resource" / "Others");
  }
  ~Project() { fs::remove_all(dir); }
  fs::path dir;
};

std::size_t AllocatedBytes(const std::string& section) {
  struct stat st = {};
  const std::string path = "/dev/shm" + quorsma::platform::SharedObjectName(section);
  return stat(path.c_str(), &st) == 0 ? static_cast<std::size_t>(st.st_blocks) * 512 : 0;
}

void BM_SaveAfterAttach(benchmark::State& state) {
  const int run_length = static_cast<int>(state.range(0));
  const int span = static_cast<int>(state.range(1));
  Project project;
  SectionEnv env;
  const std::string section = "qsma_comment_bench_" + std::to_string(getpid());
  void* handle = env.CreateSection(section.c_str(), sizeof(Image), nullptr);
  auto* writer = static_cast<Image*>(env.MapSection(handle, sizeof(Image)));
  if (writer == nullptr) {
    state.SkipWithError("no section");
    return;
  }
  std::snprintf(writer->MemPlcPath, sizeof writer->MemPlcPath, "%s", project.dir.c_str());
  WriteComments(writer, run_length, span);
  env.UnmapSection(writer, sizeof(Image));

  const std::size_t before = AllocatedBytes(section);
  for (auto _ : state) {
    state.PauseTiming();
    auto* view = static_cast<Image*>(env.MapSection(handle, sizeof(Image)));
    Context context{view, &env};
    state.ResumeTiming();
    quorsma::comment::SaveMemoryComment(context);
    state.PauseTiming();
    env.UnmapSection(view, sizeof(Image));
    state.ResumeTiming();
  }
  state.counters["shm_growth_KiB"] = static_cast<double>(AllocatedBytes(section) - before) / 1024.0;
  state.counters["file_KiB"] =
      static_cast<double>(fs::file_size(project.dir / "Resource" / "Others" / "COMMENT.WCD")) / 1024.0;
  env.CloseSection(handle);
}
// Device numbers up to 65,000; single comments (more blocks than the text
// base allows: joined); numbers up to 131,000 (beyond 65,535 a pass is saved
// as one block from 65,535 on, empty entries included).
BENCHMARK(BM_SaveAfterAttach)
    ->Args({20, 65000})
    ->Args({1, 65000})
    ->Args({20, 131000})
    ->ArgNames({"run", "span"})->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SavePrivateImage(benchmark::State& state) {
  Project project;
  void* memory = mmap(nullptr, sizeof(Image), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (memory == MAP_FAILED) {
    state.SkipWithError("no memory");
    return;
  }
  auto* image = static_cast<Image*>(memory);
  quorsma::testing::TestEnv env;
  std::snprintf(image->MemPlcPath, sizeof image->MemPlcPath, "%s", project.dir.c_str());
  WriteComments(image, 20);
  Context context{image, &env};
  for (auto _ : state) quorsma::comment::SaveMemoryComment(context);
  munmap(memory, sizeof(Image));
}
BENCHMARK(BM_SavePrivateImage)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_Attach(benchmark::State& state) {
  Project project;
  SectionEnv env;
  env.environment["QUORSMA_SECTION"] = "qsma_comment_attach_" + std::to_string(getpid());
  // The configuration beside a pretended executable names the project.
  const fs::path program = project.dir / "bin" / "client";
  fs::create_directories(program.parent_path() / "_Configuration");
  {
    std::ofstream ini(program.parent_path() / "_Configuration" / "_Configuration.ini", std::ios::binary);
    ini << "[LAST_LIST_SETTING]\r\n";
    for (const char* key : {"EQP_NAME", "PROGRAM_VER", "RECIPE_CUR_NAME", "RECIPE_CUR_NUMBER",
                            "QuorUSC__DIRECTORY_SETTING", "QuorUSC__DIRECTORY_LOG"})
      ini << key << "=x\r\n";
    ini << "MEM_PARA_PATH=" << project.dir.string() << "\r\nMEM_PLC_PATH=" << project.dir.string() << "\r\n";
  }
  env.executable_path = program.string();

  quorsma::segment::Segment holder(&env);
  quorsma::exports::OpenLibrary(holder);  // an earlier process: the section stays
  WriteComments(holder.image(), 20);
  quorsma::comment::SaveMemoryComment(holder.context());
  for (auto _ : state) {
    quorsma::segment::Segment segment(&env);
    quorsma::exports::OpenLibrary(segment);
    state.PauseTiming();
    quorsma::exports::CloseLibrary(segment);
    segment.Close();
    env.Clear();
    state.ResumeTiming();
  }
  state.counters["listing_lines"] = 0;
  {
    std::ifstream listing(project.dir / "Resource" / "Others" / "MEMORY.TXT", std::ios::binary);
    std::string line;
    int lines = 0;
    while (std::getline(listing, line)) ++lines;
    state.counters["listing_lines"] = lines;
  }
  quorsma::exports::CloseLibrary(holder);
  holder.Close();
}
BENCHMARK(BM_Attach)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
