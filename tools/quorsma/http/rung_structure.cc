#include "rung_structure.h"

#include <string_view>

namespace quorsma::tool::http {
namespace {

using nlohmann::json;

enum class Kind { kLoad, kAnd, kOr, kModify, kAnb, kOrb, kMps, kMrd, kMpp, kOutput, kEnd };

bool Starts(std::string_view name, std::string_view prefix) { return name.substr(0, prefix.size()) == prefix; }

Kind KindOf(std::string_view n) {
  if (n == "ANB") return Kind::kAnb;
  if (n == "ORB") return Kind::kOrb;
  if (n == "MPS") return Kind::kMps;
  if (n == "MRD") return Kind::kMrd;
  if (n == "MPP") return Kind::kMpp;
  if (n == "END") return Kind::kEnd;
  if (n == "INV" || n == "MEP") return Kind::kModify;
  if (n == "LD" || n == "LDI" || n == "LDP" || n == "LDF" || Starts(n, "LD_")) return Kind::kLoad;
  if (n == "AND" || n == "ANI" || n == "ANDP" || n == "ANDF" || Starts(n, "AND_")) return Kind::kAnd;
  if (n == "OR" || n == "ORI" || n == "ORP" || n == "ORF" || Starts(n, "OR_")) return Kind::kOr;
  return Kind::kOutput;
}

json Leaf(const char* type, int index) { return {{"t", type}, {"i", index}}; }

json Branch(int in) { return {{"t", "s"}, {"c", json::array()}, {"in", in}, {"r", -1}}; }

bool IsEmptyBranch(const json& node) { return node.contains("in") && node["c"].empty(); }

// A series of `a` then `b`; a series `a` (not a block of its own) takes `b`
// as its next element.
json Series(json a, json b, int result) {
  json s = a["t"] == "s" && !a.contains("b") ? std::move(a) : json{{"t", "s"}, {"c", {std::move(a)}}};
  s["c"].push_back(std::move(b));
  s["r"] = result;
  return s;
}

json Parallel(json a, json b, int result) {
  json p = a["t"] == "p" && !a.contains("b") ? std::move(a) : json{{"t", "p"}, {"c", {std::move(a)}}};
  p["c"].push_back(std::move(b));
  p["r"] = result;
  return p;
}

// An open fork: the network before its MPS, the branches done so far,
// whether the last branch (after MPP) is under way, and how many stack
// entries below it are not its own.
struct Fork {
  json trunk;
  json branches = json::array();
  bool closing = false;
  std::size_t base = 0;
};

class Builder {
 public:
  explicit Builder(const std::vector<std::string>& names) : names_(names) {}

  json Build() {
    const int n = static_cast<int>(names_.size());
    for (int i = 0; i < n; ++i) {
      if (error_.empty()) {
        Step(i);
        if (error_.empty()) continue;
      }
      // A rung that cannot be followed runs to the output before the next
      // load (or to the end).
      seen_output_ = seen_output_ || KindOf(names_[i]) == Kind::kOutput;
      const bool next_starts = i + 1 >= n || (seen_output_ && KindOf(names_[i + 1]) == Kind::kLoad);
      if (next_starts) EndFailed(i);
    }
    if (error_.empty() && (!stack_.empty() || !forks_.empty())) {
      error_ = forks_.empty() ? "contacts that reach no output" : "a branch (MPS) that is not closed (MPP)";
      EndFailed(n - 1);
    }
    return rungs_;
  }

 private:
  void Fail(std::string why) {
    error_ = std::move(why);
    seen_output_ = false;
  }

  std::size_t base() const { return forks_.empty() ? 0 : forks_.back().base; }

  void Step(int i) {
    const std::string& name = names_[i];
    switch (KindOf(name)) {
      case Kind::kLoad:
        if (stack_.empty() && forks_.empty()) first_ = i, can_add_output_ = false;
        stack_.push_back(Leaf("c", i));
        break;
      case Kind::kAnd:
      case Kind::kModify:
        if (stack_.size() <= base()) return Fail(name + " with nothing before it");
        stack_.back() = Series(std::move(stack_.back()), Leaf("c", i), i);
        break;
      case Kind::kOr: {
        if (stack_.size() <= base()) return Fail(name + " with nothing before it");
        if (stack_.back().contains("in")) return Fail(name + " in parallel with a branch of MPS");
        json leaf = Leaf("c", i);
        leaf["or"] = 1;
        stack_.back() = Parallel(std::move(stack_.back()), std::move(leaf), i);
        break;
      }
      case Kind::kAnb:
      case Kind::kOrb: {
        if (stack_.size() < base() + 2) return Fail(name + " without two blocks");
        json b = std::move(stack_.back());
        stack_.pop_back();
        b["b"] = 1;
        json& a = stack_.back();
        if (KindOf(name) == Kind::kOrb && a.contains("in")) return Fail("ORB with a branch of MPS");
        a = KindOf(name) == Kind::kAnb ? Series(std::move(a), std::move(b), i) : Parallel(std::move(a), std::move(b), i);
        break;
      }
      case Kind::kMps: {
        if (stack_.size() <= base()) return Fail("MPS with nothing before it");
        if (forks_.size() >= 8) return Fail("MPS nested deeper than 8");
        Fork fork;
        fork.trunk = std::move(stack_.back());
        stack_.pop_back();
        fork.base = stack_.size();
        forks_.push_back(std::move(fork));
        stack_.push_back(Branch(i));
        can_add_output_ = false;
        break;
      }
      case Kind::kMrd:
      case Kind::kMpp:
        if (forks_.empty() || forks_.back().closing) return Fail(name + " with no branch open (MPS)");
        if (stack_.size() != base()) return Fail(name + " before the branch above it reached an output");
        stack_.push_back(Branch(i));
        forks_.back().closing = KindOf(name) == Kind::kMpp;
        can_add_output_ = false;
        break;
      case Kind::kOutput:
        Output(i);
        break;
      case Kind::kEnd:
        if (!stack_.empty() || !forks_.empty()) return Fail("END inside a rung");
        can_add_output_ = false;
        break;
    }
  }

  void Output(int i) {
    if (stack_.size() == base() + 1 && !IsEmptyBranch(stack_.back())) {
      json branch = Series(std::move(stack_.back()), Leaf("o", i), -1);
      stack_.pop_back();
      Finish(std::move(branch), i);
      return;
    }
    if (stack_.size() == base() + 1) {  // right after MPS, MRD or MPP
      stack_.back()["c"].push_back(Leaf("o", i));
      json branch = std::move(stack_.back());
      stack_.pop_back();
      Finish(std::move(branch), i);
      return;
    }
    if (stack_.size() > base() + 1) return Fail("blocks not joined (ANB, ORB) before " + names_[i]);
    // Nothing under way: one more output on what the output before took.
    if (!can_add_output_) return Fail(names_[i] + " with nothing to take");
    json* series = forks_.empty() ? &rungs_.back()["tree"] : &forks_.back().branches.back();
    // The outputs stand at the end of the innermost series that ends in one.
    while ((*series)["c"].back()["t"] == "f") series = &(*series)["c"].back()["c"].back();
    (*series)["c"].push_back(Leaf("o", i));
    if (forks_.empty()) rungs_.back()["last"] = i;
  }

  // A branch reached its output: it joins the innermost fork, or ends a rung.
  void Finish(json branch, int i) {
    can_add_output_ = true;
    if (forks_.empty()) {
      if (branch.contains("in")) branch.erase("in");
      rungs_.push_back({{"first", first_}, {"last", i}, {"tree", std::move(branch)}});
      return;
    }
    Fork& fork = forks_.back();
    fork.branches.push_back(std::move(branch));
    if (!fork.closing) return;
    // The MPP branch is done: the fork closes, and its trunk and branches
    // are one more branch of the fork around it, or a rung.
    json tree = {{"t", "f"}, {"c", std::move(fork.branches)}};
    json trunk = std::move(fork.trunk);
    forks_.pop_back();
    Finish(Series(std::move(trunk), std::move(tree), -1), i);
  }

  void EndFailed(int i) {
    rungs_.push_back({{"first", first_}, {"last", i}, {"error", error_}});
    error_.clear();
    stack_.clear();
    forks_.clear();
    can_add_output_ = false;
    first_ = i + 1;
  }

  const std::vector<std::string>& names_;
  json rungs_ = json::array();
  std::vector<json> stack_;
  std::vector<Fork> forks_;
  bool can_add_output_ = false;
  bool seen_output_ = false;
  std::string error_;
  int first_ = 0;
};

void Text(const json& node, std::string* out) {
  const std::string t = node.value("t", "");
  if (t == "c" || t == "o") {
    *out += t + std::to_string(node["i"].get<int>());
    if (node.contains("or")) *out += "|or";
    return;
  }
  *out += t == "s" ? "S(" : t == "p" ? "P(" : "F(";
  bool first = true;
  for (const json& child : node["c"]) {
    if (!first) *out += ',';
    first = false;
    Text(child, out);
  }
  *out += ')';
  if (node.contains("b")) *out += "b";
  if (node.contains("in") && node["in"].get<int>() >= 0) *out += "@" + std::to_string(node["in"].get<int>());
}

}  // namespace

json RungStructure(const std::vector<std::string>& names) { return Builder(names).Build(); }

std::string RungText(const json& rung) {
  if (rung.contains("error")) return "error: " + rung["error"].get<std::string>();
  std::string out;
  Text(rung["tree"], &out);
  return out;
}

}  // namespace quorsma::tool::http
