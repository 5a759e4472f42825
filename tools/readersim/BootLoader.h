#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace corvalis::readersim {

// Reader command code that restarts the controller (or a decoder) in its boot
// loader.
inline constexpr int kBootCommandCode = 0x10;

enum class LoaderFault {
  kChecksum,  // "S" although the record was good
  kNonBlank,  // "N"
  kVerify,    // "V"
  kSilence,   // no answer at all
};

struct LoaderFaultSpec {
  int record = 1;
  LoaderFault fault = LoaderFault::kChecksum;
  int times = 1;
};

// "RECORD:KIND[:TIMES]" with KIND one of S, N, V, silence.
bool ParseLoaderFault(const std::string& text, LoaderFaultSpec& spec);

// FNV-1a over each stored (address, byte), in address order: one number that
// tells whether two images are the same.
uint32_t ImageDigest(const std::map<uint32_t, uint8_t>& image);

// The PIC boot loader: takes Intel HEX records one line at a time, checks
// each, writes good data into its image and answers with one character and
// CR LF. "LO" keep-awake lines are ignored.
class BootLoader {
 public:
  // Data at or above `limit` (absolute address) is refused with "R"; data in
  // [protectedStart, protectedEnd) with "L".
  void SetRange(uint32_t limit) { limit_ = limit; }
  void SetProtected(uint32_t start, uint32_t end) {
    protectedStart_ = start;
    protectedEnd_ = end;
  }
  // The answer to record number `record` (1 = first record accepted next) is
  // replaced by `fault`, `times` times in a row.
  void InjectFault(int record, LoaderFault fault, int times = 1);
  // Answers end with XON (0x11) instead of CR LF.
  void SetXonLineEnds(bool on) { xon_ = on; }

  void Receive(const char* bytes, size_t count, std::vector<std::string>& replies);

  const std::map<uint32_t, uint8_t>& Image() const { return image_; }
  int RecordsAccepted() const { return accepted_; }
  int RecordsReceived() const { return received_; }
  bool Done() const { return done_; }

 private:
  std::string HandleLine(std::string_view line);
  std::string CheckRecord(std::string_view line);

  std::map<uint32_t, uint8_t> image_;
  struct Fault {
    LoaderFault fault;
    int times;
  };
  std::map<int, Fault> faults_;
  std::string pending_;
  uint32_t base_ = 0;
  uint32_t limit_ = 0x400000;
  uint32_t protectedStart_ = 0;
  uint32_t protectedEnd_ = 0;
  int accepted_ = 0;
  int received_ = 0;
  bool done_ = false;
  bool xon_ = false;
};

}  // namespace corvalis::readersim
