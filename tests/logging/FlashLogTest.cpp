#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/AppContext.h"
#include "logging/flash/FlashLogger.h"
#include "protocol/Checksums.h"
#include "support/RecordingStatus.h"

namespace corvalis {
namespace {

// "ab" + rest + its LRC.
std::string Line(const std::string& rest) {
  char lrc[2];
  FormatLrc(ComputeLrc(rest.data(), static_cast<int>(rest.size())), lrc);
  return "ab" + rest + std::string(lrc, 2);
}

// A status reply of reader 00: flags, recorded blocks and records, played
// blocks and records, dirty and total blocks, 16 records a block, slot 3,
// line 7.
std::string Status(int flags, int recBlocks, int recLast, int playBlocks, int playLast,
                   int dirty = 0, int total = 64) {
  char data[64];
  std::snprintf(data, sizeof data, "000d4b%02x%02x%04x%02x%04x%02x%02x00100307", flags, recBlocks,
                recLast, playBlocks, playLast, dirty, total);
  return Line(data);
}

TEST(FlashStatusTest, FieldsAreReadOnlyAsFarAsTheLengthReaches) {
  LoggingStatus status;
  StatusReply read = ReadStatusReply(Status(1, 2, 3, 1, 5, 4, 64), status);
  ASSERT_EQ(read.kind, StatusReply::Kind::kStatus);
  EXPECT_EQ(read.dataLength, 13);
  EXPECT_EQ(status.RecordedRecords(), 35);
  EXPECT_EQ(status.PlayedRecords(), 21);
  EXPECT_EQ(status.DirtyRecords(), 64);
  EXPECT_EQ(status.TotalRecords(), 1024);
  EXPECT_EQ(status.FreeRecords(), 1024 - 64 - 35);
  EXPECT_EQ(status.lineNumber, 7);

  // n = 12: the index slot, not the line number.
  status.lineNumber = 99;
  EXPECT_EQ(ReadStatusReply(Line("000c4b000100000000000040001005"), status).kind,
            StatusReply::Kind::kStatus);
  EXPECT_EQ(status.indexSlot, 5);
  EXPECT_EQ(status.lineNumber, 99);
  EXPECT_EQ(status.recordedBlocks, 1);

  // n = 2: flags and recorded blocks only.
  EXPECT_EQ(ReadStatusReply(Line("00024b0309"), status).kind, StatusReply::Kind::kStatus);
  EXPECT_EQ(status.flags, 3);
  EXPECT_EQ(status.recordedBlocks, 9);
  EXPECT_EQ(status.indexSlot, 5);

  // n = 3 beginning d0: the format's progress, no status field touched.
  read = ReadStatusReply(Line("00034bd00714"), status);
  ASSERT_EQ(read.kind, StatusReply::Kind::kFormatProgress);
  EXPECT_EQ(read.format.progress, 7);
  EXPECT_EQ(read.format.maximum, 20);
  EXPECT_EQ(status.flags, 3);

  // A line shorter than its n, or with a non-hex digit, changes nothing.
  const LoggingStatus before = status;
  EXPECT_EQ(ReadStatusReply("ab000d4b0001", status).kind, StatusReply::Kind::kRejected);
  EXPECT_EQ(ReadStatusReply(Line("000d4b000100040000000040001003zz"), status).kind,
            StatusReply::Kind::kRejected);
  EXPECT_EQ(status.flags, before.flags);
  EXPECT_EQ(status.recordedBlocks, before.recordedBlocks);
}

TEST(FlashStatusTest, MemoryBarAndDragSurviveEmptyAndHugeFlash) {
  LoggingStatus empty;  // total 0 records and 0 blocks
  MemoryBarLayout bar = LayoutMemoryBar(empty, 300);
  EXPECT_EQ(bar.dirty + bar.free + bar.played + bar.pixelsPer100Blocks, 0);
  EXPECT_EQ(BlocksForDrag(40, bar, empty, 300), 0);
  EXPECT_EQ(LayoutMemoryBar(empty, 0).free, 0);

  // More used than the reader holds: free stays 0, parts stay inside the bar.
  LoggingStatus over;
  over.totalBlocks = 2;
  over.recordsPerBlock = 16;
  over.recordedBlocks = 5;
  over.playedBlocks = 9;
  EXPECT_EQ(over.FreeRecords(), 0);
  EXPECT_EQ(LayoutMemoryBar(over, 100).played, 100);

  // 255 blocks on a 2-pixel bar: no whole pixel per 100 blocks, the drag is
  // scaled by blocks per pixel instead of dividing by zero.
  LoggingStatus huge;
  huge.totalBlocks = 255;
  huge.recordsPerBlock = 16;
  bar = LayoutMemoryBar(huge, 2);
  EXPECT_EQ(bar.pixelsPer100Blocks, 0);
  EXPECT_EQ(BlocksForDrag(-1, bar, huge, 2), -128);
  // The usual case: 64 blocks on 320 pixels is 500 pixels per 100 blocks.
  huge.totalBlocks = 64;
  bar = LayoutMemoryBar(huge, 320);
  EXPECT_EQ(bar.pixelsPer100Blocks, 500);
  EXPECT_EQ(BlocksForDrag(12, bar, huge, 320), 2);
  EXPECT_EQ(BlocksForDrag(-600, bar, huge, 320), -120);
}

TEST(FlashStatusTest, CommandBodies) {
  EXPECT_EQ(ModeBody(kModeFirstLast, 300), "030905ff07");
  EXPECT_EQ(ModeBody(kModeTrigger, 0), "0309010107");
  EXPECT_EQ(SerialNumberBody("ABC", false), "0365414243");
  EXPECT_EQ(SerialNumberBody("0123456789", true), "8a6530313233343536373839");
  EXPECT_EQ(SerialNumberBody("0123456789A", false), "");
  EXPECT_EQ(SerialNumberBody("", false), "");
  EXPECT_EQ(SerialNumberBody("a\nb", false), "");
  EXPECT_EQ(PlayedMarkBody(-3), "024b0503");
  EXPECT_EQ(PlayedMarkBody(300), "024b04ff");
  EXPECT_EQ(PlayedMarkBody(0), "");
}

class RecordingView final : public FlashLogView {
 public:
  void ShowStatus(const LoggingStatus&, int n) override { statusLengths.push_back(n); }
  void ShowFormatProgress(const FormatProgress& p, bool finished) override {
    progress.push_back(p.progress);
    formatFinished = finished;
  }
  void ShowMessage(std::string_view title, std::string_view text) override {
    messages.push_back(std::string(title) + ": " + std::string(text));
  }
  void ShowMode(int m, int t) override { mode = m * 1000 + t; }
  void ShowSerialNumber(std::string_view s) override { serial = s; }
  void ShowReaderType(std::string_view, ReaderKind k) override { kind = k; }
  void ShowBattery(std::string_view v) override { battery = v; }
  void ShowAntenna(bool detected) override { antenna = detected ? 1 : 0; }
  void ShowPlayback(const PlaybackProgress& p) override {
    estimates.push_back(p.estimate);
    elapsed = p.elapsed;
  }
  void PlaybackEnded() override { ++ended; }
  void ShowIncoming(std::string_view line) override { incoming.emplace_back(line); }
  void ShowPowerOff() override { ++powerOff; }
  void CloseChannel() override { ++closed; }

  std::vector<int> statusLengths, progress;
  bool formatFinished = false;
  std::vector<std::string> messages, incoming, estimates;
  int mode = -1, antenna = -1, ended = 0, powerOff = 0, closed = 0;
  std::string serial, battery, elapsed;
  ReaderKind kind;
};

class Writer final : public ChannelWriter {
 public:
  bool IsOpen(int channel) const override { return open && channel == 0; }
  void WriteToChannel(int, const char* bytes, int count) override {
    std::string line(bytes, static_cast<size_t>(count));
    sent.push_back(line.substr(4, line.size() - 8));  // the body
  }
  bool open = true;
  std::vector<std::string> sent;
};

// The logic against the real sender, with the channel faked.
class FlashLoggerTest : public ::testing::Test {
 protected:
  FlashLoggerTest() {
    context.commands().SetChannelWriter(&writer);
    logger.SetTarget(0, 0);
    logger.SetActive(true);
  }
  void Reply(const std::string& line) {
    context.commands().HandleReply(0, line.c_str(), static_cast<int>(line.size()));
  }
  void Tick() {
    clock.AdvanceMs(100);
    context.commands().Tick();
    logger.Tick();
  }
  // Answers every queued command with `reply`, a tick after each.
  void AnswerAll(const std::string& reply) {
    for (int i = 0; i < 10 && context.commands().Awaiting(); ++i) {
      Reply(reply);
      Tick();
    }
  }

  ManualClock clock{WallTime{1'796'000'000, 0}};
  testing::RecordingStatus status;
  AppContext context{clock, status};
  Writer writer;
  RecordingView view;
  FlashLogger logger{context.commands(), context.dispatcher(), writer, clock, view};
};

TEST_F(FlashLoggerTest, SequenceGoesOutOneCommandPerTickAfterEachReply) {
  logger.Send(PlaybackEndSequence());
  EXPECT_EQ(writer.sent, std::vector<std::string>{"024b0100"});
  Tick();
  Tick();
  EXPECT_EQ(writer.sent.size(), 1u);  // still awaiting the first reply
  Reply(Status(0, 1, 0, 0, 0));
  EXPECT_EQ(writer.sent.size(), 1u);
  Tick();
  EXPECT_EQ(writer.sent.back(), "024b0001");
  AnswerAll(Status(1, 1, 0, 0, 0));
  EXPECT_EQ(writer.sent,
            (std::vector<std::string>{"024b0100", "024b0001", "014b02", "034b07000a"}));

  // A closed channel sends nothing and shows the reader off.
  writer.open = false;
  logger.Send(flash_body::kStatus);
  EXPECT_EQ(writer.sent.size(), 4u);
  EXPECT_EQ(view.powerOff, 1);
}

TEST_F(FlashLoggerTest, CaptureWritesLinesEstimatesAndEndsWhenPlayedReachesRecorded) {
  QTemporaryDir dir;
  const std::string path = dir.filePath("capture.txt").toStdString();
  ASSERT_TRUE(logger.StartCapture(path, TextFile::Mode::Overwrite));
  // The replies before the rewind still carry the last playback's counts,
  // which would end the capture at once if they were followed.
  Reply(Status(0, 2, 0, 2, 0));
  Tick();
  Reply(Status(2, 2, 0, 2, 0));
  Tick();
  Reply(Status(2, 2, 0, 0, 0));
  Tick();
  EXPECT_TRUE(view.estimates.empty());
  EXPECT_EQ(writer.sent,
            (std::vector<std::string>{"024b0000", "024b0101", "014b02", "034b070105"}));
  Reply(Status(2, 2, 0, 0, 0));
  EXPECT_EQ(view.estimates.back(), "???");
  const std::string tag = "aa0012345678";
  logger.ObserveMessage(0, tag.c_str(), static_cast<int>(tag.size()));
  clock.AdvanceMs(4000);
  Reply(Status(2, 2, 0, 1, 0));  // 16 of 32 in 4 s
  EXPECT_EQ(view.estimates.back(), "4 s");
  EXPECT_EQ(view.elapsed, "4 s");
  // The reader reports more played than recorded: the end still comes.
  Reply(Status(2, 2, 0, 2, 3));
  EXPECT_FALSE(logger.Capturing());
  EXPECT_EQ(view.ended, 1);
  EXPECT_EQ(writer.sent.back(), "024b0100");
  AnswerAll(Status(1, 2, 0, 0, 0));
  EXPECT_EQ(writer.sent.back(), "034b07000a");

  std::stringstream content;
  content << std::ifstream(path, std::ios::binary).rdbuf();
  EXPECT_NE(content.str().find(tag + "\r\n"), std::string::npos) << content.str();
}

TEST_F(FlashLoggerTest, RecordAndPlayWarningOncePerStretchAndFormatFinish) {
  Reply(Status(3, 1, 0, 0, 0));
  Reply(Status(3, 1, 0, 0, 0));
  EXPECT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0], std::string("Warning: ") + kRecordPlayWarning);
  Reply(Status(1, 1, 0, 0, 0));
  Reply(Status(3, 1, 0, 0, 0));
  EXPECT_EQ(view.messages.size(), 2u);

  // Progress that reaches its maximum finishes only a format we asked for.
  Reply(Line("00034bd01414"));
  EXPECT_FALSE(view.formatFinished);
  logger.Format();
  EXPECT_EQ(writer.sent.back(), "014bd0");
  Reply(Line("00034bd00014"));
  EXPECT_FALSE(view.formatFinished);
  Reply(Line("00034bd01414"));
  EXPECT_TRUE(view.formatFinished);
}

TEST_F(FlashLoggerTest, ReaderTypeBringsBatteryAndAntennaQueries) {
  Reply(Line("00046648482031"));  // "HH 1": battery only
  EXPECT_TRUE(view.kind.handheld);
  EXPECT_FALSE(view.kind.antenna);
  EXPECT_EQ(writer.sent, std::vector<std::string>{"0055"});
  Reply(Line("00015537"));
  EXPECT_EQ(view.battery, "3.7");

  Reply(Line("000366464954"));  // "FIT"
  Tick();
  EXPECT_EQ(writer.sent.back(), "0055");
  Reply(Line("00015537"));
  Tick();
  EXPECT_EQ(writer.sent.back(), "0064");
  Reply(Line("00016401"));
  EXPECT_EQ(view.antenna, 0);

  const size_t before = writer.sent.size();
  Reply(Line("0003665a5a5a"));  // "ZZZ": no handheld
  Tick();
  EXPECT_FALSE(view.kind.handheld);
  EXPECT_EQ(writer.sent.size(), before);
}

TEST_F(FlashLoggerTest, TakenSerialNumberIsReportedOnlyWhenWeSetOne) {
  Reply(Line("0000f7"));
  EXPECT_TRUE(view.messages.empty());
  EXPECT_EQ(logger.SetSerialNumber("ABC", false), "");
  EXPECT_EQ(writer.sent.back(), "0365414243");
  Reply(Line("0000f7"));
  EXPECT_EQ(view.messages, std::vector<std::string>{
                               "Set Serial number error: Reader already has a serial number"});
  EXPECT_EQ(context.commands().WarningCountdown(), 0);  // no bad-command window
  EXPECT_NE(logger.SetSerialNumber("0123456789A", true), "");
  Reply(Line("000365414243"));
  EXPECT_EQ(view.serial, "ABC");
  Reply(Line("000309050a07"));
  EXPECT_EQ(view.mode, 5010);
}

TEST_F(FlashLoggerTest, PowerOffClosesTheChannelTwoTicksLater) {
  logger.PowerOff();
  EXPECT_EQ(writer.sent.back(), "0049");
  Tick();
  EXPECT_EQ(view.closed, 0);
  Tick();
  EXPECT_EQ(view.closed, 1);
}

}  // namespace
}  // namespace corvalis
