#include "modbus/ModbusRequest.h"

#include <charconv>

namespace corvalis {
namespace {

class FrameWriter {
 public:
  FrameWriter(ModbusRequest& request, int unit, int functionCode) : request_(request) {
    request_.bytes.fill(0);
    request_.functionCode = functionCode;
    request_.bytes[6] = static_cast<uint8_t>(unit);
    request_.bytes[7] = static_cast<uint8_t>(functionCode);
    at_ = 8;
  }
  FrameWriter& Word(int value) {
    request_.bytes[at_++] = static_cast<uint8_t>((value >> 8) & 0xff);
    request_.bytes[at_++] = static_cast<uint8_t>(value & 0xff);
    return *this;
  }
  FrameWriter& Byte(int value) {
    request_.bytes[at_++] = static_cast<uint8_t>(value & 0xff);
    return *this;
  }
  void Finish(int expectedReply) {
    const int following = at_ - kMbapHeaderLength;
    request_.bytes[4] = static_cast<uint8_t>(following >> 8);
    request_.bytes[5] = static_cast<uint8_t>(following & 0xff);
    request_.length = at_;
    request_.expectedReply = expectedReply;
  }

 private:
  ModbusRequest& request_;
  int at_ = 0;
};

constexpr int kWriteReply = 12;
constexpr int kIdReply = 17;
constexpr int kReadBackReply = 11;
constexpr int kCoilOn = 0xff00;

ModbusRequest WriteRegister(int unit, int address, int value) {
  ModbusRequest request;
  FrameWriter(request, unit, 6).Word(address).Word(value).Finish(kWriteReply);
  return request;
}

ModbusRequest WriteCoil(int unit, int address, bool on) {
  ModbusRequest request;
  FrameWriter(request, unit, 5).Word(address).Word(on ? kCoilOn : 0).Finish(kWriteReply);
  return request;
}

ModbusRequest ReadInputRegisters(int unit, int address) {
  ModbusRequest request;
  FrameWriter(request, unit, 4).Word(address).Word(4).Finish(kIdReply);
  return request;
}

// Twelve bytes: the length field says 6 and nothing follows it, so a standard
// server is not left holding a stray byte at the start of the next request.
ModbusRequest ReadHoldingRegister(int unit, int address) {
  ModbusRequest request;
  FrameWriter(request, unit, 3).Word(address).Word(1).Finish(kReadBackReply);
  request.readRegister = address;
  return request;
}

ModbusRequest WriteNetwork(int unit, const ModbusFields& fields, bool address, bool port) {
  ModbusRequest request;
  const int words = (address ? 2 : 0) + (port ? 1 : 0);
  FrameWriter writer(request, unit, 16);
  writer.Word(address ? kRegIpAddress : kRegIpPort).Word(words).Byte(words * 2);
  if (address) {
    for (uint8_t octet : fields.ipOctets) writer.Byte(octet);
  }
  if (port) writer.Word(fields.port);
  writer.Finish(kWriteReply);
  return request;
}

}  // namespace

ModbusRequest BuildModbusRequest(ModbusOp op, int unit, const ModbusFields& fields) {
  switch (op) {
    case ModbusOp::kExitModbusMode:
      return WriteRegister(unit, kRegExitModbus, 0x0555);
    case ModbusOp::kReadId:
      return ReadInputRegisters(unit, kRegTagId);
    case ModbusOp::kReadLastId:
      return ReadInputRegisters(unit, kRegLastTagId);
    case ModbusOp::kRfTxOff:
      return WriteCoil(unit, kCoilRfTx, false);
    case ModbusOp::kRfTxOn:
      return WriteCoil(unit, kCoilRfTx, true);
    case ModbusOp::kBeepOn:
      return WriteCoil(unit, kCoilBeep, true);
    case ModbusOp::kBeepOff:
      return WriteCoil(unit, kCoilBeep, false);
    case ModbusOp::kWriteIpAddress:
      return WriteNetwork(unit, fields, true, false);
    case ModbusOp::kWriteIpPort:
      return WriteNetwork(unit, fields, false, true);
    case ModbusOp::kWriteIpBoth:
      return WriteNetwork(unit, fields, true, true);
    case ModbusOp::kWriteRfOnTime:
      return WriteRegister(unit, kRegRfOnTime, fields.rfOnTime);
    case ModbusOp::kReadRfOnTime:
      return ReadHoldingRegister(unit, kRegRfOnTime);
    case ModbusOp::kWriteEventTime:
      return WriteRegister(unit, kRegEventTime, fields.eventTime);
    case ModbusOp::kReadEventTime:
      return ReadHoldingRegister(unit, kRegEventTime);
    case ModbusOp::kStationDefaults:
      return WriteRegister(unit, kRegPresets, 0x0111);
    case ModbusOp::kWideDefaults:
      return WriteRegister(unit, kRegPresets, 0x0222);
    case ModbusOp::kDoIt:
      return WriteRegister(unit, kRegApplyNetwork, 0x0333);
  }
  return {};
}

bool ParseIpv4Address(std::string_view text, std::array<uint8_t, 4>& octets) {
  std::array<uint8_t, 4> parsed{};
  size_t at = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0) {
      if (at >= text.size() || text[at] != '.') return false;
      ++at;
    }
    unsigned value = 0;
    const char* begin = text.data() + at;
    const char* end = text.data() + text.size();
    const auto [next, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || next == begin || value > 255) return false;
    parsed[static_cast<size_t>(part)] = static_cast<uint8_t>(value);
    at = static_cast<size_t>(next - text.data());
  }
  if (at != text.size()) return false;
  octets = parsed;
  return true;
}

std::string HexBytesText(const uint8_t* bytes, int count, bool upperCase) {
  const char* digits = upperCase ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string text;
  text.reserve(static_cast<size_t>(count) * 3);
  for (int i = 0; i < count; ++i) {
    text += digits[bytes[i] >> 4];
    text += digits[bytes[i] & 0x0f];
    text += ' ';
  }
  return text;
}

std::string PeriodicReadScript(int delay) {
  return ":loop\nreply 0\npush MODBUS_Read_ID\nwait " + std::to_string(delay) + "\ngoto loop\n";
}

}  // namespace corvalis
