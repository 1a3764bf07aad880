// The structure of a checked program, rung by rung: what the result stack,
// the blocks and the branch points are given matches what takes them.
//
//   - a contact other than a load (AND, OR, ... ), INV, MEP, MPS and every
//     output need a condition before them in the rung;
//   - ANB and ORB join the last two blocks: they need two loads not yet
//     joined;
//   - MRD and MPP need a branch point pushed by MPS and not yet popped.
// These are errors: the program would not run as written.  Warnings: a rung
// that ends with a branch point still pushed or blocks left unjoined, and a
// device driven by OUT more than once (double coil: the last one wins).
// A load after an output starts the next rung.
#pragma once

#include <string>
#include <vector>

#include "program.h"

namespace quorsma::tool {

// Appends "name:line: message" lines for the instructions of one file.
void CheckRungs(const std::vector<Instruction>& instructions, const std::string& name,
                std::vector<std::string>* errors, std::vector<std::string>* warnings);

}  // namespace quorsma::tool
