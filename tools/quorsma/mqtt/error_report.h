// The messages of <prefix>/errors, {"time", "topic", "error"}, and the cut
// that keeps them small: a text quoted from a message (payload or topic) is
// cut to kQuoteLimit bytes, so what anyone publishes is never echoed whole.
#pragma once

#include <cstddef>
#include <string>

namespace quorsma::tool::mqtt {

inline constexpr std::size_t kQuoteLimit = 200;

// `text` in quotes; cut to kQuoteLimit bytes and followed by "... (N bytes)"
// when longer.  `size` is the whole size when `text` is a kept beginning.
std::string Quote(const std::string& text, std::size_t size = std::string::npos);

// `text` itself when it fits kQuoteLimit, else its first kQuoteLimit bytes
// and "...".
std::string Cut(const std::string& text);

// The JSON of an error: the local time, the topic when not empty, the text.
std::string ErrorJson(const std::string& error, const std::string& topic = {});

}  // namespace quorsma::tool::mqtt
