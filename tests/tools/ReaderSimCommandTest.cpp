#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CommandProcessor.h"
#include "FormatPresets.h"
#include "Options.h"
#include "ReplyBuilder.h"
#include "common/Clock.h"
#include "tools/ReaderSimFrames.h"

namespace corvalis::readersim {
namespace {

TEST(ReplyFrameTest, MatchesKnownReaderLines) {
  const uint8_t on[] = {0x01};
  EXPECT_EQ(FrameReply(0, reply_code::kRfControl, on), "ab0001060188\r\n");
  EXPECT_EQ(ErrorReply(0, reply_code::kUnknownCommand), "ab0000f258\r\n");
  EXPECT_EQ(ErrorReply(0x2a, reply_code::kBadLrc), Reply("ab2a00f1"));
}

class CommandTest : public ::testing::Test {
 protected:
  CommandTest() : commands(state, clock) {
    state.format = MakePresetFormat(FormatPreset::kDefault);
  }

  std::string Send(const std::string& commandWithoutLrc) {
    return commands.HandleLine(WithLrc(commandWithoutLrc));
  }

  ManualClock clock{WallTime{1'741'955'696, 250}};  // 2025-03-14 12:34:56 UTC
  ReaderState state;
  CommandProcessor commands;
};

TEST_F(CommandTest, FormatQueryDescribesTheStreamedLayoutExactly) {
  const std::string reply = Send("ab00ff11");
  EXPECT_EQ(reply, Reply("ab000a11ffff6161aa000d0a001c"));

  // A console that applies the reply must expect the 70-character lines it
  // is about to receive.
  MessageFormat console;
  console.flags2 = 0;
  FormatBytes b;
  uint8_t* fields[10] = {&b.flags1,     &b.idMask,     &b.asciiHeader1, &b.asciiHeader2,
                         &b.binHeader1, &b.binHeader2, &b.trailer1,     &b.trailer2,
                         &b.separator,  &b.flags2};
  for (int i = 0; i < 10; ++i) {
    *fields[i] = static_cast<uint8_t>(
        std::stoi(reply.substr(8 + 2 * static_cast<size_t>(i), 2), nullptr, 16));
  }
  console.ApplyFormatBytes(b);
  EXPECT_EQ(console.length1, 70);
}

TEST_F(CommandTest, SetFormatChangesTheLayoutAndEchoesIt) {
  // The standard preset's bytes.
  const std::string reply = Send("ab000a117ffc6161aa000d0a001c");
  EXPECT_EQ(reply, Reply("ab000a117ffc6161aa000d0a001c"));
  EXPECT_EQ(state.format.length1, 60);
  EXPECT_FALSE(state.format.tto);
  EXPECT_EQ(Send("ab00ff11"), reply);
}

TEST_F(CommandTest, FaultyCommandsGetTheMatchingErrorCode) {
  EXPECT_EQ(commands.HandleLine("ab00ff1100"), Reply("ab0000f1"));  // bad LRC
  EXPECT_EQ(Send("ab000077"), Reply("ab0000f2"));                   // unknown
  EXPECT_EQ(Send("ab00021100"), Reply("ab0000f0"));                 // LL vs data
  EXPECT_EQ(Send("ab000111"), Reply("ab0000f0"));                   // data missing
  EXPECT_EQ(commands.HandleLine("ab00zz1100"), Reply("ab0000f0"));  // not hex
  EXPECT_EQ(Send("ab00010602"), Reply("ab0000f5"));                 // RF neither on nor off
  EXPECT_EQ(state.stats.errorReplies, 6);
  EXPECT_TRUE(state.rfOn);
}

TEST_F(CommandTest, UpperCaseLrcIsAccepted) {
  std::string line = WithLrc("ab00ff4e");
  ASSERT_EQ(line.substr(8), "c5");
  line.replace(8, 2, "C5");
  EXPECT_EQ(commands.HandleLine(line), Reply("ab00044e2c02000f"));
}

TEST_F(CommandTest, AnswersOwnIdAndBroadcastButNotOtherReaders) {
  state.readerId = 0x07;
  EXPECT_EQ(Send("ab070106"
                 "00"),
            Reply("ab07010600"));
  EXPECT_FALSE(state.rfOn);
  EXPECT_EQ(Send("ab000106"
                 "01"),
            Reply("ab07010601"));
  EXPECT_TRUE(state.rfOn);
  EXPECT_EQ(Send("ab05ff11"), "");
  EXPECT_EQ(commands.HandleLine("ab05ff1100"), "");  // not ours, so no LRC complaint either
  EXPECT_EQ(commands.HandleLine("aa00112233"), "");  // a tag line echoed back
  EXPECT_EQ(state.stats.commands, 2);
}

TEST_F(CommandTest, DateTimeAndStatsReplies) {
  EXPECT_EQ(Send("ab000044"), Reply("ab000644250314123456"));
  state.stats.readsSent = 0x12345;
  state.stats.passesCompleted = 7;
  EXPECT_EQ(Send("ab00ff60"), Reply("ab000e600001234500000007000200000000"));
}

TEST_F(CommandTest, ReceiveAssemblesLinesFromPiecesAndRejectsOverruns) {
  std::vector<std::string> replies;
  const std::string two = WithLrc("ab00ff11") + "\r\n" +
                          WithLrc(
                              "ab000106"
                              "00") +
                          "\r\n";
  for (char c : two) commands.Receive(&c, 1, replies);
  ASSERT_EQ(replies.size(), 2u);
  EXPECT_EQ(replies[1], Reply("ab00010600"));

  replies.clear();
  const std::string overlong = "ab" + std::string(300, '0') + "\r\n" + WithLrc("ab00ff4e") + "\n";
  commands.Receive(overlong.data(), overlong.size(), replies);
  ASSERT_EQ(replies.size(), 2u);
  EXPECT_EQ(replies[0], Reply("ab0000f0"));
  EXPECT_EQ(replies[1], Reply("ab00044e2c02000f"));
}

TEST(PresetTest, LengthsOfEveryPreset) {
  EXPECT_EQ(MakePresetFormat(FormatPreset::kDefault).length1, 70);
  EXPECT_EQ(MakePresetFormat(FormatPreset::kExtended).length1, 70);
  EXPECT_EQ(MakePresetFormat(FormatPreset::kStandard).length1, 60);
  // No header, no LRC: the ID and the ms-timing fields the preset keeps.
  EXPECT_EQ(MakePresetFormat(FormatPreset::kReduced).length1, 40);
  const MessageFormat binary = MakePresetFormat(FormatPreset::kBinary);
  EXPECT_TRUE(binary.binary);
  EXPECT_EQ(binary.length1, 35);
}

TEST(OptionsTest, ParsesEveryOptionInBothSpellings) {
  const ParseResult r = ParseOptions({"--tcp=0", "--format", "binary", "--tags", "9", "--rate=50",
                                      "--passes", "3", "--reads-per-pass", "2", "--seed", "77",
                                      "--reader-id", "12", "--tamper", "--ls", "--noise"});
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.options.link, LinkKind::kTcp);
  EXPECT_EQ(r.options.format, FormatPreset::kBinary);
  EXPECT_EQ(r.options.tags, 9);
  EXPECT_DOUBLE_EQ(r.options.rate, 50.0);
  EXPECT_EQ(r.options.passes, 3);
  EXPECT_EQ(r.options.readsPerPass, 2);
  EXPECT_EQ(r.options.seed, 77u);
  EXPECT_EQ(r.options.readerId, 12);
  EXPECT_TRUE(r.options.tamper && r.options.flagLS && r.options.noise && !r.options.flagFS);
  EXPECT_TRUE(ParseOptions({"--pty", "-h"}).help);
}

TEST(OptionsTest, RejectsBadArguments) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {},
           {"--tcp", "1", "--pty"},
           {"--tcp", "70000"},
           {"--tcp"},
           {"--pty", "--tags", "0"},
           {"--pty", "--format", "wide"},
           {"--pty", "--reader-id", "256"},
           {"--pty", "--rate", "2"},  // reads of a pass would drift apart
           {"--pty", "--bogus"},
           {"--pty=1"},
       }) {
    EXPECT_NE(ParseOptions(args).error, "") << ::testing::PrintToString(args);
  }
  EXPECT_EQ(ParseOptions({"--pty", "--rate", "2", "--reads-per-pass", "1"}).error, "");
}

}  // namespace
}  // namespace corvalis::readersim
