#include "mqtt/QueueFormat.h"

#include <array>
#include <charconv>
#include <cinttypes>
#include <cstdio>

namespace corvalis {
namespace {

constexpr std::array<uint32_t, 256> MakeCrcTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}
constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

constexpr size_t kCrcDigits = 8;
constexpr size_t kHeadLength = 16 + 1 + 16 + 1 + 8 + 1;

template <typename T>
bool ParseHex(std::string_view text, T& value) {
  if (text.empty()) return false;
  for (const char c : text) {
    const bool digit = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
    if (!digit) return false;
  }
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

uint32_t Crc32(std::string_view bytes) {
  uint32_t c = 0xFFFFFFFFu;
  for (const char b : bytes) c = kCrcTable[(c ^ static_cast<unsigned char>(b)) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

SegmentScan ScanQueueSegment(std::string_view bytes) {
  SegmentScan scan;
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t newline = bytes.find('\n', start);
    if (newline == std::string_view::npos) break;
    const std::string_view line = bytes.substr(start, newline - start);
    start = newline + 1;
    scan.intactLength = start;
    uint32_t crc = 0;
    if (line.size() < kCrcDigits + 1 || line[kCrcDigits] != ' ' ||
        !ParseHex(line.substr(0, kCrcDigits), crc)) {
      ++scan.damaged;
      continue;
    }
    const std::string_view payload = line.substr(kCrcDigits + 1);
    if (Crc32(payload) != crc) {
      ++scan.damaged;
      continue;
    }
    scan.records.push_back({start, payload});
  }
  return scan;
}

std::string QueueRecordLine(std::string_view payload) {
  if (payload.find('\n') != std::string_view::npos) return {};
  char crc[kCrcDigits + 2];
  std::snprintf(crc, sizeof crc, "%08" PRIx32 " ", Crc32(payload));
  std::string line;
  line.reserve(kCrcDigits + 2 + payload.size());
  line.append(crc, kCrcDigits + 1).append(payload).push_back('\n');
  return line;
}

std::string FormatQueueHead(const QueueHead& head) {
  char body[40];
  std::snprintf(body, sizeof body, "%016" PRIx64 " %016" PRIx64, head.segment, head.offset);
  char line[kHeadLength + 1];
  std::snprintf(line, sizeof line, "%s %08" PRIx32 "\n", body, Crc32(body));
  return std::string(line, kHeadLength);
}

std::optional<QueueHead> ParseQueueHead(std::string_view text) {
  if (text.size() < kHeadLength || text[kHeadLength - 1] != '\n' || text[16] != ' ' ||
      text[33] != ' ') {
    return std::nullopt;
  }
  QueueHead head;
  uint32_t crc = 0;
  if (!ParseHex(text.substr(0, 16), head.segment) || !ParseHex(text.substr(17, 16), head.offset) ||
      !ParseHex(text.substr(34, 8), crc) || Crc32(text.substr(0, 33)) != crc) {
    return std::nullopt;
  }
  return head;
}

}  // namespace corvalis
