// What becomes of a message on <prefix>/set/<operand>, as the text to report
// on the errors topic (empty: written, and saved as far as is known).
//
//  - A retained message is never written: a command kept by the broker would
//    move the machine again at every later connect.  The first one of each
//    topic in a run is reported.
//  - An operand or a payload longer than kQuoteLimit bytes is refused (no
//    operand or value is that long), quoting its beginning only.
//  - Otherwise ApplySetRequest checks and writes; a write the library refused
//    or could not save comes back with the library's message as its reason
//    (a register whose retentive save failed holds the value, but the file
//    does not).  The library reports a failing file once, until a save of it
//    succeeds; so while one is failing, a later write of a D register that
//    leaves the file as it was is reported as not known to be saved, until
//    the file changes.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <unordered_set>

#include "broker_connection.h"
#include "quorsma/client.h"
#include "quorsma/quorsma.h"

namespace quorsma::tool::mqtt {

using namespace quorsma::client;

class WriteHandler {
 public:
  // Distinct retained topics remembered as reported; beyond, each is
  // reported whenever it comes.
  static constexpr std::size_t kRememberedTopics = 10000;

  WriteHandler(MH_SHARED_STRUCTURE* image, const Permission& allowed);
  std::string Handle(const std::string& operand, const ReceivedMessage& message);

 private:
  struct FileState {
    bool exists = false;
    uint64_t identity = 0;  // the file's inode (Linux) or index (Windows)
    int64_t size = 0;
    int64_t modified_ns = 0;
    bool operator==(const FileState& o) const;
  };
  // posix/ and win32/ hold how the system tells it.
  static FileState StateOf(const std::string& path);
  std::string Write(const std::string& operand, const std::string& payload);

  MH_SHARED_STRUCTURE* image_;
  const Permission& allowed_;
  std::unordered_set<std::size_t> retained_reported_;  // hashes of the topics
  std::string failing_file_;                           // a file the library last reported unsaved
  std::string failing_message_;
};

}  // namespace quorsma::tool::mqtt
