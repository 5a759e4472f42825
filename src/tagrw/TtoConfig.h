#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvalis {

// Page 15 of a TTO tag: the configuration word, the oscillator trim,
// "00ffff" and the page lock mask.
struct TtoConfig {
  int tamper = 3;  // "Dis", "Dis", "NO", "NC"
  int delay = 1;   // "1k", "4k", "16k", "64k"
  int txRate = 0;  // "256k", "128k", "64k", "32k"
  int startPage = 0;
  int numPages = 0;
  int trim = 0x60;
  uint16_t lockMask = 0x8001;
};

inline constexpr const char* kDefaultTtoConfig = "d0006000ffff8001";
inline constexpr const char* kNewTagTrim = "60";

// Nothing when the text is not 16 hex digits.
std::optional<TtoConfig> ParseTtoConfig(std::string_view page);
// Lower case, 16 digits.
std::string ComposeTtoConfig(const TtoConfig& config);
// The four-digit word of `fields` in front of digits 5 to 16 of `page`.
std::string LoadConfigWord(const TtoConfig& fields, std::string_view page);
// The trim digits moved by `steps` (4 for Faster, -4 for Slower), wrapping.
std::string StepTrim(std::string_view page, int steps);
// Digits 5 and 6 replaced.
std::string WithTrim(std::string_view page, std::string_view trim);

// How page CRCs are made (the configuration dialog's choices).
struct PageCrcChoice {
  bool shift = false;  // the 48 bits shifted right by one first
  bool kvq = true;     // tag CRC seeded 0xFFFF (else 0x0000)
  bool ccitt = false;  // CRC-16 CCITT instead of the tag CRC
};
// The first 12 digits (right-padded with "0") and their 4 CRC digits.
std::string PageWithCrc(std::string_view data, const PageCrcChoice& choice);
uint16_t CrcCcitt(const uint8_t* bytes, int count);

// The TTO rate: 670000 / period count, 0 for counts of 10 or less.
double TtoRate(int periodCount);
// The period count of a "0038" reply line: 4 digits at offset 12.
std::optional<int> TtoPeriodOf(std::string_view replyLine);
enum class RateBand { kLow, kRed, kTarget, kHigh };  // button face, red, lime, yellow
RateBand BandOf(double rate);
std::string FormatRate(double rate);  // "%3.0f k"

// Polls the rate: the first poll after 10 ticks, then every 8.
class RatePoller {
 public:
  void Start() {
    polling_ = true;
    countdown_ = 10;
  }
  void Stop() { polling_ = false; }
  bool Polling() const { return polling_; }
  // True on the ticks a poll is due.
  bool Tick();

 private:
  bool polling_ = false;
  int countdown_ = 0;
};

}  // namespace corvalis
