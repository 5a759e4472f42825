#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ReaderState.h"
#include "common/Clock.h"

namespace corvalis::readersim {

// Longest command line a reader takes, terminator excluded.
inline constexpr size_t kMaxCommandLine = 255;

// Parses framed commands and builds the replies. Command lines are "ab",
// reader ID, LL, CC, data, LRC; LL ff marks a query.
class CommandProcessor {
 public:
  CommandProcessor(ReaderState& state, const Clock& clock) : state_(state), clock_(clock) {}

  // Bytes from the client, in any pieces; each complete line's reply (with
  // CR LF) is appended to `replies`. Returns the bytes taken: it stops after
  // a line that hands the link to the boot loader or to Modbus.
  size_t Receive(const char* bytes, size_t count, std::vector<std::string>& replies);

  // One line without its terminator. Empty when the line gets no reply (not a
  // command, or one for another reader).
  std::string HandleLine(std::string_view line);

 private:
  std::string Error(uint8_t code);
  std::string Dispatch(int ll, int cc, const std::vector<uint8_t>& data);
  std::string FormatReply() const;
  std::string Configuration(int ll, int cc, const std::vector<uint8_t>& data);
  std::string DecoderStatusReply() const;
  int64_t NowMs() const;

  ReaderState& state_;
  const Clock& clock_;
  std::string pending_;
  bool overlong_ = false;
};

}  // namespace corvalis::readersim
