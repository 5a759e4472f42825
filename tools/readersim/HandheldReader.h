#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvalis::readersim {

// Geometry and contents of the handheld's flash at start, see Options.
struct HandheldConfig {
  std::string type;  // the "0066" type text; empty: no handheld
  int totalBlocks = 64;
  int recordsPerBlock = 16;
  int storedRecords = 40;
};

// A handheld reader that records tag lines into its flash and plays them
// back ("4b" commands), with its serial number, read mode, clock, reader
// type, battery and antenna. Its commands read the length byte by the
// low-nibble rule: ff is a query without data, anything else carries its low
// four bits' count of data bytes, so the high bits may be flags ("8a65" is a
// change of a 10-character serial number).
class HandheldReader {
 public:
  HandheldReader() = default;
  explicit HandheldReader(const HandheldConfig& config);

  bool Enabled() const { return !config_.type.empty(); }

  // One checked command line ("ab" ... LRC, no terminator). Nothing when the
  // code is not the handheld's own; otherwise what it sends back at once
  // (CR LF ended lines).
  std::optional<std::string> HandleLine(int readerId, std::string_view line, int64_t nowMs);

  // A tag line the reader read, with its trailer: stored while recording.
  void Record(const std::string& line);
  // A record stored before the console connects.
  void Preload(const std::string& line) { records_.push_back(line); }

  // Played records, format progress and periodic status reports due by
  // `nowMs`.
  void TakeDue(int64_t nowMs, std::vector<std::string>& out);
  int64_t NextDueMs() const;

  bool Recording() const { return recording_; }
  bool Playing() const { return playing_; }
  int Played() const { return played_; }
  int Stored() const { return static_cast<int>(records_.size()); }
  const std::string& SerialNumber() const { return serial_; }

 private:
  std::string StatusReply() const;
  std::string Reply(uint8_t code, const std::vector<uint8_t>& data) const;
  std::string Error(uint8_t code) const;
  std::string LoggingCommand(int dataCount, bool query, const std::vector<uint8_t>& data,
                             int64_t nowMs);
  std::string SerialCommand(int ll, const std::vector<uint8_t>& data);
  std::string ClockReply(int64_t nowMs) const;
  int Capacity() const;

  HandheldConfig config_;
  int readerId_ = 0;
  std::vector<std::string> records_;
  int played_ = 0;
  int dirtyBlocks_ = 0;
  bool recording_ = false;
  bool playing_ = false;
  int64_t nextPlayMs_ = 0;
  int reportIntervalMs_ = 0;  // periodic status reports, 0: off
  int64_t nextReportMs_ = 0;
  int formatStep_ = -1;  // -1: not formatting
  int64_t nextFormatMs_ = 0;
  std::string serial_;
  uint8_t mode_ = 0;
  uint8_t timeout_ = 5;
  int64_t clockOffsetMs_ = 0;  // reader clock minus computer clock
};

}  // namespace corvalis::readersim
