#include "request_reader.h"

#include <chrono>

#include "socket_system.h"

namespace quorsma::tool::modbus {
namespace {

using Clock = std::chrono::steady_clock;

int Get16(const uint8_t* p) { return (p[0] << 8) | p[1]; }

// Why the header cannot frame a request, or empty.
std::string HeaderFault(const uint8_t* frame) {
  const int protocol = Get16(frame + 2);
  const int announced = Get16(frame + 4);  // unit id and PDU
  if (protocol != 0) return "malformed frame: protocol id " + std::to_string(protocol);
  if (announced < 2 || announced > kMaxFrameLength - 6)
    return "malformed frame: length field " + std::to_string(announced);
  return {};
}

// Why the length field cannot hold a request of the frame's function code,
// or empty.  Unknown function codes take any length: they are answered.
std::string FunctionFault(const uint8_t* frame) {
  const int function = frame[kHeaderLength];
  const int pdu = Get16(frame + 4) - 1;
  bool fits = true;
  switch (function) {
    case 1: case 2: case 3: case 4: case 5: case 6:
      fits = pdu == 5;  // function, address, count or value
      break;
    case 15: case 16:
      fits = pdu >= 6;  // and the byte count
      break;
    case 23:
      fits = pdu >= 10;  // read address and count, write address, count and byte count
      break;
    default:
      break;
  }
  if (fits) return {};
  return "malformed frame: length field " + std::to_string(pdu + 1) + " for function " + std::to_string(function);
}

// Why the byte count of a multiple write is more than any frame carries, or
// empty.
std::string ByteCountFault(const uint8_t* frame) {
  const int function = frame[kHeaderLength];
  const int fixed = function == 23 ? 10 : function == 15 || function == 16 ? 6 : 0;  // PDU bytes before the data
  if (fixed == 0) return {};
  const int bytes = frame[kHeaderLength + fixed - 1];
  if (fixed + bytes <= kMaxFrameLength - kHeaderLength) return {};
  return "malformed frame: byte count " + std::to_string(bytes) + " beyond any frame";
}

}  // namespace

Reception ReceiveRequest(int fd, int idle_timeout_ms, int request_timeout_ms, uint8_t* frame,
                         const std::function<bool()>& begin) {
  Reception result;
  auto deadline = Clock::now() + std::chrono::milliseconds(idle_timeout_ms);
  int have = 0;
  int want = kHeaderLength;  // the whole frame once the header is there
  bool header_checked = false, function_checked = false;
  for (;;) {
    // A frame is judged as soon as its header and function code are there,
    // before waiting for the rest it announces.
    if (!header_checked && have >= kHeaderLength) {
      result.reason = HeaderFault(frame);
      if (!result.reason.empty()) break;
      want = 6 + Get16(frame + 4);
      header_checked = true;
    }
    if (!function_checked && have > kHeaderLength) {
      result.reason = FunctionFault(frame);
      if (!result.reason.empty()) break;
      function_checked = true;
    }
    if (have >= want) break;
    const Received got = ReceiveNow(fd, frame + have, want - have);
    if (got.outcome == Received::kData) {
      if (have == 0) {
        if (!begin()) {
          result.outcome = Reception::kWithdrawn;
          return result;
        }
        deadline = Clock::now() + std::chrono::milliseconds(request_timeout_ms);
      }
      have += got.length;
      continue;
    }
    if (got.outcome == Received::kClosed) {
      result.outcome = Reception::kClosed;
      return result;
    }
    if (got.outcome == Received::kFailed) {
      result.outcome = Reception::kFailed;
      result.reason = got.reason;
      return result;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
      result.outcome = have == 0 ? Reception::kIdle : Reception::kTooSlow;
      return result;
    }
    WaitReadable(fd, static_cast<int>(left));  // readable, closed, interrupted or timed out: the loop tells which
  }
  if (result.reason.empty()) result.reason = ByteCountFault(frame);
  if (!result.reason.empty()) {
    result.outcome = Reception::kMalformed;
    return result;
  }
  result.outcome = Reception::kRequest;
  result.length = have;
  return result;
}

}  // namespace quorsma::tool::modbus
