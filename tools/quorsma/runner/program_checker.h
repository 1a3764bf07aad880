// Checks a whole instruction-list program before anything runs: unknown
// instructions, wrong operand counts, operands the instruction cannot use and
// operand texts the library rejects.  Every error names the file and line.
// A program that passes is returned ready to run, with one edge-memory slot
// per edge instruction and the list of its timer coils.
#pragma once

#include <string>
#include <vector>

#include "program.h"

namespace quorsma::tool {

// Checks the parsed lines of the file `name`, operands and rung structure
// (rung_check.h).  On success fills `program` and returns true; otherwise
// appends one "name:line: message" per error to `errors` (all of them, not
// only the first) and returns false.  Warnings, which do not stop the
// program, go to `warnings` when given.
bool CheckProgram(const std::vector<ProgramLine>& lines, const std::string& name, Program* program,
                  std::vector<std::string>* errors, std::vector<std::string>* warnings = nullptr);

// Reads, parses and checks the file at `path`.
bool LoadProgram(const std::string& path, Program* program, std::vector<std::string>* errors,
                 std::vector<std::string>* warnings = nullptr);

}  // namespace quorsma::tool

namespace quorsma::tool {

// Loads several files into one program that runs them in the given order in
// every scan (edge slots numbered on through the files, timers of all).
bool LoadPrograms(const std::vector<std::string>& paths, Program* program, std::vector<std::string>* errors,
                  std::vector<std::string>* warnings = nullptr);

}  // namespace quorsma::tool
