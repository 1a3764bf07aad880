#include <cstring>

#include "platform/env.h"

namespace quorsma::platform {
namespace {

constexpr char kVariable[] = "QUORSMA_SECTION";
constexpr char kLibraryDataSuffix[] = ".SHARDATA";

}  // namespace

std::string SectionName(Env& env) {
  std::string name = env.GetEnvironment(kVariable);
  return name.empty() ? std::string(QSMA_SECTION_NAME) : name;
}

std::string SectionNameProblem(Env& env) {
  if (!env.HasEnvironment(kVariable)) return std::string();
  const std::string name = env.GetEnvironment(kVariable);
  if (name.empty()) return "QUORSMA_SECTION is set but empty";
  // On Linux '/' cannot be part of a name and would be read as '_', so two
  // different values would meet in one section.
  if (name.find('/') != std::string::npos) return "QUORSMA_SECTION must not hold '/'";
  const std::size_t suffix = sizeof kLibraryDataSuffix - 1;
  if (name.size() >= suffix && name.compare(name.size() - suffix, suffix, kLibraryDataSuffix) == 0)
    return "QUORSMA_SECTION must not end in .SHARDATA (the name of another section's lock area)";
  if (name.size() > kMaxSectionName)
    return "QUORSMA_SECTION is longer than " + std::to_string(kMaxSectionName) + " characters";
  return std::string();
}

}  // namespace quorsma::platform
