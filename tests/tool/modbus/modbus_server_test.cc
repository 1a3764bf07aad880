// The server against the default map and a map file: every function code,
// table boundaries, 32-bit ranges, refused writes and the retentive save.
#include <cstring>
#include <fstream>
#include <sstream>

#include "modbus_test_support.h"

namespace quorsma::tool::modbus::testing {
namespace {

class ModbusServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    image = Image();
    ASSERT_NE(image, nullptr);
    for (auto* area : {image->X, image->Y, image->S, image->SM, image->R, image->Z, image->Tcur})
      std::memset(area, 0, sizeof(int32_t) * QSMA_AREA_SMALL);
    for (auto* area : {image->M, image->D, image->W, image->L, image->B})
      std::memset(area, 0, sizeof(int32_t) * QSMA_AREA_LARGE);
  }
  MH_SHARED_STRUCTURE* image = nullptr;
};

// Sends `pdu` to unit 1 as it is and returns the exception code of the answer
// (0 for a normal answer, -1 for none).
int RawException(modbus_t* client, std::vector<uint8_t> pdu) {
  pdu.insert(pdu.begin(), 1);
  if (modbus_send_raw_request(client, pdu.data(), static_cast<int>(pdu.size())) < 0) return -1;
  uint8_t answer[MODBUS_TCP_MAX_ADU_LENGTH];
  if (modbus_receive_confirmation(client, answer) < 9) return -1;
  return (answer[7] & 0x80) != 0 ? answer[8] : 0;
}

TEST_F(ModbusServerTest, ReadsEveryTableOfTheDefaultMapAtItsBoundaries) {
  image->X[0] = 1;
  image->X[0x1FFF] = 1;
  image->Y[0x1FFF] = 1;
  image->M[0] = 1;
  image->M[32767] = 5;  // any value other than 0 reads as on
  image->D[0] = 0x12345;
  image->D[32767] = -2;
  image->W[0] = 7;
  image->W[0x1FFF] = -1;
  const int log_pending = image->LogLinePending;
  Server server({});
  Client client(server.port());
  ASSERT_TRUE(client.connected);

  uint8_t bits[4] = {};
  ASSERT_EQ(modbus_read_input_bits(client, 8190, 2, bits), 2);
  EXPECT_EQ(bits[0] * 10 + bits[1], 1);
  ASSERT_EQ(modbus_read_input_bits(client, 0, 1, bits), 1);
  EXPECT_EQ(bits[0], 1);
  ASSERT_EQ(modbus_read_bits(client, 8190, 4, bits), 4);  // Y1FFE Y1FFF M0 M1
  EXPECT_EQ((std::vector<uint8_t>(bits, bits + 4)), (std::vector<uint8_t>{0, 1, 1, 0}));
  ASSERT_EQ(modbus_read_bits(client, 40959, 1, bits), 1);
  EXPECT_EQ(bits[0], 1);

  uint16_t registers[4] = {};
  ASSERT_EQ(modbus_read_registers(client, 32766, 4, registers), 4);  // D32766 D32767 W0 W1
  EXPECT_EQ((std::vector<uint16_t>(registers, registers + 4)), (std::vector<uint16_t>{0, 0xFFFE, 7, 0}));
  ASSERT_EQ(modbus_read_registers(client, 40959, 1, registers), 1);
  EXPECT_EQ(registers[0], 0xFFFF);
  ASSERT_EQ(modbus_read_input_registers(client, 0, 1, registers), 1);
  EXPECT_EQ(registers[0], 0x2345);  // the low 16 bits
  ASSERT_EQ(modbus_read_input_registers(client, 32767, 1, registers), 1);
  EXPECT_EQ(registers[0], 0xFFFE);
  EXPECT_EQ(image->LogLinePending, log_pending) << "a read changed what the log sees";

  struct Case {
    const char* what;
    std::vector<uint8_t> pdu;
    int exception;
  } cases[] = {
      {"coil past M32767", {1, 0xA0, 0x00, 0, 1}, 2},
      {"coils running past the end", {1, 0x9F, 0xFF, 0, 2}, 2},
      {"discrete input past X1FFF", {2, 0x20, 0x00, 0, 1}, 2},
      {"holding register past W1FFF", {3, 0xA0, 0x00, 0, 1}, 2},
      {"input register past D32767", {4, 0x80, 0x00, 0, 1}, 2},
      {"address space overrun", {3, 0xFF, 0xFF, 0, 2}, 2},
      {"126 registers", {3, 0, 0, 0, 126}, 3},
      {"no registers", {4, 0, 0, 0, 0}, 3},
      {"2001 coils", {1, 0, 0, 0x07, 0xD1}, 3},
      {"124 registers written", {16, 0, 0, 0, 124, 2, 0, 1}, 3},
      {"122 registers written by a read/write", {23, 0, 0, 0, 1, 0, 0, 0, 122, 2, 0, 1}, 3},
      {"byte count not matching the count", {16, 0, 0, 0, 1, 4, 0, 1, 0, 2}, 3},
      {"coil value other than on and off", {5, 0, 0, 0x12, 0x34}, 3},
  };
  for (const Case& c : cases) EXPECT_EQ(RawException(client, c.pdu), c.exception) << c.what;
  EXPECT_EQ(image->D[0], 0x12345);
}

TEST_F(ModbusServerTest, WritesReachTheImageThroughTheLibrary) {
  std::remove(QSMA_MODBUS_INSTALLATION "/param/_DIO_DV.ini");
  Server server({"--allow-write", "all"});
  Client client(server.port());
  ASSERT_TRUE(client.connected);

  EXPECT_EQ(modbus_write_bit(client, 0x10, 1), 1);
  EXPECT_EQ(image->Y[0x10], 1);
  EXPECT_EQ(modbus_write_bit(client, 8192 + 5, 1), 1);
  EXPECT_EQ(image->M[5], 1);
  EXPECT_EQ(modbus_write_register(client, 100, 0xFFFF), 1);
  EXPECT_EQ(image->D[100], -1) << "a write stores the signed 16-bit value";
  EXPECT_EQ(modbus_write_register(client, 32768 + 0x1F, 0x8000), 1);
  EXPECT_EQ(image->W[0x1F], -32768);

  const uint8_t coils[] = {1, 0, 1, 1};  // Y1FFE Y1FFF M0 M1
  image->Y[0x1FFF] = 1;
  EXPECT_EQ(modbus_write_bits(client, 8190, 4, coils), 4);
  EXPECT_EQ((std::vector<int32_t>{image->Y[0x1FFE], image->Y[0x1FFF], image->M[0], image->M[1]}),
            (std::vector<int32_t>{1, 0, 1, 1}));
  const uint16_t values[] = {1, 2, 3, 4};  // D32766 D32767 W0 W1
  EXPECT_EQ(modbus_write_registers(client, 32766, 4, values), 4);
  EXPECT_EQ((std::vector<int32_t>{image->D[32766], image->D[32767], image->W[0], image->W[1]}),
            (std::vector<int32_t>{1, 2, 3, 4}));

  image->D[199] = 9;
  const uint16_t written[] = {10, 20};
  uint16_t read[4] = {};
  EXPECT_EQ(modbus_write_and_read_registers(client, 200, 2, written, 199, 4, read), 4);
  EXPECT_EQ((std::vector<uint16_t>(read, read + 4)), (std::vector<uint16_t>{9, 10, 20, 0}));
  EXPECT_EQ(image->D[201], 20);

  // D300 is retentive: the library's value-change check saves its group.
  const int value = 1000 + getpid() % 20000;
  EXPECT_EQ(modbus_write_register(client, 300, static_cast<uint16_t>(value)), 1);
  std::ifstream file(QSMA_MODBUS_INSTALLATION "/param/_DIO_DV.ini", std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  EXPECT_NE(text.str().find("D000300=" + std::to_string(value) + ","), std::string::npos) << text.str();

  EXPECT_EQ(ExceptionOf(modbus_write_bit(client, 40960, 1)), MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS);
  const uint16_t across[] = {5, 6};  // W1FFF and an unmapped address
  EXPECT_EQ(ExceptionOf(modbus_write_registers(client, 40959, 2, across)), MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS);
  EXPECT_EQ(image->W[0x1FFF], 0);
}

TEST_F(ModbusServerTest, RefusedWritesLeaveTheImageUnchanged) {
  image->D[100] = 11;
  image->D[101] = 12;
  {
    Server server({});  // writes are off by default
    Client client(server.port());
    EXPECT_EQ(ExceptionOf(modbus_write_register(client, 100, 5)), MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS);
    EXPECT_EQ(ExceptionOf(modbus_write_bit(client, 0, 1)), MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS);
    EXPECT_EQ(image->D[100], 11);
    EXPECT_EQ(image->Y[0], 0);
  }
  Server server({"--allow-write", "D100..D101,Y0..Y1F"});
  Client client(server.port());
  const uint16_t values[] = {1, 2, 3};
  EXPECT_EQ(ExceptionOf(modbus_write_registers(client, 100, 3, values)), MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS);
  EXPECT_EQ(image->D[100] * 100 + image->D[101], 1112) << "a refused request wrote part of itself";
  const uint8_t coils[33] = {1};
  EXPECT_EQ(ExceptionOf(modbus_write_bits(client, 0, 33, coils)), MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS);
  EXPECT_EQ(image->Y[0], 0);
  EXPECT_EQ(modbus_write_registers(client, 100, 2, values), 2);
  EXPECT_EQ(modbus_write_bit(client, 0x1F, 1), 1);
  EXPECT_EQ(image->D[101] * 10 + image->Y[0x1F], 21);
}

TEST_F(ModbusServerTest, MapFileRangesOf32BitValuesReadOnlyDevicesAndTimers) {
  const std::string path = ::testing::TempDir() + "/quorsma-modbus-map-" + std::to_string(getpid()) + ".txt";
  std::ofstream(path) << "# test map\n"
                         "holding-registers 0 D100 2 rw int32-high-first\n"
                         "holding-registers 4 D200 1 int32-low-first rw\n"
                         "holding-registers 10 R5 2\n"
                         "input-registers 0 Tcur3 1\n"
                         "coils 0 M10 4 rw\n"
                         "discrete-inputs 0 SM400 2\n";
  image->D[100] = 0x12345678;
  image->D[101] = -2;
  image->D[200] = 0x0A0B0C0D;
  image->R[5] = 9;
  image->Tcur[3] = 42;
  image->SM[401] = 1;
  Server server({"--map", path, "--allow-write", "all"});
  Client client(server.port());
  ASSERT_TRUE(client.connected);
  std::remove(path.c_str());

  uint16_t r[6] = {};
  ASSERT_EQ(modbus_read_registers(client, 0, 6, r), 6);
  EXPECT_EQ((std::vector<uint16_t>(r, r + 6)), (std::vector<uint16_t>{0x1234, 0x5678, 0xFFFF, 0xFFFE, 0x0C0D, 0x0A0B}));
  ASSERT_EQ(modbus_read_registers(client, 11, 1, r), 1);  // R6
  EXPECT_EQ(r[0], 0);
  ASSERT_EQ(modbus_read_registers(client, 10, 1, r), 1);
  EXPECT_EQ(r[0], 9);
  ASSERT_EQ(modbus_read_input_registers(client, 0, 1, r), 1);
  EXPECT_EQ(r[0], 42);
  uint8_t bits[2] = {};
  ASSERT_EQ(modbus_read_input_bits(client, 0, 2, bits), 2);
  EXPECT_EQ(bits[0] * 10 + bits[1], 1);

  const uint16_t minus_two[] = {0xFFFF, 0xFFFE};
  EXPECT_EQ(modbus_write_registers(client, 0, 2, minus_two), 2);
  EXPECT_EQ(image->D[100], -2);
  const uint16_t low_first[] = {0x5678, 0x1234};
  EXPECT_EQ(modbus_write_registers(client, 4, 2, low_first), 2);
  EXPECT_EQ(image->D[200], 0x12345678);
  const uint8_t on[] = {1, 1};
  EXPECT_EQ(modbus_write_bits(client, 2, 2, on), 2);
  EXPECT_EQ(image->M[12] + image->M[13], 2);

  struct Refused {
    const char* what;
    int address;
    int count;
  } refused[] = {{"half of a 32-bit device", 1, 1}, {"the other half", 2, 3}, {"a read-only range", 10, 1},
                 {"a gap of the map", 4, 3}, {"an address the default map has", 100, 1}};
  const uint16_t zeros[3] = {};
  for (const Refused& c : refused)
    EXPECT_EQ(ExceptionOf(modbus_write_registers(client, c.address, c.count, zeros)),
              MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS)
        << c.what;
  EXPECT_EQ(image->D[100] + image->D[101] + image->R[5], -2 - 2 + 9);
}

TEST_F(ModbusServerTest, EveryWritableKindIsWrittenAtItsOwnNumber) {
  struct Case {
    const char* device;  // the last device of its area, in the map's notation
    bool bit;
    int32_t* cell;
  } cases[] = {
      {"XFFFE", true, &image->X[0xFFFE]},      {"YFFFE", true, &image->Y[0xFFFE]},
      {"M131070", true, &image->M[131070]},    {"L131070", true, &image->L[131070]},
      {"B1FFFE", true, &image->B[0x1FFFE]},    {"S65534", true, &image->S[65534]},
      {"D131070", false, &image->D[131070]},   {"W1FFFE", false, &image->W[0x1FFFE]},
      {"Z65534", false, &image->Z[65534]},
  };
  const std::string path = ::testing::TempDir() + "/quorsma-modbus-kinds-" + std::to_string(getpid()) + ".txt";
  {
    std::ofstream map(path);
    for (int i = 0; i < 9; ++i)
      map << (cases[i].bit ? "coils " : "holding-registers ") << i << " " << cases[i].device << " 1 rw\n";
  }
  Server server({"--map", path, "--allow-write", "all"});
  Client client(server.port());
  std::remove(path.c_str());
  for (int i = 0; i < 9; ++i) {
    const int rc = cases[i].bit ? modbus_write_bit(client, i, 1) : modbus_write_register(client, i, 0xFFF0);
    EXPECT_EQ(rc, 1) << cases[i].device;
    EXPECT_EQ(*cases[i].cell, cases[i].bit ? 1 : -16) << cases[i].device;
  }
}

}  // namespace
}  // namespace quorsma::tool::modbus::testing
