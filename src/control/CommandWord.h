#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace corvalis {

// Tag command numbers; 8 and above exist only in the second generation.
enum TagCommand : int {
  kCmdConfig = 0,
  kCmdTest = 1,
  kCmdLock = 2,
  kCmdWrite = 3,
  kCmdRead = 4,
  kCmdSuspend = 5,
  kCmdTto = 6,
  kCmdResume = 7,
  kCmdWriteInc = 8,
  kCmdWriteDate = 9,
  kCmdRawWrite = 10,
  kCmdConfirm = 11,
};
inline constexpr int kFirstGenCommands = 8;
inline constexpr int kSecondGenCommands = 12;
// The tamper item that selects the six option boxes of a Config command.
inline constexpr int kTamperExt = 1;

// "Config" .. "Confirm"; "" outside 0..11.
const char* TagCommandName(int command);

// What the command-word editors hold.
struct CommandWordFields {
  int command = kCmdRead;
  int startPage = 0;  // 0..15
  int numPages = 0;   // 0..15
  int tamper = 0;     // item of the tamper list
  int delay = 0;      // "1k", "4k", "16k", "64k"
  int txRate = 0;     // "256k", "128k", "64k", "32k"
  bool total = false;
  bool ppe = false;
  bool scramble = false;
  bool concat = false;
  bool global = false;
  bool echo = false;
  bool lock = false;
  bool config = false;
};

// Field A (bits 12..9) and field B (bits 8..5), each 0..15.
int FieldA(const CommandWordFields& f);
int FieldB(const CommandWordFields& f);

// CRC-5 (x^5 + x^3 + 1, preset 0x12) of the 11 bits command, A, B.
int CommandCrc5(int command, int a, int b);

// The 16-bit word: command (low 3 bits), A, B and `crc5` (low 5 bits).
uint16_t CommandWord(const CommandWordFields& f, int crc5);
// With the generated CRC-5.
uint16_t CommandWord(const CommandWordFields& f);

// A typed CRC-5: decimal, or hex after "0x"; anything else is 0.
int ParseCrc5Text(std::string_view text);
// "0x" and two upper-case hex digits.
std::string FormatCrc5(int crc5);

// Four hex digits of the word and 12 characters of the tag ID: its first 12
// (first generation) or last 12 (second generation) when it has 12 or more,
// otherwise left-padded with "0". Lower case.
std::string CommandString(uint16_t word, std::string_view tagId, bool secondGeneration);

// Transmit targets of the second generation.
enum class TransmitTarget : int { kImmediate = 0, kAllTags = 1, kAddressed = 2, kSpecific = 3 };

// The six-digit transmit block of a second-generation transmit, numbered by
// a sequence counter that starts at 0 and wraps at 256.
class TransmitSequence {
 public:
  std::string NextBlock(const CommandWordFields& f, TransmitTarget target, bool continuous,
                        bool autoSuspend);
  int Next() const { return next_; }
  void Reset() { next_ = 0; }

 private:
  int next_ = 0;
};

// `text` right-padded with `pad` to `width` characters (longer text is kept).
std::string PadRight(std::string_view text, size_t width, char pad = '0');

}  // namespace corvalis
