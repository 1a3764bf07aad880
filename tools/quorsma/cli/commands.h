// The subcommands of the quorsma tool.  Each Add* function registers one
// subcommand with its options on the application; its callback stores the
// process's exit code in *exit_code (0 on success).
#pragma once

#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>
#include <vector>

#include "input_file.h"
#include "quorsma/quorsma.h"

namespace quorsma::tool {

void AddRunCommand(CLI::App& app, int* exit_code);
void AddDeviceCommands(CLI::App& app, int* exit_code);  // get, set, watch
void AddLogCommand(CLI::App& app, int* exit_code);
void AddCommentCommand(CLI::App& app, int* exit_code);
void AddInfoCommand(CLI::App& app, int* exit_code);
void AddDevicesCommand(CLI::App& app, int* exit_code);
void AddSnapshotCommands(CLI::App& app, int* exit_code);  // dump, restore
void AddDemoCommand(CLI::App& app, int* exit_code);
void AddModbusCommand(CLI::App& app, int* exit_code);  // modbus/
void AddServeCommand(CLI::App& app, int* exit_code);   // http/
void AddMqttCommand(CLI::App& app, int* exit_code);    // mqtt/
void AddOpcuaCommand(CLI::App& app, int* exit_code);   // opcua/
void AddIoCommand(CLI::App& app, int* exit_code);      // io/

// Parses the command line and runs the chosen subcommand, whose callback
// leaves its code in `exit_code`; adds `help [COMMAND]` and --version first.
// Returns the process's exit code: 0 success, 1 failure, 2 bad input
// (every error of the command line included), with the help on standard
// output and every error on standard error as "quorsma: error: ...".
int RunCommandLine(CLI::App& app, int argc, char** argv, const int& exit_code);

// Shared by the commands.
// The image of this process, or null after printing why it is missing.
MH_SHARED_STRUCTURE* RequireImage();
// Prints "quorsma: error: MESSAGE" and returns the exit code of a failure.
int Fail(const std::string& message);
// The same for input the tool refuses before doing anything.
int BadInput(const std::string& message);

// Refuses the first of `paths` that is not a regular file of at most `limit`
// bytes (kMaxProgramBytes, kMaxImportBytes) that this process can read, with
// "quorsma: error: cannot read PATH: REASON" (the operating system's reason,
// "is a directory", "not a regular file (a FIFO)", "larger than N bytes"),
// without waiting on a FIFO; true when every one can be read.  Commands
// check their input files with this (input_file.h) before doing anything, so
// a bad file reads the same everywhere and exits with kExitBadInput.
bool CheckInputFiles(const std::vector<std::string>& paths, std::uintmax_t limit);

// Says on standard error, when no other process holds the section, that
// `what` ("the value ends") with this command.
void WarnWhenAlone(const char* what);
// Says on standard error, when no other process holds the section, that a
// reading command shows a section made for it alone.
void WarnWhenReadingAlone();

// After Ctrl-C on a terminal, which echoes "^C" without ending the line,
// ends that line so that what follows starts on a line of its own.
void EndLineAfterInterrupt();

// Refuses a number that is not finite (nan, inf) in a command-line option.
extern const CLI::Validator kFiniteNumber;

inline constexpr int kExitFailure = 1;
inline constexpr int kExitBadInput = 2;

}  // namespace quorsma::tool
