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
//   get OP            "OP=V" with GetSma(OP)
//   set OP V          SetSma(OP, V)
//   point OP          "point 1" when SmaGetPoint(OP) gives a cell, else "point 0"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "quorsma/quorsma.h"

namespace {

void PrintTrace(const char* text, void*) { std::printf("TRACE:%s\n", text); std::fflush(stdout); }
void PrintMessage(const char* text, void*) { std::printf("MSG:%s\n", text); std::fflush(stdout); }

}  // namespace

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
    } else if (command == "get" && i + 1 < argc) {
      const char* operand = argv[++i];
      std::printf("%s=%d\n", operand, GetSma(operand));
    } else if (command == "set" && i + 2 < argc) {
      const char* operand = argv[++i];
      SetSma(operand, std::atoi(argv[++i]));
    } else if (command == "point" && i + 1 < argc) {
      std::printf("point %d\n", SmaGetPoint(argv[++i]) != nullptr);
    } else {
      std::fprintf(stderr, "unknown command %s\n", command.c_str());
      return 2;
    }
    std::fflush(stdout);
  }
  return 0;
}
