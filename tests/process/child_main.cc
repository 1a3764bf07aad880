// A client program for the multi-process tests.  It loads the library (the
// attach sequence runs before main) and carries out the commands given as
// arguments, in order, printing one line per answer:
//   mapped            "mapped 1" when the image is mapped, else "mapped 0"
//   write-d I V       D[I] = V through the image pointer
//   read-d I          "D[I]=V"
//   set-comm H | get-comm | set-msg H | get-msg
//   trace-sink | msg-sink   print trace lines / message boxes as "TRACE:..."/"MSG:..."
//   hold              print "ready", then wait until standard input closes
//   delete            smDelateSharedMemory
//   create            "create N" with the result of smCreateSharedMemory
//   recreate-reading N  N calls of smCreateSharedMemory while another thread
//                     writes and reads D7; "recreated R mismatches M fds F"
//                     with the successful calls, the reads that did not give
//                     back the value written, and the growth of open files
//   get OP            "OP=V" with GetSma(OP)
//   set OP V          SetSma(OP, V)
//   point OP          "point 1" when SmaGetPoint(OP) gives a cell, else "point 0"
//   set-para DIR      MemParaPath = DIR
//   log-on            LogEnable = 1
//   produce P N       N changes of producer P's M, B, L, W and D devices, each
//                     followed by its value-change check; then "final D I V"
//                     for its data registers, counts itself done, "done"
//   collect P         takes lines from the mailbox until P producers are done;
//                     then "LINE:<line>" for each, "collected N"
//   save-loop G       from generation G on, rewrites the kill-test groups
//                     through Set_Map until killed; "saving" first
//   plc-path DIR      MemPlcPath = DIR
//   modify K N TEXT   "modify R" with smModifyMemoryComment(K, N, TEXT)
//   import PATH       "import R" with smModifyMemoryComment_FromFile(PATH)
//   comment-m N       "comment-m N=<text>" with the comment of M N
//   fill-m F C        comments "fill" for M F .. F+C-1, in the image only
//   modify-loop N     "modifying", then sets M N to "gen-1", "gen-2" ...
//                     through smModifyMemoryComment until killed
//   modify-range F C  sets M F .. F+C-1 to "set-<n>", one call each; "modified"
//   inc OP            one rung with SM400 on: LD SM400, INC OP
#include <dirent.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "quorsma/quorsma.h"

// Value-change log and retentive-register commands.
#include <atomic>
#include <random>
#include <thread>
#include <vector>

#include "log_test_data.h"

namespace {

void PrintTrace(const char* text, void*) { std::printf("TRACE:%s\n", text); std::fflush(stdout); }
void PrintMessage(const char* text, void*) { std::printf("MSG:%s\n", text); std::fflush(stdout); }

}  // namespace

namespace log_commands {

using quorsma::testing::kKillGroups;
using quorsma::testing::kStressDoneCell;
using quorsma::testing::kStressRange;
using quorsma::testing::StressComment;
using quorsma::testing::StressIndex;

void Produce(MH_SHARED_STRUCTURE* image, int producer, int count) {
  for (char kind : quorsma::testing::kStressKinds) {
    for (int r = 0; r < kStressRange; ++r) {
      int i = StressIndex(kind, producer, r);
      char(*comments)[256] = kind == 'M'   ? image->CommentM
                             : kind == 'B' ? image->CommentB
                             : kind == 'L' ? image->CommentL
                             : kind == 'W' ? image->CommentW
                                           : image->CommentD;
      std::snprintf(comments[i], 256, "%s", StressComment(kind, i).c_str());
    }
  }
  std::mt19937 random(static_cast<unsigned>(producer) + 1);
  for (int n = 0; n < count; ++n) {
    char kind = quorsma::testing::kStressKinds[random() % 5];
    int i = StressIndex(kind, producer, static_cast<int>(random() % kStressRange));
    switch (kind) {
      case 'M': image->M[i] ^= 1; smLogWrite_M(i); break;
      case 'B': image->B[i] ^= 1; smLogWrite_B(i); break;
      case 'L': image->L[i] ^= 1; smLogWrite_L(i); break;
      case 'W': image->W[i] += 1; smLogWrite_W(i); break;
      default: image->D[i] += 1; smLogWrite_D(i); break;
    }
  }
  for (int r = 0; r < kStressRange; ++r) {
    int i = StressIndex('D', producer, r);
    if (image->D[i] != 0) std::printf("final D %d %d\n", i, image->D[i]);
  }
  std::atomic_ref<int32_t>(image->Z[kStressDoneCell]).fetch_add(1, std::memory_order_release);
  std::printf("done\n");
}

void Collect(MH_SHARED_STRUCTURE* image, int producers) {
  std::atomic_ref<int32_t> pending(image->LogLinePending);
  std::atomic_ref<int32_t> done(image->Z[kStressDoneCell]);
  std::vector<std::string> lines;
  for (;;) {
    if (pending.load(std::memory_order_acquire) == 1) {
      lines.emplace_back(image->LogLine, strnlen(image->LogLine, sizeof image->LogLine));
      pending.store(0, std::memory_order_release);
      continue;
    }
    if (done.load(std::memory_order_acquire) >= producers) {
      if (pending.load(std::memory_order_acquire) == 1) continue;
      break;
    }
    std::this_thread::yield();
  }
  for (const std::string& line : lines) std::printf("LINE:%s\n", line.c_str());
  std::printf("collected %zu\n", lines.size());
}

[[noreturn]] void SaveLoop(MH_SHARED_STRUCTURE* image, int generation) {
  std::printf("saving\n");
  std::fflush(stdout);
  for (int gen = generation;; ++gen) {
    for (int g : kKillGroups) {
      for (int k = 0; k < 50; ++k) image->D[g * 50 + k] = quorsma::testing::KillValue(gen, k);
      Set_Map("D", g * 50, 0);
    }
  }
}

// Runs the command at argv[i]; false when it is not one of these.
bool Run(MH_SHARED_STRUCTURE* image, int argc, char** argv, int& i) {
  std::string command = argv[i];
  auto arg = [&]() -> const char* { return i + 1 < argc ? argv[++i] : ""; };
  if (command != "set-para" && command != "log-on" && command != "produce" && command != "collect" &&
      command != "save-loop")
    return false;
  if (image == nullptr) {
    std::printf("not mapped\n");
    std::exit(3);
  }
  if (command == "set-para") {
    std::snprintf(image->MemParaPath, sizeof image->MemParaPath, "%s", arg());
  } else if (command == "log-on") {
    image->LogEnable = 1;
  } else if (command == "produce") {
    int producer = std::atoi(arg());
    Produce(image, producer, std::atoi(arg()));
  } else if (command == "collect") {
    Collect(image, std::atoi(arg()));
  } else {
    SaveLoop(image, std::atoi(arg()));
  }
  return true;
}

}  // namespace log_commands

// Comment commands.
namespace comment_commands {

// Runs the command at argv[i]; false when it is not one of these.
bool Run(MH_SHARED_STRUCTURE* image, int argc, char** argv, int& i) {
  std::string command = argv[i];
  auto arg = [&]() -> const char* { return i + 1 < argc ? argv[++i] : ""; };
  if (command != "plc-path" && command != "modify" && command != "import" && command != "comment-m" &&
      command != "fill-m" && command != "modify-loop" && command != "modify-range")
    return false;
  if (image == nullptr) {
    std::printf("not mapped\n");
    std::exit(3);
  }
  if (command == "plc-path") {
    std::snprintf(image->MemPlcPath, sizeof image->MemPlcPath, "%s", arg());
  } else if (command == "modify") {
    const char* kind = arg();
    int number = std::atoi(arg());
    std::printf("modify %d\n", smModifyMemoryComment(kind, number, arg()));
  } else if (command == "import") {
    std::printf("import %d\n", smModifyMemoryComment_FromFile(arg()));
  } else if (command == "comment-m") {
    int number = std::atoi(arg());
    std::printf("comment-m %d=%.*s\n", number, 256, image->CommentM[number]);
  } else if (command == "fill-m") {
    int first = std::atoi(arg());
    int count = std::atoi(arg());
    for (int n = first; n < first + count; ++n) std::snprintf(image->CommentM[n], 256, "fill");
  } else if (command == "modify-range") {
    int first = std::atoi(arg());
    int count = std::atoi(arg());
    char text[32];
    for (int n = first; n < first + count; ++n) {
      std::snprintf(text, sizeof text, "set-%d", n);
      smModifyMemoryComment("M", n, text);
    }
    std::printf("modified\n");
  } else {
    int number = std::atoi(arg());
    std::printf("modifying\n");
    std::fflush(stdout);
    char text[32];
    for (int gen = 1;; ++gen) {
      std::snprintf(text, sizeof text, "gen-%d", gen);
      smModifyMemoryComment("M", number, text);
    }
  }
  return true;
}

}  // namespace comment_commands

int main(int argc, char** argv) {
  MH_SHARED_STRUCTURE* image = nullptr;
  smGetMemoryPointer(&image);
  for (int i = 1; i < argc; ++i) {
    std::string command = argv[i];
    auto next = [&]() -> int { return i + 1 < argc ? std::atoi(argv[++i]) : 0; };
    if (command == "mapped") {
      std::printf("mapped %d\n", image != nullptr);
    } else if (command == "write-d") {
      int index = next(), value = next();
      if (image) image->D[index] = value;
    } else if (command == "read-d") {
      int index = next();
      std::printf("D[%d]=%d\n", index, image ? image->D[index] : -1);
    } else if (command == "set-comm") {
      smSethWndComm(next());
    } else if (command == "get-comm") {
      std::printf("comm=%d\n", smGethWndComm());
    } else if (command == "set-msg") {
      smSethWndMsg(next());
    } else if (command == "get-msg") {
      std::printf("msg=%d\n", smGethWndMsg());
    } else if (command == "trace-sink") {
      smSetTraceSink(PrintTrace, nullptr);
    } else if (command == "msg-sink") {
      smSetMessageSink(PrintMessage, nullptr);
    } else if (command == "hold") {
      std::printf("ready\n");
      std::fflush(stdout);
      int c;
      while ((c = std::getchar()) != EOF) {
      }
    } else if (command == "delete") {
      smDelateSharedMemory();
      smGetMemoryPointer(&image);
    } else if (command == "create") {
      std::printf("create %d\n", smCreateSharedMemory());
      smGetMemoryPointer(&image);
    } else if (command == "recreate-reading" && i + 1 < argc) {
      const int count = std::atoi(argv[++i]);
      auto open_files = [] {
        int n = 0;
        if (DIR* dir = opendir("/proc/self/fd")) {
          while (readdir(dir) != nullptr) ++n;
          closedir(dir);
        }
        return n;
      };
      const int files_before = open_files();
      std::atomic<bool> stop{false};
      std::atomic<int> mismatches{0};
      std::thread reader([&] {
        for (int32_t v = 1; !stop.load(); ++v) {
          SetSma("D7", v);
          if (GetSma("D7") != v) mismatches.fetch_add(1);
        }
      });
      int created = 0;
      for (int k = 0; k < count; ++k) created += smCreateSharedMemory();
      stop.store(true);
      reader.join();
      smGetMemoryPointer(&image);
      std::printf("recreated %d mismatches %d fds %d\n", created, mismatches.load(), open_files() - files_before);
    } else if (command == "get" && i + 1 < argc) {
      const char* operand = argv[++i];
      std::printf("%s=%d\n", operand, GetSma(operand));
    } else if (command == "set" && i + 2 < argc) {
      const char* operand = argv[++i];
      SetSma(operand, std::atoi(argv[++i]));
    } else if (command == "inc" && i + 1 < argc) {
      if (image) image->SM[400] = 1;
      LD("SM400");
      INC(argv[++i]);
    } else if (command == "point" && i + 1 < argc) {
      std::printf("point %d\n", SmaGetPoint(argv[++i]) != nullptr);
    } else if (log_commands::Run(image, argc, argv, i)) {
    } else if (comment_commands::Run(image, argc, argv, i)) {
    } else {
      std::fprintf(stderr, "unknown command %s\n", command.c_str());
      return 2;
    }
    std::fflush(stdout);
  }
  return 0;
}
