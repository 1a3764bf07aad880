// The users of quorsma opcua: one "NAME HASH" line each, '#' starting a
// comment line.  HASH is "pbkdf2-sha256$ITERATIONS$SALT$KEY", salt and key in
// hexadecimal, as `quorsma opcua --hash-password` prints it: the file holds
// no password.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorsma::tool::opcua {

struct User {
  std::string name;
  uint32_t iterations = 0;
  std::vector<uint8_t> salt;
  std::vector<uint8_t> key;
};

// Each login runs the server's loop through this many rounds (a few ms).
inline constexpr uint32_t kHashIterations = 10000;
inline constexpr std::size_t kMaxUsers = 1000;

// Parses the text of a users file; false with "LINE: reason" for the first
// line refused (a name twice, a malformed hash, beyond kMaxUsers).
bool ParseUsers(const std::string& text, std::vector<User>* users, std::string* error);
bool LoadUsersFile(const std::string& path, std::vector<User>* users, std::string* error);

// "NAME pbkdf2-sha256$..." for `password` with a fresh random salt; empty
// when the system's generator cannot be read.
std::string HashLine(const std::string& name, std::string_view password, uint32_t iterations = kHashIterations);

// The user whose name and password match, or null.  The key is compared in
// time that does not depend on where it differs.
const User* CheckPassword(const std::vector<User>& users, std::string_view name, std::string_view password);

}  // namespace quorsma::tool::opcua
