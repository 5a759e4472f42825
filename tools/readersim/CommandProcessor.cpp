#include "CommandProcessor.h"

#include <algorithm>
#include <array>
#include <optional>

#include "BootLoader.h"
#include "FormatPresets.h"
#include "ModbusModule.h"
#include "ReplyBuilder.h"
#include "TimingFields.h"
#include "protocol/Checksums.h"
#include "protocol/Hex.h"

namespace corvalis::readersim {
namespace {

constexpr int kQuery = 0xFF;
constexpr int kBroadcast = 0xFF;
constexpr uint8_t kSetIoConfig = 0x19;
constexpr uint8_t kGetIoConfig = 0x1b;
constexpr int kControllerBootCode = 0x0c;

// A query carries no data; readers take LL ff and LL 00 alike.
bool IsQuery(int ll) {
  return ll == kQuery || ll == 0;
}

uint8_t Bcd(int value) {
  return static_cast<uint8_t>((value / 10) << 4 | (value % 10));
}

}  // namespace

size_t CommandProcessor::Receive(const char* bytes, size_t count,
                                 std::vector<std::string>& replies) {
  for (size_t i = 0; i < count; ++i) {
    const char c = bytes[i];
    if (c == '\r' || c == '\n') {
      if (overlong_) {
        // The reader's buffer overran; it says so once the line ends.
        replies.push_back(Error(reply_code::kLengthError));
      } else if (!pending_.empty()) {
        std::string reply = HandleLine(pending_);
        if (!reply.empty()) replies.push_back(std::move(reply));
      }
      pending_.clear();
      overlong_ = false;
      if (state_.bootRequested || state_.modbusRequested) {
        // The line's own LF still belongs to it.
        if (c == '\r' && i + 1 < count && bytes[i + 1] == '\n') ++i;
        return i + 1;
      }
      continue;
    }
    if (overlong_) continue;
    if (pending_.size() >= kMaxCommandLine) {
      overlong_ = true;
      pending_.clear();
      continue;
    }
    pending_ += c;
  }
  return count;
}

std::string CommandProcessor::HandleLine(std::string_view line) {
  if (line.size() < 2 || line[0] != 'a' || line[1] != 'b') return {};

  uint8_t readerId = 0;
  const bool haveId = line.size() >= 4 && ReadHexByte(line.data() + 2, readerId);
  // 255 is the broadcast address: it reaches the tag simulator when one is
  // on the line, else this reader, as 0 does.
  const bool toTagSim = haveId && state_.tagSimAddress >= 0 &&
                        (readerId == state_.tagSimAddress || readerId == kBroadcast);
  if (haveId && !toTagSim && readerId != 0 && readerId != kBroadcast && readerId != state_.readerId)
    return {};
  ++state_.stats.commands;

  bool wellFormed = haveId && line.size() >= 10 && line.size() % 2 == 0;
  for (size_t i = 2; wellFormed && i < line.size(); ++i) wellFormed = IsHexDigit(line[i]);
  if (!wellFormed) return Error(reply_code::kLengthError);

  // The first generation's transmit is one fixed line whose check byte the
  // controller takes as it is.
  if (line == "ab00001627") {
    state_.rw.Transmit1G(state_.readerId, NowMs());
    return {};
  }
  if (!CheckLrc(line.data() + 2, static_cast<int>(line.size()) - 2)) {
    return Error(reply_code::kBadLrc);
  }

  // The handheld reads its length bytes by its own rule.
  if (std::optional<std::string> reply = state_.handheld.HandleLine(state_.readerId, line, NowMs()))
    return *reply;

  uint8_t ll = 0;
  uint8_t cc = 0;
  ReadHexByte(line.data() + 4, ll);
  ReadHexByte(line.data() + 6, cc);
  const size_t dataChars = line.size() - 10;
  // LL f1 to fe: a read-back that carries (LL & 0f) bytes, such as "f12e".
  const size_t expectedChars = ll == kQuery ? 0 : (ll & 0xF0) == 0xF0 ? 2u * (ll & 0x0F) : 2u * ll;
  if (dataChars != expectedChars) return Error(reply_code::kLengthError);

  if (cc == state_.faultCommand) {
    if (state_.faultSilent) return {};
    return Error(static_cast<uint8_t>(state_.faultError));
  }

  std::vector<uint8_t> data(dataChars / 2);
  for (size_t i = 0; i < data.size(); ++i) ReadHexByte(line.data() + 8 + 2 * i, data[i]);
  if (toTagSim) {
    std::string ack = state_.tagSim.Handle(state_.tagSimAddress, ll, cc, data);
    return ack.empty() ? ErrorReply(state_.tagSimAddress, reply_code::kUnknownCommand) : ack;
  }
  return Dispatch(ll, cc, data);
}

std::string CommandProcessor::Dispatch(int ll, int cc, const std::vector<uint8_t>& data) {
  const int rid = state_.readerId;
  // The tolling application's page writes share "2e" with the read/write
  // controller's page buffer, so it answers first when it runs.
  if (state_.tolling) {
    if (auto reply = state_.toll.Handle(rid, ll, cc, data)) return *reply;
  }
  if (state_.rw.Handle(rid, ll, cc, data, NowMs())) return {};
  switch (cc) {
    case reply_code::kMessageFormat:
      // The short form (nine bytes) leaves the second flags byte alone.
      if (ll == 10 || ll == 9) {
        // The binary flag is a line setting, not part of the format bytes.
        // The short form (nine bytes) keeps the second flags byte.
        uint8_t wire[10] = {};
        std::copy(data.begin(), data.begin() + ll, wire);
        if (ll == 9) wire[9] = FormatBytesOf(state_.format).flags2;
        state_.format.ApplyFormatBytes(FormatBytes::FromWire(wire));
        return FormatReply();
      }
      return IsQuery(ll) ? FormatReply() : Error(reply_code::kLengthError);

    case reply_code::kCompositeFormat: {
      if (!IsQuery(ll)) return Error(reply_code::kUnsupportedCommand);
      const std::array<uint8_t, 4> reply = {state_.compositeF, state_.compositeG,
                                            static_cast<uint8_t>(state_.compositeMask >> 8),
                                            static_cast<uint8_t>(state_.compositeMask & 0xFF)};
      return FrameReply(rid, reply_code::kCompositeFormat, reply);
    }

    case reply_code::kRfControl:
      if (ll != 1) return Error(reply_code::kLengthError);
      if (data[0] > 1) return Error(reply_code::kUnsupportedSubCommand);
      state_.rfOn = data[0] == 1;
      return FrameReply(rid, reply_code::kRfControl, data);

    case reply_code::kTrigger:
      return IsQuery(ll) ? TriggerLine(rid, clock_.Now()) : Error(reply_code::kLengthError);

    case reply_code::kDateTime: {
      if (!IsQuery(ll)) return Error(reply_code::kLengthError);
      const std::tm t = LocalCalendar(clock_.Now());
      const std::array<uint8_t, 6> reply = {Bcd(t.tm_year % 100), Bcd(t.tm_mon + 1), Bcd(t.tm_mday),
                                            Bcd(t.tm_hour),       Bcd(t.tm_min),     Bcd(t.tm_sec)};
      return FrameReply(rid, reply_code::kDateTime, reply);
    }

    case reply_code::kStats: {
      if (!IsQuery(ll)) return Error(reply_code::kLengthError);
      const SimStats& s = state_.stats;
      std::vector<uint8_t> reply;
      auto put = [&reply](uint32_t value, int bytes) {
        for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) {
          reply.push_back(static_cast<uint8_t>(value >> shift));
        }
      };
      put(s.readsSent, 4);
      put(s.passesCompleted, 4);
      put(s.commands, 2);
      put(s.errorReplies, 2);
      put(s.noiseLines, 2);
      return FrameReply(rid, reply_code::kStats, reply);
    }

    case kBootCommandCode:
      // The decoder restarts into its loader without a reply.
      state_.bootRequested = true;
      return {};

    case kControllerBootCode:
      // "010c00" (Boot) restarts the controller in its loader once it has
      // answered; "010c01" (Reset) only answers.
      if (ll == 1 && data[0] == 0) state_.bootRequested = true;
      return Configuration(ll, cc, data);

    case kEnterModbusCode:
      state_.modbusRequested = true;
      return FrameReply(rid, static_cast<uint8_t>(cc), data);

    default:
      return Configuration(ll, cc, data);
  }
}

// Configuration commands of the menu, panels, Hopping and Decoder Control
// pages: a set is acknowledged with its own code and data, a read-back
// returns the data last set.
std::string CommandProcessor::Configuration(int ll, int cc, const std::vector<uint8_t>& data) {
  static constexpr std::array<uint8_t, 30> kAccepted = {
      0x01, 0x03, 0x04, 0x05, 0x07, 0x08, 0x09, 0x0a, 0x0c, 0x0d, 0x0e, 0x0f, 0x12, 0x18, 0x19,
      0x1b, 0x1c, 0x1f, 0x27, 0x2a, 0x30, 0x31, 0x32, 0x33, 0x34, 0x39, 0x3e, 0x81, 0x3b, 0x3d};
  const int rid = state_.readerId;
  switch (cc) {
    case reply_code::kDecoderStatus:
      return DecoderStatusReply();
    case reply_code::kDecoderErrorCounts: {
      // Timeouts, overruns, edges, CRCs, RW timeouts, soft timeouts.
      const std::array<uint8_t, 12> counts = {0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 1, 0};
      return FrameReply(rid, reply_code::kDecoderErrorCounts, counts);
    }
    case reply_code::kDecoderConfig:
      if (IsQuery(ll)) return FrameReply(rid, reply_code::kDecoderConfig, state_.decoderConfig);
      if (ll != 4) return Error(reply_code::kLengthError);
      std::copy(data.begin(), data.end(), state_.decoderConfig.begin());
      return FrameReply(rid, reply_code::kDecoderConfig, data);
    case reply_code::kDecoderControl:
      if (ll != 1) return Error(reply_code::kLengthError);
      if (data[0] == 'm')
        state_.decoderControl ^= 0x02;
      else if (data[0] == 'r')
        state_.decoderControl = 0;
      else
        return Error(reply_code::kUnsupportedSubCommand);
      return FrameReply(rid, reply_code::kDecoderControl, data);
    default:
      break;
  }
  if (std::find(kAccepted.begin(), kAccepted.end(), cc) == kAccepted.end()) {
    return Error(reply_code::kUnknownCommand);
  }
  // "Get" of the I/O configuration answers with the bytes last set by 0x19.
  if (cc == kGetIoConfig) return FrameReply(rid, kGetIoConfig, state_.settings[kSetIoConfig]);
  std::vector<uint8_t>& kept = state_.settings[static_cast<size_t>(cc)];
  if (ll == kQuery) return FrameReply(rid, static_cast<uint8_t>(cc), kept);
  kept = data;
  if (cc == reply_code::kTtoPages && !data.empty()) state_.ttoPages = data[0] & 0x0F;
  // The reply to a new reader ID already comes from the new ID.
  if (cc == reply_code::kSetReaderId && data.size() == 1) state_.readerId = data[0];
  return FrameReply(state_.readerId, static_cast<uint8_t>(cc), data);
}

// A third-generation decoder (version 8): errors, overruns, version, edges 1
// and 2, CRC counts 1 and 2, levels 1 and 2, C, K and the threshold.
std::string CommandProcessor::DecoderStatusReply() const {
  const std::array<uint8_t, 4>& config = state_.decoderConfig;
  const auto baud = static_cast<uint8_t>(3 - (config[0] & 3));
  const auto c = static_cast<uint8_t>((config[0] & 0xC0) | (state_.ttoPages << 2) | baud);
  const auto k =
      static_cast<uint8_t>((config[1] & 0xF0) | (state_.rfOn ? 0 : 0x04) | state_.decoderControl);
  const std::array<uint8_t, 12> status = {0, 0, 0x08, 10, 11, 1, 2, 0x40, 0x41, c, k, config[2]};
  return FrameReply(state_.readerId, reply_code::kDecoderStatus, status);
}

std::string CommandProcessor::FormatReply() const {
  const FormatBytes b = FormatBytesOf(state_.format);
  const std::array<uint8_t, 10> bytes = {b.flags1,     b.idMask,     b.asciiHeader1, b.asciiHeader2,
                                         b.binHeader1, b.binHeader2, b.trailer1,     b.trailer2,
                                         b.separator,  b.flags2};
  return FrameReply(state_.readerId, reply_code::kMessageFormat, bytes);
}

int64_t CommandProcessor::NowMs() const {
  const WallTime now = clock_.Now();
  return int64_t{now.sec} * 1000 + now.ms;
}

std::string CommandProcessor::Error(uint8_t code) {
  ++state_.stats.errorReplies;
  return ErrorReply(state_.readerId, code);
}

}  // namespace corvalis::readersim
