#include <gtest/gtest.h>

#include "modbus/ModbusRequest.h"

namespace corvalis {
namespace {

std::string Frame(ModbusOp op, int unit, const ModbusFields& fields = {}) {
  const ModbusRequest request = BuildModbusRequest(op, unit, fields);
  std::string text = HexBytesText(request.bytes.data(), request.length, false);
  if (!text.empty()) text.pop_back();
  return text;
}

TEST(ModbusRequest, ExampleFramesAreExact) {
  EXPECT_EQ(Frame(ModbusOp::kReadId, 1), "00 00 00 00 00 06 01 04 00 01 00 04");
  EXPECT_EQ(Frame(ModbusOp::kRfTxOn, 0), "00 00 00 00 00 06 00 05 03 e9 ff 00");
  EXPECT_EQ(Frame(ModbusOp::kWriteIpAddress, 5),
            "00 00 00 00 00 0b 05 10 07 d1 00 02 04 c0 a8 02 1f");
}

TEST(ModbusRequest, EveryButtonBuildsItsFrame) {
  ModbusFields fields;
  fields.port = 0x1234;
  fields.rfOnTime = 9;
  fields.eventTime = 200;
  const struct {
    ModbusOp op;
    const char* frame;
    int reply;
  } cases[] = {
      {ModbusOp::kExitModbusMode, "00 00 00 00 00 06 02 06 03 33 05 55", 12},
      {ModbusOp::kReadLastId, "00 00 00 00 00 06 02 04 00 11 00 04", 17},
      {ModbusOp::kRfTxOff, "00 00 00 00 00 06 02 05 03 e9 00 00", 12},
      {ModbusOp::kBeepOn, "00 00 00 00 00 06 02 05 03 ea ff 00", 12},
      {ModbusOp::kBeepOff, "00 00 00 00 00 06 02 05 03 ea 00 00", 12},
      {ModbusOp::kWriteIpPort, "00 00 00 00 00 09 02 10 07 d3 00 01 02 12 34", 12},
      {ModbusOp::kWriteIpBoth, "00 00 00 00 00 0d 02 10 07 d1 00 03 06 c0 a8 02 1f 12 34", 12},
      {ModbusOp::kWriteRfOnTime, "00 00 00 00 00 06 02 06 03 eb 00 09", 12},
      {ModbusOp::kWriteEventTime, "00 00 00 00 00 06 02 06 03 ec 00 c8", 12},
      {ModbusOp::kStationDefaults, "00 00 00 00 00 06 02 06 07 77 01 11", 12},
      {ModbusOp::kWideDefaults, "00 00 00 00 00 06 02 06 07 77 02 22", 12},
      {ModbusOp::kDoIt, "00 00 00 00 00 06 02 06 06 66 03 33", 12},
      // Read-backs are 12 bytes, as their length field says.
      {ModbusOp::kReadRfOnTime, "00 00 00 00 00 06 02 03 03 eb 00 01", 11},
      {ModbusOp::kReadEventTime, "00 00 00 00 00 06 02 03 03 ec 00 01", 11},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Frame(c.op, 2, fields), c.frame);
    EXPECT_EQ(BuildModbusRequest(c.op, 2, fields).expectedReply, c.reply) << c.frame;
  }
}

TEST(ModbusRequest, ParsesDottedAddressesOnly) {
  std::array<uint8_t, 4> octets{1, 2, 3, 4};
  EXPECT_TRUE(ParseIpv4Address("10.0.255.7", octets));
  EXPECT_EQ(octets, (std::array<uint8_t, 4>{10, 0, 255, 7}));
  for (const char* bad :
       {"", "10.0.0", "10.0.0.1.2", "10.0.x.1", "256.1.1.1", "1..2.3", "1.2.3.4 "}) {
    EXPECT_FALSE(ParseIpv4Address(bad, octets)) << bad;
  }
  EXPECT_EQ(octets, (std::array<uint8_t, 4>{10, 0, 255, 7}));
}

TEST(ModbusRequest, PeriodicReadScriptPollsWithTheDelay) {
  EXPECT_EQ(PeriodicReadScript(6), ":loop\nreply 0\npush MODBUS_Read_ID\nwait 6\ngoto loop\n");
}

}  // namespace
}  // namespace corvalis
