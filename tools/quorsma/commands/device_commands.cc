// quorsma get / set / watch / force: reading and writing devices by operand
// text and range.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "cli/commands.h"
#include "cli/device_output.h"
#include "cli/client_names.h"
#include "cli/host.h"
#include "cli/library_messages.h"
#include "cli/monitor.h"
#include "cli/plural.h"
#include "cli/terminal.h"

namespace quorsma::tool {
namespace {

// Expands every argument (a list of ranges and operands) into operand texts;
// prints the reasons and returns false when any is bad.
bool ExpandArguments(const std::vector<std::string>& arguments, std::vector<std::string>* operands) {
  bool ok = true;
  for (const std::string& text : arguments) {
    DeviceList list;
    std::string reason;
    if (!DeviceList::Parse(text, {}, &list, &reason)) {
      // A constant is not a device, but get shows it as the ladder reads it.
      Operand op;
      if (CheckOperand(text, Role::kMonitor, &op, nullptr) && op.kind == Operand::Kind::kConstant) {
        operands->push_back(OperandText(op));
        continue;
      }
      std::fprintf(stderr, "quorsma: error: %s\n", reason.c_str());
      ok = false;
      continue;
    }
    for (std::string& operand : list.Operands()) operands->push_back(std::move(operand));
  }
  return ok;
}

int Get(const std::vector<std::string>& arguments, const OutputArgs& args) {
  std::vector<std::string> operands;
  if (!ExpandArguments(arguments, &operands)) return kExitBadInput;
  MH_SHARED_STRUCTURE* image = RequireImage();
  if (image == nullptr) return kExitFailure;
  CaptureLibraryMessages();
  WarnWhenReadingAlone();
  std::vector<DeviceValue> rows = ReadAll(image, operands);
  MarkForced(&rows, LoadForces());
  std::fputs(Render(rows, args, {}).c_str(), stdout);
  return 0;
}

struct Write {
  Operand op;
  std::string text;   // canonical
  int64_t value = 0;  // a digit group's count of bits, else a 32-bit value
};

// Reads one OPERAND and VALUE typed for writing.  What the write may do (the
// area, the value's range) is the client library's checked write.
bool ParseWrite(const std::string& operand, const std::string& value_text, Write* out) {
  std::string reason;
  if (!CheckOperand(operand, Role::kStore, &out->op, &reason)) {
    std::fprintf(stderr, "quorsma: error: operand '%s': %s\n", operand.c_str(), reason.c_str());
    return false;
  }
  out->text = OperandText(out->op);
  // A digit group is a count of bits, 0 to 0xFFFFFFFF for K8, whose top bit
  // the 32-bit wrap of other values would turn into a sign.
  int32_t narrow = 0;
  const bool digits = out->op.kind == Operand::Kind::kDigits;
  if (digits ? !ParseWideValueText(value_text, &out->value) : !ParseValueText(value_text, &narrow)) {
    std::fprintf(stderr, "quorsma: error: value '%s' of %s: a 32-bit number, decimal or 0x hexadecimal\n",
                 value_text.c_str(), operand.c_str());
    return false;
  }
  if (!digits) out->value = narrow;
  return true;
}

// Checks every write against the image as it is now (index registers
// included), printing each refusal; the targets are what will be written.
bool CheckWrites(const MH_SHARED_STRUCTURE* image, const std::vector<Write>& writes,
                 std::vector<qsc_write_target>* targets) {
  const Permission everything = Permission::All();
  bool ok = true;
  for (const Write& w : writes) {
    qsc_write_target target{};
    std::string reason;
    if (CheckWrite(image, everything, w.text, Role::kStore, w.value, &target, &reason) != QSC_OK) {
      std::fprintf(stderr, "quorsma: error: %s\n", reason.c_str());
      ok = false;
    }
    targets->push_back(target);
  }
  return ok;
}

// Splits the arguments of set into operand and value pairs: "OPERAND VALUE"
// or any number of "OPERAND=VALUE".
bool SplitAssignments(const std::vector<std::string>& arguments, std::vector<std::pair<std::string, std::string>>* out) {
  if (arguments.size() == 2 && arguments[0].find('=') == std::string::npos &&
      arguments[1].find('=') == std::string::npos) {
    out->emplace_back(arguments[0], arguments[1]);
    return true;
  }
  for (const std::string& a : arguments) {
    const std::size_t eq = a.find('=');
    if (eq == std::string::npos) {
      std::fprintf(stderr, "quorsma: error: '%s': write OPERAND=VALUE (or one OPERAND VALUE pair)\n", a.c_str());
      return false;
    }
    out->emplace_back(a.substr(0, eq), a.substr(eq + 1));
  }
  return true;
}

int Set(const std::vector<std::string>& arguments) {
  std::vector<std::pair<std::string, std::string>> pairs;
  if (!SplitAssignments(arguments, &pairs)) return kExitBadInput;
  std::vector<Write> writes(pairs.size());
  bool ok = true;
  for (std::size_t i = 0; i < pairs.size(); ++i) ok = ParseWrite(pairs[i].first, pairs[i].second, &writes[i]) && ok;
  if (!ok) return kExitBadInput;  // nothing is written unless every write is good
  MH_SHARED_STRUCTURE* image = RequireImage();
  if (image == nullptr) return kExitFailure;
  // The library drops, without a word, a write whose index register points
  // outside the area: the checked write refuses it, before any is made.
  std::vector<qsc_write_target> targets;
  if (!CheckWrites(image, writes, &targets)) return kExitBadInput;
  CaptureLibraryMessages();
  bool refused = false;
  std::vector<std::string> shown;
  for (std::size_t i = 0; i < writes.size(); ++i) {
    refused = ApplyWrite(targets[i]) != QSC_OK || refused;
    shown.push_back(writes[i].text);
  }
  if (refused) return Fail("the library refused a write or could not save it (its message is above)");
  std::vector<DeviceValue> rows = ReadAll(image, shown);
  MarkForced(&rows, LoadForces());
  std::fputs(RenderTable(rows).c_str(), stdout);
  WarnWhenAlone(writes.size() == 1 ? "the value ends" : "the values end");
  return 0;
}

struct WatchArgs {
  std::vector<std::string> operands;
  int64_t interval_ms = 500;
  int64_t count = 0;
  OutputArgs output;
};

int Watch(const WatchArgs& args) {
  std::vector<std::string> operands;
  if (!ExpandArguments(args.operands, &operands)) return kExitBadInput;
  MH_SHARED_STRUCTURE* image = RequireImage();
  if (image == nullptr) return kExitFailure;
  CaptureLibraryMessages();
  WarnWhenReadingAlone();
  InstallStopHandler();
  const bool terminal = StdoutIsTerminal() && !args.output.json && !args.output.csv && !args.output.values_only;
  const char* no_color = std::getenv("NO_COLOR");
  TableOptions table;
  if (terminal && (no_color == nullptr || *no_color == '\0')) {
    table.highlight_on = "\x1b[7m";
    table.highlight_off = "\x1b[0m";
  }
  ForceTable forces = LoadForces();
  std::vector<DeviceValue> previous;
  for (int64_t n = 0; args.count == 0 || n < args.count; ++n) {
    if (StopRequested()) break;
    if (n > 0) std::this_thread::sleep_for(std::chrono::milliseconds(args.interval_ms));
    if (StopRequested()) break;
    if (const std::string refused = forces.Refresh(); !refused.empty())
      std::fprintf(stderr, "quorsma: warning: the forces shown stay as they were: %s\n", refused.c_str());
    std::vector<DeviceValue> rows = ReadAll(image, operands);
    MarkForced(&rows, forces);
    table.changed.assign(rows.size(), false);
    for (std::size_t i = 0; i < rows.size() && i < previous.size(); ++i)
      table.changed[i] = rows[i].value != previous[i].value || rows[i].ok != previous[i].ok;
    std::string screen = Render(rows, args.output, table);
    if (terminal) {
      screen = "every " + std::to_string(args.interval_ms) + " ms: " +
               Counted(static_cast<int64_t>(operands.size()), "device") + "    " +
               LocalTimeText(std::time(nullptr)) + "    Ctrl-C ends\n\n" + screen;
      Redraw(screen);
    } else {
      std::fputs(screen.c_str(), stdout);
      if (!args.output.json && !args.output.csv) std::fputs("\n", stdout);
      std::fflush(stdout);
    }
    previous = std::move(rows);
  }
  return 0;
}

struct ForceArgs {
  std::vector<std::string> assignment;
  bool list = false;
  bool clear = false;
};

int ForceCommand(const ForceArgs& args) {
  ForceTable forces;
  std::string error;
  MH_SHARED_STRUCTURE* image = RequireImage();
  if (image == nullptr) return kExitFailure;
  // A damaged table is written anew by --clear or a new force; listing it,
  // or releasing one device, cannot tell what it held.
  if (!forces.Load(&error) && !(forces.damaged() && !args.list && (!args.clear || args.assignment.empty())))
    return Fail(error);
  auto say_replaced = [&] {
    if (forces.damaged())
      std::fprintf(stderr, "quorsma: warning: %s: replaced by a new table\n", forces.damage().c_str());
  };
  if (args.list) {
    if (!args.assignment.empty()) return BadInput("--list takes no operand");
    if (forces.forces().empty()) std::printf("no forces\n");
    for (const Force& f : forces.forces()) std::printf("%s\t%d\n", DeviceText(f.device, f.number).c_str(), f.value);
    return 0;
  }
  if (args.clear) {
    if (args.assignment.size() > 1) return BadInput("--clear takes at most one operand");
    if (args.assignment.empty()) {
      const std::size_t n = forces.forces().size();
      forces.ClearAll();
      if (!forces.Save(&error)) return Fail(error);
      say_replaced();
      std::printf("%s cleared\n", Counted(static_cast<int64_t>(n), "force").c_str());
      return 0;
    }
    Operand op;
    if (!CheckOperand(args.assignment[0], Role::kMonitor, &op, &error) || !op.IsPlainDevice())
      return BadInput("operand '" + args.assignment[0] + "': " + (error.empty() ? "a plain device" : error));
    if (!forces.Clear(op.device, static_cast<int32_t>(op.number)))
      return BadInput(OperandText(op) + " is not forced");
    if (!forces.Save(&error)) return Fail(error);
    std::printf("%s released\n", OperandText(op).c_str());
    return 0;
  }
  if (args.assignment.size() != 2) return BadInput("force OPERAND VALUE, force --list or force --clear [OPERAND]");
  Write w;
  std::vector<qsc_write_target> checked;
  if (!ParseWrite(args.assignment[0], args.assignment[1], &w) || !CheckWrites(image, {w}, &checked))
    return kExitBadInput;
  const Force force{w.op.device, static_cast<int32_t>(w.op.number), static_cast<int32_t>(w.value)};
  if (!w.op.IsPlainDevice() || !forces.Set(force))
    return BadInput("only plain X, Y, M, L, B, S, D, W, R and Z devices can be forced");
  if (!forces.Save(&error)) return Fail(error);
  say_replaced();
  forces.ApplyOne(image, force.device, force.number);
  std::printf("%s forced to %d\n", w.text.c_str(), force.value);
  return 0;
}

}  // namespace

void AddDeviceCommands(CLI::App& app, int* exit_code) {
  auto get_operands = std::make_shared<std::vector<std::string>>();
  auto get_output = std::make_shared<OutputArgs>();
  CLI::App* get = app.add_subcommand("get", "Read devices (as a ladder contact reads them) with their comments");
  get->add_option("OPERAND", *get_operands,
                  "Operands and ranges such as X1F, D100..D120, K4X0, D100.3, M10Z2, T0, K50; "
                  "comma-separated lists too")
      ->required();
  AddOutputOptions(get, get_output.get());
  get->footer("Forced devices are marked F.");
  get->callback([get_operands, get_output, exit_code] { *exit_code = Get(*get_operands, *get_output); });

  auto set_args = std::make_shared<std::vector<std::string>>();
  CLI::App* set = app.add_subcommand("set", "Write devices: set OPERAND VALUE, or set X0=1 X1=0 D100=5");
  set->add_option("WRITE", *set_args,
                  "OPERAND VALUE, or OPERAND=VALUE...; devices of M X Y B S L Z D W, bits such as D100.3 and digit "
                  "groups such as K4Y0; bit devices take 0 or 1; decimal or 0x hexadecimal")
      ->required();
  set->footer("Every write is checked before the first is made.  When no other process holds the section, the\n"
              "values end with the command, and set says so.");
  set->callback([set_args, exit_code] { *exit_code = Set(*set_args); });

  auto watch_args = std::make_shared<WatchArgs>();
  CLI::App* watch =
      app.add_subcommand("watch", "Show devices in a table that refreshes in place, changed values highlighted");
  watch->add_option("OPERAND", watch_args->operands, "Operands and ranges to show")->required();
  watch->add_option("--interval", watch_args->interval_ms, "Milliseconds between refreshes (10 to 3600000)")
      ->default_val(500)
      ->check(CLI::Range(int64_t{10}, int64_t{3600000}));
  watch->add_option("--count", watch_args->count, "Stop after this many refreshes, 1 or more (default: until Ctrl-C)")
      ->check(CLI::Range(int64_t{1}, INT64_MAX));
  AddOutputOptions(watch, &watch_args->output);
  watch->footer("On a terminal changed values are shown in reverse video (not with NO_COLOR set); piped output is\n"
                "plain, one table per refresh.  Forced devices are marked F.");
  watch->callback([watch_args, exit_code] { *exit_code = Watch(*watch_args); });

  auto force_args = std::make_shared<ForceArgs>();
  CLI::App* force =
      app.add_subcommand("force", "Hold a device at a value against the program: force X3 1, --list, --clear");
  force->add_option("OPERAND VALUE", force_args->assignment, "The device and its value (with --clear: the device)");
  force->add_flag("--list", force_args->list, "List the forces of the section");
  force->add_flag("--clear", force_args->clear, "Release one device, or every forced device");
  force->footer("quorsma run writes forced inputs (X) before each scan and every other forced device after it.\n"
                "Forces are kept outside the image and end with the section.");
  force->callback([force_args, exit_code] { *exit_code = ForceCommand(*force_args); });
}

}  // namespace quorsma::tool
