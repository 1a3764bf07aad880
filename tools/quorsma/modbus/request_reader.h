// Receives the requests of one Modbus TCP connection, each framed by the
// length field of its header, within two deadlines: the first byte of a
// request must come within the idle timeout (from connecting or from the
// previous answer), and the whole request within the request timeout from
// its first byte.  A client that trickles a request byte by byte is closed
// when the request timeout has passed, however often it sends.
//
// A frame is refused as malformed, and the connection is to be closed, when
// its protocol id is not 0, its length field is below 2 or beyond 254 (a
// frame of 260 bytes), its length field does not match the fixed length of
// functions 1 to 6 or is too short for the fixed fields of functions 15, 16
// and 23, or the byte count of a multiple write is more than any frame can
// carry.  Every other frame is received whole and left to be answered, so
// that the connection goes on: a quantity or byte count that does not match
// the data, and every function code, are answered with an exception.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace quorsma::tool::modbus {

constexpr int kHeaderLength = 7;      // transaction id, protocol id, length field, unit id
constexpr int kMaxFrameLength = 260;  // the header and a PDU of 253 bytes

struct Reception {
  enum Outcome {
    kRequest,    // `frame` holds a whole request of `length` bytes
    kClosed,     // the client closed the connection (or it was shut down)
    kIdle,       // no request began within the idle timeout
    kTooSlow,    // a request began but was not whole within the request timeout
    kMalformed,  // `reason` tells what
    kFailed,     // a receive error; `reason` tells which
    kWithdrawn,  // `begin` refused the request
  };
  Outcome outcome = kClosed;
  int length = 0;
  std::string reason;
};

// Waits for the next request on `fd` and receives it into `frame` (room for
// kMaxFrameLength bytes).  `begin` is called once the request's first byte
// is there; when it returns false, nothing more is received (kWithdrawn).
Reception ReceiveRequest(int fd, int idle_timeout_ms, int request_timeout_ms, uint8_t* frame,
                         const std::function<bool()>& begin);

}  // namespace quorsma::tool::modbus
