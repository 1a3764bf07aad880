#include "users_file.h"

#include <mbedtls/md.h>
#include <mbedtls/pkcs5.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

namespace quorsma::tool::opcua {
namespace {

constexpr std::size_t kSaltBytes = 16;
constexpr std::size_t kKeyBytes = 32;
constexpr uint32_t kMaxIterations = 10000000;
constexpr char kScheme[] = "pbkdf2-sha256";

bool Derive(std::string_view password, const std::vector<uint8_t>& salt, uint32_t iterations,
            std::vector<uint8_t>* key) {
  key->assign(kKeyBytes, 0);
  mbedtls_md_context_t md;
  mbedtls_md_init(&md);
  bool ok = mbedtls_md_setup(&md, mbedtls_md_info_from_type(MBEDTLS_MD_SHA256), 1) == 0 &&
            mbedtls_pkcs5_pbkdf2_hmac(&md, reinterpret_cast<const unsigned char*>(password.data()), password.size(),
                                      salt.data(), salt.size(), iterations, kKeyBytes, key->data()) == 0;
  mbedtls_md_free(&md);
  return ok;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
  std::string out;
  char two[3];
  for (uint8_t b : bytes) {
    std::snprintf(two, sizeof two, "%02x", b);
    out += two;
  }
  return out;
}

bool FromHex(std::string_view text, std::vector<uint8_t>* out) {
  if (text.empty() || text.size() % 2 != 0 || text.size() > 256) return false;
  out->clear();
  for (std::size_t i = 0; i < text.size(); i += 2) {
    unsigned value = 0;
    for (char c : text.substr(i, 2)) {
      value <<= 4;
      if (c >= '0' && c <= '9') value |= static_cast<unsigned>(c - '0');
      else if (c >= 'a' && c <= 'f') value |= static_cast<unsigned>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F') value |= static_cast<unsigned>(c - 'A' + 10);
      else return false;
    }
    out->push_back(static_cast<uint8_t>(value));
  }
  return true;
}

bool ParseHash(const std::string& hash, User* user) {
  std::vector<std::string> fields;
  std::stringstream in(hash);
  for (std::string field; std::getline(in, field, '$');) fields.push_back(field);
  if (fields.size() != 4 || fields[0] != kScheme) return false;
  if (fields[1].empty() || fields[1].size() > 8 || fields[1].find_first_not_of("0123456789") != std::string::npos)
    return false;
  const unsigned long iterations = std::stoul(fields[1]);
  if (iterations < 1 || iterations > kMaxIterations) return false;
  user->iterations = static_cast<uint32_t>(iterations);
  return FromHex(fields[2], &user->salt) && FromHex(fields[3], &user->key) && user->key.size() == kKeyBytes;
}

}  // namespace

bool ParseUsers(const std::string& text, std::vector<User>* users, std::string* error) {
  users->clear();
  std::set<std::string> names;
  std::stringstream in(text);
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::stringstream fields(line);
    std::string name, hash, extra;
    fields >> name;
    if (name.empty() || name[0] == '#') continue;
    fields >> hash >> extra;
    const std::string at = "line " + std::to_string(number) + ": ";
    User user;
    user.name = name;
    if (hash.empty() || !extra.empty() || !ParseHash(hash, &user)) {
      *error = at + "expected NAME " + kScheme + "$ITERATIONS$SALT$KEY (quorsma opcua --hash-password NAME)";
      return false;
    }
    if (!names.insert(name).second) {
      *error = at + "the user '" + name + "' again";
      return false;
    }
    if (users->size() >= kMaxUsers) {
      *error = at + "more than " + std::to_string(kMaxUsers) + " users";
      return false;
    }
    users->push_back(std::move(user));
  }
  return true;
}

bool LoadUsersFile(const std::string& path, std::vector<User>* users, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot read the users file " + path;
    return false;
  }
  std::stringstream text;
  text << in.rdbuf();
  if (!ParseUsers(text.str(), users, error)) {
    *error = path + ": " + *error;
    return false;
  }
  return true;
}

std::string HashLine(const std::string& name, std::string_view password, uint32_t iterations) {
  std::vector<uint8_t> salt(kSaltBytes);
  std::FILE* random = std::fopen("/dev/urandom", "rb");
  if (random == nullptr) return "";
  const bool got = std::fread(salt.data(), 1, salt.size(), random) == salt.size();
  std::fclose(random);
  std::vector<uint8_t> key;
  if (!got || !Derive(password, salt, iterations, &key)) return "";
  return name + " " + kScheme + "$" + std::to_string(iterations) + "$" + Hex(salt) + "$" + Hex(key);
}

const User* CheckPassword(const std::vector<User>& users, std::string_view name, std::string_view password) {
  for (const User& user : users) {
    if (user.name != name) continue;
    std::vector<uint8_t> key;
    if (!Derive(password, user.salt, user.iterations, &key)) return nullptr;
    uint8_t differ = 0;
    for (std::size_t i = 0; i < kKeyBytes; ++i) differ |= static_cast<uint8_t>(key[i] ^ user.key[i]);
    return differ == 0 ? &user : nullptr;
  }
  // An unknown name costs the same as a wrong password.
  std::vector<uint8_t> ignored;
  Derive(password, std::vector<uint8_t>(kSaltBytes, 0), kHashIterations, &ignored);
  return nullptr;
}

}  // namespace quorsma::tool::opcua
