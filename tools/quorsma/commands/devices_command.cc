// quorsma devices PROGRAM...: every device the programs use, with its
// current value and comment, as the demo's closing table shows them.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/device_output.h"
#include "cli/library_messages.h"
#include "cli/plural.h"
#include "runner/program_checker.h"
#include "runner/program_devices.h"

namespace quorsma::tool {
namespace {

struct DevicesArgs {
  std::vector<std::string> programs;
  OutputArgs output;
};

int Devices(const DevicesArgs& args) {
  if (!CheckInputFiles(args.programs, kMaxProgramBytes)) return kExitBadInput;
  // The checker asks the library about operands, so the section comes first.
  MH_SHARED_STRUCTURE* image = RequireImage();
  if (image == nullptr) return kExitFailure;
  Program program;
  std::vector<std::string> errors;
  if (!LoadPrograms(args.programs, &program, &errors)) {
    for (const std::string& e : errors) std::fprintf(stderr, "%s\n", e.c_str());
    return BadInput(Counted(static_cast<int64_t>(errors.size()), "error") + " in the programs");
  }
  CaptureLibraryMessages();
  std::vector<DeviceValue> rows = ReadAll(image, DevicesOf(program));
  MarkForced(&rows, LoadForces());
  std::fputs(Render(rows, args.output).c_str(), stdout);
  return 0;
}

}  // namespace

void AddDevicesCommand(CLI::App& app, int* exit_code) {
  auto args = std::make_shared<DevicesArgs>();
  CLI::App* devices =
      app.add_subcommand("devices", "List every device the programs use, with its value and comment");
  devices->add_option("PROGRAM", args->programs, "Instruction-list files")->required();
  AddOutputOptions(devices, &args->output);
  devices->footer("Each device once, in the order X Y M L B S T D W R Z and by number; constants and special relays\n"
                  "are left out.  The programs are checked as run checks them.  Forced devices are marked F.");
  devices->callback([args, exit_code] { *exit_code = Devices(*args); });
}

}  // namespace quorsma::tool
