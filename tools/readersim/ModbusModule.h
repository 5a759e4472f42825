#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "ReadStream.h"

namespace corvalis::readersim {

// The reader command code that switches the network module to Modbus.
inline constexpr int kEnterModbusCode = 0x5a;
// Writing this value to this holding register switches it back.
inline constexpr int kExitModbusRegister = 819;
inline constexpr uint16_t kExitModbusValue = 0x0555;

// The reader's network module in Modbus mode: Modbus TCP requests and their
// replies on the same socket as the reader's ASCII commands. Input register 1
// (four words) gives the next tag in the field and register 17 the last one
// given; coil 1001 is the transmitter (no tags while off), 1002 the beeper;
// holding registers 819, 1003, 1004, 1638, 1911 and 2001 to 2003.
class ModbusModule {
 public:
  explicit ModbusModule(const ReadEncoder& encoder, int tags);

  // Bytes from the client in any pieces; each complete request's reply goes
  // to `replies`. Returns the bytes taken: after the request that ends Modbus
  // mode it stops, and `exited` is set; the rest belongs to the reader.
  size_t Receive(const char* bytes, size_t count, std::vector<std::string>& replies, bool& exited);

  // A fresh start each time the module enters Modbus mode.
  void Reset();

  uint16_t Register(int address) const;
  bool Coil(int address) const;
  int Requests() const { return requests_; }

 private:
  // The held bytes begin with protocol 0 and a possible length.
  bool HeaderFits() const;
  std::string Handle(const uint8_t* frame, size_t length, bool& exited);
  std::string ReadInputs(int address, int quantity);
  std::string ReadHolding(int address, int quantity);
  void LoadNextTag();

  const ReadEncoder& encoder_;
  int tags_;
  int nextTag_ = 0;
  std::map<int, uint16_t> inputs_;
  std::map<int, uint16_t> holding_;
  std::map<int, bool> coils_;
  std::string pending_;
  int requests_ = 0;
};

}  // namespace corvalis::readersim
