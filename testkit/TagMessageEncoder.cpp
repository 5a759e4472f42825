#include "testkit/TagMessageEncoder.h"

#include "protocol/Checksums.h"
#include "protocol/Hex.h"

namespace corvalis {
namespace {

// Appends to a fixed buffer; remembers an overflow instead of writing past it.
class Writer {
 public:
  Writer(char* out, int capacity) : out_(out), capacity_(capacity) {}

  void Char(char c) {
    if (pos_ < capacity_) out_[pos_] = c;
    ++pos_;
  }
  void Byte(int value) { Char(static_cast<char>(static_cast<uint8_t>(value))); }
  void Hex(int value) {
    Char(kLowerHexDigits[(value >> 4) & 0x0F]);
    Char(kLowerHexDigits[value & 0x0F]);
  }
  void Decimal2(int value) {
    const int v = ((value % 100) + 100) % 100;
    Char(static_cast<char>('0' + v / 10));
    Char(static_cast<char>('0' + v % 10));
  }
  void Bcd(int value) {
    const int v = ((value % 100) + 100) % 100;
    Byte((v / 10) << 4 | (v % 10));
  }
  void Repeat(char c, int count) {
    for (int i = 0; i < count; ++i) Char(c);
  }

  int Position() const { return pos_; }
  const char* Data() const { return out_; }

  // The length written, with a NUL after it when there is room; -1 when the
  // message did not fit.
  int Finish() {
    if (pos_ > capacity_) return -1;
    if (pos_ < capacity_) out_[pos_] = '\0';
    return pos_;
  }

 private:
  char* out_;
  int capacity_;
  int pos_ = 0;
};

// Appends the LRC as two hex digits over [from, end); the caller has checked
// that everything written so far fitted.
void AppendTextLrc(Writer& w, int from, char separator) {
  unsigned sum = 0;
  for (int i = from; i < w.Position(); ++i) {
    if (separator != 0 && w.Data()[i] == separator) continue;
    sum += static_cast<unsigned char>(w.Data()[i]);
  }
  w.Hex(static_cast<int>(sum & 0xFF));
}

int EncodeAscii(const MessageFormat& f, const TagMessageFields& m, char* out, int capacity) {
  Writer w(out, capacity);
  if (f.asciiHeader1 != 0) w.Byte(f.asciiHeader1);
  if (f.asciiHeader2 != 0) w.Byte(f.asciiHeader2);
  const int bodyStart = w.Position();
  if (f.rdrId) w.Hex(m.readerId);
  for (int i = 0; i < 8; ++i) {
    if (f.idByte[i]) w.Hex(m.id[i]);
  }
  if (f.iCount) w.Hex(m.iCount);
  if (f.qCount) w.Hex(m.qCount);
  if (f.date) {
    w.Decimal2(m.year);
    w.Decimal2(m.month);
    w.Decimal2(m.day);
  }
  if (f.time) {
    w.Decimal2(m.hour);
    w.Decimal2(m.minute);
    w.Decimal2(m.second);
  }
  if (f.hundredths) {
    if (f.msTiming) {
      w.Decimal2(m.hundredths);
    } else {
      w.Hex(m.hundredths);
    }
  }
  if (f.millis) w.Repeat('0', field_chars::kMillis);
  if (f.msTiming) w.Repeat('0', field_chars::kMsTiming);
  if (f.msTimingP) w.Repeat('0', field_chars::kMsTimingExtra);
  if (f.tto) {
    if (f.wideKey) w.Hex(m.sequence >> 8);
    w.Hex(m.sequence);
    w.Hex(m.dataFlag);
    w.Hex(m.status);
  }
  // The line number is not decoded; it sits before the LRC so the LRC stays last.
  if (f.lineNumber) w.Repeat('0', field_chars::kLineNumber);
  if (w.Position() > capacity) return -1;
  if (f.lrc) AppendTextLrc(w, bodyStart, static_cast<char>(f.separator));
  return w.Finish();
}

int EncodeBinary(const MessageFormat& f, const TagMessageFields& m, char* out, int capacity) {
  Writer w(out, capacity);
  if (f.binHeader1 != 0) w.Byte(f.binHeader1);
  if (f.binHeader2 != 0) w.Byte(f.binHeader2);
  const int bodyStart = w.Position();
  if (f.rdrId) w.Byte(m.readerId);
  for (int i = 0; i < 8; ++i) {
    if (f.idByte[i]) w.Byte(m.id[i]);
  }
  if (f.iCount) w.Byte(m.iCount);
  if (f.qCount) w.Byte(m.qCount);
  if (f.date) {
    w.Bcd(m.year);
    w.Bcd(m.month);
    w.Bcd(m.day);
  }
  if (f.time) {
    w.Bcd(m.hour);
    w.Bcd(m.minute);
    w.Bcd(m.second);
  }
  if (f.hundredths) {
    if (f.msTiming) {
      w.Bcd(m.hundredths);
    } else {
      w.Byte(m.hundredths);
    }
  }
  if (f.millis) w.Byte(0);
  for (int i = 0; f.msTiming && i < field_chars::kMsTiming / 2; ++i) w.Byte(0);
  for (int i = 0; f.msTimingP && i < field_chars::kMsTimingExtra / 2; ++i) w.Byte(0);
  if (f.tto) {
    if (f.wideKey) w.Byte(m.sequence >> 8);
    w.Byte(m.sequence);
    w.Byte(m.dataFlag);
    w.Byte(m.status);
  }
  if (f.lineNumber) {
    w.Byte(0);
    w.Byte(0);
  }
  if (w.Position() > capacity) return -1;
  if (f.lrc) {
    unsigned sum = 0;
    for (int i = bodyStart; i < w.Position(); ++i) {
      sum += static_cast<unsigned char>(w.Data()[i]);
    }
    w.Byte(static_cast<int>(sum & 0xFF));
  }
  return w.Finish();
}

}  // namespace

int EncodeFormatMessage(const MessageFormat& format, const TagMessageFields& fields, char* out,
                        int capacity) {
  return format.binary ? EncodeBinary(format, fields, out, capacity)
                       : EncodeAscii(format, fields, out, capacity);
}

int EncodeTtoDataMessage(const TtoDataFields& fields, int length, char* out, int capacity) {
  if (length != 26 && length != 28 && length != 30) return -1;
  Writer w(out, capacity);
  w.Char('a');
  w.Char('e');
  w.Hex(fields.readerId);
  for (uint8_t b : fields.page) w.Hex(b);
  if (length == 30) {
    w.Hex(fields.iCount);
    w.Hex(fields.qCount);
  }
  w.Hex(fields.sequence);
  w.Hex(fields.dataFlag);
  if (length == 28) w.Hex(fields.status);
  if (w.Position() > capacity) return -1;
  AppendTextLrc(w, 2, 0);
  return w.Finish();
}

int EncodeBinaryTtoFrame(const MessageFormat& format, const TtoDataFields& fields, char* out,
                         int capacity) {
  Writer w(out, capacity);
  w.Byte(format.binHeader1b);
  w.Byte(fields.readerId);
  for (uint8_t b : fields.page) w.Byte(b);
  if (format.iCount) w.Byte(fields.iCount);
  if (format.qCount) w.Byte(fields.qCount);
  if (format.wideKey) w.Byte(fields.sequence >> 8);
  w.Byte(fields.sequence);
  w.Byte(fields.dataFlag);
  w.Byte(fields.status);
  if (w.Position() > capacity) return -1;
  if (format.lrc) {
    unsigned sum = 0;
    for (int i = 1; i < w.Position(); ++i) sum += static_cast<unsigned char>(w.Data()[i]);
    w.Byte(static_cast<int>(sum & 0xFF));
  }
  return w.Finish();
}

int EncodeMultiIdMessage(const uint8_t header[3], const uint8_t (*ids)[8], int idCount, char* out,
                         int capacity) {
  Writer w(out, capacity);
  w.Char('a');
  w.Char('1');
  for (int i = 0; i < 3; ++i) w.Hex(header[i]);
  for (int t = 0; t < idCount; ++t) {
    for (int i = 0; i < 8; ++i) w.Hex(ids[t][i]);
  }
  if (w.Position() > capacity) return -1;
  AppendTextLrc(w, 2, 0);
  return w.Finish();
}

int EncodeCompositeMessage(const CompositeFormat& format, const CompositeMessageFields& fields,
                           char* out, int capacity) {
  const int total =
      format.LeadChars() + fields.tagCount * format.PerTagChars() + format.TailChars();
  Writer w(out, capacity);
  w.Char('a');
  w.Char('f');
  if (format.hasLengthByte) w.Hex((total - 4) / 2);
  if (format.carriesFormatBytes) {
    w.Hex(format.f);
    w.Hex(format.g);
  }
  if (format.hasReaderId) w.Hex(fields.readerId);
  if (format.hasFurtherByte) w.Hex(fields.further);
  if (format.hasTagCount) w.Hex(fields.tagCount);
  for (int t = 0; t < fields.tagCount; ++t) {
    const CompositeTagFields& tag = fields.tags[t];
    for (uint8_t b : tag.id) w.Hex(b);
    if (format.hasExtraPerTag) w.Hex(tag.extra);
    const int countBytes = format.countMode == 3 ? 8 : format.countMode;
    for (int i = 0; i < countBytes; ++i) w.Hex(tag.counts[i]);
  }
  w.Repeat('0', format.extraBlockChars);
  if (format.wideTrailer) w.Repeat('0', 4);
  if (w.Position() > capacity) return -1;
  AppendTextLrc(w, 2, 0);
  return w.Finish();
}

}  // namespace corvalis
