#include "protocol/ReaderCommandSender.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTimer>
#include <fstream>
#include <functional>
#include <sstream>

#include "protocol/Checksums.h"
#include "support/RecordingStatus.h"

namespace corvalis {
namespace {

// Channels, warning windows, memo, transmit mark, script recorder and a reply
// route in one recording fake.
class Fakes final : public ChannelWriter,
                    public CommandWarnings,
                    public TextMemo,
                    public TransmitIndicator,
                    public SentLineRecorder,
                    public ReplyRoute {
 public:
  bool IsOpen(int channel) const override { return channel != 4; }
  void WriteToChannel(int channel, const char* bytes, int count) override {
    written.push_back(std::to_string(channel) + ":" + std::string(bytes, size_t(count)));
  }
  void ShowNoReply() override { noReply = true; }
  void HideNoReply() override { noReply = false; }
  void ShowChannelClosed() override { closed = true; }
  void HideChannelClosed() override { closed = false; }
  void ShowBadCommand(std::string_view message) override { badCommand = message; }
  void HideBadCommand() override { badCommand.clear(); }
  int LineCount() const override { return int(memo.size()); }
  void RemoveOldestLines(int) override {}
  void AppendLine(std::string_view line) override { memo.emplace_back(line); }
  void MarkTransmit(int) override { ++marks; }
  bool IsRecording() const override { return true; }
  void RecordSentLine(int, const char*, int) override { ++scripted; }
  void TakeReply(const ReplyView& reply) override {
    routed.emplace_back(reply.text, size_t(reply.length));
    if (onReply) onReply(reply);
  }

  bool noReply = false, closed = false;
  std::string badCommand;
  std::vector<std::string> written, memo, routed;
  int marks = 0, scripted = 0;
  std::function<void(const ReplyView&)> onReply;
};

// "ab" + rest + LRC over rest.
std::string Reply(const std::string& rest) {
  char lrc[2];
  FormatLrc(ComputeLrc(rest.data(), int(rest.size())), lrc);
  return "ab" + rest + std::string(lrc, 2);
}

std::string ReadFile(const QString& path) {
  std::stringstream content;
  content << std::ifstream(path.toStdString(), std::ios::binary).rdbuf();
  return content.str();
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
  // Queued work runs inside WaitForReply's nested loop, as socket reads and
  // timer ticks do.
  static void Later(std::function<void()> action) { QTimer::singleShot(0, std::move(action)); }

  ChannelFormats formats;
  testing::RecordingStatus status;
  Fakes fakes;
  ReaderCommandSender sender{formats, status};
};

TEST_F(SenderTest, FramesWritesAndRefusesOverlongLines) {
  sender.SendCommand(0, 0, "010601");
  EXPECT_EQ(fakes.written, std::vector<std::string>{"0:ab0001060188\r\n"});
  EXPECT_TRUE(sender.Awaiting());
  EXPECT_EQ(fakes.memo.back(), "ab0001060188..");
  EXPECT_EQ(fakes.marks, 1);
  sender.SendCommand(1, 0xAB, "0044");
  EXPECT_EQ(fakes.written.back(), "1:abab00448b\r\n");
  sender.SendCommand(1, 1, std::string(248, '0'));  // 256 characters framed
  EXPECT_EQ(fakes.written.size(), 2u);
  EXPECT_EQ(status.lastError, "Command too long");
}

TEST_F(SenderTest, MatchNeedsReaderIdAndChannelUnlessIdIsZero) {
  sender.SendCommand(1, 3, "0044");
  Receive(1, Reply("050044"));  // reader 05
  Receive(0, Reply("030044"));  // right reader, other channel
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
  Receive(0, "ab0900001234");  // other reader, wrong length: the wait runs on
  EXPECT_EQ(status.lastError, "Info Length");
  EXPECT_TRUE(sender.Awaiting());
  Receive(0, "ab02000012f");  // matching reader, 11 characters with LL 0
  EXPECT_EQ(status.lastError, "Info Length");
  EXPECT_FALSE(sender.Awaiting());  // matched before the length check
  sender.SendCommand(0, 2, "0044");
  Receive(0, "ab0200004f");
  EXPECT_EQ(status.lastError, "Info LRC error");
  EXPECT_FALSE(sender.Awaiting());
  EXPECT_TRUE(fakes.routed.empty());
}

// The windows' own 30-tick countdowns are checked with the real windows.
TEST_F(SenderTest, ErrorRepliesMissingRepliesAndClosedChannels) {
  sender.SendCommand(0, 0, "0099");
  Receive(0, "ab0000f258");
  EXPECT_EQ(fakes.badCommand, "Unknown Command");
  EXPECT_EQ(sender.WaitForReply(), WaitResult::kErrorReply);

  sender.SendCommand(0, 0, "0044");
  Ticks(2);
  EXPECT_FALSE(fakes.noReply);
  Ticks(1);
  EXPECT_TRUE(fakes.noReply);
  Ticks(29);
  EXPECT_TRUE(sender.Awaiting());  // a late reply still counts
  Receive(0, Reply("000044"));
  EXPECT_FALSE(fakes.noReply);

  sender.SetNoReplySuppressed(true);
  sender.SendCommand(0, 0, "0044");
  Ticks(3);
  EXPECT_FALSE(sender.Awaiting());
  EXPECT_FALSE(fakes.noReply);

  sender.SendCommand(4, 0, "0044");
  EXPECT_TRUE(fakes.closed);
  EXPECT_EQ(fakes.written.size(), 3u);
  EXPECT_EQ(sender.WaitForReply(), WaitResult::kChannelClosed);
}

TEST_F(SenderTest, RecordsSentLinesAndRawWritesLeaveTheWaitAlone) {
  QTemporaryDir dir;
  RecordingFiles files;
  ASSERT_EQ(files.OpenAll(dir.path().toStdString()), -1);
  sender.SetRecordingFiles(&files);
  sender.SendCommand(1, 0, "010601");
  Ticks(3);  // the no-reply window is up
  EXPECT_TRUE(sender.SendRaw(1, ":00\r\n", 5));
  EXPECT_EQ(fakes.written.back(), "1::00\r\n");
  EXPECT_EQ(sender.WarningCountdown(), kWarningTicks);
  sender.SetRecordOutgoing(false);
  sender.SendCommand(1, 0, "010600");
  files.Close(1);
  EXPECT_EQ(ReadFile(dir.filePath("logger2.log")), "> ab0001060188\r\n> :00\r\n");
  EXPECT_EQ(fakes.scripted, 3);
  sender.SendLine(4, "x\r\n", 3);  // the free-text path records, then refuses
  EXPECT_TRUE(fakes.closed);
  EXPECT_EQ(fakes.written.size(), 3u);
  EXPECT_FALSE(files.Open(4, dir.path().toStdString()));
  EXPECT_EQ(files.OpenAll(dir.filePath("missing").toStdString()), 0);
}

TEST_F(SenderTest, FormatRepliesUpdateTheChannelAndEveryRouteGetsItsCode) {
  Fakes second;
  sender.AddReplyRoute(17, &fakes);
  sender.AddReplyRoute(17, &second);
  const std::string formatReply = Reply("000a11" + std::string("7ffc616100000d0a0000"));
  Receive(2, formatReply);
  MessageFormat expected;
  expected.ApplyFormatBytes({0x7f, 0xfc, 'a', 'a', 0, 0, 0x0d, 0x0a, 0, 0});
  EXPECT_EQ(formats.format[2].length1, expected.length1);
  EXPECT_TRUE(formats.format[0].tto);
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

TEST_F(SenderTest, WaitEndsOnReplyOrAfterTheNoReplyWindow) {
  sender.SendCommand(0, 0, "0044");
  Later([&] { Receive(0, Reply("000044")); });
  EXPECT_EQ(sender.WaitForReply(), WaitResult::kReplied);
  sender.SendCommand(0, 0, "0044");
  QTimer ticker;
  int ticks = 0;
  QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks, sender.Tick(); });
  ticker.start(0);
  EXPECT_EQ(sender.WaitForReply(), WaitResult::kTimedOut);
  EXPECT_EQ(ticks, kReplyTicks + kWarningTicks);
}

TEST_F(SenderTest, ASequenceInsideTheWaitSupersedesItButAnEndedWaitKeepsItsReply) {
  WaitResult inner = WaitResult::kAborted;
  sender.SendCommand(0, 1, "0044");
  Later([&] {
    sender.SendCommand(1, 2, "0060");
    Later([&] { Receive(0, Reply("010044")); });  // the outer reply comes too late
    Later([&] { Receive(1, Reply("020060")); });
    inner = sender.WaitForReply();
  });
  EXPECT_EQ(sender.WaitForReply(), WaitResult::kSuperseded);
  EXPECT_EQ(inner, WaitResult::kReplied);
  EXPECT_EQ(sender.ExpectedChannel(), 1);

  // A route that chains its own command inside the reply.
  sender.AddReplyRoute(0x44, &fakes);
  fakes.onReply = [&](const ReplyView&) {
    sender.RemoveReplyRoute(0x44, &fakes);
    sender.SendCommand(0, 0, "0060");
    Later([&] { Receive(0, Reply("000060")); });
    inner = sender.WaitForReply();
  };
  sender.SendCommand(0, 0, "0044");
  Later([&] { Receive(0, Reply("000044")); });
  EXPECT_EQ(sender.WaitForReply(), WaitResult::kReplied);
  EXPECT_EQ(inner, WaitResult::kReplied);
}

TEST_F(SenderTest, NestingIsBoundedAndAStoppedTimerCannotHangTheWait) {
  std::vector<WaitResult> results;
  std::function<void()> nest = [&] {
    if (sender.NestedWaits() == kMaxNestedWaits) {
      results.push_back(sender.WaitForReply());
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
  sender.SetWaitLimitMs(20);       // and no ticks come at all
  EXPECT_EQ(sender.WaitForReply(), WaitResult::kTimedOut);
  EXPECT_EQ(sender.NestedWaits(), 0);
}

// A reader that refuses a new serial number answers f7: the window that
// asked takes it as its answer, so it shows no bad-command window; an f7 to
// any other command still does, and the next send forgets the acceptance.
TEST_F(SenderTest, AcceptedErrorCodeIsTheAnswerOnlyToTheCommandThatExpectsIt) {
  sender.AddReplyRoute(0xf7, &fakes);
  sender.SendCommand(0, 0, "0365414243");
  sender.AcceptErrorReply(0xf7);
  Receive(0, Reply("0000f7"));
  EXPECT_FALSE(sender.Awaiting());
  EXPECT_EQ(fakes.badCommand, "");
  EXPECT_EQ(sender.WarningCountdown(), 0);
  EXPECT_EQ(fakes.routed.size(), 1u);

  sender.AcceptErrorReply(0xf7);
  sender.SendCommand(0, 0, "ff4b");
  Receive(0, Reply("0000f7"));
  EXPECT_EQ(fakes.badCommand, "Illegal Command");
  EXPECT_EQ(fakes.routed.size(), 2u);
}

}  // namespace
}  // namespace corvalis
