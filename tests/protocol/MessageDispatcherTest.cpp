#include "protocol/MessageDispatcher.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "protocol/RawDataMonitor.h"
#include "protocol/ReceiveSpine.h"
#include "support/RecordingStatus.h"
#include "testkit/TagMessageEncoder.h"

namespace corvalis {
namespace {

struct Seen {
  int channel;
  std::string text;
  bool operator==(const Seen&) const = default;
};

class Recorder final : public MessageObserver,
                       public ReplyHandler,
                       public ChannelWriter,
                       public CommandSender,
                       public TagReadSink,
                       public ReaderTesterHook {
 public:
  void ObserveMessage(int channel, const char* text, int length) override {
    observed.push_back({channel, std::string(text, static_cast<size_t>(length))});
  }
  void HandleReply(int channel, const char* text, int length) override {
    replies.push_back({channel, std::string(text, static_cast<size_t>(length))});
  }
  bool IsOpen(int channel) const override { return open[channel]; }
  void WriteToChannel(int channel, const char* bytes, int count) override {
    written.push_back({channel, std::string(bytes, static_cast<size_t>(count))});
  }
  void SendCommand(int channel, int readerId, const char* body) override {
    commands.push_back({channel * 1000 + readerId, body});
  }
  void RecordTagRead(const TagRead& read) override { reads.push_back(read); }
  bool IsRunningOn(int channel) const override { return testerChannel == channel; }
  bool ClaimMessage(int, const char*, int) override { return true; }

  std::vector<Seen> observed, replies, written, commands;
  std::vector<TagRead> reads;
  bool open[5] = {true, true, true, true, true};
  int testerChannel = -1;
};

class DispatcherTest : public ::testing::Test {
 protected:
  DispatcherTest() {
    spine->decoder.SetTagReadSink(&recorder);
    spine->dispatcher.AddObserver(&recorder);
    spine->dispatcher.SetReplyHandler(&recorder);
    spine->dispatcher.SetChannelWriter(&recorder);
    spine->dispatcher.SetCommandSender(&recorder);
  }

  void Dispatch(int channel, std::string text) {
    text.push_back('\n');  // room for the NUL the dispatcher writes
    spine->dispatcher.DispatchMessage(1, channel, text.data(), static_cast<int>(text.size()) - 1);
  }
  void Feed(int channel, const std::string& bytes) {
    spine->framer.AppendTcp(channel, bytes.data(), static_cast<int>(bytes.size()));
  }
  static std::string DefaultLine(int readerId = 1, uint8_t lastIdByte = 0x42) {
    TagMessageFields fields;
    fields.readerId = readerId;
    for (int i = 0; i < 8; ++i) fields.id[i] = static_cast<uint8_t>(0x10 + i);
    fields.id[7] = lastIdByte;
    fields.iCount = 3;
    fields.qCount = 2;
    fields.year = 26;
    fields.month = 12;
    fields.day = 8;
    fields.hour = 12;
    char line[128];
    const int n = EncodeFormatMessage(MessageFormat{}, fields, line, sizeof line);
    return std::string(line, static_cast<size_t>(n));
  }
  MessageFormat& Format(int channel) { return spine->formats.format[channel]; }

  ProtocolSettings settings;
  ManualClock clock;
  testing::RecordingStatus status;
  std::unique_ptr<ReceiveSpine> spine = std::make_unique<ReceiveSpine>(settings, clock, status);
  Recorder recorder;
};

TEST_F(DispatcherTest, DollarLinesAndOutputPortLinesOnlyReachTheWatchers) {
  Recorder scriptHook;
  spine->dispatcher.SetScriptLineHook(&scriptHook);
  settings.compositeOutput = true;
  Dispatch(0, "$status");
  Dispatch(4, DefaultLine());
  Dispatch(4, "ab0001060188");
  const std::vector<Seen> expected{{0, "$status"}, {4, DefaultLine()}, {4, "ab0001060188"}};
  EXPECT_EQ(recorder.observed, expected);
  EXPECT_EQ(scriptHook.observed, expected);
  EXPECT_TRUE(recorder.reads.empty());
  EXPECT_TRUE(recorder.replies.empty());
  EXPECT_TRUE(recorder.written.empty());
  EXPECT_EQ(Format(4).missCount, 0);
}

TEST_F(DispatcherTest, ObserversRunInOrderAndAClaimingTesterStopsTheMessage) {
  Recorder second;
  spine->dispatcher.AddObserver(&second);
  spine->dispatcher.SetReaderTesterHook(&recorder);
  recorder.testerChannel = 1;
  Dispatch(1, DefaultLine());
  Dispatch(0, DefaultLine());
  EXPECT_EQ(second.observed.size(), 2u);
  ASSERT_EQ(recorder.reads.size(), 1u);  // only channel 0's line was decoded
  EXPECT_EQ(recorder.reads[0].channel, 0);
}

TEST_F(DispatcherTest, RepliesGoToTheReplyHandlerOnlyWhenAllHex) {
  Dispatch(0, "ab0001060188");
  Dispatch(0, "ab00010601g8");
  EXPECT_EQ(recorder.replies, (std::vector<Seen>{{0, "ab0001060188"}}));
  EXPECT_EQ(Format(0).missCount, 0);  // a non-hex line is dropped, not counted
}

TEST_F(DispatcherTest, RelayedReplyIsHandedOnOnlyAtItsRouteOffset) {
  // "c", two characters, hop byte 01, two characters, one route pair, reply.
  Dispatch(2, "c12013456ab0001060188");
  EXPECT_EQ(recorder.replies, (std::vector<Seen>{{2, "ab0001060188"}}));
  // Hop byte ff means no route pairs.
  Dispatch(2, "c12ff34ab0001060188");
  ASSERT_EQ(recorder.replies.size(), 2u);
  EXPECT_EQ(recorder.replies[1].text, "ab0001060188");
  // The reply one place later does not match the route length.
  Dispatch(2, "c120134567ab0001060188");
  EXPECT_EQ(recorder.replies.size(), 2u);
  EXPECT_EQ(Format(2).missCount, 1);
}

TEST_F(DispatcherTest, AcceptedTagReadResetsTheMissCounter) {
  for (int i = 0; i < 4; ++i) Dispatch(1, "1234");
  EXPECT_EQ(Format(1).missCount, 4);
  Dispatch(1, DefaultLine());
  EXPECT_EQ(recorder.reads.size(), 1u);
  EXPECT_EQ(Format(1).missCount, 0);
  EXPECT_FALSE(Format(1).queryNeeded);
}

TEST_F(DispatcherTest, SumAllPortsRecordsEveryReadAsChannelOne) {
  settings.sumAllPorts = true;
  Dispatch(2, DefaultLine());
  ASSERT_EQ(recorder.reads.size(), 1u);
  EXPECT_EQ(recorder.reads[0].channel, 0);
}

TEST_F(DispatcherTest, FiveMissesQueryTheFormatOnceEveryTwoSeconds) {
  settings.autoQueryMessageFormat = true;
  for (int i = 0; i < 5; ++i) Dispatch(1, "aa12");
  EXPECT_TRUE(Format(1).queryNeeded);
  EXPECT_EQ(Format(1).missCount, 0);

  spine->dispatcher.RunFormatQueryTick();
  EXPECT_EQ(recorder.commands, (std::vector<Seen>{{1000, "ff11"}}));
  EXPECT_FALSE(Format(1).queryNeeded);

  for (int i = 0; i < 5; ++i) Dispatch(1, "aa12");
  for (int tick = 0; tick < kQueryRepeatTicks; ++tick) spine->dispatcher.RunFormatQueryTick();
  EXPECT_EQ(recorder.commands.size(), 1u);
  spine->dispatcher.RunFormatQueryTick();
  EXPECT_EQ(recorder.commands.size(), 2u);
}

TEST_F(DispatcherTest, FormatQueryWaitsForTheChannelToOpen) {
  recorder.open[3] = false;
  Format(3).queryNeeded = true;
  Format(3).compositeMode = true;
  spine->dispatcher.RunFormatQueryTick();
  EXPECT_TRUE(recorder.commands.empty());
  recorder.open[3] = true;
  spine->dispatcher.RunFormatQueryTick();
  EXPECT_EQ(recorder.commands, (std::vector<Seen>{{3000, "ff4e"}}));
}

TEST_F(DispatcherTest, CompositeOutputCopiesInputLinesToAnOpenOutputPort) {
  settings.compositeOutput = true;
  Feed(0, DefaultLine() + "\r\n");
  EXPECT_EQ(recorder.written, (std::vector<Seen>{{4, DefaultLine()}}));
  recorder.open[4] = false;
  Feed(0, DefaultLine() + "\r\n");
  EXPECT_EQ(recorder.written.size(), 1u);
  settings.compositeOutput = false;
  recorder.open[4] = true;
  Feed(0, DefaultLine() + "\r\n");
  EXPECT_EQ(recorder.written.size(), 1u);
}

TEST_F(DispatcherTest, RejectedCompositeMessageCountsTwoOrThreeMisses) {
  spine->formats.composite[0] = CompositeFormat::Derive(0x00, 0x00, 0x0001);
  const int expected = spine->formats.composite[0].expectedLength;
  Dispatch(0, "af" + std::string(static_cast<size_t>(expected - 4), '0') + "ff");
  EXPECT_EQ(Format(0).missCount, 2);
  Dispatch(0, "af00ff");
  EXPECT_EQ(Format(0).missCount, 0);  // 2 + 3 reached five
  EXPECT_TRUE(Format(0).queryNeeded);
}

TEST_F(DispatcherTest, EveryLineSplitAtEveryOffsetIsDispatchedOnce) {
  const std::string line = DefaultLine() + "\r\n";
  for (size_t cut = 1; cut < line.size(); ++cut) {
    recorder.reads.clear();
    recorder.observed.clear();
    Feed(1, line.substr(0, cut));
    Feed(1, line.substr(cut));
    ASSERT_EQ(recorder.observed.size(), 1u) << cut;
    EXPECT_EQ(recorder.observed[0].text, DefaultLine()) << cut;
    EXPECT_EQ(recorder.reads.size(), 1u) << cut;
  }
}

TEST_F(DispatcherTest, BinaryFramesReachTheBinaryDecoder) {
  MessageFormat& format = Format(0);
  format.binary = true;
  format.ComputeLengths();
  TagMessageFields fields;
  fields.readerId = 7;
  fields.id[0] = 0x0D;  // a CR inside a frame must not cut it
  fields.id[1] = 0x0A;
  fields.iCount = 1;
  char frame[64];
  const int n = EncodeFormatMessage(format, fields, frame, sizeof frame);
  ASSERT_EQ(n, format.length1);
  const std::string wire = "\x01garbage" + std::string(frame, static_cast<size_t>(n)) + "\r\n";
  Feed(0, wire + wire);
  ASSERT_EQ(recorder.reads.size(), 2u);
  EXPECT_EQ(recorder.reads[0].readerId, 7);
  EXPECT_EQ(recorder.reads[0].tagBytes[0], 0x0D);
  EXPECT_EQ(recorder.reads[1].tagBytes[1], 0x0A);
  EXPECT_EQ(format.missCount, 0);
}

class LineMemo final : public TextMemo {
 public:
  int LineCount() const override { return static_cast<int>(lines.size()); }
  void RemoveOldestLines(int count) override { lines.erase(lines.begin(), lines.begin() + count); }
  void AppendLine(std::string_view line) override { lines.emplace_back(line); }
  std::vector<std::string> lines;
};

TEST(RawDataMonitorTest, ShowsChannelNumberAndMasksControlBytes) {
  LineMemo memo;
  RawDataMonitor monitor(memo);
  monitor.ObserveMessage(0, "hidden", 6);
  EXPECT_TRUE(memo.lines.empty());
  monitor.SetEnabled(true);
  monitor.ObserveMessage(0,
                         "aa\x01\x1f"
                         "b",
                         5);
  monitor.ObserveMessage(9, "x", 1);
  EXPECT_EQ(memo.lines, (std::vector<std::string>{" 1 aa..b", "10 x"}));
}

TEST(RawDataMonitorTest, LongMessagesAreCutAndFullMemosDropTheirOldestTenth) {
  LineMemo memo;
  RawDataMonitor monitor(memo);
  monitor.SetEnabled(true);
  monitor.SetMaxLines(20);
  const std::string longMessage(500, 'q');
  monitor.ObserveMessage(2, longMessage.c_str(), 500);
  ASSERT_EQ(memo.lines[0].size(), static_cast<size_t>(kRawLineMax));
  EXPECT_EQ(memo.lines[0].substr(0, 4), " 3 q");
  for (int i = 0; i < 20; ++i) monitor.ObserveMessage(0, "m", 1);
  EXPECT_EQ(memo.lines.size(), 21u);
  monitor.ObserveMessage(0, "last", 4);
  EXPECT_EQ(memo.lines.size(), 20u);  // 21 > 20: two removed, one added
  EXPECT_EQ(memo.lines.back(), " 1 last");
}

}  // namespace
}  // namespace corvalis
