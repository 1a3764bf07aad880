// The token comparison and the listen and Host addresses of quorsma serve.
#include <gtest/gtest.h>

#include "http/listen_address.h"
#include "http/token.h"

namespace quorsma::tool::http {
namespace {

TEST(TokenTest, MatchesOnlyTheWholeSecret) {
  struct Case {
    const char* secret;
    const char* presented;
    bool equal;
  };
  const Case cases[] = {
      {"s3cret", "s3cret", true},   {"s3cret", "s3cre", false},  {"s3cret", "s3cret0", false},
      {"s3cret", "s3cres", false},  {"s3cret", "", false},       {"", "", false},
      {"ab", "abab", false},        {"s3cret", "S3CRET", false},
  };
  for (const Case& c : cases) EXPECT_EQ(TokensEqual(c.secret, c.presented), c.equal) << c.secret << " " << c.presented;
  EXPECT_EQ(BearerToken("Bearer abc"), "abc");
  EXPECT_EQ(BearerToken("bearer  abc "), "abc");
  EXPECT_EQ(BearerToken("Basic abc"), "");
  EXPECT_EQ(BearerToken("Bearer"), "");
  const std::string a = MakeToken(), b = MakeToken();
  EXPECT_EQ(a.size(), 64u);
  EXPECT_NE(a, b);
}

TEST(ListenAddressTest, ParsesAndTellsLoopback) {
  struct Case {
    const char* text;
    bool ok;
    const char* host;
    int port;
    bool loopback;
  };
  const Case cases[] = {
      {"127.0.0.1:8080", true, "127.0.0.1", 8080, true}, {"[::1]:0", true, "::1", 0, true},
      {"localhost:80", true, "localhost", 80, true},     {"0.0.0.0:8080", true, "0.0.0.0", 8080, false},
      {"127.8.9.1:65535", true, "127.8.9.1", 65535, true},
      {"127.0.0.1", false, "", 0, false},                {"127.0.0.1:65536", false, "", 0, false},
      {":8080", false, "", 0, false},                    {"::1:8080", false, "", 0, false},
      {"127.0.0.1:80x", false, "", 0, false},            {"[::1:80", false, "", 0, false},
  };
  for (const Case& c : cases) {
    ListenAddress address;
    std::string error;
    ASSERT_EQ(ParseListenAddress(c.text, &address, &error), c.ok) << c.text;
    if (!c.ok) {
      EXPECT_FALSE(error.empty());
      continue;
    }
    EXPECT_EQ(address.host, c.host);
    EXPECT_EQ(address.port, c.port);
    EXPECT_EQ(IsLoopbackHost(address.host), c.loopback) << c.text;
  }
  for (const char* host : {"127.0.0.1:8080", "localhost", "LOCALHOST:1", "[::1]:8080", "127.1.2.3"})
    EXPECT_TRUE(IsLoopbackHostHeader(host)) << host;
  for (const char* host : {"", "example.com", "127.0.0.1.example.com", "10.0.0.1:8080", "[::2]", "localhost:x"})
    EXPECT_FALSE(IsLoopbackHostHeader(host)) << host;
}

}  // namespace
}  // namespace quorsma::tool::http
