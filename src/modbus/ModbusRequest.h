#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvalis {

// The operations of the Modbus tab, one per button.
enum class ModbusOp {
  kExitModbusMode,
  kReadId,
  kReadLastId,
  kRfTxOff,
  kRfTxOn,
  kBeepOn,
  kBeepOff,
  kWriteIpAddress,
  kWriteIpPort,
  kWriteIpBoth,
  kWriteRfOnTime,
  kReadRfOnTime,
  kWriteEventTime,
  kReadEventTime,
  kStationDefaults,
  kWideDefaults,
  kDoIt,
};

// Registers and coils of the reader's network module.
inline constexpr int kRegExitModbus = 819;
inline constexpr int kRegTagId = 1;
inline constexpr int kRegLastTagId = 17;
inline constexpr int kCoilRfTx = 1001;
inline constexpr int kCoilBeep = 1002;
inline constexpr int kRegRfOnTime = 1003;
inline constexpr int kRegEventTime = 1004;
inline constexpr int kRegPresets = 1911;
inline constexpr int kRegApplyNetwork = 1638;
inline constexpr int kRegIpAddress = 2001;
inline constexpr int kRegIpPort = 2003;

inline constexpr int kModbusFrameMax = 26;
inline constexpr int kMbapHeaderLength = 6;  // transaction, protocol, length

// The reader command that switches a reader into Modbus mode.
inline constexpr std::string_view kEnterModbusBody = "025a3020";

// The values of the tab's fields that requests carry.
struct ModbusFields {
  std::array<uint8_t, 4> ipOctets{192, 168, 2, 31};
  uint16_t port = 502;
  uint16_t rfOnTime = 3;     // 1..100, units of 10 ms
  uint16_t eventTime = 255;  // 1..255 s
};

struct ModbusRequest {
  std::array<uint8_t, kModbusFrameMax> bytes{};  // zeroed: transaction and protocol 0
  int length = 0;
  int expectedReply = 0;
  int functionCode = 0;
  int readRegister = 0;  // 1003 or 1004 for a read-back, else 0
};

// The frame of one button press; `unit` is the reader ID.
ModbusRequest BuildModbusRequest(ModbusOp op, int unit, const ModbusFields& fields);

// Four decimal octets separated by "."; false (octets untouched) otherwise.
bool ParseIpv4Address(std::string_view text, std::array<uint8_t, 4>& octets);

// Two hexadecimal digits and a blank per byte, as the views show frames.
std::string HexBytesText(const uint8_t* bytes, int count, bool upperCase);

// The script the periodic read loads into the script tab; `delay` in 100 ms.
std::string PeriodicReadScript(int delay);

}  // namespace corvalis
