#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <vector>

#include "HandheldReader.h"
#include "RwController.h"
#include "TagSimulator.h"
#include "TollingReader.h"
#include "common/Clock.h"
#include "protocol/MessageFormat.h"

namespace corvalis::readersim {

struct SimStats {
  uint32_t readsSent = 0;  // tag messages, damaged ones included
  uint32_t passesCompleted = 0;
  uint16_t commands = 0;  // command lines addressed to this reader
  uint16_t errorReplies = 0;
  uint16_t noiseLines = 0;  // bad-LRC messages and garbage lines sent
};

// What the commands can see and change.
struct ReaderState {
  int readerId = 0;
  MessageFormat format;
  bool rfOn = true;
  // Composite layout reported by the composite query. F bit 7 stays clear:
  // this reader streams format messages, and a console that saw composite
  // mode would stop decoding them.
  uint8_t compositeF = 0x2C;  // reader ID, length byte, tag count
  uint8_t compositeG = 0x02;  // I and Q count bytes per tag
  uint16_t compositeMask = 0x000F;
  SimStats stats;
  // A boot command arrived: the controller restarts in its boot loader.
  bool bootRequested = false;
  // "025a3020" arrived: the network module talks Modbus TCP from now on.
  bool modbusRequested = false;
  // Configuration commands keep their data per command code, so the "ff"
  // read-back of a code returns what was last set.
  std::array<std::vector<uint8_t>, 256> settings{};
  // The decoder FPGA: the four "043b" configuration bytes and the expected
  // TTO pages of "012a".
  std::array<uint8_t, 4> decoderConfig{0x01, 0x00, 0x05, 0x00};
  uint8_t ttoPages = 0;
  uint8_t decoderControl = 0x00;  // K: bit 1 modulate, bit 0 reset
  // The read/write controller and its tag.
  RwController rw;
  // The handheld's flash log ("--handheld TYPE"); disabled otherwise.
  HandheldReader handheld;
  // A tag simulator at its own address (-1: none on the line).
  int tagSimAddress = -1;
  TagSimulator tagSim;
  // The road-tolling application ("--tolling"): its commands and reports.
  bool tolling = false;
  TollingReader toll;
  // Fault injection, see Options.
  int faultCommand = -1;
  int faultError = 0xF2;
  bool faultSilent = false;
};

// The computer's local calendar time of a read time.
inline std::tm LocalCalendar(WallTime t) {
  const std::time_t seconds = t.sec;
  std::tm out{};
  localtime_r(&seconds, &out);
  return out;
}

}  // namespace corvalis::readersim
