#include "CommandProcessor.h"

#include <array>

#include "BootLoader.h"
#include "FormatPresets.h"
#include "ReplyBuilder.h"
#include "TimingFields.h"
#include "protocol/Checksums.h"
#include "protocol/Hex.h"

namespace corvalis::readersim {
namespace {

constexpr int kQuery = 0xFF;

// A query carries no data; readers take LL ff and LL 00 alike.
bool IsQuery(int ll) {
  return ll == kQuery || ll == 0;
}

uint8_t Bcd(int value) {
  return static_cast<uint8_t>((value / 10) << 4 | (value % 10));
}

}  // namespace

void CommandProcessor::Receive(const char* bytes, size_t count, std::vector<std::string>& replies) {
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
}

std::string CommandProcessor::HandleLine(std::string_view line) {
  if (line.size() < 2 || line[0] != 'a' || line[1] != 'b') return {};

  uint8_t readerId = 0;
  const bool haveId = line.size() >= 4 && ReadHexByte(line.data() + 2, readerId);
  if (haveId && readerId != 0 && readerId != state_.readerId) return {};
  ++state_.stats.commands;

  bool wellFormed = haveId && line.size() >= 10 && line.size() % 2 == 0;
  for (size_t i = 2; wellFormed && i < line.size(); ++i) wellFormed = IsHexDigit(line[i]);
  if (!wellFormed) return Error(reply_code::kLengthError);

  if (!CheckLrc(line.data() + 2, static_cast<int>(line.size()) - 2)) {
    return Error(reply_code::kBadLrc);
  }

  uint8_t ll = 0;
  uint8_t cc = 0;
  ReadHexByte(line.data() + 4, ll);
  ReadHexByte(line.data() + 6, cc);
  const size_t dataChars = line.size() - 10;
  const size_t expectedChars = ll == kQuery ? 0 : 2u * ll;
  if (dataChars != expectedChars) return Error(reply_code::kLengthError);

  std::vector<uint8_t> data(dataChars / 2);
  for (size_t i = 0; i < data.size(); ++i) ReadHexByte(line.data() + 8 + 2 * i, data[i]);
  return Dispatch(ll, cc, data);
}

std::string CommandProcessor::Dispatch(int ll, int cc, const std::vector<uint8_t>& data) {
  const int rid = state_.readerId;
  switch (cc) {
    case reply_code::kMessageFormat:
      if (ll == 10) {
        // The binary flag is a line setting, not part of the format bytes.
        FormatBytes b;
        b.flags1 = data[0];
        b.idMask = data[1];
        b.asciiHeader1 = data[2];
        b.asciiHeader2 = data[3];
        b.binHeader1 = data[4];
        b.binHeader2 = data[5];
        b.trailer1 = data[6];
        b.trailer2 = data[7];
        b.separator = data[8];
        b.flags2 = data[9];
        state_.format.ApplyFormatBytes(b);
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
      // The controller restarts into its loader without a reply.
      state_.bootRequested = true;
      return {};

    default:
      return Error(reply_code::kUnknownCommand);
  }
}

std::string CommandProcessor::FormatReply() const {
  const FormatBytes b = FormatBytesOf(state_.format);
  const std::array<uint8_t, 10> bytes = {b.flags1,     b.idMask,     b.asciiHeader1, b.asciiHeader2,
                                         b.binHeader1, b.binHeader2, b.trailer1,     b.trailer2,
                                         b.separator,  b.flags2};
  return FrameReply(state_.readerId, reply_code::kMessageFormat, bytes);
}

std::string CommandProcessor::Error(uint8_t code) {
  ++state_.stats.errorReplies;
  return ErrorReply(state_.readerId, code);
}

}  // namespace corvalis::readersim
