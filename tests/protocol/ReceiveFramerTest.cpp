#include "protocol/ReceiveFramer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "protocol/Checksums.h"
#include "support/RecordingStatus.h"
#include "testkit/TagMessageEncoder.h"

namespace corvalis {
namespace {

struct Received {
  int channel;
  std::string text;
};

// Records every message; can be told to refuse one text once.
class RecordingReceiver final : public MessageReceiver {
 public:
  bool DispatchMessage(int source, int channel, char* text, int length) override {
    EXPECT_EQ(source, 1);
    std::string message(text, static_cast<size_t>(length));
    text[length] = '\0';  // as the real dispatcher does
    if (message == refuseOnce) {
      refuseOnce.clear();
      return false;
    }
    messages.push_back({channel, message});
    return true;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (const auto& m : messages) out.push_back(m.text);
    return out;
  }

  std::vector<Received> messages;
  std::string refuseOnce;
};

class FakeSerialPort final : public SerialByteSource {
 public:
  explicit FakeSerialPort(std::string bytes) : waiting(std::move(bytes)) {}
  int Read(char* dest, int max) override {
    if (fail) return -1;
    const int n = std::min<int>(max, static_cast<int>(waiting.size()));
    waiting.copy(dest, static_cast<size_t>(n));
    waiting.erase(0, static_cast<size_t>(n));
    return n;
  }
  void PurgeInput() override {
    purged += static_cast<int>(waiting.size());
    waiting.clear();
  }
  std::string LastErrorText() const override { return "Device not configured"; }

  std::string waiting;
  int purged = 0;
  bool fail = false;
};

class ReceiveFramerTest : public ::testing::Test {
 protected:
  void Feed(int channel, const std::string& bytes) {
    framer.AppendTcp(channel, bytes.data(), static_cast<int>(bytes.size()));
  }

  ChannelFormats formats;
  RecordingReceiver receiver;
  testing::RecordingStatus status;
  ReceiveFramer framer{formats, receiver, status};
};

TEST_F(ReceiveFramerTest, LineIsDeliveredOnceWhetherWholeOrSplit) {
  Feed(0, "aa0123\r\n");
  Feed(1, "aa01");
  EXPECT_EQ(receiver.Texts(), std::vector<std::string>{"aa0123"});
  Feed(1, "23\r\n");
  ASSERT_EQ(receiver.messages.size(), 2u);
  EXPECT_EQ(receiver.messages[1].channel, 1);
  EXPECT_EQ(receiver.messages[1].text, "aa0123");
  EXPECT_EQ(framer.Buffer(1).length, 0);
  EXPECT_EQ(framer.Buffer(1).start, 0);
}

TEST_F(ReceiveFramerTest, LeadingLineEndsAndNulsAreSkipped) {
  Feed(0, std::string("\r\n\r\n\0\0ab01\n", 11));
  EXPECT_EQ(receiver.Texts(), std::vector<std::string>{"ab01"});
}

TEST_F(ReceiveFramerTest, EitherLineEndAloneEndsALine) {
  Feed(0, "one\ntwo\rthree\r\n\n\rfour\n");
  EXPECT_EQ(receiver.Texts(), (std::vector<std::string>{"one", "two", "three", "four"}));
}

TEST_F(ReceiveFramerTest, ChannelsNeverMix) {
  Feed(0, "abc");
  Feed(2, "xyz\r\n");
  Feed(0, "def\r\n");
  ASSERT_EQ(receiver.messages.size(), 2u);
  EXPECT_EQ(receiver.messages[0].channel, 2);
  EXPECT_EQ(receiver.messages[0].text, "xyz");
  EXPECT_EQ(receiver.messages[1].channel, 0);
  EXPECT_EQ(receiver.messages[1].text, "abcdef");
}

TEST_F(ReceiveFramerTest, UnterminatedGarbageIsTrimmedToItsTail) {
  std::string garbage;
  for (int i = 0; i < kRxKeepTail + 50; ++i) garbage += static_cast<char>('A' + i % 26);
  Feed(0, garbage);
  EXPECT_EQ(framer.Buffer(0).length, kRxKeepTail);
  Feed(0, "tail\r\n");
  ASSERT_EQ(receiver.messages.size(), 1u);
  EXPECT_EQ(receiver.messages[0].text, garbage.substr(50) + "tail");
}

// The longest messages a reader sends: a composite "af" with every field and
// sixteen tags, and a reply carrying 255 data bytes.
std::vector<std::string> LongestMessages() {
  const CompositeFormat format = CompositeFormat::Derive(0xF6, 0xFF, 0xFFFF);
  CompositeTagFields tags[16];
  for (int t = 0; t < 16; ++t) {
    for (int i = 0; i < 8; ++i) tags[t].id[i] = static_cast<uint8_t>(t * 8 + i);
  }
  char composite[1024];
  const int n = EncodeCompositeMessage(format, {1, 2, tags, 16}, composite, sizeof composite);
  std::string reply = "ab01ff21" + std::string(510, '5');
  char lrc[2];
  FormatLrc(ComputeLrc(reply.data() + 2, static_cast<int>(reply.size()) - 2), lrc);
  reply.append(lrc, 2);
  return {std::string(composite, static_cast<size_t>(std::max(n, 0))), reply};
}

TEST_F(ReceiveFramerTest, LongestMessagesSurviveEverySplit) {
  for (const std::string& message : LongestMessages()) {
    ASSERT_GE(message.size(), 520u);
    ASSERT_LE(message.size(), static_cast<size_t>(kRxKeepTail));
    const std::string line = message + "\r\n";
    for (size_t cut = 1; cut < line.size(); ++cut) {
      receiver.messages.clear();
      Feed(0, line.substr(0, cut));
      Feed(0, line.substr(cut));
      ASSERT_EQ(receiver.Texts(), std::vector<std::string>{message}) << "cut at " << cut;
    }
    // A serial link: a few bytes per event, behind the end of an earlier line.
    receiver.messages.clear();
    const std::string stream = "aa01\r\n" + line;
    for (size_t at = 0; at < stream.size(); at += 3) {
      FakeSerialPort port(stream.substr(at, 3));
      framer.AppendSerial(0, static_cast<int>(port.waiting.size()), port);
    }
    EXPECT_EQ(receiver.Texts(), (std::vector<std::string>{"aa01", message}));
  }
}

TEST_F(ReceiveFramerTest, LongLineInOneAppendIsDeliveredWhole) {
  const std::string line(8000, '7');
  Feed(0, line + "\r\n");
  ASSERT_EQ(receiver.messages.size(), 1u);
  EXPECT_EQ(receiver.messages[0].text, line);
}

TEST_F(ReceiveFramerTest, PartialTailAfterMessagesMovesToFront) {
  Feed(0, "first\r\nsec");
  EXPECT_EQ(framer.Buffer(0).start, 0);
  EXPECT_EQ(framer.Buffer(0).length, 3);
  EXPECT_EQ(std::string(framer.Buffer(0).data, 3), "sec");
  Feed(0, "ond\r\n");
  EXPECT_EQ(receiver.Texts(), (std::vector<std::string>{"first", "second"}));
}

TEST_F(ReceiveFramerTest, TcpBurstLargerThanTheBufferLosesNothing) {
  std::string burst;
  std::vector<std::string> expected;
  for (int i = 0; burst.size() < 20000; ++i) {
    std::string line = "line" + std::to_string(100000 + i) + std::string(18, 'x');
    ASSERT_EQ(line.size(), 28u);
    expected.push_back(line);
    burst += line + "\r\n";  // 30 bytes a line
  }
  Feed(3, burst);
  EXPECT_EQ(receiver.Texts(), expected);
}

TEST_F(ReceiveFramerTest, RefusedMessageResumesOneByteLater) {
  receiver.refuseOnce = "xhello";
  Feed(0, "xhello\r\n");
  EXPECT_EQ(receiver.Texts(), std::vector<std::string>{"hello"});
}

TEST_F(ReceiveFramerTest, CustomTrailerPairEndsLinesAndIsSteppedOver) {
  formats.format[0].trailer1 = ';';
  formats.format[0].trailer2 = '!';
  Feed(0, "aa12;!aa34;");
  EXPECT_EQ(receiver.Texts(), std::vector<std::string>{"aa12"});
  Feed(0, "!");
  EXPECT_EQ(receiver.Texts(), (std::vector<std::string>{"aa12", "aa34"}));
}

TEST_F(ReceiveFramerTest, ClearEmptiesReaderChannelsButNotTheOutputPort) {
  Feed(0, "partial");
  Feed(4, "partial");
  framer.ClearReaderChannels();
  EXPECT_EQ(framer.Buffer(0).length, 0);
  EXPECT_EQ(framer.Buffer(4).length, 7);
}

TEST_F(ReceiveFramerTest, SerialOverflowReads8191AndReportsThePurge) {
  FakeSerialPort port(std::string(9000, 'z'));
  framer.AppendSerial(0, 9000, port);
  EXPECT_EQ(status.purged, "809 chars purged");
  EXPECT_EQ(port.purged, 809);
  // Unterminated, so the cut keeps only the tail of the 8191 bytes read.
  EXPECT_EQ(framer.Buffer(0).length, kRxKeepTail);
  EXPECT_EQ(formats.counters.channel[0].overruns, 1);
  EXPECT_EQ(formats.counters.largestReceive, 9000);
}

TEST_F(ReceiveFramerTest, LargestReceiveIsTheBiggestSingleAppend) {
  Feed(0, "aa01\r\n");
  Feed(1, std::string(300, 'x') + "\r\n");
  Feed(0, "aa02\r\n");
  EXPECT_EQ(formats.counters.largestReceive, 302);
  EXPECT_EQ(formats.counters.channel[0].overruns + formats.counters.channel[1].overruns, 0);
}

TEST_F(ReceiveFramerTest, SerialReadsWhatIsWaitingAndCuts) {
  FakeSerialPort port("aa01\r\naa02\r\n");
  framer.AppendSerial(1, 12, port);
  EXPECT_EQ(receiver.Texts(), (std::vector<std::string>{"aa01", "aa02"}));
  EXPECT_TRUE(status.purged.empty());
}

TEST_F(ReceiveFramerTest, SerialReadErrorIsLoggedAndKeepsWhatWasHeld) {
  Feed(0, "held");
  FakeSerialPort port("more\r\n");
  port.fail = true;
  framer.AppendSerial(0, 6, port);
  ASSERT_EQ(status.debugLines.size(), 2u);
  EXPECT_EQ(status.debugLines[0], "Error reading incoming data!");
  EXPECT_EQ(status.debugLines[1], "Device not configured");
  EXPECT_EQ(port.waiting, "");  // purged
  EXPECT_EQ(std::string(framer.Buffer(0).data, static_cast<size_t>(framer.Buffer(0).length)),
            "held");
  EXPECT_TRUE(receiver.messages.empty());
}

// Binary mode: frames of two kinds, each a header byte and a fixed length,
// followed by the trailer pair.
class BinaryFramerTest : public ReceiveFramerTest {
 protected:
  void SetUp() override {
    MessageFormat& f = formats.format[0];
    f.binary = true;
    f.binHeader1 = 0xAA;
    f.binHeader1b = 0xAE;
    f.length1 = 6;
    f.length2 = 4;
  }
  static std::string Frame1(char tag) { return std::string("\xAA") + tag + "1234\r\n"; }
  static std::string Frame2(char tag) { return std::string("\xAE") + tag + "56\r\n"; }
};

TEST_F(BinaryFramerTest, InterleavedKindsAndGarbageYieldFramesInOrder) {
  Feed(0, "junk" + Frame1('a') + "\x01\x02" + Frame2('b') + Frame1('c') + "zz" + Frame2('d'));
  EXPECT_EQ(receiver.Texts(), (std::vector<std::string>{"\xAA"
                                                        "a1234",
                                                        "\xAE"
                                                        "b56",
                                                        "\xAA"
                                                        "c1234",
                                                        "\xAE"
                                                        "d56"}));
}

TEST_F(BinaryFramerTest, FrameSplitAcrossAppendsWaitsForItsRest) {
  const std::string frame = Frame1('a');
  for (size_t cut = 1; cut < frame.size(); ++cut) {
    receiver.messages.clear();
    Feed(0, frame.substr(0, cut));
    EXPECT_TRUE(receiver.messages.empty()) << cut;
    Feed(0, frame.substr(cut));
    EXPECT_EQ(receiver.Texts(), std::vector<std::string>{frame.substr(0, 6)}) << cut;
  }
}

TEST_F(BinaryFramerTest, HeaderValueInsideGarbageIsSkippedWhenItsTrailerIsWrong) {
  Feed(0, std::string("\xAA") + "xxxxxxx" + Frame2('b'));
  EXPECT_EQ(receiver.Texts(), std::vector<std::string>{"\xAE"
                                                       "b56"});
}

TEST_F(BinaryFramerTest, IdleFlushMovesPastATruncatedFrame) {
  Feed(0,
       "\xAA"
       "ab");
  for (int i = 0; i < kIdleFlushTicks - 1; ++i) framer.Tick();
  EXPECT_EQ(framer.Buffer(0).length, 3);
  framer.Tick();
  EXPECT_EQ(framer.Buffer(0).length, 0);
  Feed(0, Frame2('z'));
  EXPECT_EQ(receiver.Texts(), std::vector<std::string>{"\xAE"
                                                       "z56"});
}

TEST_F(BinaryFramerTest, TextModeChannelsIgnoreTheIdleFlush) {
  Feed(1, "partial");
  for (int i = 0; i < kIdleFlushTicks + 2; ++i) framer.Tick();
  EXPECT_EQ(framer.Buffer(1).length, 7);
}

}  // namespace
}  // namespace corvalis
