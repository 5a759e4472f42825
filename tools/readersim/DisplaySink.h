#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace corvalis::readersim {

// What the console's external display sends on its output channel.
enum class SinkKind { kNone, kBoard, kSign };

// A sign on the console's channel 5: takes the bytes the console writes,
// cuts them into message-board text frames (STX ... ETX and two hex digits
// of XOR) or Polycomp sign frames (0x00, line count, ... 0x04 and the XOR
// byte), checks the XOR and describes each frame in one line of text, so a
// user or a test sees exactly what the console showed.
class DisplaySink {
 public:
  explicit DisplaySink(SinkKind kind) : kind_(kind) {}

  // One line per complete frame, after a line for the bytes before it that
  // began none.
  void Receive(const char* bytes, size_t count, std::vector<std::string>& lines);

 private:
  // Length of the complete frame at the start of `pending_`, 0 while it is
  // incomplete, -1 when no frame starts there.
  long BoardFrameLength() const;
  long SignFrameLength() const;
  std::string DescribeBoard(const std::string& frame) const;
  std::string DescribeSign(const std::string& frame) const;

  SinkKind kind_;
  std::string pending_;
  size_t skipped_ = 0;
};

// "\x02" and other bytes outside printable ASCII as \xNN, quotes and
// backslashes escaped.
std::string QuoteBytes(const std::string& bytes);

}  // namespace corvalis::readersim
