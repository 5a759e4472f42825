#include "HandheldReader.h"

#include <algorithm>
#include <ctime>

#include "ReaderState.h"
#include "ReplyBuilder.h"
#include "protocol/Hex.h"

namespace corvalis::readersim {
namespace {

constexpr uint8_t kLogging = 0x4b;
constexpr uint8_t kMode = 0x09;
constexpr uint8_t kSerial = 0x65;
constexpr uint8_t kClock = 0x02;
constexpr uint8_t kSetClock = 0x01;
constexpr uint8_t kType = 0x66;
constexpr uint8_t kPowerOff = 0x49;
constexpr uint8_t kBattery = 0x55;
constexpr uint8_t kAntenna = 0x64;
constexpr uint8_t kSerialTaken = 0xf7;
constexpr uint8_t kFormatMarker = 0xd0;

constexpr int kPlayIntervalMs = 50;
// The reader seeks its flash before the first record of a playback or after
// a rewind.
constexpr int kPlaySeekMs = 1000;
constexpr int kFormatStepMs = 100;
constexpr int kFormatSteps = 20;
constexpr uint8_t kBatteryVolts = 0x37;  // "3.7"
constexpr uint8_t kIndexSlot = 3;
constexpr uint8_t kLineNumber = 7;

uint8_t Bcd(int value) {
  return static_cast<uint8_t>((value / 10) << 4 | (value % 10));
}
int FromBcd(uint8_t value) {
  return (value >> 4) * 10 + (value & 15);
}

}  // namespace

HandheldReader::HandheldReader(const HandheldConfig& config) : config_(config) {
  config_.totalBlocks = std::clamp(config_.totalBlocks, 0, 255);
  config_.recordsPerBlock = std::clamp(config_.recordsPerBlock, 1, 0xffff);
}

int HandheldReader::Capacity() const {
  return std::max(0, config_.totalBlocks - dirtyBlocks_) * config_.recordsPerBlock;
}

std::optional<std::string> HandheldReader::HandleLine(int readerId, std::string_view line,
                                                      int64_t nowMs) {
  static constexpr uint8_t kOwn[] = {kLogging, kMode,     kSerial,  kClock,  kSetClock,
                                     kType,    kPowerOff, kBattery, kAntenna};
  if (!Enabled() || line.size() < 10) return std::nullopt;
  uint8_t ll = 0;
  uint8_t cc = 0;
  if (!ReadHexByte(line.data() + 4, ll) || !ReadHexByte(line.data() + 6, cc)) return std::nullopt;
  if (std::find(std::begin(kOwn), std::end(kOwn), cc) == std::end(kOwn)) return std::nullopt;
  readerId_ = readerId;

  const bool query = ll == 0xff;
  const int count = query ? 0 : ll & 0x0f;
  if (line.size() != 10 + 2u * static_cast<size_t>(count)) return Error(reply_code::kLengthError);
  std::vector<uint8_t> data(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i)
    ReadHexByte(line.data() + 8 + 2 * i, data[static_cast<size_t>(i)]);

  std::string reply;
  switch (cc) {
    case kLogging:
      reply = LoggingCommand(count, query, data, nowMs);
      break;
    case kMode:
      if (count == 3) {
        mode_ = data[0];
        timeout_ = data[1];
      } else if (!query) {
        reply = Error(reply_code::kLengthError);
        break;
      }
      reply = Reply(kMode, {mode_, timeout_, 0x07});
      break;
    case kSerial:
      reply = SerialCommand(ll, data);
      break;
    case kClock:
      reply = ClockReply(nowMs);
      break;
    case kSetClock: {
      if (count != 7) {
        reply = Error(reply_code::kLengthError);
        break;
      }
      std::tm t{};
      t.tm_year = 100 + FromBcd(data[0]);
      t.tm_mon = FromBcd(data[1]) - 1;
      t.tm_mday = FromBcd(data[2]);
      t.tm_hour = FromBcd(data[4]);
      t.tm_min = FromBcd(data[5]);
      t.tm_sec = FromBcd(data[6]);
      t.tm_isdst = -1;
      clockOffsetMs_ = int64_t{std::mktime(&t)} * 1000 - nowMs;
      reply = Reply(kSetClock, data);
      break;
    }
    case kType: {
      const std::string& type = config_.type;
      reply = Reply(kType, std::vector<uint8_t>(type.begin(), type.end()));
      break;
    }
    case kPowerOff:
      // Switched off, it stops recording, playing and reporting; the next
      // command finds it switched on again, as an operator's key press would.
      recording_ = playing_ = false;
      reportIntervalMs_ = 0;
      reply = Reply(kPowerOff, {});
      break;
    case kBattery:
      reply = Reply(kBattery, {kBatteryVolts});
      break;
    case kAntenna:
      reply = Reply(kAntenna, {0x00});  // bit 0 clear: antenna detected
      break;
    default:
      return std::nullopt;
  }
  return reply;
}

std::string HandheldReader::LoggingCommand(int dataCount, bool query,
                                           const std::vector<uint8_t>& data, int64_t nowMs) {
  const int rpb = config_.recordsPerBlock;
  const int stored = static_cast<int>(records_.size());
  if (query) return StatusReply();
  if (dataCount == 0) {
    // "One": the next record, then the status.
    if (played_ >= stored) return StatusReply();
    const std::string& record = records_[static_cast<size_t>(played_++)];
    return record + StatusReply();  // the status counts the record just sent
  }
  const uint8_t sub = data[0];
  if (dataCount == 1) {
    switch (sub) {
      case 0x02:  // rewind
        played_ = 0;
        nextPlayMs_ = nowMs + kPlaySeekMs;
        break;
      case 0x03:  // erase: the recorded blocks are dirty until a format
        dirtyBlocks_ = std::min(config_.totalBlocks, dirtyBlocks_ + (stored + rpb - 1) / rpb);
        records_.clear();
        played_ = 0;
        break;
      case 0x04:  // statistics
        break;
      case 0x06: {  // flush: wholly played blocks become dirty
        const int blocks = played_ / rpb;
        records_.erase(records_.begin(), records_.begin() + blocks * rpb);
        played_ -= blocks * rpb;
        dirtyBlocks_ = std::min(config_.totalBlocks, dirtyBlocks_ + blocks);
        break;
      }
      case kFormatMarker:
        records_.clear();
        played_ = 0;
        dirtyBlocks_ = 0;
        recording_ = playing_ = false;
        formatStep_ = 1;
        nextFormatMs_ = nowMs + kFormatStepMs;
        return Reply(kLogging, {kFormatMarker, 0, kFormatSteps});
      default:
        return Error(reply_code::kUnsupportedSubCommand);
    }
    return StatusReply();
  }
  if (dataCount == 2) {
    const int value = data[1];
    switch (sub) {
      case 0x00:
        recording_ = value != 0;
        break;
      case 0x01:
        playing_ = value != 0;
        nextPlayMs_ = nowMs + kPlaySeekMs;
        break;
      case 0x04:
        played_ = std::min(stored, played_ + value * rpb);
        break;
      case 0x05:
        played_ = std::max(0, played_ - value * rpb);
        break;
      default:
        return Error(reply_code::kUnsupportedSubCommand);
    }
    return StatusReply();
  }
  if (dataCount == 3 && sub == 0x07) {
    // Periodic status reports: on or off, every so many tenths of a second.
    reportIntervalMs_ = data[1] != 0 ? std::max(1, int{data[2]}) * 100 : 0;
    nextReportMs_ = nowMs + reportIntervalMs_;
    return StatusReply();
  }
  return Error(reply_code::kUnsupportedSubCommand);
}

std::string HandheldReader::SerialCommand(int ll, const std::vector<uint8_t>& data) {
  if (ll == 0xff) return Reply(kSerial, std::vector<uint8_t>(serial_.begin(), serial_.end()));
  const bool change = (ll & 0x80) != 0;
  if (data.empty() || data.size() > 10) return Error(reply_code::kLengthError);
  if (!serial_.empty() && !change) return Error(kSerialTaken);
  serial_.assign(data.begin(), data.end());
  return Reply(kSerial, data);
}

std::string HandheldReader::ClockReply(int64_t nowMs) const {
  const int64_t readerMs = nowMs + clockOffsetMs_;
  const std::tm t = LocalCalendar(WallTime{static_cast<int32_t>(readerMs / 1000), 0});
  return Reply(kClock, {Bcd(t.tm_year % 100), Bcd(t.tm_mon + 1), Bcd(t.tm_mday), Bcd(t.tm_wday),
                        Bcd(t.tm_hour), Bcd(t.tm_min), Bcd(t.tm_sec)});
}

void HandheldReader::Record(const std::string& line) {
  if (recording_ && static_cast<int>(records_.size()) < Capacity()) records_.push_back(line);
}

std::string HandheldReader::StatusReply() const {
  const int rpb = config_.recordsPerBlock;
  const int stored = static_cast<int>(records_.size());
  const auto hi = [](int v) { return static_cast<uint8_t>(v >> 8); };
  const auto lo = [](int v) { return static_cast<uint8_t>(v & 0xff); };
  const int flags = (recording_ ? 1 : 0) | (playing_ ? 2 : 0);
  return Reply(kLogging, {lo(flags), lo(stored / rpb), hi(stored % rpb), lo(stored % rpb),
                          lo(played_ / rpb), hi(played_ % rpb), lo(played_ % rpb), lo(dirtyBlocks_),
                          lo(config_.totalBlocks), hi(rpb), lo(rpb), kIndexSlot, kLineNumber});
}

void HandheldReader::TakeDue(int64_t nowMs, std::vector<std::string>& out) {
  while (formatStep_ > 0 && nextFormatMs_ <= nowMs) {
    out.push_back(
        Reply(kLogging, {kFormatMarker, static_cast<uint8_t>(formatStep_), kFormatSteps}));
    formatStep_ = formatStep_ == kFormatSteps ? -1 : formatStep_ + 1;
    nextFormatMs_ += kFormatStepMs;
  }
  while (playing_ && nextPlayMs_ <= nowMs) {
    if (played_ < static_cast<int>(records_.size()))
      out.push_back(records_[static_cast<size_t>(played_++)]);
    nextPlayMs_ += kPlayIntervalMs;
  }
  if (reportIntervalMs_ > 0 && nextReportMs_ <= nowMs) {
    out.push_back(StatusReply());
    nextReportMs_ = nowMs + reportIntervalMs_;
  }
}

int64_t HandheldReader::NextDueMs() const {
  int64_t next = -1;
  const auto consider = [&next](int64_t due) {
    if (next < 0 || due < next) next = due;
  };
  if (formatStep_ > 0) consider(nextFormatMs_);
  if (playing_) consider(nextPlayMs_);
  if (reportIntervalMs_ > 0) consider(nextReportMs_);
  return next;
}

std::string HandheldReader::Reply(uint8_t code, const std::vector<uint8_t>& data) const {
  return FrameReply(readerId_, code, data);
}

std::string HandheldReader::Error(uint8_t code) const {
  return ErrorReply(readerId_, code);
}

}  // namespace corvalis::readersim
