#include "token.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace quorsma::tool::http {

bool ReadTokenFile(const std::string& path, std::string* token, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot read the token file " + path + ": " + std::strerror(errno);
    return false;
  }
  std::string line;
  std::getline(in, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.empty()) {
    *error = "the first line of the token file " + path + " is empty";
    return false;
  }
  for (unsigned char c : line) {
    if (c <= ' ' || c == 0x7F) {
      *error = "the token in " + path + " holds a blank or a control character";
      return false;
    }
  }
  *token = std::move(line);
  return true;
}

std::string MakeToken() {
  unsigned char bytes[32];
  std::FILE* random = std::fopen("/dev/urandom", "rb");
  if (random == nullptr) return {};
  const std::size_t n = std::fread(bytes, 1, sizeof bytes, random);
  std::fclose(random);
  if (n != sizeof bytes) return {};
  static const char kDigits[] = "0123456789abcdef";
  std::string token;
  for (unsigned char b : bytes) {
    token += kDigits[b >> 4];
    token += kDigits[b & 15];
  }
  return token;
}

bool TokensEqual(std::string_view secret, std::string_view presented) {
  if (secret.empty()) return false;
  // Every byte presented is compared, against the secret repeated as needed,
  // so the loop neither stops early nor branches on the secret.
  unsigned difference = secret.size() != presented.size() ? 1u : 0u;
  for (std::size_t i = 0; i < presented.size(); ++i)
    difference |= static_cast<unsigned char>(secret[i % secret.size()]) ^ static_cast<unsigned char>(presented[i]);
  return difference == 0;
}

std::string_view BearerToken(std::string_view header) {
  constexpr std::string_view kScheme = "bearer ";
  if (header.size() <= kScheme.size()) return {};
  for (std::size_t i = 0; i < kScheme.size(); ++i) {
    char c = header[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kScheme[i]) return {};
  }
  std::string_view token = header.substr(kScheme.size());
  while (!token.empty() && token.front() == ' ') token.remove_prefix(1);
  while (!token.empty() && token.back() == ' ') token.remove_suffix(1);
  return token;
}

}  // namespace quorsma::tool::http
