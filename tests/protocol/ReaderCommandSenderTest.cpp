#include "protocol/ReaderCommandSender.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTimer>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "protocol/Checksums.h"
#include "protocol/ReceiveSpine.h"
#include "protocol/TagMessageEncoder.h"
#include "support/RecordingStatus.h"

namespace corvalis {
namespace {

// Channels, warning windows, memos and hooks in one recording fake.
class Fakes final : public ChannelWriter,
                    public CommandWarnings,
                    public TextMemo,
                    public TransmitIndicator,
                    public SentLineRecorder,
                    public ReplyRoute {
 public:
  bool IsOpen(int channel) const override { return open[channel]; }
  void WriteToChannel(int channel, const char* bytes, int count) override {
    written.push_back(std::to_string(channel) + ":" + std::string(bytes, size_t(count)));
  }
  void ShowNoReply() override { noReply = true; }
  void HideNoReply() override { noReply = false; }
  void ShowChannelClosed() override { closed = true; }
  void HideChannelClosed() override { closed = false; }
  void ShowBadCommand(std::string_view message) override { badCommand = std::string(message); }
  void HideBadCommand() override { badCommand.clear(); }
  int LineCount() const override { return int(memo.size()); }
  void RemoveOldestLines(int) override {}
  void AppendLine(std::string_view line) override { memo.emplace_back(line); }
  void MarkTransmit(int channel) override { marks.push_back(channel); }
  bool IsRecording() const override { return recording; }
  void RecordSentLine(int, const char* text, int length) override {
    scripted.emplace_back(text, size_t(length));
  }
  void TakeReply(const ReplyView& reply) override {
    routed.emplace_back(reply.text, size_t(reply.length));
    if (onReply) onReply(reply);
  }

  bool open[5] = {true, true, true, true, false};
  bool recording = false;
  bool noReply = false, closed = false;
  std::string badCommand;
  std::vector<std::string> written, memo, scripted, routed;
  std::vector<int> marks;
  std::function<void(const ReplyView&)> onReply;
};

// "ab" + rest + LRC over rest.
std::string Reply(const std::string& rest) {
  char lrc[2];
  FormatLrc(ComputeLrc(rest.data(), int(rest.size())), lrc);
  return "ab" + rest + std::string(lrc, 2);
}

class SenderTest : public ::testing::Test {
 protected:
  SenderTest() {
    sender.SetChannelWriter(&fakes);
    sender.SetWarnings(&fakes);
    sender.SetInformationMemo(&fakes);
    sender.SetTransmitIndicator(&fakes);
    sender.SetSentLineRecorder(&fakes);
  }
  void Receive(int channel, const std::string& line) {
    sender.HandleReply(channel, line.c_str(), int(line.size()));
  }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) sender.Tick();
  }

  ChannelFormats formats;
  testing::RecordingStatus status;
  Fakes fakes;
  ReaderCommandSender sender{formats, status};
};

TEST_F(SenderTest, FramesWritesAndMatchesTheReply) {
  sender.AddReplyRoute(6, &fakes);
  sender.SendCommand(0, 0, "010601");
  EXPECT_EQ(fakes.written, std::vector<std::string>{"0:ab0001060188\r\n"});
  EXPECT_TRUE(sender.Awaiting());
  EXPECT_EQ(fakes.marks, std::vector<int>{0});
  EXPECT_EQ(fakes.memo.back(), "ab0001060188..");
  Receive(0, "ab0001060188");
  EXPECT_FALSE(sender.Awaiting());
  EXPECT_EQ(sender.MatchedReplies(), 1u);
  EXPECT_EQ(fakes.routed, std::vector<std::string>{"ab0001060188"});

  char line[kCommandLineMax + 1];
  EXPECT_EQ(sender.FormatCommand(line, 0xAB, "0044"), 12);
  EXPECT_STREQ(line, "abab00448b\r\n");                                // reader ID in lower case
  EXPECT_EQ(sender.FormatCommand(line, 1, std::string(248, '0')), 0);  // 256 characters
  sender.SendCommand(1, 1, std::string(248, '0'));
  sender.SendCommand(5, 1, "0044");
  EXPECT_EQ(fakes.written.size(), 1u);
  EXPECT_EQ(status.lastError, "Command too long");
}

TEST_F(SenderTest, MatchNeedsReaderIdAndChannelUnlessIdIsZero) {
  sender.SendCommand(1, 3, "0044");
  Receive(1, Reply("050044"));  // reader 05
  Receive(0, Reply("030044"));  // right reader, wrong channel
  EXPECT_TRUE(sender.Awaiting());
  Receive(1, Reply("030044"));
  EXPECT_FALSE(sender.Awaiting());

  sender.SendCommand(1, 0, "0044");
  Receive(2, Reply("070044"));
  EXPECT_TRUE(sender.Awaiting());
  Receive(1, Reply("070044"));
  EXPECT_FALSE(sender.Awaiting());
}

TEST_F(SenderTest, ChecksRunInOrderAndMalformedRepliesAreNotRouted) {
  sender.AddReplyRoute(0, &fakes);
  sender.SendCommand(0, 2, "0044");
  Receive(0, "ab00");
  EXPECT_EQ(status.lastError, "Bad Info");
  Receive(0, "xy0000000000");
  EXPECT_EQ(status.lastError, "Bad Info");
  Receive(0, "ab0900001234");  // other reader, wrong length: the wait runs on
  EXPECT_EQ(status.lastError, "Info Length");
  EXPECT_TRUE(sender.Awaiting());
  Receive(0, "ab02000012f");  // matching reader, 11 characters with LL 0
  EXPECT_EQ(status.lastError, "Info Length");
  EXPECT_FALSE(sender.Awaiting());  // the match comes before the length check

  sender.SendCommand(0, 2, "0044");
  Receive(0, "ab0200004f");
  EXPECT_EQ(status.lastError, "Info LRC error");
  EXPECT_FALSE(sender.Awaiting());
  EXPECT_TRUE(fakes.routed.empty());
}

TEST_F(SenderTest, ErrorRepliesShowTheBadCommandWindowForThirtyTicks) {
  sender.SendCommand(0, 0, "0099");
  Receive(0, "ab0000f258");
  EXPECT_EQ(fakes.badCommand, "Unknown Command");
  EXPECT_FALSE(sender.Awaiting());
  EXPECT_EQ(sender.WaitForReply(), WaitResult::kErrorReply);
  Ticks(29);
  EXPECT_EQ(fakes.badCommand, "Unknown Command");
  Ticks(1);
  EXPECT_EQ(fakes.badCommand, "");
  Receive(0, Reply("0000f4"));
  EXPECT_EQ(fakes.badCommand, "Unsupported Command\nThe reader does not support that command.");
  EXPECT_EQ(ErrorReplyText(246), nullptr);
}

TEST_F(SenderTest, NoReplyWindowAfterThreeTicksClosesThirtyLater) {
  sender.SendCommand(0, 0, "0044");
  Ticks(2);
  EXPECT_FALSE(fakes.noReply);
  Ticks(1);
  EXPECT_TRUE(fakes.noReply);
  EXPECT_TRUE(sender.Awaiting());  // a late reply still counts
  Ticks(29);
  EXPECT_TRUE(fakes.noReply);
  Ticks(1);
  EXPECT_FALSE(fakes.noReply);
  EXPECT_FALSE(sender.Awaiting());

  sender.SendCommand(0, 0, "0044");
  Ticks(3);
  Receive(0, Reply("000044"));
  EXPECT_FALSE(fakes.noReply);  // the late reply takes the window down

  sender.SetNoReplySuppressed(true);
  sender.SendCommand(0, 0, "0044");
  Ticks(3);
  EXPECT_FALSE(sender.Awaiting());
  EXPECT_FALSE(fakes.noReply);

  sender.SetLongReplyWait(true);
  sender.SendCommand(0, 0, "0044");
  Ticks(599);
  EXPECT_TRUE(sender.Awaiting());
  Ticks(1);
  EXPECT_FALSE(sender.Awaiting());
}

TEST_F(SenderTest, ClosedChannelWritesNothingAndWarnsForThirtyTicks) {
  sender.SendCommand(4, 0, "0044");
  EXPECT_TRUE(fakes.closed);
  EXPECT_TRUE(fakes.written.empty());
  EXPECT_TRUE(fakes.memo.empty());
  EXPECT_FALSE(sender.Awaiting());
  EXPECT_EQ(sender.WaitForReply(), WaitResult::kChannelClosed);
  Ticks(29);
  EXPECT_TRUE(fakes.closed);
  Ticks(1);
  EXPECT_FALSE(fakes.closed);

  sender.SendLine(4, "x\r\n", 3);  // the free-text path records, then refuses
  EXPECT_TRUE(fakes.closed);
  EXPECT_TRUE(fakes.written.empty());
  EXPECT_EQ(fakes.memo.size(), 1u);
}

TEST_F(SenderTest, RecordsSentLinesAndRawWritesLeaveTheWaitAlone) {
  QTemporaryDir dir;
  RecordingFiles files;
  ASSERT_EQ(files.OpenAll(dir.path().toStdString()), -1);
  sender.SetRecordingFiles(&files);
  fakes.recording = true;
  sender.SendCommand(1, 0, "010601");
  sender.SendRaw(1, ":0000\r\n", 7);
  sender.SetRecordOutgoing(false);
  sender.SendCommand(1, 0, "010600");
  files.CloseAll();
  std::ifstream in(dir.filePath("logger2.log").toStdString(), std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  EXPECT_EQ(content.str(), "> ab0001060188\r\n> :0000\r\n");
  EXPECT_EQ(fakes.scripted.size(), 3u);

  sender.SendCommand(0, 0, "0044");
  Ticks(3);  // the no-reply window is up
  fakes.written.clear();
  EXPECT_TRUE(sender.SendRaw(0, "\x02", 1));
  EXPECT_EQ(fakes.written, std::vector<std::string>{"0:\x02"});
  EXPECT_EQ(sender.WarningCountdown(), 30);  // untouched
  EXPECT_FALSE(sender.SendRaw(4, "x", 1));
  EXPECT_TRUE(fakes.closed);
  sender.SendLine(0, "\r", 1);  // one character: written, no wait
  EXPECT_EQ(sender.WaitForReply(), WaitResult::kNotArmed);
}

TEST(RecordingFilesTest, AppendsAndReportsFailures) {
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString();
  std::ofstream(path + "/logger3.log") << "old\n";
  RecordingFiles files;
  EXPECT_TRUE(files.Open(2, path));
  EXPECT_TRUE(files.Write(2, "new\r\n", 5));
  files.Close(2);
  std::ifstream in(path + "/logger3.log", std::ios::binary);
  std::stringstream content;
  content << in.rdbuf();
  EXPECT_EQ(content.str(), "old\nnew\r\n");
  EXPECT_FALSE(files.Open(4, path));
  EXPECT_EQ(files.OpenAll(path + "/missing"), 0);
  EXPECT_EQ(files.Path(0), path + "/missing/logger1.log");
  EXPECT_FALSE(files.Write(0, "x", 1));
}

TEST_F(SenderTest, FormatRepliesUpdateTheChannelAndEveryRouteGetsItsCode) {
  Fakes second;
  sender.AddReplyRoute(17, &fakes);
  sender.AddReplyRoute(17, &second);
  // No TTO, ID bytes B7 to B2, headers "aa".
  const std::string formatReply = Reply("000a11" + std::string("7ffc616100000d0a0000"));
  Receive(2, formatReply);
  MessageFormat expected;
  expected.ApplyFormatBytes({0x7f, 0xfc, 'a', 'a', 0, 0, 0x0d, 0x0a, 0, 0});
  EXPECT_EQ(formats.format[2].length1, expected.length1);
  EXPECT_FALSE(formats.format[2].tto);
  EXPECT_TRUE(formats.format[0].tto);
  EXPECT_EQ(fakes.routed.size(), 1u);
  EXPECT_EQ(second.routed.size(), 1u);

  Receive(1, Reply("00044e" + std::string("ac02000f")));
  EXPECT_EQ(formats.composite[1].mask, 0x000f);
  EXPECT_TRUE(formats.format[1].compositeMode);

  // A route that leaves during the fan-out does not upset the others.
  fakes.onReply = [&](const ReplyView&) { sender.RemoveReplyRoute(17, &fakes); };
  Receive(2, formatReply);
  Receive(2, formatReply);
  EXPECT_EQ(fakes.routed.size(), 2u);
  EXPECT_EQ(second.routed.size(), 3u);
}

class ReadCounter final : public TagReadSink {
 public:
  void RecordTagRead(const TagRead&) override { ++reads; }
  void RecordPageRead(const TagRecord&, int) override {}
  int reads = 0;
};

TEST_F(SenderTest, AutomaticFormatQueryRoundTripsThroughTheSpine) {
  ProtocolSettings settings;
  settings.autoQueryMessageFormat = true;
  ManualClock clock;
  auto spine = std::make_unique<ReceiveSpine>(settings, clock, status);
  ReadCounter counter;
  ReaderCommandSender wired(spine->formats, status);  // replies land in the spine's formats
  wired.SetChannelWriter(&fakes);
  spine->decoder.SetTagReadSink(&counter);
  spine->dispatcher.SetReplyHandler(&wired);
  spine->dispatcher.SetChannelWriter(&fakes);
  spine->dispatcher.SetCommandSender(&wired);

  // The reader streams a layout without the TTO field; the channel expects 70 characters.
  MessageFormat readerFormat;
  readerFormat.ApplyFormatBytes({0x7f, 0xfc, 'a', 'a', 0xaa, 0, 0x0d, 0x0a, 0, 0x1c});
  TagMessageFields fields;
  fields.id[0] = 0x12;
  fields.year = 26, fields.month = 12, fields.day = 8, fields.hour = 12;
  char line[128];
  const int n = EncodeFormatMessage(readerFormat, fields, line, sizeof line);
  const std::string read = std::string(line, size_t(n)) + "\r\n";
  auto feed = [&](const std::string& bytes) {
    spine->framer.AppendTcp(1, bytes.data(), int(bytes.size()));
  };
  for (int i = 0; i < 5; ++i) feed(read);
  EXPECT_EQ(counter.reads, 0);
  spine->dispatcher.RunFormatQueryTick();
  ASSERT_EQ(fakes.written.size(), 1u);
  EXPECT_EQ(fakes.written[0].substr(0, 10), "1:ab00ff11");

  EXPECT_TRUE(wired.Awaiting());
  feed(Reply("000a11" + std::string("7ffc6161aa000d0a001c")) + "\r\n");
  EXPECT_FALSE(wired.Awaiting());
  EXPECT_EQ(spine->formats.format[1].length1, readerFormat.length1);
  feed(read);
  EXPECT_EQ(counter.reads, 1);
}

// WaitForReply runs a real nested loop; replies and ticks arrive as queued
// events inside it, the way sockets and the display timer deliver them.
class WaitTest : public SenderTest {
 protected:
  static void Later(std::function<void()> action) { QTimer::singleShot(0, std::move(action)); }
};

TEST_F(WaitTest, EndsOnReplyOrOnTheTicksOfTheWarnings) {
  sender.SendCommand(0, 0, "0044");
  Later([&] { Receive(0, Reply("000044")); });
  EXPECT_EQ(sender.WaitForReply(), WaitResult::kReplied);

  sender.SendCommand(0, 0, "0044");
  QTimer ticker;
  int ticks = 0;
  QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks, sender.Tick(); });
  ticker.start(0);
  EXPECT_EQ(sender.WaitForReply(), WaitResult::kTimedOut);
  EXPECT_EQ(ticks, 33);
  EXPECT_EQ(sender.NestedWaits(), 0);
}

TEST_F(WaitTest, ASecondSequenceInsideSupersedesTheOuterWait) {
  WaitResult inner = WaitResult::kAborted;
  sender.SendCommand(0, 1, "0044");
  Later([&] {
    sender.SendCommand(1, 2, "0060");
    Later([&] { Receive(0, Reply("010044")); });  // the outer reply comes late
    Later([&] { Receive(1, Reply("020060")); });
    inner = sender.WaitForReply();
  });
  EXPECT_EQ(sender.WaitForReply(), WaitResult::kSuperseded);
  EXPECT_EQ(inner, WaitResult::kReplied);
  EXPECT_FALSE(sender.Awaiting());
  EXPECT_EQ(sender.ExpectedChannel(), 1);
}

TEST_F(WaitTest, ARouteMayRunItsOwnSequenceInsideTheReply) {
  std::vector<WaitResult> results;
  sender.AddReplyRoute(0x44, &fakes);
  fakes.onReply = [&](const ReplyView&) {
    sender.RemoveReplyRoute(0x44, &fakes);
    sender.SendCommand(0, 0, "0060");
    Later([&] { Receive(0, Reply("000060")); });
    results.push_back(sender.WaitForReply());
  };
  sender.SendCommand(0, 0, "0044");
  Later([&] { Receive(0, Reply("000044")); });
  results.push_back(sender.WaitForReply());
  EXPECT_EQ(results, (std::vector<WaitResult>{WaitResult::kReplied, WaitResult::kReplied}));
}

TEST_F(WaitTest, AbortDepthLimitAndAStoppedTimerCannotHangIt) {
  std::vector<WaitResult> results;
  std::function<void()> nest = [&] {
    if (sender.NestedWaits() == kMaxNestedWaits) {
      results.push_back(sender.WaitForReply());  // refused, not nested deeper
      sender.AbortWaits();
      return;
    }
    Later(nest);
    results.push_back(sender.WaitForReply());
  };
  sender.SendCommand(0, 0, "0044");
  nest();
  ASSERT_EQ(results.size(), size_t(kMaxNestedWaits + 1));
  EXPECT_EQ(results.front(), WaitResult::kTooDeep);
  EXPECT_EQ(results.back(), WaitResult::kAborted);
  EXPECT_TRUE(sender.Awaiting());  // aborting the waits leaves the wait state alone

  sender.SetWaitLimitMs(20);  // no ticks at all
  EXPECT_EQ(sender.WaitForReply(), WaitResult::kTimedOut);
  EXPECT_EQ(sender.NestedWaits(), 0);
}

}  // namespace
}  // namespace corvalis
