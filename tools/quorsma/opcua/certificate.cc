#include "certificate.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "open62541.h"

namespace quorsma::tool::opcua {
namespace {

constexpr std::size_t kMaxFileBytes = 64 * 1024;

bool ReadSmallFile(const std::string& path, std::string* out, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  std::stringstream text;
  text << in.rdbuf();
  *out = text.str();
  if (out->empty() || out->size() > kMaxFileBytes) {
    *error = path + ": empty or larger than " + std::to_string(kMaxFileBytes) + " bytes";
    return false;
  }
  return true;
}

// Written to a new file beside it, flushed, then renamed over the name.
bool WriteWhole(const std::string& path, const UA_ByteString& bytes, mode_t mode, std::string* error) {
  const std::string temporary = path + ".new";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  bool ok = fd >= 0;
  std::size_t done = 0;
  while (ok && done < bytes.length) {
    const ssize_t n = ::write(fd, bytes.data + done, bytes.length - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += static_cast<std::size_t>(n);
  }
  ok = ok && ::fsync(fd) == 0;
  if (fd >= 0 && ::close(fd) != 0) ok = false;
  ok = ok && ::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    ::unlink(temporary.c_str());
  }
  return ok;
}

bool MakeDirectories(const std::string& path, std::string* error) {
  for (std::size_t at = 1; at <= path.size(); ++at) {
    if (at != path.size() && path[at] != '/') continue;
    const std::string part = path.substr(0, at);
    if (::mkdir(part.c_str(), 0750) != 0 && errno != EEXIST) {
      *error = "cannot make the data directory " + part + ": " + std::strerror(errno);
      return false;
    }
  }
  return true;
}

std::string HostName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
  return name;
}

bool Make(const std::string& cert_path, const std::string& key_path, std::string* error) {
  const std::string host = HostName();
  const std::string common_name = "CN=QuorSMA OPC UA server@" + host;
  UA_String subject[] = {UA_STRING(const_cast<char*>("O=QuorSMA")), UA_STRING(const_cast<char*>(common_name.c_str()))};
  const std::string uri = std::string("URI:") + kApplicationUri;
  const std::string dns = "DNS:" + host;
  UA_String alt_names[] = {UA_STRING(const_cast<char*>(uri.c_str())), UA_STRING(const_cast<char*>("DNS:localhost")),
                           UA_STRING(const_cast<char*>(dns.c_str()))};
  UA_UInt16 key_bits = 2048;
  UA_UInt16 days = 3650;
  UA_KeyValuePair pairs[2];
  pairs[0].key = UA_QUALIFIEDNAME(0, const_cast<char*>("key-size-bits"));
  UA_Variant_setScalar(&pairs[0].value, &key_bits, &UA_TYPES[UA_TYPES_UINT16]);
  pairs[1].key = UA_QUALIFIEDNAME(0, const_cast<char*>("expires-in-days"));
  UA_Variant_setScalar(&pairs[1].value, &days, &UA_TYPES[UA_TYPES_UINT16]);
  UA_KeyValueMap params = {2, pairs};
  UA_ByteString key = UA_BYTESTRING_NULL;
  UA_ByteString cert = UA_BYTESTRING_NULL;
  const UA_StatusCode made = UA_CreateCertificate(UA_Log_Stdout, subject, 2, alt_names, 3,
                                                  UA_CERTIFICATEFORMAT_DER, &params, &key, &cert);
  bool ok = made == UA_STATUSCODE_GOOD;
  if (!ok) *error = std::string("cannot make a certificate: ") + UA_StatusCode_name(made);
  // The key first: a certificate without its key would be taken at the next start.
  ok = ok && WriteWhole(key_path, key, 0600, error) && WriteWhole(cert_path, cert, 0644, error);
  UA_ByteString_clear(&key);
  UA_ByteString_clear(&cert);
  return ok;
}

}  // namespace

bool LoadOrMakeCertificate(const std::string& certificate, const std::string& key, const std::string& data_dir,
                           CertificatePair* out, std::string* error) {
  if (certificate.empty() != key.empty()) {
    *error = "--certificate and --private-key go together";
    return false;
  }
  std::string cert_path = certificate;
  std::string key_path = key;
  if (cert_path.empty()) {
    if (!MakeDirectories(data_dir, error)) return false;
    cert_path = data_dir + "/certificate.der";
    key_path = data_dir + "/private-key.der";
    const bool has_cert = ::access(cert_path.c_str(), F_OK) == 0;
    const bool has_key = ::access(key_path.c_str(), F_OK) == 0;
    if (has_cert != has_key) {
      *error = "only one of " + cert_path + " and " + key_path + " exists; remove it to make a new pair";
      return false;
    }
    if (!has_cert) {
      if (!Make(cert_path, key_path, error)) return false;
      out->made = true;
    }
  }
  return ReadSmallFile(cert_path, &out->certificate, error) && ReadSmallFile(key_path, &out->private_key, error);
}

}  // namespace quorsma::tool::opcua
