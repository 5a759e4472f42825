#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvalis {

// The decoder FPGA's status (reply 0x2b), configuration (0x3b) and error
// counts (0x45). Every field is read only when the reply holds it, so a
// short or truncated reply shows what it has and nothing more.

// Data bytes of a reply: at most `dataLength` bytes and at most what the
// hex text holds; a byte that is not hex ends the data.
class ReplyBytes {
 public:
  ReplyBytes(std::string_view hexData, int dataLength);
  int Count() const { return count_; }
  std::optional<int> At(int index) const;

 private:
  std::array<uint8_t, 255> bytes_{};
  int count_ = 0;
};

struct DecoderStatus {
  std::optional<int> errors;        // D0
  std::optional<int> overruns;      // D1
  bool partiallySupported = false;  // L <= 2: only the two counts
  std::optional<int> fpgaVersion;   // low four bits of D2
  bool timeoutFlag = false;         // D2 bit 7
  bool bufferOverrunFlag = false;   // D2 bit 6
  std::string versionText;          // one hex digit, or "v" g "." minor "." build
  int generation = 0;               // 0: unknown version; only version and counts shown
  bool relabelledBoxes = false;     // generations 1, 2, 6
  bool fourChannels = false;        // generation 5
  std::array<std::optional<int>, 4> edges{};
  std::array<std::optional<int>, 4> crcs{};
  std::array<std::optional<int>, 2> levels{};
  std::optional<int> config;   // C
  std::optional<int> control;  // K
  std::string ioText;          // generation 5: D[s+10] as received
  std::optional<int> threshold;
  // Derived from C: tag baud index is 3 minus bits 0-1.
  std::optional<int> TagBaudIndex() const;
  std::optional<int> ExpectedTtoPages() const;
};
DecoderStatus ParseDecoderStatus(std::string_view hexData, int dataLength);

struct DecoderConfig {
  bool invert = false;
  bool filterBypass = false;
  int tagBaud = 0;  // 0..3
  bool txOffInvert = false;
  bool synth = false;
  bool dutyCycle = false;
  bool modeKvq6 = false;
  int threshold = 0;  // 0..255
  bool useSpecificMode = false;
  int rwTimeout = 0;    // 0..7
  int addressMode = 0;  // 0..3
};
// The answer to "ff3b"; nullopt when L is below 4.
std::optional<DecoderConfig> ParseDecoderConfig(std::string_view hexData, int dataLength);
// "043b" + the four configuration bytes.
std::string SendConfigBody(const DecoderConfig& config);
// "012a" + expected TTO pages as two hex digits.
std::string ExpectedPagesBody(int pages);

// Timeouts, Overruns, Edges, CRCs, RW Timeouts, Soft Timeouts; nullopt when
// L is 11 or less.
std::optional<std::array<int, 6>> ParseErrorCounts(std::string_view hexData, int dataLength);

// "002b" every interval seconds; 0 is off.
class DecoderAutoUpdate {
 public:
  void SetInterval(int seconds);
  // True when "002b" is due on this 100 ms tick.
  bool Tick();

 private:
  int interval_ = 0;
  int countdown_ = 0;
};

}  // namespace corvalis
