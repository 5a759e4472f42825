#include "ModbusModule.h"

namespace corvalis::readersim {
namespace {

constexpr size_t kHeaderLength = 6;  // transaction, protocol, length
constexpr int kMaxFollowing = 254;   // unit, function and data of one request
constexpr int kTagRegister = 1;
constexpr int kLastTagRegister = 17;
constexpr int kIdWords = 4;
constexpr int kCoilRf = 1001;
constexpr int kCoilBeep = 1002;

constexpr uint8_t kIllegalFunction = 1;
constexpr uint8_t kIllegalAddress = 2;
constexpr uint8_t kIllegalValue = 3;

int Word(const uint8_t* at) {
  return at[0] << 8 | at[1];
}

void PutWord(std::string& out, int value) {
  out += static_cast<char>((value >> 8) & 0xff);
  out += static_cast<char>(value & 0xff);
}

// The reply's PDU in the request's header, its length field recomputed.
std::string Framed(const uint8_t* request, const std::string& pdu) {
  std::string out(reinterpret_cast<const char*>(request), 4);
  PutWord(out, static_cast<int>(pdu.size()) + 1);
  out += static_cast<char>(request[6]);
  return out + pdu;
}

std::string Exception(int function, uint8_t code) {
  std::string pdu;
  pdu += static_cast<char>(function | 0x80);
  pdu += static_cast<char>(code);
  return pdu;
}

}  // namespace

ModbusModule::ModbusModule(const ReadEncoder& encoder, int tags) : encoder_(encoder), tags_(tags) {
  Reset();
}

void ModbusModule::Reset() {
  inputs_.clear();
  for (int i = 0; i < kIdWords; ++i) {
    inputs_[kTagRegister + i] = 0;
    inputs_[kLastTagRegister + i] = 0;
  }
  holding_ = {{819, 0},  {1003, 3},      {1004, 255},    {1638, 0},
              {1911, 0}, {2001, 0xc0a8}, {2002, 0x021f}, {2003, 502}};
  coils_ = {{kCoilRf, true}, {kCoilBeep, false}};
  pending_.clear();
}

uint16_t ModbusModule::Register(int address) const {
  const auto found = holding_.find(address);
  return found == holding_.end() ? 0 : found->second;
}

bool ModbusModule::Coil(int address) const {
  const auto found = coils_.find(address);
  return found != coils_.end() && found->second;
}

size_t ModbusModule::Receive(const char* bytes, size_t count, std::vector<std::string>& replies,
                             bool& exited) {
  exited = false;
  for (size_t i = 0; i < count; ++i) {
    pending_ += bytes[i];
    // What cannot start a request header is dropped a byte at a time, so a
    // request after noise is still found.
    while (pending_.size() >= kHeaderLength && !HeaderFits()) pending_.erase(0, 1);
    if (pending_.size() < kHeaderLength) continue;
    const auto* frame = reinterpret_cast<const uint8_t*>(pending_.data());
    const int following = Word(frame + 4);
    if (pending_.size() < kHeaderLength + static_cast<size_t>(following)) continue;
    std::string reply = Handle(frame, pending_.size(), exited);
    pending_.clear();
    if (!reply.empty()) replies.push_back(std::move(reply));
    if (exited) return i + 1;
  }
  return count;
}

bool ModbusModule::HeaderFits() const {
  const auto* frame = reinterpret_cast<const uint8_t*>(pending_.data());
  const int following = Word(frame + 4);
  return Word(frame + 2) == 0 && following >= 2 && following <= kMaxFollowing;
}

std::string ModbusModule::Handle(const uint8_t* frame, size_t length, bool& exited) {
  ++requests_;
  const int function = frame[7];
  const uint8_t* data = frame + 8;
  const size_t dataLength = length - 8;
  if (dataLength < 4) return Framed(frame, Exception(function, kIllegalValue));
  const int address = Word(data);
  const int value = Word(data + 2);
  switch (function) {
    case 3:
      return Framed(frame, ReadHolding(address, value));
    case 4:
      return Framed(frame, ReadInputs(address, value));
    case 5: {
      if (coils_.count(address) == 0) return Framed(frame, Exception(function, kIllegalAddress));
      if (value != 0xff00 && value != 0) return Framed(frame, Exception(function, kIllegalValue));
      coils_[address] = value != 0;
      return Framed(frame, std::string(reinterpret_cast<const char*>(frame + 7), 5));
    }
    case 6:
      if (holding_.count(address) == 0) return Framed(frame, Exception(function, kIllegalAddress));
      holding_[address] = static_cast<uint16_t>(value);
      exited = address == kExitModbusRegister && value == kExitModbusValue;
      return Framed(frame, std::string(reinterpret_cast<const char*>(frame + 7), 5));
    case 16: {
      const int quantity = value;
      if (dataLength < 5 || data[4] != quantity * 2 ||
          dataLength != 5 + static_cast<size_t>(quantity) * 2) {
        return Framed(frame, Exception(function, kIllegalValue));
      }
      for (int i = 0; i < quantity; ++i) {
        if (holding_.count(address + i) == 0)
          return Framed(frame, Exception(function, kIllegalAddress));
      }
      for (int i = 0; i < quantity; ++i)
        holding_[address + i] = static_cast<uint16_t>(Word(data + 5 + 2 * i));
      return Framed(frame, std::string(reinterpret_cast<const char*>(frame + 7), 5));
    }
    default:
      return Framed(frame, Exception(function, kIllegalFunction));
  }
}

std::string ModbusModule::ReadInputs(int address, int quantity) {
  if (quantity < 1 || quantity > 125) return Exception(4, kIllegalValue);
  for (int i = 0; i < quantity; ++i) {
    if (inputs_.count(address + i) == 0) return Exception(4, kIllegalAddress);
  }
  if (address == kTagRegister) LoadNextTag();
  std::string pdu;
  pdu += static_cast<char>(4);
  pdu += static_cast<char>(quantity * 2);
  for (int i = 0; i < quantity; ++i) PutWord(pdu, inputs_[address + i]);
  return pdu;
}

std::string ModbusModule::ReadHolding(int address, int quantity) {
  if (quantity < 1 || quantity > 125) return Exception(3, kIllegalValue);
  for (int i = 0; i < quantity; ++i) {
    if (holding_.count(address + i) == 0) return Exception(3, kIllegalAddress);
  }
  std::string pdu;
  pdu += static_cast<char>(3);
  pdu += static_cast<char>(quantity * 2);
  for (int i = 0; i < quantity; ++i) PutWord(pdu, holding_[address + i]);
  return pdu;
}

// Each read of register 1 takes the next tag of the field, round robin;
// with the transmitter off there is none (all zeros).
void ModbusModule::LoadNextTag() {
  if (!Coil(kCoilRf) || tags_ <= 0) {
    for (int i = 0; i < kIdWords; ++i) inputs_[kTagRegister + i] = 0;
    return;
  }
  const TagId& id = encoder_.Id(nextTag_);
  nextTag_ = (nextTag_ + 1) % tags_;
  for (int i = 0; i < kIdWords; ++i) {
    const auto word = static_cast<uint16_t>(id[static_cast<size_t>(2 * i)] << 8 |
                                            id[static_cast<size_t>(2 * i + 1)]);
    inputs_[kTagRegister + i] = word;
    inputs_[kLastTagRegister + i] = word;
  }
}

}  // namespace corvalis::readersim
