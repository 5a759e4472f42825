#include "ReadStream.h"

#include <algorithm>

#include "ReaderState.h"
#include "protocol/Checksums.h"
#include "protocol/Hex.h"
#include "testkit/TagMessageEncoder.h"

namespace corvalis::readersim {

uint8_t StatusByte(bool tamper, bool flagFS, bool flagLS) {
  // Never 0xFF, which the console reads as "tamper only".
  return static_cast<uint8_t>((tamper ? 0x01 : 0) | (flagLS ? 0x40 : 0) | (flagFS ? 0x80 : 0));
}

std::string Trailer(const MessageFormat& format) {
  std::string trailer;
  if (format.trailer1 != 0) trailer += static_cast<char>(format.trailer1);
  if (format.trailer2 != 0) trailer += static_cast<char>(format.trailer2);
  return trailer.empty() ? std::string("\r\n") : trailer;
}

ReadEncoder::ReadEncoder(int tagCount, uint32_t seed)
    : ids_(static_cast<size_t>(std::max(tagCount, 1))),
      sequence_(ids_.size()),
      rng_(seed ^ 0x1D5u) {
  std::uniform_int_distribution<int> byte(0, 255);
  for (TagId& id : ids_) {
    do {
      for (int i = 0; i < 6; ++i) id[static_cast<size_t>(i)] = static_cast<uint8_t>(byte(rng_));
    } while (id[0] == 0xAB);
    const uint16_t crc = TagCrc(id.data(), 6, kDefaultCrcSeed);
    id[6] = static_cast<uint8_t>(crc >> 8);
    id[7] = static_cast<uint8_t>(crc & 0xFF);
  }
}

std::string ReadEncoder::Encode(const MessageFormat& format, int readerId,
                                const ScheduledRead& read, WallTime at, uint8_t status) {
  TagMessageFields m;
  m.readerId = readerId;
  const TagId& id = Id(read.tag);
  std::copy(id.begin(), id.end(), m.id);
  // Drawn even when fixed, so the rest of the stream stays as the seed has it.
  const int iCount = std::uniform_int_distribution<int>(1, 12)(rng_);
  const int qCount = std::uniform_int_distribution<int>(0, 12)(rng_);
  m.iCount = fixedI_ >= 0 ? fixedI_ : iCount;
  m.qCount = fixedQ_ >= 0 ? fixedQ_ : qCount;
  const std::tm t = LocalCalendar(at);
  m.year = t.tm_year % 100;
  m.month = t.tm_mon + 1;
  m.day = t.tm_mday;
  m.hour = t.tm_hour;
  m.minute = t.tm_min;
  m.second = t.tm_sec;
  m.hundredths = at.ms / 10;
  m.sequence = sequence_[static_cast<size_t>(read.tag)]++;
  m.status = status;

  char buffer[128];
  const int length = EncodeFormatMessage(format, m, buffer, sizeof buffer);
  return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

bool NoiseMaker::MaybeCorruptLrc(const MessageFormat& format, std::string& message) {
  if (!format.lrc || message.empty() || !OneIn(20)) return false;
  if (format.binary) {
    message.back() = static_cast<char>(static_cast<uint8_t>(message.back()) + 1);
    return true;
  }
  if (message.size() < 2) return false;
  uint8_t lrc = 0;
  ReadHexByte(message.data() + message.size() - 2, lrc);
  FormatLrc(static_cast<uint8_t>(lrc + 1), message.data() + message.size() - 2);
  return true;
}

std::string NoiseMaker::MaybeGarbage(const MessageFormat& format) {
  if (!OneIn(20)) return {};
  // No hex digits, so no decoder takes it; no header bytes, so a binary
  // cutter skips it.
  static constexpr char kJunk[] = "!#$%&*+-/<=>?@GHJKLMNPQRSTUVWXYZghjkmnpqrstuvwxyz~";
  std::string garbage;
  const int count = std::uniform_int_distribution<int>(1, 12)(rng_);
  std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof kJunk) - 2);
  for (int i = 0; i < count; ++i) garbage += kJunk[pick(rng_)];
  // Garbage ends its own line so the next message starts clean.
  if (!format.binary) garbage += Trailer(format);
  return garbage;
}

void NoiseMaker::Split(const std::string& bytes, std::vector<std::string>& pieces) {
  const int wanted = std::uniform_int_distribution<int>(1, 4)(rng_);
  std::vector<size_t> cuts;
  for (int i = 1; i < wanted && bytes.size() > 1; ++i) {
    cuts.push_back(std::uniform_int_distribution<size_t>(1, bytes.size() - 1)(rng_));
  }
  std::sort(cuts.begin(), cuts.end());
  cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
  size_t from = 0;
  for (size_t cut : cuts) {
    pieces.push_back(bytes.substr(from, cut - from));
    from = cut;
  }
  pieces.push_back(bytes.substr(from));
}

}  // namespace corvalis::readersim
