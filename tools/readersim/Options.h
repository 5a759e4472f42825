#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "BootLoader.h"
#include "DisplaySink.h"
#include "HandheldReader.h"
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
  // "--counts I,Q": every read carries these I and Q counts (-1: random).
  int fixedICount = -1;
  int fixedQCount = -1;
  uint32_t seed = 1;
  int readerId = 0;
  bool tamper = false;
  bool flagFS = false;
  bool flagLS = false;
  bool noise = false;
  bool msTiming = false;   // fill the ms-timing fields
  int triggerEveryMs = 0;  // 0: triggers only on the "ff2c" query
  // Start with the transmitter off: no tags until "010601" switches it on.
  bool rfOff = false;
  // Fault injection: commands with this code (-1: none) get `faultError` as
  // an error reply, or no reply at all when `faultSilent`.
  int faultCommand = -1;
  int faultError = 0xF2;
  bool faultSilent = false;
  // A pty or serial link hears commands only while the line is set to
  // `baud` (the console's termios speed), like a real reader's UART.
  bool baudOnly = false;
  // "--display-sink board|sign": be the console's external display on its
  // output channel instead of a reader; print every frame it is shown.
  SinkKind displaySink = SinkKind::kNone;
  // The boot loader's faults ("--loader-fault RECORD:KIND[:TIMES]") and its
  // line end: XON instead of CR LF.
  std::vector<LoaderFaultSpec> loaderFaults;
  bool loaderXon = false;
  // The read/write controller's faults; with the other-channel fault a
  // second TCP link listens on this port (0 picks a free one).
  RwFaults rwFaults;
  // "--handheld TYPE": a handheld flash-logging reader of that type.
  HandheldConfig handheld;
  // "--tagsim-id N": a tag simulator answers at address N (-1: none).
  int tagSimAddress = -1;
  // A tolling reader: "a1" transaction reports instead of tag messages, with
  // the mode first unless `tollNoMode`.
  bool tolling = false;
  bool tollNoMode = false;
  int rwOtherChannelPort = 0;
};

struct ParseResult {
  Options options;
  bool help = false;
  bool version = false;
  std::string error;  // empty when the arguments were good
};

// `args` excludes the program name. Accepts "--name value" and "--name=value".
ParseResult ParseOptions(const std::vector<std::string>& args);

std::string UsageText();

}  // namespace corvalis::readersim
