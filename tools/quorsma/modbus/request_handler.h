// Carries out one Modbus request on the image: reads straight from the image
// cells (no value-change check, nothing written), writes through the
// library's device write (SetSma), one device at a time in address order.
//
// A request is checked whole before anything is written: counts within the
// protocol's limits (else ILLEGAL DATA VALUE), every address mapped, and for
// writes every address in a writable range and every device allowed (else
// ILLEGAL DATA ADDRESS).  A refused request writes nothing.  A write of a
// 32-bit device must carry both of its registers.  When the library reports a
// failure while writing (a message box), the answer is SERVER DEVICE FAILURE.
#pragma once

#include <modbus/modbus.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "address_map.h"

namespace quorsma::tool::modbus {

// Which devices writes may reach (--allow-write).
using WritePermission = std::function<bool(const DeviceKind& kind, int32_t number)>;

// What a request asked for and how it ended, for the request log.
struct RequestSummary {
  int function = 0;
  int address = 0;
  int count = 0;
  int exception = 0;  // 0: answered normally
};

// The function codes served.
bool IsServedFunction(int function);
// "illegal data address" for an exception code.
std::string ExceptionName(int code);

class RequestHandler {
 public:
  // `write_lock` serialises the device writes of every connection, so that
  // the value-change check and the retentive save of one write run whole
  // before the next write begins.
  RequestHandler(MH_SHARED_STRUCTURE* image, const AddressMap* map, WritePermission allow_write,
                 std::mutex* write_lock);

  // `request` is a whole frame (7-byte header and the PDU) of a served
  // function whose length matches its header.  Carries out the request and
  // fills `scratch` (a mapping of all 65,536 addresses of each table) with
  // what the reply reports; returns 0 when modbus_reply should answer from
  // `scratch`, or the exception code to answer with.
  int Handle(const uint8_t* request, int length, modbus_mapping_t* scratch, RequestSummary* summary);

 private:
  struct PendingWrite {
    const DeviceKind* kind;
    int32_t number;
    int32_t value;
  };

  bool ReadBits(Table table, int32_t address, int32_t count, uint8_t* dest);
  bool ReadRegisters(Table table, int32_t address, int32_t count, uint16_t* dest);
  // Plans writes of `values` (one per address); false when any address is
  // unmapped, read only, not allowed, or half of a 32-bit device.
  bool PlanBits(int32_t address, const std::vector<uint8_t>& values);
  bool PlanRegisters(int32_t address, const std::vector<uint16_t>& values);
  // Writes what was planned; false when the library reported a failure (a
  // message box) during the writes.
  bool ApplyWrites();

  MH_SHARED_STRUCTURE* image_;
  const AddressMap* map_;
  WritePermission allow_write_;
  std::mutex* write_lock_;
  std::vector<const MapRange*> cover_;
  std::vector<PendingWrite> writes_;
};

}  // namespace quorsma::tool::modbus
