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

class ChannelWriter;
class CommandSender;
class DeferredCommandQueue;

// The Decoder Control page's logic: what it sends and what the last replies
// said. Windows read the parsed replies and the Send Config state from here.
class DecoderControlCommands {
 public:
  DecoderControlCommands(CommandSender& sender, DeferredCommandQueue& queue,
                         const ChannelWriter& channels)
      : sender_(sender), queue_(queue), channels_(channels) {}
  void UpdateStatus(int channel, int readerId);       // "002b"
  void ToggleModulate(int channel, int readerId);     // "013d6d"
  void ResetFpga(int channel, int readerId);          // "013d72"
  void UpdateErrorCounts(int channel, int readerId);  // "0045"
  void GetConfig(int channel, int readerId);          // "ff3b"
  // "043b" + the four bytes at once, then "012a" + pages from slot 0 on the
  // next tick; Send Config stays disabled until a status or configuration
  // reply comes. On a closed channel the sender warns, nothing is queued
  // and Send Config stays enabled: no reply would ever enable it again.
  void SendConfig(int channel, int readerId, const DecoderConfig& config, int expectedPages);
  // A reply of code 0x2b, 0x3b or 0x45: `data` holds the hex data bytes.
  void TakeReply(int code, std::string_view data, int dataLength);
  bool SendConfigEnabled() const { return sendConfigEnabled_; }
  const DecoderStatus& Status() const { return status_; }
  const std::optional<DecoderConfig>& Config() const { return config_; }
  const std::optional<std::array<int, 6>>& ErrorCounts() const { return errorCounts_; }

 private:
  CommandSender& sender_;
  DeferredCommandQueue& queue_;
  const ChannelWriter& channels_;
  bool sendConfigEnabled_ = true;
  DecoderStatus status_;
  std::optional<DecoderConfig> config_;
  std::optional<std::array<int, 6>> errorCounts_;
};

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
