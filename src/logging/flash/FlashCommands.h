#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvalis {

class ChannelWriter;
class ReaderCommandSender;

// The flash-log command bodies.
namespace flash_body {
inline constexpr std::string_view kRecordStart = "024b0001";
inline constexpr std::string_view kRecordStop = "024b0000";
inline constexpr std::string_view kRewind = "014b02";
inline constexpr std::string_view kErase = "014b03";
inline constexpr std::string_view kStats = "014b04";
inline constexpr std::string_view kPlayStart = "024b0101";
inline constexpr std::string_view kPlayStop = "024b0100";
inline constexpr std::string_view kOne = "004b";
inline constexpr std::string_view kFlush = "014b06";
inline constexpr std::string_view kFormat = "014bd0";
inline constexpr std::string_view kStatus = "ff4b";
inline constexpr std::string_view kModeQuery = "ff09";
inline constexpr std::string_view kSerialQuery = "ff65";
inline constexpr std::string_view kTimeQuery = "0002";
inline constexpr std::string_view kTypeQuery = "0066";
inline constexpr std::string_view kPowerOff = "0049";
inline constexpr std::string_view kBatteryQuery = "0055";
inline constexpr std::string_view kAntennaQuery = "0064";
}  // namespace flash_body

inline constexpr int kStatusCode = 0x4b;
inline constexpr int kModeCode = 0x09;
inline constexpr int kSerialCode = 0x65;
inline constexpr int kTypeCode = 0x66;
inline constexpr int kTimeCode = 0x02;
inline constexpr int kBatteryCode = 0x55;
inline constexpr int kAntennaCode = 0x64;
inline constexpr int kPowerOffCode = 0x49;
// The reader's answer to a new serial number when it already has one.
inline constexpr int kSerialTakenCode = 0xf7;

inline constexpr int kMaxSerialLength = 10;

// Read modes of the mode buttons.
inline constexpr int kModeNormal = 0;
inline constexpr int kModeTrigger = 1;
inline constexpr int kModeFirstLast = 5;

const std::vector<std::string_view>& PlaybackStartSequence();
const std::vector<std::string_view>& PlaybackEndSequence();
const std::vector<std::string_view>& SportUpdateSequence();

// "0309" mode, timeout (clamped to 1..255), "07".
std::string ModeBody(int mode, int timeout);

// The serial number command: the length byte is the character count, plus
// 0x80 when an existing number is to be changed; the reader takes the data
// count from the low four bits, so at most kMaxSerialLength characters keep
// the two readings the same. Empty when the text is empty, too long or not
// printable ASCII.
std::string SerialNumberBody(std::string_view serial, bool change);

// Moving the played mark by `blocks` (negative back); empty for 0.
std::string PlayedMarkBody(int blocks);

// One flash-log command waiting for its turn.
struct QueuedCommand {
  std::string body;
  int acceptedErrorCode = -1;  // an error code that is this command's answer
};

// Commands of one window, sent one at a time: the first of a request goes
// out at once when nothing waits before it and no reply is awaited, the rest
// one per 100 ms tick once the reply before them has come (or timed out).
class FlashCommandQueue {
 public:
  explicit FlashCommandQueue(ReaderCommandSender& sender) : sender_(sender) {}

  void SetTarget(int channel, int readerId) {
    channel_ = channel;
    readerId_ = readerId;
  }
  int Channel() const { return channel_; }
  int ReaderId() const { return readerId_; }

  void Send(std::string_view body, int acceptedErrorCode = -1);
  void Send(const std::vector<std::string_view>& bodies);
  void Tick();
  void Clear() { pending_.clear(); }
  bool Empty() const { return pending_.empty(); }
  size_t Pending() const { return pending_.size(); }

 private:
  void SendNow(const QueuedCommand& command);

  ReaderCommandSender& sender_;
  int channel_ = 0;
  int readerId_ = 0;
  std::deque<QueuedCommand> pending_;
};

}  // namespace corvalis
