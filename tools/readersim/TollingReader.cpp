#include "TollingReader.h"

#include <algorithm>
#include <cstdio>

#include "ReplyBuilder.h"
#include "protocol/Hex.h"

namespace corvalis::readersim {
namespace {

constexpr int kQuery = 0xFF;
constexpr uint8_t kTimeoutsCode = 0x24;
constexpr uint8_t kPageCode = 0x2E;
constexpr uint8_t kTariffsCode = 0x57;
constexpr uint8_t kReadPointCode = 0x58;
constexpr uint8_t kModeCode = 0x59;
constexpr int32_t kMinBalance = -0x800000;
constexpr int32_t kMaxBalance = 0x7FFFFF;
constexpr int32_t kStartBalance = 5000;

// Result codes of the reports.
constexpr int kNotTolling = 0;
constexpr int kInvalidVehicleType = 5;
constexpr int kCreditAdded = 8;
constexpr int kVipPassed = 9;
constexpr int kDeductedPositive = 11;
constexpr int kDeductedNegative = 12;
constexpr int kCreditSet = 13;
constexpr int kTollReport = 16;
constexpr int kRegistered = 17;
constexpr int kRegistrationFailed = 18;

bool IsQuery(int ll) {
  return ll == kQuery || ll == 0;
}

std::string Hex(uint32_t value, int digits) {
  char text[12];
  std::snprintf(text, sizeof text, "%0*x", digits, value);
  return text;
}

uint32_t Field(const std::string& page, int first, int count) {
  uint32_t value = 0;
  for (int i = first - 1; i < first - 1 + count; ++i) {
    value = value << 4 |
            static_cast<uint32_t>(std::max(0, HexDigitValue(page[static_cast<size_t>(i)])));
  }
  return value;
}

int32_t Balance(const std::string& page2) {
  const auto raw = static_cast<int32_t>(Field(page2, 7, 6));
  return (raw & 0x800000) != 0 ? raw - 0x1000000 : raw;
}

std::string FirstPage(int vehicleClass) {
  return "0000000000" + Hex(static_cast<uint32_t>(vehicleClass), 2) + "0000";
}

std::string SecondPage(int readPoint, int32_t balance) {
  balance = std::clamp(balance, kMinBalance, kMaxBalance);
  return "0000" + Hex(static_cast<uint32_t>(readPoint), 2) +
         Hex(static_cast<uint32_t>(balance) & 0xFFFFFFu, 6) + "0000";
}

std::string PageText(const std::vector<uint8_t>& data) {
  std::string text;
  for (size_t i = 1; i < data.size(); ++i) text += Hex(data[i], 2);
  return text;
}

}  // namespace

TollingReader::TollingReader(int tags, bool modeInReport) : modeInReport_(modeInReport) {
  tags_.resize(static_cast<size_t>(std::max(tags, 0)));
  for (size_t t = 0; t < tags_.size(); ++t) {
    tags_[t] = {FirstPage(static_cast<int>(t % (kClasses + 1))), SecondPage(0, kStartBalance)};
  }
}

std::optional<std::string> TollingReader::Handle(int rid, int ll, int cc,
                                                 const std::vector<uint8_t>& data) {
  auto echo = [&] { return FrameReply(rid, static_cast<uint8_t>(cc), data); };
  auto error = [&](uint8_t code) { return ErrorReply(rid, code); };
  switch (cc) {
    case kModeCode:
      if (IsQuery(ll)) {
        std::vector<uint8_t> reply = {static_cast<uint8_t>(mode_)};
        if (mode_ == 2 || mode_ == 3) {
          for (int shift = 24; shift >= 0; shift -= 8)
            reply.push_back(static_cast<uint8_t>(credit_ >> shift));
        }
        return FrameReply(rid, kModeCode, reply);
      }
      if (ll == 1 && data[0] <= 5) {
        mode_ = data[0];
        return echo();
      }
      if (ll == 5 && (data[0] == 2 || data[0] == 3)) {
        mode_ = data[0];
        credit_ =
            uint32_t{data[1]} << 24 | uint32_t{data[2]} << 16 | uint32_t{data[3]} << 8 | data[4];
        return echo();
      }
      return error(ll == 1 || ll == 5 ? reply_code::kUnsupportedSubCommand
                                      : reply_code::kLengthError);

    case kReadPointCode:
      if (IsQuery(ll)) {
        const std::array<uint8_t, 2> reply = {static_cast<uint8_t>(readPoint_),
                                              static_cast<uint8_t>(focReadPoint_)};
        return FrameReply(rid, kReadPointCode, reply);
      }
      if (ll != 2) return error(reply_code::kLengthError);
      readPoint_ = data[0];
      focReadPoint_ = data[1];
      return echo();

    case kTariffsCode:
      if (IsQuery(ll)) {
        std::vector<uint8_t> reply = {static_cast<uint8_t>(classes_)};
        for (const int t : tariffs_) {
          reply.push_back(static_cast<uint8_t>(t >> 8));
          reply.push_back(static_cast<uint8_t>(t & 0xFF));
        }
        return FrameReply(rid, kTariffsCode, reply);
      }
      if (ll != 11) return error(reply_code::kLengthError);
      classes_ = data[0];
      for (int i = 0; i < kClasses; ++i) {
        tariffs_[static_cast<size_t>(i)] =
            data[static_cast<size_t>(1 + 2 * i)] << 8 | data[static_cast<size_t>(2 + 2 * i)];
      }
      return echo();

    case kTimeoutsCode:
      if (IsQuery(ll)) return FrameReply(rid, kTimeoutsCode, timeouts_);
      if (ll != kTimeouts) return error(reply_code::kLengthError);
      std::copy(data.begin(), data.end(), timeouts_.begin());
      return echo();

    case kPageCode:
      if (ll != 9) return error(reply_code::kLengthError);
      if (data[0] == 1) {
        registered1_ = PageText(data);
      } else if (data[0] == 2) {
        registered2_ = PageText(data);
      } else {
        return error(reply_code::kUnsupportedSubCommand);
      }
      return echo();

    default:
      return std::nullopt;
  }
}

std::string TollingReader::Pass(int tag, const std::string& id) {
  Tag& t = tags_[static_cast<size_t>(tag)];
  const std::string oldPage2 = t.page2;
  int result = kNotTolling;
  const auto vehicleClass = static_cast<int>(Field(t.page1, 11, 2));
  const auto lastReadPoint = static_cast<int>(Field(t.page2, 5, 2));
  const int32_t balance = Balance(t.page2);
  switch (mode_) {
    case 1:  // toll: VIPs and vehicles from the FOC read point pass free
      if (vehicleClass == 0) {
        result = kVipPassed;
      } else if (vehicleClass > std::min(classes_, kClasses)) {
        result = kInvalidVehicleType;
        break;
      } else {
        const int32_t toll =
            lastReadPoint == focReadPoint_ ? 0 : tariffs_[static_cast<size_t>(vehicleClass - 1)];
        result = balance - toll >= 0 ? kDeductedPositive : kDeductedNegative;
        t.page2 = SecondPage(lastReadPoint, balance - toll);
      }
      t.page2 = SecondPage(readPoint_, Balance(t.page2));
      break;
    case 2:
      t.page2 =
          SecondPage(lastReadPoint, static_cast<int32_t>(std::min<uint32_t>(credit_, kMaxBalance)));
      result = kCreditSet;
      break;
    case 3:
      t.page2 = SecondPage(lastReadPoint, static_cast<int32_t>(std::min<int64_t>(
                                              int64_t{balance} + credit_, kMaxBalance)));
      result = kCreditAdded;
      break;
    case 4:
      if (registered1_ && registered2_) {
        t.page1 = *registered1_;
        t.page2 = *registered2_;
        result = kRegistered;
      } else {
        result = kRegistrationFailed;
      }
      break;
    case 5:
      result = kTollReport;
      break;
    default:
      break;
  }

  std::string line = "a1";
  if (modeInReport_) line += Hex(static_cast<uint32_t>(mode_), 2);
  line += Hex(static_cast<uint32_t>(result), 2) + "00" + id;
  if (mode_ != 0) line += t.page1 + t.page2 + oldPage2;
  unsigned sum = 0;
  for (size_t i = 2; i < line.size(); ++i) sum += static_cast<unsigned char>(line[i]);
  return line + Hex(sum & 0xFF, 2) + "\r\n";
}

}  // namespace corvalis::readersim
