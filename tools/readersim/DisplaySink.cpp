#include "DisplaySink.h"

#include <cstdio>

namespace corvalis::readersim {
namespace {

constexpr char kStx = 0x02;
constexpr char kEtx = 0x03;
constexpr char kSignEnd = 0x04;
constexpr size_t kSignHeader = 11;  // 0x00 ... page status
// A frame longer than the longest idle text is garbage, not a frame.
constexpr size_t kMaxFrame = 2048;

unsigned char XorOf(const std::string& bytes, size_t count) {
  unsigned char sum = 0;
  for (size_t i = 0; i < count; ++i) sum ^= static_cast<unsigned char>(bytes[i]);
  return sum;
}

unsigned Byte(const std::string& frame, size_t at) {
  return static_cast<unsigned char>(frame[at]);
}

}  // namespace

std::string QuoteBytes(const std::string& bytes) {
  std::string out = "\"";
  for (const char c : bytes) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20 || u > 0x7E) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", u);
      out += hex;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

long DisplaySink::BoardFrameLength() const {
  if (pending_[0] != kStx) return -1;
  const size_t etx = pending_.find(kEtx);
  if (etx == std::string::npos) return pending_.size() > kMaxFrame ? -1 : 0;
  if (pending_.size() < etx + 3) return 0;
  return static_cast<long>(etx + 3);
}

long DisplaySink::SignFrameLength() const {
  if (pending_[0] != '\0') return -1;
  if (pending_.size() < kSignHeader) return 0;
  if (pending_[3] != kEtx) return -1;
  const size_t end = pending_.find(kSignEnd, kSignHeader);
  if (end == std::string::npos) return pending_.size() > kMaxFrame ? -1 : 0;
  if (pending_.size() < end + 2) return 0;
  return static_cast<long>(end + 2);
}

std::string DisplaySink::DescribeBoard(const std::string& frame) const {
  const size_t etx = frame.size() - 3;
  size_t digits = 3;
  while (digits < etx && frame[digits] >= '0' && frame[digits] <= '9') ++digits;
  char sum[4];
  std::snprintf(sum, sizeof sum, "%02X", XorOf(frame, etx + 1));
  const bool ok = frame.compare(etx + 1, 2, sum) == 0;
  return "board address=" + std::to_string(static_cast<int>(Byte(frame, 1)) - 32) +
         " id=" + QuoteBytes(frame.substr(2, 1)) + " lifetime=" + frame.substr(3, digits - 3) +
         " body=" + QuoteBytes(frame.substr(digits, etx - digits)) + (ok ? " xor=ok" : " xor=BAD");
}

std::string DisplaySink::DescribeSign(const std::string& frame) const {
  const size_t end = frame.size() - 2;
  const bool ok = XorOf(frame, end + 1) == Byte(frame, end + 1);
  return "sign lines=" + std::to_string(Byte(frame, 1)) +
         " address=" + std::to_string(Byte(frame, 2)) + " serst=" + std::to_string(Byte(frame, 4)) +
         " page=" + QuoteBytes(frame.substr(5, 3)) + " tempo=" + std::to_string(Byte(frame, 8)) +
         " function=" + std::to_string(Byte(frame, 9)) +
         " status=" + std::to_string(Byte(frame, 10)) +
         " text=" + QuoteBytes(frame.substr(kSignHeader, end - kSignHeader)) +
         (ok ? " xor=ok" : " xor=BAD");
}

void DisplaySink::Receive(const char* bytes, size_t count, std::vector<std::string>& lines) {
  pending_.append(bytes, count);
  while (!pending_.empty()) {
    const long length = kind_ == SinkKind::kBoard ? BoardFrameLength() : SignFrameLength();
    if (length == 0) break;
    if (length < 0) {
      pending_.erase(0, 1);
      ++skipped_;
      continue;
    }
    if (skipped_ > 0) lines.push_back("skipped " + std::to_string(skipped_) + " bytes");
    skipped_ = 0;
    const std::string frame = pending_.substr(0, static_cast<size_t>(length));
    pending_.erase(0, static_cast<size_t>(length));
    lines.push_back(kind_ == SinkKind::kBoard ? DescribeBoard(frame) : DescribeSign(frame));
  }
}

}  // namespace corvalis::readersim
