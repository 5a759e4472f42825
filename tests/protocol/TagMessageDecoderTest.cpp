#include "protocol/TagMessageDecoder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "protocol/Checksums.h"
#include "protocol/Hex.h"
#include "support/RecordingStatus.h"
#include "testkit/TagMessageEncoder.h"

namespace corvalis {
namespace {

struct Recorded {
  TagRead read;
  std::string text;             // copied: the decoder's buffer is gone after the call
  std::vector<PageSlot> pages;  // likewise, for page reads
};

Recorded Copy(const TagRead& read) {
  Recorded copy{read, read.text, {}};
  if (read.pages != nullptr) copy.pages.assign(read.pages, read.pages + kPageSlotCount);
  copy.read.text = "";
  copy.read.pages = nullptr;
  return copy;
}

class RecordingSink final : public TagReadSink, public DataPageHandler, public TagDataDisplay {
 public:
  void RecordTagRead(const TagRead& r) override {
    (r.pages != nullptr ? pageReads : reads).push_back(Copy(r));
  }
  void HandleDataPage(const TagRead& p) override { pages.push_back(Copy(p)); }
  void ShowTagData(const TagDataReport& report) override { tagData.push_back(report); }

  std::vector<Recorded> reads;
  std::vector<Recorded> pageReads;
  std::vector<Recorded> pages;
  std::vector<TagDataReport> tagData;
};

constexpr WallTime kNow{1'700'000'000, 123};
constexpr int32_t kMarch14At123456 = 1'741'955'696;  // 2025-03-14 12:34:56 UTC
constexpr int32_t kNewYear2025 = 1'735'689'600;

using DecodeFn = bool (TagMessageDecoder::*)(int, const char*, int);

class DecoderTest : public ::testing::Test {
 protected:
  DecoderTest() : decoder(formats, settings, clock, status) {
    decoder.SetTagReadSink(&sink);
    decoder.SetDataPageHandler(&sink);
    decoder.SetTagDataDisplay(&sink);
  }

  // Decodes from a buffer of exactly length + 1 bytes, so a sanitizer build
  // catches any read past the terminating NUL.
  bool Run(DecodeFn fn, int channel, const std::string& text) {
    auto buffer = std::make_unique<char[]>(text.size() + 1);
    std::memcpy(buffer.get(), text.data(), text.size());
    buffer[text.size()] = '\0';
    return (decoder.*fn)(channel, buffer.get(), static_cast<int>(text.size()));
  }
  bool Format(int ch, const std::string& t) {
    return Run(&TagMessageDecoder::DecodeFormatMessage, ch, t);
  }
  bool MultiId(const std::string& t) { return Run(&TagMessageDecoder::DecodeMultiIdMessage, 1, t); }
  bool Composite(int ch, const std::string& t) {
    return Run(&TagMessageDecoder::DecodeCompositeMessage, ch, t);
  }
  bool TagData(const std::string& t) { return Run(&TagMessageDecoder::DecodeTagDataMessage, 1, t); }
  bool Tto(int ch, const std::string& t) {
    return Run(&TagMessageDecoder::DecodeTtoDataMessage, ch, t);
  }

  static std::string Encode(const MessageFormat& f, const TagMessageFields& fields) {
    char out[256];
    const int n = EncodeFormatMessage(f, fields, out, sizeof out);
    return n > 0 ? std::string(out, static_cast<size_t>(n)) : std::string();
  }
  // Replaces the last two characters by the LRC of text[from..].
  static std::string Resign(const std::string& text, int from = 2) {
    std::string body = text.substr(0, text.size() - 2);
    char digits[2];
    FormatLrc(ComputeLrc(body.data() + from, static_cast<int>(body.size()) - from), digits);
    return body.append(digits, 2);
  }
  const Recorded& Last() { return sink.reads.back(); }
  bool ErrorIs(const std::string& prefix) { return status.lastError.rfind(prefix, 0) == 0; }

  ChannelFormats formats;
  ProtocolSettings settings;
  ManualClock clock{kNow};
  testing::RecordingStatus status;
  RecordingSink sink;
  TagMessageDecoder decoder;
};

TagMessageFields Sample() {
  TagMessageFields m;
  m.readerId = 1;
  for (int i = 0; i < 8; ++i) m.id[i] = static_cast<uint8_t>(i + 1);
  m.iCount = 5;
  m.qCount = 3;
  m.year = 25, m.month = 3, m.day = 14;
  m.hour = 12, m.minute = 34, m.second = 56, m.hundredths = 42;
  m.sequence = 0x2a;
  return m;
}

TagMessageFields At(int y, int mo, int d, int h, int mi, int s, int hundredths) {
  TagMessageFields m = Sample();
  m.year = y, m.month = mo, m.day = d, m.hour = h, m.minute = mi, m.second = s;
  m.hundredths = hundredths;
  return m;
}

TEST_F(DecoderTest, DefaultLineDecodesEveryField) {
  const std::string line = "aa0101020304050607080503250314123456420000000000000000000000002a00c11e";
  ASSERT_EQ(line.size(), 70u);
  TagMessageFields m = Sample();
  m.status = 0xc1;
  EXPECT_EQ(Encode(MessageFormat{}, m), line);

  ASSERT_TRUE(Format(1, line));
  const TagRead& r = Last().read;
  const uint8_t id[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(0, std::memcmp(r.tagBytes, id, 8));
  EXPECT_EQ(r.channel, 1);
  EXPECT_EQ(r.readerId, 1);
  EXPECT_EQ(r.iCount, 5);
  EXPECT_EQ(r.qCount, 3);
  EXPECT_EQ(r.count, 8);
  EXPECT_EQ(r.firstSeenSec, kMarch14At123456);
  EXPECT_EQ(r.firstSeenMs, 420);
  EXPECT_EQ(r.lastSeenSec, r.firstSeenSec);
  EXPECT_EQ(r.lastSeenMs, r.firstSeenMs);
  EXPECT_EQ(Last().text, "NR-0506");
  EXPECT_EQ(r.sequence, 0x2a);
  EXPECT_TRUE(r.tamper && r.flagFS && r.flagLS);
}

TEST_F(DecoderTest, RejectionsRecordNothing) {
  const std::string line = Encode(MessageFormat{}, Sample());
  EXPECT_FALSE(Format(1, line.substr(0, 69)));
  EXPECT_FALSE(Format(1, "ab" + line.substr(2)));
  EXPECT_FALSE(Format(7, line));

  std::string bad = line;
  bad[69] = bad[69] == '0' ? '1' : '0';
  EXPECT_FALSE(Format(1, bad));
  EXPECT_EQ(status.lastError, "LRC error");

  bad = line;
  bad[6] = 'x';
  EXPECT_FALSE(Format(1, Resign(bad)));
  EXPECT_EQ(status.lastError, "Error in ID");

  // Default length2 is 32: such a line passes the length and LRC checks but
  // cannot hold the 70-character layout.
  EXPECT_FALSE(Format(1, Resign("aa" + std::string(30, '0'))));
  EXPECT_EQ(status.lastError, "Bad Data");
  EXPECT_TRUE(sink.reads.empty());
}

TEST_F(DecoderTest, RejectionsAreCountedAgainstTheirChannel) {
  const std::string line = Encode(MessageFormat{}, Sample());
  std::string badLrc = line;
  badLrc[69] = badLrc[69] == '0' ? '1' : '0';
  std::string badId = line;
  badId[6] = 'x';
  EXPECT_FALSE(Format(1, badLrc));
  EXPECT_FALSE(Format(1, Resign(badId)));
  EXPECT_FALSE(Tto(1, "ae" + std::string(22, '0') + "00"));   // LRC 20 expected
  EXPECT_FALSE(MultiId("a1" + std::string(24, '0') + "ff"));  // LRC 80 expected
  EXPECT_FALSE(Tto(2, "ae00"));                               // wrong length
  // A read with an impossible date is kept but its date counts as bad data.
  ASSERT_TRUE(Format(2, Encode(MessageFormat{}, At(25, 13, 1, 0, 0, 0, 0))));
  ASSERT_TRUE(Format(1, line));

  const DecoderCounters& counts = formats.counters;
  EXPECT_EQ(counts.channel[1].checksumErrors, 3);
  EXPECT_EQ(counts.channel[1].dataErrors, 1);
  EXPECT_EQ(counts.channel[2].checksumErrors, 0);
  EXPECT_EQ(counts.channel[2].dataErrors, 2);
  EXPECT_EQ(counts.channel[0].checksumErrors + counts.channel[0].dataErrors, 0);
}

TEST_F(DecoderTest, SixByteIdIsCompletedWithTagCrc) {
  MessageFormat& f = formats.format[2];
  f.idByte[6] = f.idByte[7] = false;
  f.ComputeLengths();
  const std::string line = Encode(f, Sample());
  ASSERT_TRUE(Format(2, line));
  EXPECT_EQ(Last().read.tagBytes[6], 0xDA);
  EXPECT_EQ(Last().read.tagBytes[7], 0x6F);
  settings.crcSeed = 0x0000;
  ASSERT_TRUE(Format(2, line));
  EXPECT_EQ(Last().read.tagBytes[6], 0xDA);
  EXPECT_EQ(Last().read.tagBytes[7], 0xB7);
}

TEST_F(DecoderTest, DateRules) {
  ASSERT_TRUE(Format(0, Encode(MessageFormat{}, At(0, 0, 0, 12, 0, 0, 0))));
  EXPECT_EQ(Last().read.firstSeenSec, kNow.sec);
  EXPECT_EQ(Last().read.firstSeenMs, kNow.ms);
  EXPECT_EQ(status.lastError, "");

  ASSERT_TRUE(Format(0, Encode(MessageFormat{}, At(25, 13, 1, 0, 0, 0, 0))));
  EXPECT_EQ(Last().read.firstSeenSec, kNow.sec);
  EXPECT_TRUE(ErrorIs("Error in date ")) << status.lastError;
  EXPECT_GT(status.lastError.size(), 14u);

  // Years above 38 are 19xx.
  ASSERT_TRUE(Format(0, Encode(MessageFormat{}, At(70, 1, 2, 0, 0, 0, 0))));
  EXPECT_EQ(Last().read.firstSeenSec, 86400);

  // The last second a 32-bit read time holds, and the one after it.
  status.lastError.clear();
  ASSERT_TRUE(Format(0, Encode(MessageFormat{}, At(38, 1, 19, 3, 14, 7, 0))));
  EXPECT_EQ(Last().read.firstSeenSec, 2'147'483'647);
  EXPECT_EQ(status.lastError, "");
  ASSERT_TRUE(Format(0, Encode(MessageFormat{}, At(38, 1, 19, 3, 14, 8, 0))));
  EXPECT_EQ(Last().read.firstSeenSec, kNow.sec);
  EXPECT_TRUE(ErrorIs("Error in date "));
}

TEST_F(DecoderTest, HundredthsCarryIntoTheNextDay) {
  MessageFormat& f = formats.format[0];
  f.msTiming = false;  // hundredths as a hex byte
  f.ComputeLengths();
  ASSERT_TRUE(Format(0, Encode(f, At(24, 6, 1, 23, 59, 59, 0x78))));
  EXPECT_EQ(Last().read.firstSeenSec, 1'717'286'400);  // 2024-06-02 00:00:00
  EXPECT_EQ(Last().read.firstSeenMs, 200);
  // At a year end the carry reaches the next year instead of day 32.
  ASSERT_TRUE(Format(0, Encode(f, At(24, 12, 31, 23, 59, 59, 0x78))));
  EXPECT_EQ(Last().read.firstSeenSec, kNewYear2025);
  EXPECT_EQ(status.lastError, "");

  f.binary = true;
  f.ComputeLengths();
  ASSERT_TRUE(Format(0, Encode(f, At(24, 12, 31, 23, 59, 59, 120))));
  EXPECT_EQ(Last().read.firstSeenSec, kNewYear2025);
  EXPECT_EQ(Last().read.firstSeenMs, 200);
  EXPECT_EQ(status.lastError, "binary ms >= 1000");
}

// Sets the local time zone for one test and puts UTC back after it.
class ZoneScope {
 public:
  explicit ZoneScope(const char* zone) {
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ZoneScope() {
    setenv("TZ", "UTC", 1);
    tzset();
  }
};

TEST_F(DecoderTest, ReadTimesHoldOnDaylightSavingChangeDays) {
  struct Case {
    const char* zone;
    int month, day, hour, minute;
    int32_t utc;
  };
  // Each change day before and after its switch, then an ordinary day.
  const Case cases[] = {
      {"Europe/London", 3, 31, 0, 30, 1'711'845'000},     // 00:30 GMT
      {"Europe/London", 3, 31, 12, 0, 1'711'882'800},     // 12:00 BST = 11:00 UTC
      {"Europe/London", 4, 1, 12, 0, 1'711'969'200},      // 12:00 BST
      {"Europe/London", 10, 27, 0, 30, 1'729'985'400},    // 00:30 BST = 23:30 UTC
      {"Europe/London", 10, 27, 12, 0, 1'730'030'400},    // 12:00 GMT
      {"Australia/Sydney", 4, 7, 1, 0, 1'712'412'000},    // 01:00 +11
      {"Australia/Sydney", 4, 7, 12, 0, 1'712'455'200},   // 12:00 +10
      {"Australia/Sydney", 10, 6, 1, 0, 1'728'140'400},   // 01:00 +10
      {"Australia/Sydney", 10, 6, 12, 0, 1'728'176'400},  // 12:00 +11
  };
  for (const Case& c : cases) {
    const ZoneScope zone(c.zone);
    ASSERT_TRUE(Format(0, Encode(MessageFormat{}, At(24, c.month, c.day, c.hour, c.minute, 0, 0))));
    EXPECT_EQ(Last().read.firstSeenSec, c.utc)
        << c.zone << " " << c.month << "-" << c.day << " " << c.hour << ":" << c.minute;
  }
  EXPECT_EQ(status.lastError, "");
}

TEST_F(DecoderTest, CountAndStatusFlags) {
  const std::string line = Encode(MessageFormat{}, Sample());  // I 5, Q 3
  const int expected[4] = {1, 5, 3, 8};
  for (int which = 0; which < 4; ++which) {
    settings.whichChannels = which;
    ASSERT_TRUE(Format(0, line));
    EXPECT_EQ(Last().read.count, expected[which]) << which;
  }
  // A format without the selected count still counts each read once.
  MessageFormat& f = formats.format[1];
  f.qCount = false;
  f.ComputeLengths();
  settings.whichChannels = 2;
  ASSERT_TRUE(Format(1, Encode(f, Sample())));
  EXPECT_EQ(Last().read.count, 1);

  TagMessageFields m = Sample();
  m.status = 0xFF;
  ASSERT_TRUE(Format(0, Encode(MessageFormat{}, m)));
  EXPECT_TRUE(Last().read.tamper);
  EXPECT_FALSE(Last().read.flagFS || Last().read.flagLS);
}

TEST_F(DecoderTest, SumAllPortsRecordsChannelZeroWithTheRealChannelsFormat) {
  settings.sumAllPorts = true;
  MessageFormat& f = formats.format[2];
  f.rdrId = false;
  f.ComputeLengths();
  ASSERT_TRUE(Format(2, Encode(f, Sample())));
  EXPECT_EQ(Last().read.channel, 0);
  EXPECT_EQ(Last().read.iCount, 5);
  EXPECT_FALSE(Format(2, Encode(MessageFormat{}, Sample())));
}

TEST_F(DecoderTest, DataReadsAreRecordedAndNamedByTheirBytes) {
  TagMessageFields m = Sample();
  m.dataFlag = 3;
  m.id[0] = 0xAB;
  ASSERT_TRUE(Format(0, Encode(MessageFormat{}, m)));
  EXPECT_EQ(Last().read.dataFlag, 3);
  EXPECT_EQ(Last().text, "ab02030405060708");
  settings.defaultNames = false;
  ASSERT_TRUE(Format(0, Encode(MessageFormat{}, Sample())));
  EXPECT_EQ(Last().text, "");
}

TEST_F(DecoderTest, BinaryFrames) {
  MessageFormat& f = formats.format[3];
  f.binary = true;
  f.wideKey = true;
  f.binHeader2 = 0x55;
  f.ComputeLengths();
  TagMessageFields m = Sample();
  m.sequence = 0xBEEF;
  m.id[3] = 0xAA;  // a header-valued byte inside the frame
  const std::string frame = Encode(f, m);
  ASSERT_EQ(static_cast<int>(frame.size()), f.length1);
  // The LRC covers the bytes after both header bytes.
  uint8_t sum = 0;
  for (size_t i = 2; i + 1 < frame.size(); ++i) sum = static_cast<uint8_t>(sum + frame[i]);
  EXPECT_EQ(static_cast<uint8_t>(frame.back()), sum);

  ASSERT_TRUE(Format(3, frame));
  EXPECT_EQ(Last().read.tagBytes[3], 0xAA);
  EXPECT_EQ(Last().read.count, 8);
  EXPECT_EQ(Last().read.firstSeenSec, kMarch14At123456);
  EXPECT_EQ(Last().read.firstSeenMs, 420);
  EXPECT_EQ(Last().read.sequence, 0xBEEF);

  std::string corrupt = frame;
  corrupt[5] = static_cast<char>(corrupt[5] ^ 1);
  EXPECT_FALSE(Format(3, corrupt));
  EXPECT_EQ(status.lastError, "LRC error");

  // TTO data frames on the same channel go to the data-page handler.
  TtoDataFields t;
  t.readerId = 3;
  t.page[0] = 0x30;
  t.iCount = 2;
  t.qCount = 7;
  t.sequence = 0x0102;
  t.status = 0xFF;
  char out[64];
  ASSERT_EQ(EncodeBinaryTtoFrame(f, t, out, sizeof out), f.length2);
  ASSERT_TRUE(Format(3, std::string(out, static_cast<size_t>(f.length2))));
  ASSERT_EQ(sink.pages.size(), 1u);
  EXPECT_EQ(sink.pages[0].text, "3000000000000000");
  EXPECT_EQ(sink.pages[0].read.count, 9);
  EXPECT_EQ(sink.pages[0].read.sequence, 0x0102);
  EXPECT_EQ(sink.reads.size(), 1u);
}

// Messages written out by hand from the published layouts, not by the
// project's encoder.
TEST_F(DecoderTest, LiteralBinaryFrame) {
  // Reader ID, eight ID bytes, I, Q, BCD date and time, hundredths as a raw
  // byte (no ms timing), sequence, data flag, status, LRC.
  MessageFormat& f = formats.format[2];
  f.binary = true;
  f.millis = f.msTiming = f.msTimingP = false;
  f.ComputeLengths();
  ASSERT_EQ(f.length1, 23);
  const unsigned char frame[] = {0xAA, 0x07, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66,
                                 0x77, 0x88, 0x04, 0x02, 0x26, 0x12, 0x08, 0x10,
                                 0x20, 0x30, 0xAA, 0x10, 0x00, 0x01, 0xCC};
  const std::string text(reinterpret_cast<const char*>(frame), sizeof frame);
  ASSERT_TRUE(Format(2, text));
  const TagRead& r = Last().read;
  const uint8_t id[8] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
  EXPECT_EQ(0, std::memcmp(r.tagBytes, id, 8));
  EXPECT_EQ(r.readerId, 7);
  EXPECT_EQ(r.iCount, 4);
  EXPECT_EQ(r.qCount, 2);
  EXPECT_EQ(r.count, 6);
  EXPECT_EQ(r.firstSeenSec, 1'796'725'230);  // 2026-12-08 10:20:30 UTC
  EXPECT_EQ(r.firstSeenMs, 420);             // 0xAA with its top bit cleared: 42
  EXPECT_EQ(r.sequence, 0x10);
  EXPECT_TRUE(r.tamper);
  EXPECT_FALSE(r.flagFS || r.flagLS);
  EXPECT_EQ(Last().text, "NR-5566");

  std::string wrongSum = text;
  wrongSum.back() = static_cast<char>(0xCD);
  EXPECT_FALSE(Format(2, wrongSum));
  EXPECT_EQ(status.lastError, "LRC error");
  EXPECT_EQ(sink.reads.size(), 1u);
}

TEST_F(DecoderTest, LiteralSeparatorFormatLeavesTheSeparatorOutOfTheSum) {
  // Reader ID and eight ID bytes only; every '0' is left out of the LRC:
  // without them the characters sum to 0x319, with them to 0x499.
  MessageFormat& f = formats.format[1];
  f.iCount = f.qCount = f.date = f.time = f.hundredths = f.millis = false;
  f.msTiming = f.msTimingP = f.tto = false;
  f.separator = '0';
  f.ComputeLengths();
  ASSERT_EQ(f.length1, 22);
  ASSERT_TRUE(Format(1, "aa010a0b0c0d0e0f101119"));
  const uint8_t id[8] = {0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f, 0x10, 0x11};
  EXPECT_EQ(0, std::memcmp(Last().read.tagBytes, id, 8));
  EXPECT_EQ(Last().read.count, 1);  // no counts carried
  EXPECT_EQ(Last().read.firstSeenSec, kNow.sec);
  EXPECT_EQ(Last().text, "NR-0e0f");
  EXPECT_FALSE(Format(1, "aa010a0b0c0d0e0f101199"));
  EXPECT_EQ(status.lastError, "LRC error");
  EXPECT_EQ(sink.reads.size(), 1u);
}

TEST_F(DecoderTest, LiteralCompositeMessage) {
  // F 0xAC: composite, reader ID, length byte, tag count byte; G 0x02: I and
  // Q count bytes after each ID. Length byte 0x17: 2 x 23 + 4 = 50 characters.
  formats.composite[3] = CompositeFormat::Derive(0xAC, 0x02, 0);
  const std::string message = "af17050201020304050607080304a1a2a3a4a5a6a7a8010087";
  ASSERT_EQ(message.size(), 50u);
  ASSERT_TRUE(Composite(3, message));
  ASSERT_EQ(sink.pageReads.size(), 2u);
  const TagRead& first = sink.pageReads[0].read;
  const uint8_t id1[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(0, std::memcmp(first.tagBytes, id1, 8));
  EXPECT_EQ(first.readerId, 5);
  EXPECT_EQ(first.iCount, 3);
  EXPECT_EQ(first.qCount, 4);
  EXPECT_EQ(first.count, 7);
  EXPECT_EQ(first.channel, 3);
  EXPECT_EQ(first.firstSeenSec, kNow.sec);
  EXPECT_EQ(sink.pageReads[0].text, "NR-0506");
  const TagRead& second = sink.pageReads[1].read;
  const uint8_t id2[8] = {0xa1, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8};
  EXPECT_EQ(0, std::memcmp(second.tagBytes, id2, 8));
  EXPECT_EQ(second.count, 1);

  // A length byte that disagrees with the message marks it.
  EXPECT_FALSE(Composite(3, Resign("af16050201020304050607080304a1a2a3a4a5a6a7a8010087")));
  EXPECT_EQ(status.lastError, "Bad Data");
  EXPECT_EQ(sink.pageReads.size(), 2u);
}

TEST_F(DecoderTest, TtoDataMessages) {
  TtoDataFields t;
  t.readerId = 7;
  for (int i = 0; i < 8; ++i) t.page[i] = static_cast<uint8_t>(0xA0 + i);
  t.iCount = 4;
  t.qCount = 6;
  t.sequence = 0x11;
  t.dataFlag = 0x22;
  t.status = 0x81;
  char out[64];
  for (int length : {26, 28, 30}) {
    SCOPED_TRACE(length);
    ASSERT_EQ(EncodeTtoDataMessage(t, length, out, sizeof out), length);
    ASSERT_TRUE(Tto(2, std::string(out, static_cast<size_t>(length))));
    const TagRead& p = sink.pages.back().read;
    EXPECT_EQ(sink.pages.back().text, "a0a1a2a3a4a5a6a7");
    EXPECT_EQ(p.readerId, 7);
    EXPECT_EQ(p.channel, 2);
    EXPECT_EQ(p.sequence, 0x11);
    EXPECT_EQ(p.dataFlag, 0x22);
    EXPECT_EQ(p.count, length == 30 ? 10 : 1);
    EXPECT_EQ(p.tamper && p.flagFS, length == 28);
  }
  settings.whichChannels = 2;
  ASSERT_TRUE(Tto(1, std::string(out, 30)));
  EXPECT_EQ(sink.pages.back().read.count, 6);
  EXPECT_TRUE(sink.reads.empty());

  const size_t before = sink.pages.size();
  EXPECT_FALSE(Tto(0, std::string(out, 29)));
  EXPECT_EQ(status.lastError, "TTO data Length");
  std::string bad(out, 30);
  bad[29] = bad[29] == '0' ? '1' : '0';
  EXPECT_FALSE(Tto(0, bad));
  EXPECT_EQ(status.lastError, "LRC error");
  bad[9] = 'q';
  EXPECT_FALSE(Tto(0, Resign(bad)));
  EXPECT_EQ(status.lastError, "Error in Data page");
  EXPECT_EQ(sink.pages.size(), before);
}

TEST_F(DecoderTest, MultiIdRead) {
  const uint8_t header[3] = {0x10, 0x20, 0x30};
  const uint8_t ids[3][8] = {{1, 2, 3, 4, 5, 6, 7, 8},
                             {0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18},
                             {0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8}};
  char out[128];
  const int n = EncodeMultiIdMessage(header, ids, 3, out, sizeof out);
  const std::string msg(out, static_cast<size_t>(n));
  ASSERT_TRUE(MultiId(msg));
  const Recorded& page = sink.pageReads.at(0);
  const TagRead& rec = page.read;
  EXPECT_EQ(0, std::memcmp(rec.tagBytes, ids[0], 8));
  EXPECT_EQ(rec.tagBytes[8], 0x10);
  EXPECT_EQ(rec.tagBytes[10], 0x30);
  EXPECT_EQ(page.text, "NR-0506");
  EXPECT_EQ(rec.count, 1);
  EXPECT_EQ(rec.firstSeenSec, kNow.sec);
  EXPECT_EQ(rec.channel, 1);
  EXPECT_STREQ(page.pages[0].primary.text, "1112131415161718");
  EXPECT_STREQ(page.pages[1].primary.text, "f1f2f3f4f5f6f7f8");

  std::string bad = msg;
  bad[n - 1] = bad[n - 1] == '0' ? '1' : '0';
  EXPECT_FALSE(MultiId(bad));
  EXPECT_EQ(status.lastError, "LRC error");
  bad[30] = 'z';
  EXPECT_FALSE(MultiId(Resign(bad)));
  EXPECT_EQ(status.lastError, "Error in ID");
  EXPECT_FALSE(MultiId(Resign("a110203000")));
  EXPECT_EQ(status.lastError, "Bad Data");
  EXPECT_EQ(sink.pageReads.size(), 1u);
}

TEST_F(DecoderTest, CompositeRederivesItsFormatAndCountsByMode) {
  // The channel knows only that messages carry their format bytes.
  formats.composite[2] = CompositeFormat::Derive(0x40, 0x00, 0x0007);
  CompositeTagFields tags[3];
  for (int t = 0; t < 3; ++t) {
    for (int i = 0; i < 8; ++i) tags[t].id[i] = static_cast<uint8_t>(16 * t + i);
    tags[t].extra = static_cast<uint8_t>(0xE0 + t);
    for (int i = 0; i < 8; ++i) tags[t].counts[i] = static_cast<uint8_t>(i + 1);
  }
  CompositeMessageFields fields{9, 0x5A, tags, 3};
  const int expected[4] = {1, 1, 3, 36};
  char out[256];
  for (int mode = 0; mode < 4; ++mode) {
    SCOPED_TRACE(mode);
    const CompositeFormat sent = CompositeFormat::Derive(0xF6, static_cast<uint8_t>(mode), 0x0007);
    const int n = EncodeCompositeMessage(sent, fields, out, sizeof out);
    sink.pageReads.clear();
    formats.format[2].compositeMode = false;
    ASSERT_TRUE(Composite(2, std::string(out, static_cast<size_t>(n))));
    EXPECT_TRUE(formats.format[2].compositeMode);
    EXPECT_EQ(formats.composite[2].f, 0xF6);
    EXPECT_EQ(formats.composite[2].countMode, mode);
    EXPECT_EQ(formats.composite[2].expectedLength, n);
    ASSERT_EQ(sink.pageReads.size(), 3u);
    const TagRead& rec = sink.pageReads[2].read;
    EXPECT_EQ(0, std::memcmp(rec.tagBytes, tags[2].id, 8));
    EXPECT_EQ(rec.readerId, 9);
    EXPECT_EQ(rec.tagBytes[8], 0xE2);
    EXPECT_EQ(rec.count, expected[mode]);
    EXPECT_EQ(rec.firstSeenSec, kNow.sec);
  }
}

TEST_F(DecoderTest, CompositeRejectionsRecordNothing) {
  formats.composite[0] = CompositeFormat::Derive(0x0C, 0x00, 0);  // length and count bytes
  CompositeTagFields tags[2];
  const CompositeMessageFields fields{0, 0, tags, 2};
  char out[128];
  const int n = EncodeCompositeMessage(formats.composite[0], fields, out, sizeof out);
  const std::string good(out, static_cast<size_t>(n));
  ASSERT_TRUE(Composite(0, good));
  sink.pageReads.clear();

  std::string bad = good;
  bad[3] = static_cast<char>(bad[3] + 1);  // length byte
  EXPECT_FALSE(Composite(0, Resign(bad)));
  EXPECT_EQ(status.lastError, "Bad Data");
  bad = good;
  bad[5] = '9';  // more tags than the message holds
  EXPECT_FALSE(Composite(0, Resign(bad)));
  EXPECT_EQ(status.lastError, "Bad Data");
  bad = good;
  bad[6 + 16 + 3] = 'x';  // the second ID; the first is not recorded either
  EXPECT_FALSE(Composite(0, Resign(bad)));
  EXPECT_EQ(status.lastError, "Error in ID");
  bad = good;
  bad.back() = bad.back() == '0' ? '1' : '0';
  formats.format[0].compositeMode = false;
  EXPECT_FALSE(Composite(0, bad));
  EXPECT_EQ(status.lastError, "LRC error");
  EXPECT_TRUE(formats.format[0].compositeMode);
  EXPECT_TRUE(sink.pageReads.empty());
}

TEST_F(DecoderTest, TagDataReportsFlags) {
  ASSERT_TRUE(TagData("ad0102030405060708b6" + std::string(18, '0')));  // 38: ID at 2
  const TagDataReport& r = sink.tagData.at(0);
  EXPECT_EQ(r.tagId[0], 0x01);
  EXPECT_EQ(r.tagId[7], 0x08);
  EXPECT_EQ(r.dataFlags, 0xB6);
  EXPECT_EQ(r.dataCount, 3 + 2);
  EXPECT_EQ(r.iIndicator, 1);
  EXPECT_EQ(r.qIndicator, 2);
  EXPECT_TRUE(r.beep);

  ASSERT_TRUE(TagData("ad05a1a2a3a4a5a6a7a840"));  // other lengths: ID at 4
  EXPECT_EQ(sink.tagData.at(1).tagId[0], 0xA1);
  EXPECT_FALSE(sink.tagData.at(1).beep);

  for (const char* shortMsg : {"ad", "ad05a1a2", "ad05a1a2a3a4a5a6a7a84"}) {
    EXPECT_FALSE(TagData(shortMsg)) << shortMsg;
    EXPECT_EQ(status.lastError, "Bad Data");
  }
  EXPECT_EQ(sink.tagData.size(), 2u);
}

TEST_F(DecoderTest, RandomFormatsRoundTripAndRandomInputNeverOverruns) {
  std::mt19937 rng(12345);
  auto byte = [&rng] { return static_cast<uint8_t>(rng() & 0xFF); };
  for (int iter = 0; iter < 3000; ++iter) {
    MessageFormat f;
    f.binary = (rng() & 1) != 0;
    f.wideKey = (rng() & 1) != 0;
    const auto separator = static_cast<uint8_t>(rng() % 4 ? 0 : kLowerHexDigits[rng() & 15]);
    f.ApplyFormatBytes({byte(), byte(), 'a', static_cast<uint8_t>(rng() % 3 ? 'a' : 0),
                        static_cast<uint8_t>(rng() % 4 ? 0xAA : 0), byte(), 0x0D, 0x0A, separator,
                        byte()});
    formats.format[1] = f;
    formats.composite[1] = CompositeFormat::Derive(byte(), byte(), static_cast<uint16_t>(rng()));

    TagMessageFields m = Sample();
    for (uint8_t& b : m.id) b = byte();
    m.readerId = byte();
    m.iCount = byte();
    m.sequence = static_cast<int>(rng() & 0xFFFF);
    sink.reads.clear();
    ASSERT_TRUE(Format(1, Encode(f, m))) << iter << " " << status.lastError;
    ASSERT_EQ(sink.reads.size(), 1u);
    const TagRead& r = sink.reads[0].read;
    for (int i = 0; i < 8; ++i) {
      if (f.idByte[i]) {
        ASSERT_EQ(r.tagBytes[i], m.id[i]) << iter;
      }
    }
    ASSERT_EQ(r.readerId, f.rdrId ? m.readerId : 0);
    ASSERT_EQ(r.iCount, f.iCount ? m.iCount : 0);
    if (f.tto) {
      ASSERT_EQ(r.sequence, f.wideKey ? m.sequence : (m.sequence & 0xFF));
    }

    const int length = static_cast<int>(rng() % 80);
    std::string junk(static_cast<size_t>(length), '\0');
    const bool hexOnly = (rng() & 1) != 0;
    for (char& c : junk) c = hexOnly ? kLowerHexDigits[rng() & 15] : static_cast<char>(byte());
    for (const std::string& in : {junk, length >= 4 ? Resign(junk) : junk}) {
      Format(1, in);
      MultiId(in);
      Composite(1, in);
      TagData(in);
      Tto(1, in);
    }
  }
}

}  // namespace
}  // namespace corvalis
