#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvalis {

// Command bodies of the reader configuration menu, panels and Hopping tab.
// Builders that take typed text refuse bad input with a message and build
// nothing, so a malformed body never reaches a reader.

struct BuiltBodies {
  std::vector<std::string> bodies;  // in sending order; empty when refused
  std::string message;              // why nothing is sent, or empty
  bool Refused() const { return !message.empty(); }
};

// True when `body` is an even number (at least 4) of hexadecimal digits.
bool IsHexBody(std::string_view body);
// A typed body: refused with a message unless IsHexBody.
BuiltBodies TypedBody(std::string_view body);

// A message-format field: empty gives 0, one character its code, otherwise
// a decimal number or hex after "0x"; nullopt when not a number or above 255.
std::optional<int> ParseFormatField(std::string_view text);

struct MessageFormatFields {
  int fieldFlags = 0;  // byte 1
  int idBytes = 0;     // byte 2
  // Ah1, Ah2, Bh1, Bh2, T1, T2, Separator as typed
  std::array<std::string, 7> typed;
  int extraFlags = 0;  // byte 10
};
enum class FormatPreset { kStandard, kReducedMenu, kReducedPanel, kExtended };
// The preset's fields; extra flags are left as they were.
MessageFormatFields PresetFields(FormatPreset preset, int extraFlags);
// "0a11" + 10 bytes.
BuiltBodies MessageFormatBody(const MessageFormatFields& fields);

// "0309" + mode + timeout + "07".
std::string MessageModeBody(int mode, int eventTimeout);
// "020e" + beep mode (0x00, 0x40, 0x20, 0x60) + duration.
std::string BeepBody(int beepMode, int duration);
// "020f" + flags + interval.
std::string WiegandBody(bool transmit, bool bits26, int widthIndex, int intervalIndex,
                        int retransmit);
// "012a0" + n as one hex digit (0 disables).
std::string TtoPagesBody(int pages);
// "0104" + new ID.
std::string SetIdBody(int readerId);
// "010500" to "010503".
std::string OutputLevelBody(int level);

// Tag filtering: 0x30 accept pattern, 0x31 accept mask, 0x32 reject pattern,
// 0x33 reject mask; `value` must be 16 hex digits.
BuiltBodies FilterBody(int code, std::string_view value);

// "Send All patterns": accept pattern at once, then accept mask, reject
// pattern, reject mask and "0034" (slots 7, 5, 3, 0, countdown 9). All four
// values are checked first; a bad one refuses the lot.
struct FilterValues {
  std::string selectPattern = "0000000000000000";
  std::string selectMask = "0000000000000000";
  std::string rejectPattern = "0000000000000000";
  std::string rejectMask = "ffffffffffffffff";
};
struct QueuedSlot {
  int slot = 0;
  std::string body;
};
struct FilterPlan {
  std::string now;                 // sent at once
  std::vector<QueuedSlot> queued;  // deferred slots
  int countdown = 9;
  std::string message;  // refused when not empty
};
FilterPlan SendAllPatterns(const FilterValues& values);

// "Get Setup" of the Hopping tab, as a sequence.
std::vector<std::string> GetHoppingSetupBodies();

// Tag baud code 0..3: I decoder at once, then controller, then Q decoder.
std::vector<std::string> TagBaudBodies(int baudCode);

// Hopping. Frequencies are integer kHz so 840.05 MHz is exact.
std::optional<int> ParseMhzToKhz(std::string_view text);
inline constexpr int kDefaultMaxHoppingSpaces = 18;

// Off delay 15 and off time 14 are what ARM-based readers need; anything
// else asks the operator first.
bool NeedsTimingQuestion(int offDelay, int offTime);
enum class TimingAnswer { kNotAsked, kKeep, kUseStandard, kCancel };

BuiltBodies FixedFrequencyBodies(int frequencyKhz);
std::vector<std::string> FccHoppingBodies();
BuiltBodies CeHoppingBodies(int dwell, int offDelay, int offTime, TimingAnswer answer);

struct CustomHopPlan {
  std::string startMhz = "915.3";
  int channels = 1;    // 1..255
  int spaces = 1;      // 1..maxSpaces
  int widthKhz = 100;  // 50, 100, 125, 250
  int dwell = 36;
  int offTime = 14;
  int offDelay = 15;
  int maxSpaces = kDefaultMaxHoppingSpaces;
};
// Validates the whole plan before building anything: a refused plan sends
// nothing at all, not even the synthesiser mode.
BuiltBodies CustomHoppingBodies(const CustomHopPlan& plan, TimingAnswer answer);
// "083eaa" + channels-1, A, N high, N low, width code, spaces, dwell.
std::optional<std::string> HopCommandBody(int frequencyKhz, int channels, int widthKhz, int spaces,
                                          int dwell);

}  // namespace corvalis
