#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "RwController.h"

namespace corvalis::readersim {

enum class LinkKind { kNone, kTcp, kPty, kSerial };

// The tag-message layouts the simulator can start with.
enum class FormatPreset { kDefault, kStandard, kReduced, kExtended, kBinary };

// The read rate "--rate max" schedules; the link's backlog paces it.
inline constexpr double kUnlimitedRate = 1'000'000.0;

struct Options {
  LinkKind link = LinkKind::kNone;
  int tcpPort = 0;  // 0 picks a free port
  std::string serialDevice;
  int baud = 9600;
  FormatPreset format = FormatPreset::kDefault;
  int tags = 12;
  double rate = 20.0;  // reads per second, all tags together
  // "--rate max": as fast as the console takes them, for benchmarks.
  bool unlimited = false;
  int passes = 0;  // 0 streams for ever
  int readsPerPass = 5;
  uint32_t seed = 1;
  int readerId = 0;
  bool tamper = false;
  bool flagFS = false;
  bool flagLS = false;
  bool noise = false;
  bool msTiming = false;   // fill the ms-timing fields
  int triggerEveryMs = 0;  // 0: triggers only on the "ff2c" query
  // Fault injection: commands with this code (-1: none) get `faultError` as
  // an error reply, or no reply at all when `faultSilent`.
  int faultCommand = -1;
  int faultError = 0xF2;
  bool faultSilent = false;
  // The read/write controller's faults.
  RwFaults rwFaults;
};

struct ParseResult {
  Options options;
  bool help = false;
  std::string error;  // empty when the arguments were good
};

// `args` excludes the program name. Accepts "--name value" and "--name=value".
ParseResult ParseOptions(const std::vector<std::string>& args);

std::string UsageText();

}  // namespace corvalis::readersim
