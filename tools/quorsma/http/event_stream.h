// One client's Server-Sent Events stream of device values.
//
//   event: values     data: [device, ...]   every watched device, once at the start
//   event: change     data: [device, ...]   the devices that changed since the last event
//   event: log        data: {"sequence":N,"time":"...","line":"...","skipped":K}
//                                           a collected value-change line (serve --collect)
//                                           or, with "who", a write from the page;
//                                           skipped counts lines this stream missed
//   : keep-alive                            a comment line when nothing was sent for a while
//
// A device is the JSON object of device_format.h.  Values are read straight
// from the image, without the library's value-change check.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "quorsma/client.h"
#include "log_feed.h"
#include "quorsma/quorsma.h"

namespace quorsma::tool::http {

using namespace quorsma::client;

class EventStream {
 public:
  // `feed` may be null (the server does not collect).
  EventStream(MH_SHARED_STRUCTURE* image, std::vector<Operand> operands, const LogFeed* feed);

  // The first piece: every value, and the value-change lines the feed still
  // holds (at most `backlog` of them).
  std::string Start(std::size_t backlog);
  // The next piece: the changes since the previous piece and the lines
  // collected meanwhile; empty when there are none.
  std::string Next();

 private:
  std::string LogEvents(std::vector<LogEntry> entries, uint64_t skipped);

  MH_SHARED_STRUCTURE* image_;
  std::vector<Operand> operands_;
  const LogFeed* feed_;
  std::vector<DeviceValue> last_;
  uint64_t log_sequence_ = 0;
};

// "event: NAME\ndata: DATA\n\n"; DATA must be one line.
std::string Event(const char* name, const std::string& data);

}  // namespace quorsma::tool::http
