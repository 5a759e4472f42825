#include "control/ReaderConfigBodies.h"

#include <cstdio>

#include "protocol/Hex.h"

namespace corvalis {

namespace {

std::string HexByte(int value) {
  char out[3];
  std::snprintf(out, sizeof out, "%02x", value & 0xff);
  return out;
}

std::string HexDigit(int value) {
  return std::string(1, kLowerHexDigits[value & 0xf]);
}

constexpr size_t kFormatFieldChars = 9;

std::optional<int> WidthCode(int widthKhz) {
  switch (widthKhz) {
    case 50:
      return 200;
    case 100:
      return 100;
    case 125:
      return 80;
    case 250:
      return 40;
    default:
      return std::nullopt;
  }
}

// The highest frequency, in channel widths, that the synthesiser counts
// with A and N; above it A alone carries the offset.
int WidthLimit(int widthKhz) {
  switch (widthKhz) {
    case 50:
      return 19072;
    case 125:
      return 7552;
    case 250:
      return 3712;
    default:
      return 9472;
  }
}

std::string TimingBody(int dwell, int offDelay, int offTime) {
  return "0239" + HexByte(dwell) + HexDigit(offDelay) + HexDigit(offTime);
}

}  // namespace

bool IsHexBody(std::string_view body) {
  if (body.size() < 4 || body.size() % 2 != 0) return false;
  for (char c : body) {
    if (!IsHexDigit(c)) return false;
  }
  return true;
}

BuiltBodies TypedBody(std::string_view body) {
  if (!IsHexBody(body)) return {{}, "Not a command: " + std::string(body)};
  return {{std::string(body)}, {}};
}

std::optional<int> ParseFormatField(std::string_view text) {
  text = text.substr(0, kFormatFieldChars);
  if (text.empty()) return 0;
  if (text.size() == 1) return static_cast<unsigned char>(text[0]);
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  int value = 0;
  for (char c : text) {
    const int digit = HexDigitValue(c);
    if (digit < 0 || digit >= base) return std::nullopt;
    value = value * base + digit;
    if (value > 255) return std::nullopt;
  }
  return value;
}

MessageFormatFields PresetFields(FormatPreset preset, int extraFlags) {
  MessageFormatFields fields;
  fields.extraFlags = extraFlags;
  const std::array<std::string, 7> standard{"a", "0x61", "0xaa", "0x00", "0x0d", "0x0a", "0x00"};
  switch (preset) {
    case FormatPreset::kStandard:
      fields.fieldFlags = 0x7f;
      fields.idBytes = 0xfc;
      fields.typed = standard;
      break;
    case FormatPreset::kReducedMenu:
      fields.idBytes = 0xff;
      fields.typed = {"", "", "0xaa", "0x00", "0x0d", "0x0a", "0x00"};
      break;
    case FormatPreset::kReducedPanel:
      fields.idBytes = 0xff;
      fields.typed = {"", "", "0x00", "0x00", "0x0d", "0x0a", "0x00"};
      break;
    case FormatPreset::kExtended:
      fields.fieldFlags = 0xff;
      fields.idBytes = 0xff;
      fields.typed = standard;
      break;
  }
  return fields;
}

BuiltBodies MessageFormatBody(const MessageFormatFields& fields) {
  std::string body = "0a11" + HexByte(fields.fieldFlags) + HexByte(fields.idBytes);
  for (const std::string& typed : fields.typed) {
    const std::optional<int> value = ParseFormatField(typed);
    if (!value) return {{}, "Not a byte value: \"" + typed + "\" (0 to 255, or 0x00 to 0xff)"};
    body += HexByte(*value);
  }
  body += HexByte(fields.extraFlags);
  return {{body}, {}};
}

std::string MessageModeBody(int mode, int eventTimeout) {
  return "0309" + HexByte(mode) + HexByte(eventTimeout) + "07";
}

std::string BeepBody(int beepMode, int duration) {
  return "020e" + HexByte(beepMode) + HexByte(duration);
}

std::string WiegandBody(bool transmit, bool bits26, int widthIndex, int intervalIndex,
                        int retransmit) {
  const int flags = (transmit ? 0x80 : 0) + (bits26 ? 1 : 0) + 2 * widthIndex + 8 * intervalIndex;
  return "020f" + HexByte(flags) + HexByte(retransmit);
}

std::string TtoPagesBody(int pages) {
  return "012a0" + HexDigit(pages);
}

std::string SetIdBody(int readerId) {
  return "0104" + HexByte(readerId);
}

std::string OutputLevelBody(int level) {
  return "0105" + HexByte(level & 3);
}

BuiltBodies FilterBody(int code, std::string_view value) {
  bool hex = value.size() == 16;
  for (char c : value) hex = hex && IsHexDigit(c);
  if (!hex) return {{}, "A pattern or mask is 16 hexadecimal digits: " + std::string(value)};
  std::string body = "08" + HexByte(code);
  for (char c : value) body += kLowerHexDigits[HexDigitValue(c)];
  return {{body}, {}};
}

FilterPlan SendAllPatterns(const FilterValues& values) {
  FilterPlan plan;
  const BuiltBodies bodies[] = {
      FilterBody(0x30, values.selectPattern), FilterBody(0x31, values.selectMask),
      FilterBody(0x32, values.rejectPattern), FilterBody(0x33, values.rejectMask)};
  for (const BuiltBodies& built : bodies) {
    if (built.Refused()) {
      plan.message = built.message;
      return plan;
    }
  }
  plan.now = bodies[0].bodies[0];
  plan.queued = {
      {7, bodies[1].bodies[0]}, {5, bodies[2].bodies[0]}, {3, bodies[3].bodies[0]}, {0, "0034"}};
  return plan;
}

std::vector<std::string> GetHoppingSetupBodies() {
  return {"ff3e", "ff39"};
}

std::vector<std::string> TagBaudBodies(int baudCode) {
  const std::string baud = HexByte(baudCode);
  return {"058102000206" + baud, "0112" + baud, "058103000206" + baud};
}

std::optional<int> ParseMhzToKhz(std::string_view text) {
  int mhz = 0;
  int khz = 0;
  int fractionDigits = 0;
  bool point = false;
  bool digits = false;
  for (char c : text) {
    if (c == '.' && !point) {
      point = true;
    } else if (c >= '0' && c <= '9') {
      digits = true;
      if (!point) {
        mhz = mhz * 10 + (c - '0');
        if (mhz > 100000) return std::nullopt;
      } else if (fractionDigits < 3) {
        khz = khz * 10 + (c - '0');
        ++fractionDigits;
      } else if (c != '0') {
        return std::nullopt;  // below 1 kHz: no channel width fits
      }
    } else {
      return std::nullopt;
    }
  }
  if (!digits) return std::nullopt;
  for (; fractionDigits < 3; ++fractionDigits) khz *= 10;
  return mhz * 1000 + khz;
}

bool NeedsTimingQuestion(int offDelay, int offTime) {
  return offDelay != 15 || offTime != 14;
}

BuiltBodies FixedFrequencyBodies(int frequencyKhz) {
  const int n = frequencyKhz / 100;
  const int highN = n / 64;
  const int lowA = n - 64 * highN;
  if (frequencyKhz % 100 != 0 || highN > 255) return {{}, "Not a fixed hop frequency"};
  return {{"010501", "083eaa00" + HexByte(lowA) + "00" + HexByte(highN) + "640118", "0027"}, {}};
}

std::vector<std::string> FccHoppingBodies() {
  return {"083eaaf404008d640124", "083eaaf404008d640124", "010500", "010500"};
}

BuiltBodies CeHoppingBodies(int dwell, int offDelay, int offTime, TimingAnswer answer) {
  // Four channels are announced with "010501", as the reader has always had them.
  std::vector<std::string> bodies{"010501", "083eaa031100876406" + HexByte(dwell), "0027"};
  if (answer == TimingAnswer::kCancel) return {bodies, {}};
  if (answer == TimingAnswer::kUseStandard) {
    offDelay = 15;
    offTime = 14;
  }
  bodies.push_back(TimingBody(dwell, offDelay, offTime));
  return {bodies, {}};
}

std::optional<std::string> HopCommandBody(int frequencyKhz, int channels, int widthKhz, int spaces,
                                          int dwell) {
  const std::optional<int> code = WidthCode(widthKhz);
  if (!code || frequencyKhz % widthKhz != 0) return std::nullopt;
  const int n = frequencyKhz / widthKhz;
  const int limit = WidthLimit(widthKhz);
  int a = 0;
  int bigN = 0;
  if (n > limit) {
    a = widthKhz == 100 ? n - 9473 : n - limit;
  } else {
    a = n % 64;
    bigN = n / 64;
  }
  if (a > 255 || bigN > 511) return std::nullopt;
  const int nHigh = bigN > 255 ? 1 : 0;
  const int nLow = bigN > 255 ? bigN - 256 : bigN;
  return "083eaa" + HexByte(channels - 1) + HexByte(a) + HexByte(nHigh) + HexByte(nLow) +
         HexByte(*code) + HexByte(spaces) + HexByte(dwell);
}

BuiltBodies CustomHoppingBodies(const CustomHopPlan& plan, TimingAnswer answer) {
  if (plan.startMhz.empty()) return {{}, "Add Starting Frequency"};
  const std::optional<int> khz = ParseMhzToKhz(plan.startMhz);
  if (!khz || *khz > 960000 || *khz < 840000) return {{}, "Out of range starting freqeuncy"};
  if (!WidthCode(plan.widthKhz) || *khz % plan.widthKhz != 0) {
    return {{}, "Not sending configuration, please change starting freqeuncy or channel width"};
  }
  if (plan.channels < 1 || plan.channels > 255 || plan.spaces < 1 || plan.spaces > plan.maxSpaces ||
      plan.dwell < 0 || plan.dwell > 255 || plan.offDelay < 0 || plan.offDelay > 15 ||
      plan.offTime < 0 || plan.offTime > 15) {
    return {{}, "Not Sending hop out of range"};
  }
  const std::optional<std::string> hop =
      HopCommandBody(*khz, plan.channels, plan.widthKhz, plan.spaces, plan.dwell);
  if (!hop) return {{}, "Not Sending hop out of range"};

  std::vector<std::string> bodies{plan.channels > 1 ? "010500" : "010501", *hop};
  if (answer == TimingAnswer::kCancel) return {bodies, {}};
  int offDelay = plan.offDelay;
  int offTime = plan.offTime;
  if (answer == TimingAnswer::kUseStandard) {
    offDelay = 15;
    offTime = 14;
  }
  bodies.push_back(TimingBody(plan.dwell, offDelay, offTime));
  return {bodies, {}};
}

}  // namespace corvalis
