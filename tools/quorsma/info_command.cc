// quorsma info: the section, its configuration texts, handles and log state.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "commands.h"
#include "host.h"
#include "section_lock.h"
#include "quorsma/quorsma.h"
#include "text_encoding.h"

namespace quorsma::tool {
namespace {

template <std::size_t N>
std::string Text(const char (&field)[N]) {
  const void* end = std::memchr(field, '\0', N);
  std::size_t n = end ? static_cast<std::size_t>(static_cast<const char*>(end) - field) : N;
  return ToTerminal(std::string(field, n));
}

int RunInfo() {
  std::printf("section            %s (%u bytes)\n", SectionName().c_str(), QSMA_SECTION_SIZE);
  MH_SHARED_STRUCTURE* image = nullptr;
  smGetMemoryPointer(&image);
  if (image == nullptr) {
    std::printf("address            (not mapped)\n");
    return Fail("the section could not be mapped in this process: " + SectionMapFailure());
  }
  std::printf("address            %p\n", static_cast<void*>(image));
  const char* config = std::getenv("QUORSMA_CONFIG");
  std::string config_file = config && *config ? config : ExecutableDir() + "/_Configuration/_Configuration.ini";
  std::printf("configuration file %s%s\n", config_file.c_str(), config && *config ? " (QUORSMA_CONFIG)" : "");
  std::printf("module directory   %s\n", Text(image->ModuleDir).c_str());
  std::printf("EQP_NAME           %s\n", Text(image->EqpName).c_str());
  std::printf("PROGRAM_VER        %s\n", Text(image->ProgramVer).c_str());
  std::printf("RECIPE_CUR_NAME    %s\n", Text(image->RecipeCurName).c_str());
  std::printf("RECIPE_CUR_NUMBER  %s\n", Text(image->RecipeCurNumber).c_str());
  std::printf("MEM_PARA_PATH      %s\n", Text(image->MemParaPath).c_str());
  std::printf("MEM_PLC_PATH       %s\n", Text(image->MemPlcPath).c_str());
  std::printf("setting directory  %s\n", Text(image->SettingDir).c_str());
  std::printf("log directory      %s\n", Text(image->LogDir).c_str());
  std::printf("hWndComm           %d\n", smGethWndComm());
  std::printf("hWndMsg            %d\n", smGethWndMsg());
  std::printf("LogEnable          %d\n", image->LogEnable);
  std::printf("LogLinePending     %d\n", image->LogLinePending);
  std::printf("LogLine            %s\n", Text(image->LogLine).c_str());
  return 0;
}

}  // namespace

void AddInfoCommand(CLI::App& app, int* exit_code) {
  CLI::App* info = app.add_subcommand("info", "Show the section, its configuration texts, handles and log state");
  info->callback([exit_code] { *exit_code = RunInfo(); });
}

}  // namespace quorsma::tool
