// How get, watch and devices print a list of device values: a table, JSON,
// CSV or the values alone, with forced devices marked.
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

#include "client_names.h"
#include "monitor.h"

namespace quorsma::tool {

struct OutputArgs {
  std::string format = "dec";
  bool json = false;
  bool csv = false;
  bool values_only = false;
};

// --format, --json, --csv and -V (the last three exclude each other).
void AddOutputOptions(CLI::App* command, OutputArgs* args);

// The rows as `args` asks; `table` styles the table form.
std::string Render(const std::vector<DeviceValue>& rows, const OutputArgs& args, const TableOptions& table = {});

// The forces of the section; a table that cannot be read is reported as a
// warning and taken as empty.
ForceTable LoadForces();
// Marks the rows whose cells are forced.
void MarkForced(std::vector<DeviceValue>* rows, const ForceTable& forces);

}  // namespace quorsma::tool
