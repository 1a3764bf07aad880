// Runs the shared private-profile case table through this platform's Env
// (the Windows functions in the Windows build, our own implementation on
// Linux) on real files, and prints every outcome in one canonical text form.
// scripts/test-windows.sh runs both builds and compares the two outputs.
//
//   qsma_profile_cases            print the outcomes
//
// Every case uses a file name of its own, so no profile cache of the system
// can answer one case with the file of another.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include <vector>

#include "platform/env.h"
#include "platform/profile.h"
#include "unit/platform/profile_cases.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#undef GetProfileString  // the Env's method, not the system's ANSI/wide macro
#endif

namespace {

using quorsma::platform::DefaultEnv;

// Printable ASCII as is, everything else (and the backslash) as \xHH.
std::string Escape(const std::string& bytes) {
  std::string out;
  char hex[5];
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

// A text in double quotes, or null.  (Built by appending: gcc 12 warns
// falsely on `"literal" + std::string`.)
std::string Quoted(const std::string* text) {
  if (text == nullptr) return "null";
  std::string out(1, '"');
  out += Escape(*text);
  out += '"';
  return out;
}

std::string Quoted(const char* text) {
  if (text == nullptr) return "null";
  std::string copy(text);
  return Quoted(&copy);
}

void WriteFile(const std::string& path, const char* content) {
  if (content == nullptr) return;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream content;
  content << in.rdbuf();
  std::string bytes = content.str();
  return Quoted(&bytes);
}

// Writes one key the way each platform's programs do: the system function
// on Windows (our own code where it would take null arguments as requests
// to delete), our profile code on the whole file elsewhere.
bool WriteProfile(quorsma::platform::Env* env, const char* section, const char* key, const char* value,
                  const char* path) {
  if (path == nullptr) return false;
#if defined(_WIN32)
  if (section != nullptr && key != nullptr && value != nullptr)
    return WritePrivateProfileStringA(section, key, value, path) != FALSE;
#endif
  std::vector<char> bytes;
  if (env->ReadFile(path, &bytes) == quorsma::platform::ReadResult::kFailed) return false;
  std::string updated = quorsma::platform::ProfileWrite(std::string(bytes.begin(), bytes.end()), section, key, value);
  return env->WriteFileAtomically(path, updated.data(), updated.size());
}

}  // namespace

int main() {
#if defined(_WIN32)
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  std::random_device random;
  std::string name("qsma-profile-");
  name += std::to_string(random());
  std::filesystem::path dir = std::filesystem::temp_directory_path() / name;
  std::filesystem::create_directories(dir);
  quorsma::platform::Env* env = DefaultEnv();
  int index = 0;

  for (const auto& c : quorsma::testing::kProfileReadCases) {
    std::string path = (dir / ("read" + std::to_string(index++))).string();
    WriteFile(path, c.content);
    // A buffer larger than the stated size, filled with a marker, shows any
    // byte written past the size.
    std::string buffer(c.size + 8, '\x7F');
    std::size_t result = env->GetProfileString(c.section, c.key, c.fallback, buffer.data(), c.size, path.c_str());
    std::size_t end = buffer.find('\0');
    std::string copied = buffer.substr(0, end == std::string::npos ? c.size : end);
    bool terminated = end != std::string::npos && end < c.size;
    bool overrun = buffer.find_first_not_of('\x7F', c.size) != std::string::npos;
    std::printf("read %s | section=%s key=%s default=%s size=%u | result=%u value=\"%s\" terminated=%d overrun=%d\n",
                c.name, Quoted(c.section).c_str(), Quoted(c.key).c_str(), Quoted(c.fallback).c_str(),
                static_cast<unsigned>(c.size), static_cast<unsigned>(result), Escape(copied).c_str(), terminated,
                overrun);
  }

  for (const auto& c : quorsma::testing::kProfileWriteCases) {
    std::string path = (dir / ("write" + std::to_string(index++))).string();
    WriteFile(path, c.before);
    bool ok = WriteProfile(env, c.section, c.key, c.value, path.c_str());
    std::printf("write %s | section=%s key=%s value=%s | ok=%d file=%s\n", c.name, Quoted(c.section).c_str(),
                Quoted(c.key).c_str(), Quoted(c.value).c_str(), ok, ReadFile(path).c_str());
  }

  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
  return 0;
}
