// The rungs of an instruction-list program, as the page draws them: each
// rung a tree of contacts in series and in parallel, ending in its outputs,
// with the branches that MPS/MRD/MPP open drawn as a fork.
//
//   contact  {"t":"c","i":N}          N: the instruction's index in the program;
//                                     "or":1 for a contact added in parallel (OR...)
//   output   {"t":"o","i":N}          a coil, set/reset, timer or function box
//   series   {"t":"s","c":[...],"r":N} elements left to right; N the instruction
//                                     whose result is the series' own (-1: none)
//   parallel {"t":"p","c":[...],"r":N} branches top to bottom, joined at both ends
//   fork     {"t":"f","c":[...]}       branches from one point to the outputs,
//                                     each a series with "in": the MPS, MRD or MPP
//                                     that opens it
// A series or parallel with "b":1 was evaluated as a block of its own (from a
// load, joined by ANB): the power it receives is the power out of the element
// before it, not the power at its series' start.
//
// A program the structure cannot follow (an output with nothing to take, an
// ANB or ORB without two blocks, loads left at the end) gives a rung with
// "error" and no tree, over the instructions concerned: the page lists them
// rather than draw something that is not what runs.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace quorsma::tool::http {

// The rungs of the program whose instructions have these export names, as a
// JSON array: {"first":i,"last":j,"tree":{...}} or
// {"first":i,"last":j,"error":"..."}.
nlohmann::json RungStructure(const std::vector<std::string>& names);

// The tree in a short text, for tests: "S(c0,P(c1,c2|or)) -> o3".
std::string RungText(const nlohmann::json& rung);

}  // namespace quorsma::tool::http
