#include "control/CommandConsole.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/ComboHistoryList.h"
#include "control/CommandWord.h"
#include "control/ControlTestSupport.h"
#include "control/DeferredCommandQueue.h"
#include "control/FreeText.h"
#include "protocol/Checksums.h"
#include "protocol/ReaderCommandSender.h"
#include "protocol/TagMessageDecoder.h"
#include "support/RecordingStatus.h"

namespace corvalis {
namespace {

std::string Framed(int readerId, const std::string& body) {
  char id[3];
  std::snprintf(id, sizeof id, "%02x", readerId);
  std::string line = std::string("ab") + id + body;
  char lrc[2];
  FormatLrc(ComputeLrc(line.data() + 2, static_cast<int>(line.size()) - 2), lrc);
  return line + std::string(lrc, 2) + "\r\n";
}

class CaptureRecorder final : public CommandCapture {
 public:
  bool Capturing() const override { return on; }
  void CaptureCommand(int, int, std::string_view body) override { bodies.emplace_back(body); }
  bool on = true;
  std::vector<std::string> bodies;
};

class CommandConsoleTest : public ::testing::Test {
 protected:
  CommandConsoleTest() { sender.SetChannelWriter(&channels); }

  ChannelFormats formats;
  testing::RecordingStatus status;
  ReaderCommandSender sender{formats, status};
  testing::RecordingChannels channels;
  // 2026-12-31 23:59:59 UTC, a Thursday (the tests run with TZ=UTC).
  ManualClock clock{WallTime{1'798'761'599, 250}};
  CommandConsole console{sender, channels, clock};
};

TEST_F(CommandConsoleTest, EveryCatalogueIndexSendsItsBody) {
  CatalogueData& data = console.catalogueData();
  for (int i = 0; i < 10; ++i)
    data.formatBytes[static_cast<size_t>(i)] = static_cast<uint8_t>(0xf0 + i);
  data.tagBaud = 0x40;
  data.messageMode = 0x02;
  data.eventTimeout = 0x1e;
  data.wiegandFlags = 0x81;
  data.retransmitInterval = 0x0a;
  data.newReaderId = 0x2c;
  // The reader's catalogue as published: the fixed part of each body, then
  // the data bytes this test chose above. Set Date/Time carries the time one
  // second ahead: Friday 2027-01-01 00:00:00. The configuration byte of the
  // dialog's start choice (ASCII, 9600, no flow control) is 2 x 8 + 0 + 1.
  const struct {
    int index;
    const char* published;
    const char* data;
  } catalogue[] = {
      {0, "0002", ""},
      {1, "0701", "27010105000000"},
      {2, "000a", ""},
      {3, "0103", "11"},
      {4, "02080000", ""},
      {5, "0208ffff", ""},
      {6, "010d21", ""},
      {7, "010d02", ""},
      {8, "010d00", ""},
      {9, "010311", ""},
      {10, "010319", ""},
      {11, "010310", ""},
      {12, "010318", ""},
      {13, "010315", ""},
      {14, "010500", ""},
      {15, "010501", ""},
      {16, "010502", ""},
      {17, "010503", ""},
      {31, "010601", ""},
      {32, "010600", ""},
      {33, "010701", ""},
      {34, "010700", ""},
      {35, "010c00", ""},
      {36, "010c01", ""},
      {40, "0a11", "f0f1f2f3f4f5f6f7f8f9"},
      {41, "058102000206", "40"},
      {42, "058103000206", "40"},
      {43, "0309", "021e07"},
      {44, "020f", "810a"},
      {45, "0104", "2c"},
      {46, "048102000100", ""},
      {47, "048103000100", ""},
      {48, "038102010a", ""},
      {49, "038103010a", ""},
      {50, "0112", "40"},
  };
  // The published framing example, LRC and all.
  console.SendPredefinedCommand(1, 1, 0);
  EXPECT_EQ(channels.Take(1), "ab01000223\r\n");
  for (const auto& row : catalogue) {
    console.SendPredefinedCommand(1, 7, row.index);
    EXPECT_EQ(channels.Take(1), Framed(7, std::string(row.published) + row.data))
        << "index " << row.index;
  }
  console.SendPredefinedCommand(1, 7, 18);
  EXPECT_EQ(channels.Take(1), "\x11");
  console.SendPredefinedCommand(1, 7, 19);
  EXPECT_EQ(channels.Take(1), "\x13");
  for (int unused : {-1, 20, 25, 30, 37, 38, 39, 51, 255}) {
    console.SendPredefinedCommand(1, 7, unused);
    EXPECT_EQ(channels.Take(1), "") << "index " << unused;
  }
}

TEST_F(CommandConsoleTest, ExtendedDateTimeFormsRememberWhatWasSent) {
  console.SendPredefinedCommand(2, 3 + kExtendedDateTime, kGetDateTime);
  EXPECT_EQ(channels.Take(2), Framed(3, "0044"));
  console.SendPredefinedCommand(2, 3 + kExtendedDateTime, kSetDateTime);
  EXPECT_EQ(channels.Take(2), Framed(3, "074427010105000001"));  // two seconds ahead
  EXPECT_TRUE(console.LastDateTimeSent().valid);
  EXPECT_EQ(console.LastDateTimeSent().channel, 2);
  EXPECT_EQ(console.LastDateTimeSent().sent.sec, 1'798'761'601);
  EXPECT_EQ(sender.ExpectedReaderId(), 3);
}

TEST_F(CommandConsoleTest, ClosedChannelSendsNothingAndCaptureTakesTheBody) {
  channels.open[4] = false;
  console.SendPredefinedCommand(4, 0 + kExtendedDateTime, kGetDateTime);
  EXPECT_EQ(channels.Take(4), "");
  EXPECT_FALSE(console.LastDateTimeSent().valid);
  EXPECT_EQ(sender.ClosedCountdown(), kClosedTicks);

  CaptureRecorder capture;
  console.SetCapture(&capture);
  console.SendPredefinedCommand(0, 1, kRfOn);
  console.SendPredefinedCommand(0, 1, kXon);  // flow control still goes out
  EXPECT_EQ(capture.bodies, std::vector<std::string>{"010601"});
  EXPECT_EQ(channels.Take(0), "\x11");
}

TEST_F(CommandConsoleTest, ConfigurationByteFromTheCommsDialog) {
  DecoderCommsChoice& comms = console.commsChoice();
  comms.baudItem = 2;  // 19200
  comms.flowItem = 2;  // Xon/Xoff
  comms.ascii = true;
  EXPECT_EQ(comms.ConfigurationByte(), 0x1d);
  console.SendPredefinedCommand(0, 1, kSetConfiguration);
  EXPECT_EQ(channels.Take(0), Framed(1, "01031d"));
  comms.flowItem = 1;  // DTR is code 3
  comms.ascii = false;
  EXPECT_EQ(comms.ConfigurationByte(), 3 * 8 + 3 * 2);
}

TEST_F(CommandConsoleTest, ReaderBytesStopAtTheFirstValueOutsideAByte) {
  console.SendReaderBytes(0, 2, 0x24, {220, 5, 109, -1, 7});
  EXPECT_EQ(channels.Take(0), Framed(2, "0324dc056d"));
  console.SendReaderBytes(0, 2, 0x23, {256});
  EXPECT_EQ(channels.Take(0), Framed(2, "0023"));
}

TEST_F(CommandConsoleTest, FreeTextFraming) {
  // The LRC is recomputed from reader ID, length and code; the rest dropped.
  console.SendFreeText(0, "ab0100021234", false);
  EXPECT_EQ(channels.Take(0), "ab01000223\r\n");
  EXPECT_EQ(sender.ExpectedReaderId(), 1);
  EXPECT_TRUE(sender.Awaiting());
  // A typed CR LF after the data is dropped too, and added back once.
  console.SendFreeText(0, "ab05010601xx\\r\\n", false);
  EXPECT_EQ(channels.Take(0), Framed(5, "010601"));
  // Shift sends exactly what was typed.
  console.SendFreeText(0, "ab0100", true);
  EXPECT_EQ(channels.Take(0), "ab0100");
  // One character goes without CR LF and does not wait for a reply.
  sender.HandleReply(0, "ab01000223", 10);
  console.SendFreeText(0, "x", false);
  EXPECT_EQ(channels.Take(0), "x");
  EXPECT_FALSE(sender.Awaiting());
  // Plain text gets CR LF; its non-hex "address" matches no reply.
  console.SendFreeText(0, "hello", false);
  EXPECT_EQ(channels.Take(0), "hello\r\n");
  EXPECT_EQ(sender.ExpectedReaderId(), -1);
  // No channel selected: nothing.
  console.SendFreeText(-1, "ab0100", false);
  console.SendFreeText(5, "ab0100", false);
  for (int ch = 0; ch < 5; ++ch) EXPECT_EQ(channels.Take(ch), "");
}

TEST(FreeTextTest, EscapesLengthByteRulesAndLimits) {
  EXPECT_EQ(UnescapeFreeText("a\\\\b\\nc\\rd\\te\\x\\"), "a\\b\nc\rd\te\\x\\");
  EXPECT_EQ(UnescapeFreeText(std::string(300, 'q')).size(), 255u);

  std::string ff = "ab00ff11zz";  // ff counts as length 0
  EXPECT_TRUE(FixCommandLrc(ff));
  EXPECT_EQ(ff + "\r\n", Framed(0, "ff11").replace(4, 2, "ff"));
  std::string big = "ab0011" + std::string(2, '2') + "aabb";  // 0x11 keeps 1 byte
  EXPECT_TRUE(FixCommandLrc(big));
  EXPECT_EQ(big.size(), 2u + 8u + 2u);
  // Too short for what its length byte announces, or no hex length: as typed.
  std::string shortText = "ab010301";
  EXPECT_FALSE(FixCommandLrc(shortText));
  EXPECT_EQ(PrepareFreeText("ab0100", false), "ab0100\r\n");
  EXPECT_EQ(PrepareFreeText("ab01zz02", false), "ab01zz02\r\n");
  EXPECT_EQ(FreeTextReaderId("ab1f00"), 0x1f);
  EXPECT_EQ(FreeTextReaderId("ab1"), -1);
}

TEST(CommandWordTest, Crc5ExamplesAndTypedCrc) {
  CommandWordFields read;
  read.command = kCmdRead;
  read.numPages = 1;
  EXPECT_EQ(CommandCrc5(kCmdRead, 0, 1), 0x17);
  EXPECT_EQ(CommandWord(read), 0x8037);
  CommandWordFields config;
  config.command = kCmdConfig;
  config.ppe = true;  // B = 0
  EXPECT_EQ(CommandWord(config), 0x0018);
  CommandWordFields resume;
  resume.command = kCmdResume;
  EXPECT_EQ(CommandWord(resume), 0xE008);
  // A typed CRC above 31 keeps its low five bits in the word.
  EXPECT_EQ(ParseCrc5Text("0x25"), 0x25);
  EXPECT_EQ(CommandWord(read, ParseCrc5Text("0x25")) & 0x1F, 0x05);
  EXPECT_EQ(ParseCrc5Text("23"), 23);
  EXPECT_EQ(ParseCrc5Text("0xzz"), 0);
  EXPECT_EQ(ParseCrc5Text("abc"), 0);
  EXPECT_EQ(FormatCrc5(0x17), "0x17");
  EXPECT_EQ(FormatCrc5(0x1a), "0x1A");
}

TEST(CommandWordTest, ConfigFieldsFollowTamper) {
  CommandWordFields f;
  f.command = kCmdConfig;
  f.tamper = 2;
  f.delay = 3;
  f.txRate = 1;
  f.total = true;
  EXPECT_EQ(FieldA(f), 4 * 2 + 3);
  EXPECT_EQ(FieldB(f), 4 + 2 + 1);  // PPE unchecked adds 1
  f.tamper = kTamperExt;
  f.concat = true;
  f.global = true;
  f.config = true;
  EXPECT_EQ(FieldA(f), 4 + 2 + 1);  // Scramble unchecked adds 2
  EXPECT_EQ(FieldB(f), 8 + 1);
  f.command = kCmdWriteInc;  // not Config: pages
  f.startPage = 3;
  f.numPages = 15;
  EXPECT_EQ(FieldA(f), 3);
  EXPECT_EQ(FieldB(f), 15);
}

TEST(CommandWordTest, TagIdIsCutByGeneration) {
  EXPECT_EQ(CommandString(0x8037, "0123456789ABCDEF", true), "8037456789abcdef");
  EXPECT_EQ(CommandString(0x8037, "0123456789ABCDEF", false), "80370123456789ab");
  EXPECT_EQ(CommandString(0xE008, "12ab", true),
            "e00800000000"
            "12ab");
}

TEST(CommandWordTest, TransmitBlockAndSequenceWrapAt256) {
  TransmitSequence sequence;
  CommandWordFields f;
  f.command = kCmdRead;
  f.startPage = 2;
  f.numPages = 1;
  EXPECT_EQ(sequence.NextBlock(f, TransmitTarget::kSpecific, true, true), "00218f");
  f.command = kCmdWriteDate;  // (9 * 2) & 15 = 2, plus 1 above 7
  EXPECT_EQ(sequence.NextBlock(f, TransmitTarget::kAllTags, false, false), "012131");
  for (int i = 2; i < 256; ++i) sequence.NextBlock(f, TransmitTarget::kAllTags, false, false);
  EXPECT_EQ(sequence.NextBlock(f, TransmitTarget::kAllTags, false, false).substr(0, 2), "00");
  EXPECT_EQ(sequence.Next(), 1);
}

TEST_F(CommandConsoleTest, DeferredQueueSendsOnePerTickLastSlotFirst) {
  DeferredCommandQueue& queue = console.deferred();
  queue.Clear();
  queue.SetSlot(0, 0, 1, kRfOn);
  queue.SetSlot(1, 5, 1, kRfOff);  // not a channel: skipped
  queue.SetSlot(2, 0, 1, std::string_view("0027"));
  queue.Start(3);
  console.TickDeferred();
  EXPECT_EQ(channels.Take(0), Framed(1, "0027"));
  console.TickDeferred();  // awaiting the reply: nothing moves
  EXPECT_EQ(queue.Countdown(), 2);
  sender.HandleReply(0, "ab01000223", 10);
  console.TickDeferred();
  EXPECT_EQ(channels.Take(0), "");
  console.TickDeferred();
  EXPECT_EQ(channels.Take(0), Framed(1, "010601"));
  EXPECT_EQ(queue.Slot(0).channel, -1);
  EXPECT_EQ(queue.Countdown(), 0);
}

TEST(AutomaticUpdateTest, DateTimeThenStatsEveryInterval) {
  AutomaticUpdate update;
  std::vector<int> dateAt;
  std::vector<int> statsAt;
  update.SetInterval(2);
  for (int tick = 1; tick <= 40; ++tick) {
    const AutomaticUpdate::Action action = update.Tick();
    if (action == AutomaticUpdate::Action::kGetDateTime) dateAt.push_back(tick);
    if (action == AutomaticUpdate::Action::kGetStats) statsAt.push_back(tick);
  }
  EXPECT_EQ(dateAt, (std::vector<int>{14, 34}));
  EXPECT_EQ(statsAt, (std::vector<int>{20, 40}));
  update.SetInterval(0);
  update.UpdateNow();
  int sent = 0;
  for (int tick = 0; tick < 50; ++tick) sent += update.Tick() != AutomaticUpdate::Action::kNone;
  EXPECT_EQ(sent, 2);  // one round, then off
}

TEST(CommandHistoryTest, MostRecentFirstAtMostFifteen) {
  QStringList items = {"a", "b", "c"};
  EXPECT_EQ(AddToHistory(items, "c"), "c");
  EXPECT_EQ(items, (QStringList{"c", "a", "b"}));
  EXPECT_EQ(AddToHistory(items, ""), "c");  // empty text takes item 0
  EXPECT_EQ(items.size(), 3);
  for (int i = 0; i < 20; ++i) AddToHistory(items, QString::number(i));
  EXPECT_EQ(items.size(), 15);
  EXPECT_EQ(items.first(), "19");
  QStringList empty;
  EXPECT_EQ(AddToHistory(empty, ""), "");
}

}  // namespace
}  // namespace corvalis
