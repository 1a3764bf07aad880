// The server's certificate and private key (DER): given files, or a
// self-signed pair made at first start and kept in the data directory.
#pragma once

#include <string>

namespace quorsma::tool::opcua {

// The application URI the certificate names; clients check the two agree.
inline constexpr char kApplicationUri[] = "urn:quorsma:opcua";

struct CertificatePair {
  std::string certificate;  // DER bytes
  std::string private_key;
  bool made = false;  // made now, at this start
};

// Reads `certificate` and `key` when both are given (one alone is refused);
// otherwise reads DIR/certificate.der and DIR/private-key.der, making them
// first when neither exists (the key readable by its owner alone, each file
// written whole before it takes its name).  False with the reason.
bool LoadOrMakeCertificate(const std::string& certificate, const std::string& key, const std::string& data_dir,
                           CertificatePair* out, std::string* error);

}  // namespace quorsma::tool::opcua
