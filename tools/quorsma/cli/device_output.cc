#include "device_output.h"

#include <cstdio>

#include "client_names.h"

namespace quorsma::tool {

void AddOutputOptions(CLI::App* command, OutputArgs* args) {
  command->add_option("--format", args->format, "Values as dec, hex, bin or u16")
      ->check(CLI::IsMember({"dec", "hex", "bin", "u16"}));
  auto* json = command->add_flag("--json", args->json, "One JSON object per device, in an array");
  auto* csv = command->add_flag("--csv", args->csv, "CSV with a header line");
  auto* values = command->add_flag("-V,--values", args->values_only, "Only the values, one per line");
  json->excludes(csv)->excludes(values);
  csv->excludes(values);
}

void MarkForced(std::vector<DeviceValue>* rows, const ForceTable& forces) {
  if (forces.empty()) return;
  for (DeviceValue& row : *rows) {
    Operand op;
    if (!ParseOperand(row.operand, &op, nullptr) || op.kind == Operand::Kind::kConstant) continue;
    const DeviceRange cells = CellsOf(op);
    for (int32_t n = cells.first; n <= cells.last && !row.forced; ++n) row.forced = forces.Has(op.device, n);
  }
}

std::string Render(const std::vector<DeviceValue>& rows, const OutputArgs& args, const TableOptions& table) {
  ValueFormat format = ValueFormat::kDec;
  ParseValueFormat(args.format, &format);
  if (args.json) return ToJsonArray(rows, format);
  std::string out;
  if (args.csv) {
    out = CsvHeader() + "\n";
    for (const DeviceValue& row : rows) out += ToCsv(row, format) + "\n";
    return out;
  }
  if (args.values_only) {
    for (const DeviceValue& row : rows) out += FormatValue(row, format) + "\n";
    return out;
  }
  TableOptions options = table;
  options.format = format;
  return RenderTable(rows, options);
}

ForceTable LoadForces() {
  ForceTable forces;
  std::string error;
  if (!forces.Load(&error)) std::fprintf(stderr, "quorsma: warning: %s\n", error.c_str());
  return forces;
}


}  // namespace quorsma::tool
