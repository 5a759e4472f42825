#include "protocol/TagMessageDecoder.h"

#include <bit>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits>
#include <string_view>

#include "common/ChannelIndex.h"
#include "protocol/ByteScan.h"
#include "protocol/Checksums.h"
#include "protocol/Hex.h"

namespace corvalis {
namespace {

constexpr std::string_view kLrcError = "LRC error";
constexpr std::string_view kIdError = "Error in ID";
constexpr std::string_view kTtoLengthError = "TTO data Length";
constexpr std::string_view kDataPageError = "Error in Data page";
constexpr std::string_view kBadData = "Bad Data";
constexpr std::string_view kBinaryMsError = "binary ms >= 1000";

// Every reader of a field below is called only after the caller has checked
// that the whole field lies inside the message.

// Two hex digits as 0..255, or -1.
int HexPair(const char* p) {
  uint8_t value = 0;
  return ReadHexByte(p, value) ? value : -1;
}

// Two decimal digits as 0..99, or -1.
int DecimalPair(const char* p) {
  if (p[0] < '0' || p[0] > '9' || p[1] < '0' || p[1] > '9') return -1;
  return (p[0] - '0') * 10 + (p[1] - '0');
}

// A BCD byte as 0..99, or -1 when a nibble is not a decimal digit.
int BcdByte(uint8_t b) {
  const int hi = b >> 4;
  const int lo = b & 0x0F;
  if (hi > 9 || lo > 9) return -1;
  return hi * 10 + lo;
}

void WriteHex(uint8_t b, char* out) {
  out[0] = kLowerHexDigits[b >> 4];
  out[1] = kLowerHexDigits[b & 0x0F];
}

// Sixteen lower-case hex digits and a NUL.
void WriteHexId(const uint8_t* bytes, char* out) {
  for (int i = 0; i < 8; ++i) WriteHex(bytes[i], out + 2 * i);
  out[16] = '\0';
}

// "NR-" and ID bytes 4 and 5; room for 8 characters.
void WriteDefaultName(const uint8_t* id, char* out) {
  out[0] = 'N';
  out[1] = 'R';
  out[2] = '-';
  WriteHex(id[4], out + 3);
  WriteHex(id[5], out + 5);
  out[7] = '\0';
}

// The read's count under WhichChannels. A message that carries none of the
// selected counts still reports one read, rather than a read that counts 0.
int32_t CountFor(int whichChannels, int iCount, int qCount, bool carriesI, bool carriesQ) {
  const bool useI = (whichChannels & 1) != 0 && carriesI;
  const bool useQ = (whichChannels & 2) != 0 && carriesQ;
  if (whichChannels == 0 || (!useI && !useQ)) return 1;
  return (useI ? iCount : 0) + (useQ ? qCount : 0);
}

void SetStatusFlags(int status, TagRead& read) {
  // 0xFF is what readers send for a tampered tag with no further status.
  if (status == 0xFF) {
    read.tamper = true;
    return;
  }
  read.tamper = (status & 0x01) != 0;
  read.flagFS = (status & 0x80) != 0;
  read.flagLS = (status & 0x40) != 0;
}

// The eight ID-byte flags as one word, byte i holding flag i (a bool is 0 or
// 1), so counting and finding them costs no loop per message.
uint64_t IdByteFlags(const MessageFormat& f) {
  static_assert(sizeof f.idByte == sizeof(uint64_t));
  uint64_t flags = 0;
  std::memcpy(&flags, f.idByte, sizeof flags);
  return flags;
}

// Characters of the fields after the header that the decoder reads: reader ID
// to TTO. The LRC and the line number come after them.
int DecodedFieldChars(const MessageFormat& f) {
  namespace fc = field_chars;
  int chars = f.rdrId ? fc::kReaderId : 0;
  // The byte sum of the flags word (at most 8, so no byte overflows) lands
  // in its top byte; cheaper than a popcount without the instruction.
  chars += fc::kIdByte * static_cast<int>((IdByteFlags(f) * 0x0101010101010101ULL) >> 56);
  chars += (f.iCount ? fc::kCount : 0) + (f.qCount ? fc::kCount : 0);
  chars += (f.date ? fc::kDate : 0) + (f.time ? fc::kTime : 0);
  chars += (f.hundredths ? fc::kHundredths : 0) + (f.millis ? fc::kMillis : 0);
  chars += (f.msTiming ? fc::kMsTiming : 0) + (f.msTimingP ? fc::kMsTimingExtra : 0);
  chars += f.tto ? fc::kTto + (f.wideKey ? fc::kWideKeyExtra : 0) : 0;
  return chars;
}

// Index of the last present ID byte, or -1.
int LastPresentIdByte(const MessageFormat& f) {
  const uint64_t flags = IdByteFlags(f);
  if (flags == 0) return -1;
  if constexpr (std::endian::native == std::endian::little) {
    return (63 - std::countl_zero(flags)) / 8;
  }
  return 7 - std::countr_zero(flags) / 8;
}

}  // namespace

// The fields of a format message, the same for the ASCII and the binary form:
// the read as received, and the date and status fields it is finished from.
struct TagMessageDecoder::FormatFields {
  TagRead read;
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0;
  int hundredths = 0;
  int status = 0;
};

bool TagMessageDecoder::DecodeFormatMessage(int channel, const char* text, int length) {
  if (!IsValidChannel(channel) || text == nullptr) return false;
  const MessageFormat& format = formats_.format[channel];
  if (length != format.length1 && length != format.length2) return false;
  if (!format.binary) return DecodeAscii(channel, format, text, length);
  // Binary TTO data frames share the channel with tag frames; their header
  // byte and length tell them apart. A frame that fits both reads as a tag.
  const auto first = static_cast<uint8_t>(text[0]);
  const uint8_t tagHeader = format.binHeader1 != 0 ? format.binHeader1 : format.binHeader2;
  const bool couldBeTag = length == format.length1 && (tagHeader == 0 || first == tagHeader);
  if (length > 0 && length == format.length2 && format.binHeader1b != 0 &&
      first == format.binHeader1b && !couldBeTag) {
    return DecodeBinaryTto(channel, format, text, length);
  }
  return DecodeBinary(channel, format, text, length);
}

bool TagMessageDecoder::DecodeAscii(int channel, const MessageFormat& f, const char* text,
                                    int length) {
  int pos = 0;
  if (f.asciiHeader1 != 0) {
    if (pos >= length || static_cast<uint8_t>(text[pos]) != f.asciiHeader1) return false;
    ++pos;
  }
  if (f.asciiHeader2 != 0) {
    if (pos >= length || static_cast<uint8_t>(text[pos]) != f.asciiHeader2) return false;
    ++pos;
  }

  int end = length;
  if (f.lrc) {
    if (length - pos < field_chars::kLrc) {
      return RejectChecksum(channel);
    }
    end = length - field_chars::kLrc;
    unsigned sum = 0;
    if (f.separator == 0) {
      sum = SumBytes(text + pos, end - pos);
    } else {
      for (int i = pos; i < end; ++i) {
        const auto c = static_cast<uint8_t>(text[i]);
        if (c != f.separator) sum += c;
      }
    }
    if (HexPair(text + end) != static_cast<int>(sum & 0xFF)) {
      return RejectChecksum(channel);
    }
  }
  // A message of the other expected length may be too short for the layout.
  if (end - pos < DecodedFieldChars(f)) {
    return RejectData(channel, kBadData);
  }

  FormatFields m;
  const char* p = text + pos;
  auto hex = [&p](int& out) {
    out = HexPair(p);
    p += 2;
    return out >= 0;
  };
  if (f.rdrId && !hex(m.read.readerId)) {
    return RejectData(channel, kBadData);
  }
  for (int i = 0; i < 8; ++i) {
    if (!f.idByte[i]) continue;
    int b = 0;
    if (!hex(b)) {
      return RejectData(channel, kIdError);
    }
    m.read.tagBytes[i] = static_cast<uint8_t>(b);
  }
  if ((f.iCount && !hex(m.read.iCount)) || (f.qCount && !hex(m.read.qCount))) {
    return RejectData(channel, kBadData);
  }
  auto decimal = [&p]() {
    const int v = DecimalPair(p);
    p += 2;
    return v;
  };
  if (f.date) {
    m.year = decimal();
    m.month = decimal();
    m.day = decimal();
  }
  if (f.time) {
    m.hour = decimal();
    m.minute = decimal();
    m.second = decimal();
  }
  if (f.hundredths) {
    if (f.msTiming) {
      m.hundredths = decimal();
    } else {
      const int v = HexPair(p);
      p += 2;
      m.hundredths = v < 0 ? -1 : (v & 0x7F);
    }
  }
  // The 1 ms field and the ms timing data are not used.
  if (f.millis) p += field_chars::kMillis;
  if (f.msTiming) p += field_chars::kMsTiming;
  if (f.msTimingP) p += field_chars::kMsTimingExtra;
  if (f.tto) {
    int seqHigh = 0;
    bool ok = !f.wideKey || hex(seqHigh);
    ok = ok && hex(m.read.sequence) && hex(m.read.dataFlag) && hex(m.status);
    if (!ok) {
      return RejectData(channel, kBadData);
    }
    m.read.sequence |= seqHigh << 8;
  }
  return FinishFormatRead(channel, f, m);
}

bool TagMessageDecoder::DecodeBinary(int channel, const MessageFormat& f, const char* text,
                                     int length) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text);
  int pos = 0;
  if (f.binHeader1 != 0) {
    if (pos >= length || bytes[pos] != f.binHeader1) return false;
    ++pos;
  }
  if (f.binHeader2 != 0) {
    if (pos >= length || bytes[pos] != f.binHeader2) return false;
    ++pos;
  }

  int end = length;
  if (f.lrc) {
    // The sum covers the bytes after all header bytes, as in the ASCII form.
    if (length - pos < 1) {
      return RejectChecksum(channel);
    }
    end = length - 1;
    unsigned sum = 0;
    for (int i = pos; i < end; ++i) sum += bytes[i];
    if (bytes[end] != (sum & 0xFF)) {
      return RejectChecksum(channel);
    }
  }
  if (end - pos < DecodedFieldChars(f) / 2) {
    return RejectData(channel, kBadData);
  }

  FormatFields m;
  const uint8_t* p = bytes + pos;
  if (f.rdrId) m.read.readerId = *p++;
  for (int i = 0; i < 8; ++i) {
    if (f.idByte[i]) m.read.tagBytes[i] = *p++;
  }
  if (f.iCount) m.read.iCount = *p++;
  if (f.qCount) m.read.qCount = *p++;
  if (f.date) {
    m.year = BcdByte(*p++);
    m.month = BcdByte(*p++);
    m.day = BcdByte(*p++);
  }
  if (f.time) {
    m.hour = BcdByte(*p++);
    m.minute = BcdByte(*p++);
    m.second = BcdByte(*p++);
  }
  if (f.hundredths) {
    const uint8_t b = *p++;
    m.hundredths = f.msTiming ? BcdByte(b) : (b & 0x7F);
  }
  if (f.millis) p += field_chars::kMillis / 2;
  if (f.msTiming) p += field_chars::kMsTiming / 2;
  if (f.msTimingP) p += field_chars::kMsTimingExtra / 2;
  if (f.tto) {
    if (f.wideKey) m.read.sequence = *p++ << 8;
    m.read.sequence |= *p++;
    m.read.dataFlag = *p++;
    m.status = *p++;
  }
  if (m.hundredths >= 100) CountDataError(channel, kBinaryMsError);
  return FinishFormatRead(channel, f, m);
}

WallTime TagMessageDecoder::ReadTime(int channel, const FormatFields& m) {
  if (m.year == 0 && m.month == 0 && m.day == 0) return clock_.Now();

  // Ranges are checked on the fields as received, so the hundredths carry
  // below cannot turn an invalid time into a valid one.
  const bool valid = m.year >= 0 && m.year <= 99 && m.month >= 1 && m.month <= 12 && m.day >= 1 &&
                     m.day <= 31 && m.hour >= 0 && m.hour <= 23 && m.minute >= 0 &&
                     m.minute <= 59 && m.second >= 0 && m.second <= 59 && m.hundredths >= 0;
  int64_t total = 0;
  bool ok = valid;
  int hundredths = m.hundredths;
  if (ok) {
    int second = m.second, minute = m.minute, hour = m.hour, dayCarry = 0;
    if (hundredths >= 100) {
      second += hundredths / 100;
      hundredths %= 100;
      if (second > 59) {
        second -= 60;
        ++minute;
      }
      if (minute > 59) {
        minute -= 60;
        ++hour;
      }
      if (hour > 23) {
        hour -= 24;
        ++dayCarry;
      }
    }
    // The day carry goes through mktime so that it rolls over month and year
    // ends instead of producing day 32.
    const std::optional<std::time_t> local = midnight_.At(
        m.year <= 38 ? 100 + m.year : m.year, m.month - 1, m.day + dayCarry, hour, minute, second);
    total = local.value_or(0);
    // Late 2038 dates do not fit a 32-bit read time.
    ok = local.has_value() && total <= std::numeric_limits<int32_t>::max() &&
         total >= std::numeric_limits<int32_t>::min();
  }
  if (!ok) {
    char message[64];
    std::snprintf(message, sizeof message, "Error in date %02d-%02d-%02d %02d:%02d:%02d.%02d",
                  m.year, m.month, m.day, m.hour, m.minute, m.second, m.hundredths);
    CountDataError(channel, message);
    return clock_.Now();
  }
  return {static_cast<int32_t>(total), static_cast<int32_t>(hundredths * 10)};
}

void TagMessageDecoder::CountDataError(int channel, std::string_view why) {
  status_.SetLastError(why);
  ++formats_.counters.channel[static_cast<size_t>(channel)].dataErrors;
}

bool TagMessageDecoder::RejectData(int channel, std::string_view why) {
  CountDataError(channel, why);
  return false;
}

bool TagMessageDecoder::RejectChecksum(int channel) {
  status_.SetLastError(kLrcError);
  ++formats_.counters.channel[static_cast<size_t>(channel)].checksumErrors;
  return false;
}

void TagMessageDecoder::StampRead(TagRead& read, int channel, WallTime when) const {
  read.channel = settings_.sumAllPorts ? 0 : channel;
  read.firstSeenSec = read.lastSeenSec = when.sec;
  read.firstSeenMs = read.lastSeenMs = when.ms;
}

bool TagMessageDecoder::FinishFormatRead(int channel, const MessageFormat& f, FormatFields& m) {
  TagRead& read = m.read;
  char name[17] = {};
  if (read.dataFlag != 0) {
    // A data read carries data, not an ID: name it by the bytes as received.
    WriteHexId(read.tagBytes, name);
  }
  // A reader that sends six ID bytes leaves the last two to the tag CRC.
  if (LastPresentIdByte(f) < 6) {
    const uint16_t crc = TagCrc(read.tagBytes, 6, settings_.crcSeed);
    read.tagBytes[6] = static_cast<uint8_t>(crc >> 8);
    read.tagBytes[7] = static_cast<uint8_t>(crc & 0xFF);
  }
  if (read.dataFlag == 0 && settings_.defaultNames) WriteDefaultName(read.tagBytes, name);

  StampRead(read, channel, ReadTime(channel, m));
  read.count = CountFor(settings_.whichChannels, read.iCount, read.qCount, f.iCount, f.qCount);
  read.text = name;
  SetStatusFlags(m.status, read);
  if (tagSink_ != nullptr) tagSink_->RecordTagRead(read);
  return true;
}

namespace {

// Reads `count` hex pairs at `p` into `out`; false at the first non-hex pair.
bool ReadHexBytes(const char* p, int count, uint8_t* out) {
  for (int i = 0; i < count; ++i) {
    if (!ReadHexByte(p + 2 * i, out[i])) return false;
  }
  return true;
}

// A page read of one ID with its default name in `name` (room for 8).
void StartPageRead(TagRead& read, const uint8_t* id, const PageSlot* pages, bool defaultNames,
                   char* name) {
  for (int i = 0; i < 8; ++i) read.tagBytes[i] = id[i];
  name[0] = '\0';
  if (defaultNames) WriteDefaultName(id, name);
  read.text = name;
  read.pages = pages;
}

void SetReadCounts(TagRead& read, int32_t iCount, int32_t qCount) {
  read.count = iCount + qCount;
  read.iCount = iCount;
  read.qCount = qCount;
}

}  // namespace

// Layout: "a1", three hex bytes, one to three IDs of 16 hex characters, LRC.
// The three bytes are kept in tagBytes[8..10]; the second and third IDs go
// into page slots 0 and 1 with their text.
bool TagMessageDecoder::DecodeMultiIdMessage(int channel, const char* text, int length) {
  if (!IsValidChannel(channel) || text == nullptr) return false;
  if (length < 4 || !CheckLrc(text + 2, length - 2)) {
    return RejectChecksum(channel);
  }
  const int body = length - 4;
  if (body < 6 + 16) {
    return RejectData(channel, kBadData);
  }
  uint8_t header[3];
  if (!ReadHexBytes(text + 2, 3, header)) {
    return RejectData(channel, kBadData);
  }
  const int idCount = (body - 6) / 16 < 3 ? (body - 6) / 16 : 3;
  uint8_t ids[3][8];
  for (int t = 0; t < idCount; ++t) {
    if (!ReadHexBytes(text + 8 + 16 * t, 8, ids[t])) {
      return RejectData(channel, kIdError);
    }
  }

  PageSlot pages[kPageSlotCount];
  char name[8];
  TagRead read;
  StartPageRead(read, ids[0], pages, settings_.defaultNames, name);
  StampRead(read, channel, clock_.Now());
  SetReadCounts(read, 1, 0);
  for (int i = 0; i < 3; ++i) read.tagBytes[8 + i] = header[i];
  for (int t = 1; t < idCount; ++t) {
    PageSlot& slot = pages[t - 1];
    WriteHexId(ids[t], slot.primary.text);
    WriteHexId(ids[t], slot.primary.shown);
    slot.primary.hasData = 1;
    slot.primary.count = slot.primary.iCount = 1;
    slot.pageReads = 1;
  }
  if (tagSink_ != nullptr) tagSink_->RecordTagRead(read);
  return true;
}

bool TagMessageDecoder::DecodeCompositeMessage(int channel, const char* text, int length) {
  if (!IsValidChannel(channel) || text == nullptr) return false;
  formats_.format[channel].compositeMode = true;
  if (length < 4 || !CheckLrc(text + 2, length - 2)) {
    return RejectChecksum(channel);
  }
  CompositeFormat cf = formats_.composite[channel];
  const int end = length - 2;
  int pos = 2;
  auto bad = [this, channel](std::string_view why) { return RejectData(channel, why); };
  auto readByte = [&](int& out) {
    if (end - pos < 2) return false;
    out = HexPair(text + pos);
    pos += 2;
    return out >= 0;
  };

  if (cf.hasLengthByte) {
    int value = 0;
    // A length that disagrees means the layout cannot be trusted.
    if (!readByte(value) || length != 2 * value + 4) return bad(kBadData);
  }
  if (cf.carriesFormatBytes) {
    int f = 0, g = 0;
    if (!readByte(f) || !readByte(g)) return bad(kBadData);
    cf = CompositeFormat::Derive(static_cast<uint8_t>(f), static_cast<uint8_t>(g), cf.mask);
    formats_.composite[channel] = cf;
  }
  int readerId = 0, further = 0, tagCount = cf.maskTagCount;
  if (cf.hasReaderId && !readByte(readerId)) return bad(kBadData);
  if (cf.hasFurtherByte && !readByte(further)) return bad(kBadData);
  if (cf.hasTagCount && !readByte(tagCount)) return bad(kBadData);
  const int perTag = cf.PerTagChars();
  if (tagCount * perTag + cf.TailChars() - 2 > end - pos) return bad(kBadData);

  // Check every tag before recording any, so a rejected message records nothing.
  const int countBytes = cf.countMode == 3 ? 8 : cf.countMode;
  const int extraBytes = (cf.hasExtraPerTag ? 1 : 0) + countBytes;
  for (int t = 0; t < tagCount; ++t) {
    const char* tag = text + pos + t * perTag;
    uint8_t scratch[9];
    if (!ReadHexBytes(tag, 8, scratch)) return bad(kIdError);
    if (!ReadHexBytes(tag + 16, extraBytes, scratch)) return bad(kBadData);
  }

  const WallTime now = clock_.Now();
  // Composite reads carry no page content but are kept as page reads.
  const PageSlot noPages[kPageSlotCount];
  for (int t = 0; t < tagCount; ++t) {
    const char* tag = text + pos + t * perTag;
    uint8_t id[8];
    uint8_t extra[9] = {};
    ReadHexBytes(tag, 8, id);
    ReadHexBytes(tag + 16, extraBytes, extra);
    const uint8_t* counts = extra + (cf.hasExtraPerTag ? 1 : 0);

    char name[8];
    TagRead read;
    StartPageRead(read, id, noPages, settings_.defaultNames, name);
    StampRead(read, channel, now);
    read.readerId = readerId;
    // The extra byte and the further byte are kept after the ID.
    if (cf.hasExtraPerTag) read.tagBytes[8] = extra[0];
    read.tagBytes[9] = static_cast<uint8_t>(further);
    switch (cf.countMode) {
      case 1:
        SetReadCounts(read, counts[0], 0);
        break;
      case 2:
        SetReadCounts(read, counts[0], counts[1]);
        break;
      case 3: {
        int32_t sum = 0;
        for (int i = 0; i < 8; ++i) sum += counts[i];
        SetReadCounts(read, sum, 0);
        break;
      }
      default:
        SetReadCounts(read, 1, 0);
        break;
    }
    if (tagSink_ != nullptr) tagSink_->RecordTagRead(read);
  }
  return true;
}

// Binary TTO data frame: header byte, reader ID, 8 page bytes, I and Q counts
// when the format has them, sequence number (two bytes with wideKey, high
// first), data flag, status, and the LRC over the bytes after the header when
// the format has one.
bool TagMessageDecoder::DecodeBinaryTto(int channel, const MessageFormat& f, const char* text,
                                        int length) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text);
  int end = length;
  if (f.lrc) {
    end = length - 1;
    unsigned sum = 0;
    for (int i = 1; i < end; ++i) sum += bytes[i];
    if (end < 1 || bytes[end] != (sum & 0xFF)) {
      return RejectChecksum(channel);
    }
  }
  const int needed = 1 + 1 + 8 + (f.iCount ? 1 : 0) + (f.qCount ? 1 : 0) + (f.wideKey ? 2 : 1) + 2;
  if (end < needed) {
    return RejectData(channel, kBadData);
  }
  TagRead page;
  const uint8_t* p = bytes + 1;
  page.readerId = *p++;
  for (int i = 0; i < 8; ++i) page.tagBytes[i] = *p++;
  page.iCount = f.iCount ? *p++ : 1;
  page.qCount = f.qCount ? *p++ : 0;
  if (f.wideKey) page.sequence = *p++ << 8;
  page.sequence |= *p++;
  page.dataFlag = *p++;
  SetStatusFlags(*p, page);

  char pageText[17];
  WriteHexId(page.tagBytes, pageText);
  StampRead(page, channel, clock_.Now());
  page.count = CountFor(settings_.whichChannels, page.iCount, page.qCount, f.iCount, f.qCount);
  page.text = pageText;
  if (pageHandler_ != nullptr) pageHandler_->HandleDataPage(page);
  return true;
}

bool TagMessageDecoder::DecodeTagDataMessage(int channel, const char* text, int length) {
  if (!IsValidChannel(channel) || text == nullptr) return false;
  const int idAt = length == 38 ? 2 : 4;
  const int flagsAt = idAt + 16;
  // The fields must lie inside the message, whatever its length.
  if (length < 10 || length < flagsAt + 2) {
    return RejectData(channel, kBadData);
  }
  TagDataReport report;
  report.channel = settings_.sumAllPorts ? 0 : channel;
  if (!ReadHexBytes(text + idAt, kTagIdBytes, report.tagId) ||
      !ReadHexByte(text + flagsAt, report.dataFlags)) {
    return RejectData(channel, kBadData);
  }
  const int flags = report.dataFlags;
  report.dataCount = ((flags >> 4) & 0x03) + ((flags >> 6) & 0x03);
  report.iIndicator = (flags >> 2) & 0x03;
  report.qIndicator = flags & 0x03;
  report.beep = (flags & 0xA0) != 0;
  if (dataDisplay_ != nullptr) dataDisplay_->ShowTagData(report);
  return true;
}

void TagMessageDecoder::ReportBadTtoPage(const char* text, int length) {
  if (pageHandler_ == nullptr) return;
  TagRead page;
  const int dataFlag = HexPair(text + length - (length == 28 ? 6 : 4));
  if (dataFlag < 0 || !ReadHexBytes(text + 4, 8, page.tagBytes)) return;
  char pageText[17];
  WriteHexId(page.tagBytes, pageText);
  page.dataFlag = dataFlag;
  page.text = pageText;
  pageHandler_->HandleBadDataPage(page);
}

bool TagMessageDecoder::DecodeTtoDataMessage(int channel, const char* text, int length) {
  if (!IsValidChannel(channel) || text == nullptr) return false;
  if (length != 26 && length != 28 && length != 30) {
    return RejectData(channel, kTtoLengthError);
  }
  if (!CheckLrc(text + 2, length - 2)) {
    ReportBadTtoPage(text, length);
    return RejectChecksum(channel);
  }
  TagRead page;
  uint8_t readerId = 0;
  if (!ReadHexByte(text + 2, readerId)) {
    return RejectData(channel, kBadData);
  }
  if (!ReadHexBytes(text + 4, 8, page.tagBytes)) {
    return RejectData(channel, kDataPageError);
  }
  const bool withCounts = length == 30;
  int iCount = 1, qCount = 0;
  if (withCounts) {
    iCount = HexPair(text + 20);
    qCount = HexPair(text + 22);
  }
  const int tail = length == 28 ? 8 : 6;
  const int sequence = HexPair(text + length - tail);
  const int dataFlag = HexPair(text + length - tail + 2);
  const int status = length == 28 ? HexPair(text + length - 4) : 0;
  if (iCount < 0 || qCount < 0 || sequence < 0 || dataFlag < 0 || status < 0) {
    return RejectData(channel, kBadData);
  }

  char pageText[17];
  WriteHexId(page.tagBytes, pageText);
  StampRead(page, channel, clock_.Now());
  page.readerId = readerId;
  page.count = CountFor(settings_.whichChannels, iCount, qCount, withCounts, withCounts);
  page.text = pageText;
  page.iCount = iCount;
  page.qCount = qCount;
  page.sequence = sequence;
  page.dataFlag = dataFlag;
  SetStatusFlags(status, page);
  if (pageHandler_ != nullptr) pageHandler_->HandleDataPage(page);
  return true;
}

}  // namespace corvalis
