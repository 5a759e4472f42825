#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdio>
#include <fstream>

#include "protocol/Checksums.h"
#include "script/ScriptTestSupport.h"

namespace corvalis {
namespace {

class ScriptFlowTest : public ::testing::Test {
 protected:
  ScriptFlowTest() { channels.interpreter = &interpreter; }

  void RunMemo(const std::string& text) {
    interpreter.Source().UseMemo(true);
    interpreter.Source().SetMemoText(text);
    interpreter.SetReplyCapture(true);
    interpreter.StartStopScript();
  }
  void RunFile(const std::string& text) {
    const std::string path = dir.filePath("script.txt").toStdString();
    std::ofstream(path, std::ios::binary) << text;
    interpreter.Source().UseMemo(false);
    ASSERT_TRUE(interpreter.Source().OpenFile(path));
    interpreter.StartStopScript();
  }
  // Ticks until the script stops (bounded).
  void TickUntilStopped(int maxTicks = 1000) {
    for (int i = 0; i < maxTicks && interpreter.Running(); ++i) interpreter.ScriptTick();
  }

  QTemporaryDir dir;
  ManualClock clock;
  RecordingOutput output;
  LoopbackChannels channels;
  ScriptInterpreter interpreter{clock, output, channels};
};

TEST_F(ScriptFlowTest, ForwardGotoScansAFileNotYetRead) {
  RunFile("Set X1 1\ngoto later\nSet X1 2\n:later\nSet X2 3\nstop\n");
  EXPECT_FALSE(interpreter.Running());
  EXPECT_EQ(interpreter.Variables().x[1], 1);
  EXPECT_EQ(interpreter.Variables().x[2], 3);
  EXPECT_FALSE(interpreter.EndedOnError());
}

TEST_F(ScriptFlowTest, LabelLineLongerThanAHundredBytesIsFoundAgain) {
  const std::string comment(150, '-');
  RunFile("Set X1 0\n:again   # " + comment +
          "\nInc X1\nifCompare (${X1} lt 3) goto again\n"
          "Set X2 7\nstop\n");
  EXPECT_TRUE(output.boxes.empty()) << output.boxes.front();
  EXPECT_EQ(interpreter.Variables().x[1], 3);
  EXPECT_EQ(interpreter.Variables().x[2], 7);
}

TEST_F(ScriptFlowTest, MissingLabelEndsWithGoToError) {
  RunMemo("goto nowhere\nSet X1 5\n");
  EXPECT_FALSE(interpreter.Running());
  ASSERT_EQ(output.boxes.size(), 1u);
  EXPECT_EQ(output.boxes[0], "GoTo Error: GoTo target \"nowhere\" not found");
  EXPECT_EQ(interpreter.Variables().x[1], 0);
  EXPECT_TRUE(interpreter.EndedOnError());
}

TEST_F(ScriptFlowTest, GosubSixteenDeepExceedsTheStack) {
  RunMemo(":down\nInc X1\nifCompare (${X1} lt 17) gosub down\nstop\n");
  EXPECT_EQ(interpreter.Variables().x[1], 16);
  ASSERT_FALSE(output.boxes.empty());
  EXPECT_EQ(output.boxes[0].rfind("Syntax Error: Subroutine stack limit exceeded ", 0), 0u);
  EXPECT_TRUE(interpreter.EndedOnError());
}

TEST_F(ScriptFlowTest, GosubReturnsAndAbbreviationsWork) {
  RunMemo("gos sub\nSet X2 ${X1}\ns\n:sub\nSet X1 4\nr\n");
  EXPECT_EQ(interpreter.Variables().x[2], 4);
  EXPECT_FALSE(interpreter.Running());
  EXPECT_TRUE(output.boxes.empty());
}

TEST_F(ScriptFlowTest, AmbiguousAndUnknownWords) {
  RunMemo("setC 1\nfrobnicate 3\nstop\n");
  TickUntilStopped();  // a refused statement ends its step; the next tick goes on
  EXPECT_TRUE(output.Shown("Ambiguous command: \"setC\""));
  EXPECT_TRUE(output.Shown("Syntax Error: Unknown Command frobnicate 3"));
}

TEST_F(ScriptFlowTest, VariableStatementsAndTheirMessages) {
  interpreter.Variables().x[5] = INT32_MAX;
  RunMemo(
      "Set X1 = 0x10\nSet S2 two words\nInc X5\nDec X6\nSet X3 abc\nSet Y1 2\nInc S1\n"
      "Set X7 99999999999\nstop\n");
  EXPECT_EQ(interpreter.Variables().x[1], 16);
  EXPECT_EQ(interpreter.Variables().s[2], "two words");
  EXPECT_EQ(interpreter.Variables().x[5], INT32_MAX);  // saturates, no overflow
  EXPECT_EQ(interpreter.Variables().x[6], -1);
  EXPECT_TRUE(output.Shown("Assigning non-numeric value to a numeric variable: \"X3 abc\""));
  EXPECT_TRUE(output.Shown("Target of a \"Set\" statement: \"Y1 2\"\n  must be X0 - X99"));
  EXPECT_TRUE(output.Shown("Target of an \"Inc\" statement: \"S1\"\n  must be X0 - X99"));
  EXPECT_EQ(interpreter.Variables().x[7], 0);
}

TEST_F(ScriptFlowTest, AbLinesGetTheirLrcPutRightAndShortOnesAreRefused) {
  interpreter.SetRetryLimit(0);
  RunMemo("ab0001060199\nab0005\nstop\n");
  ASSERT_GE(channels.sent.size(), 1u);
  const std::string sent = channels.sent[0];
  EXPECT_EQ(sent.substr(0, 10), "ab00010601");
  EXPECT_TRUE(CheckLrc(sent.c_str() + 2, static_cast<int>(sent.size()) - 4));
  EXPECT_EQ(sent.substr(sent.size() - 2), "\r\n");
  TickUntilStopped();
  EXPECT_TRUE(output.Shown("Command shorter than its length field: ab0005"));
  EXPECT_EQ(channels.sent.size(), 1u);
}

TEST_F(ScriptFlowTest, SetExpectKeepsMatchingAfterThirtyRounds) {
  RunMemo(
      ":loop\nSetExpect 0 \"hel*o\"\nSimInput hello\nifNotEqual (${ES0} hello) goto fail\n"
      "Inc X1\nifCompare (${X1} lt 30) goto loop\nstop\n:fail\nSet X2 1\nstop\n");
  EXPECT_EQ(interpreter.Variables().x[1], 30);
  EXPECT_EQ(interpreter.Variables().x[2], 0);
  EXPECT_EQ(interpreter.Watches().WatchTableSize(), 1);
  interpreter.Source().SetMemoText("ClearExpect\nstop\n");
  interpreter.StartStopScript();
  EXPECT_EQ(interpreter.Watches().WatchTableSize(), 0);
}

TEST_F(ScriptFlowTest, FullWatchTableIsReported) {
  std::string error;
  for (int i = 0; i < LineWatchTable::kMaxWatches; ++i)
    ASSERT_GE(interpreter.Watches().AddWatch(-1, "x", nullptr, &error), 0);
  RunMemo("SetExpect 0 \"abc\"\nSetExpect 12 abc\nSetExpect 1 \"a\\{2\"\nstop\n");
  EXPECT_TRUE(output.Shown("Watch table full"));
  EXPECT_TRUE(output.Shown("Syntax error in SetExpect statement"));
  interpreter.Watches().RemoveWatchesFrom(0);
  RunMemo("SetExpect 1 \"a\\{2\"\nstop\n");
  EXPECT_TRUE(output.Shown("Error setting regex"));
  EXPECT_EQ(interpreter.Watches().WatchTableSize(), 0);
}

// Stacked repetitions would make the C library's matcher take gigabytes.
TEST_F(ScriptFlowTest, WatchRefusesStackedRepetitions) {
  std::string error;
  EXPECT_LT(interpreter.Watches().AddWatch(-1, "a" + std::string(12, '*'), nullptr, &error), 0);
  EXPECT_EQ(error, "Error setting regex Stacked repetitions");
  EXPECT_LT(interpreter.Watches().AddWatch(-1, "x\nb\\+\\+\\+", nullptr, &error), 0);
  EXPECT_LT(interpreter.Watches().AddWatch(-1, "a\\{2\\}\\{3\\}", nullptr, &error), 0);
  EXPECT_EQ(interpreter.Watches().WatchTableSize(), 0);
  // Escaped or single repetitions are ordinary patterns.
  EXPECT_GE(interpreter.Watches().AddWatch(-1, "a\\*\\*\\*b+++", nullptr, &error), 0);
  EXPECT_GE(interpreter.Watches().AddWatch(-1, "a\\{2\\}b*", nullptr, &error), 0);
}

TEST_F(ScriptFlowTest, ChannelAndButtonStatements) {
  channels.open[2] = false;
  RunMemo(
      "testOpen 3\nifNot (IsOpen) Set X1 1\ntestOpen 7\nsetChannel 2\ncloseChannel\n"
      "Push Nothing\nPush txon\nstop\n");
  TickUntilStopped();
  EXPECT_EQ(interpreter.Variables().x[1], 1);
  EXPECT_TRUE(output.Shown("Illegal channel number: \"7\""));
  EXPECT_EQ(interpreter.Channel(), 1);
  EXPECT_FALSE(channels.open[1]);
  EXPECT_TRUE(output.Shown("Unknown button name in \"Push\" statement"));
  EXPECT_TRUE(output.Shown("\"Push\" is not available"));
}

TEST_F(ScriptFlowTest, WaitCountsTicksAndTabStatementsSayTheyAreMissing) {
  RunMemo("wait 100\nclearTagsSeen\nSet X1 1\nstop\n");
  int ticks = 0;
  while (interpreter.Running() && ticks < 500) {
    interpreter.ScriptTick();
    ++ticks;
  }
  EXPECT_EQ(ticks, 100);  // ten seconds of 100 ms ticks
  EXPECT_TRUE(output.Shown("\"clearTagsSeen\" is not available"));
  EXPECT_EQ(interpreter.Variables().x[1], 1);
}

TEST_F(ScriptFlowTest, BaudIndexStaysInsideTheList) {
  RunMemo("setChanBaudrate 14\nSet X1 ${X1}\nsetChanBaudrate 15\nstop\n");
  EXPECT_EQ(channels.baud, 256000);
  EXPECT_TRUE(output.Shown("Illegal baud rate: \"15\""));
  RunMemo("setChanBaudrate 9600\nstop\n");
  EXPECT_EQ(channels.baud, 9600);
}

TEST_F(ScriptFlowTest, ReplyMatchingTimeoutsAndRetries) {
  // No reply comes: sent three times, then Failed and RetVal -1.
  RunMemo("reply 1\nretry 2\ntimeout 5\nab0001060188\nSet X1 ${RetVal}\nstop\n");
  TickUntilStopped();
  EXPECT_EQ(channels.sent.size(), 3u);
  EXPECT_TRUE(output.Shown("ab0001060188 | Failed"));
  EXPECT_TRUE(output.Shown("Too Many Retries - Moving on"));
  EXPECT_EQ(interpreter.Variables().x[1], -1);
}

TEST_F(ScriptFlowTest, ErrorReplyIsNamedAndAdvances) {
  RunMemo("ab0001060188\nSet X1 1\nstop\n");
  std::string reply = "ab0000f1";
  char lrc[2];
  FormatLrc(ComputeLrc(reply.c_str() + 2, 6), lrc);
  reply.append(lrc, 2);
  interpreter.ObserveMessage(0, reply.c_str(), static_cast<int>(reply.size()));
  EXPECT_TRUE(output.Shown(" ! Bad LRC"));
  EXPECT_EQ(interpreter.Errors(), 1);
  EXPECT_EQ(interpreter.Variables().x[1], 1);
}

TEST_F(ScriptFlowTest, DataReplyKeepsTheWaitAlive) {
  RunMemo("ab0001250188\nSet X1 1\nstop\n");
  const std::string data = "ab000f26" + std::string(30, '0') + "00";
  interpreter.ObserveMessage(0, data.c_str(), static_cast<int>(data.size()));
  EXPECT_FALSE(interpreter.PendingLine().empty());
  EXPECT_GT(interpreter.ReplyTicks(), 0);
  TickUntilStopped();  // times out and moves on instead of stalling
  EXPECT_EQ(interpreter.Variables().x[1], 1);
}

TEST_F(ScriptFlowTest, ClosedChannelStillTimesOutWithAMessage) {
  channels.open[0] = false;
  interpreter.SetRetryLimit(0);
  RunMemo("ab0001060188\nSet X1 2\nstop\n");
  TickUntilStopped();
  EXPECT_TRUE(output.Shown("Channel 1 is not open"));
  EXPECT_TRUE(output.Shown("Failed"));
  EXPECT_EQ(interpreter.Variables().x[1], 2);
}

TEST_F(ScriptFlowTest, TimeoutZeroDoesNotHang) {
  interpreter.SetRetryLimit(0);
  RunMemo("timeout 0\nab0001060188\nSet X1 3\nstop\n");
  TickUntilStopped(20);
  EXPECT_FALSE(interpreter.Running());
  EXPECT_EQ(interpreter.Variables().x[1], 3);
}

TEST_F(ScriptFlowTest, EndlessLoopWithoutSendsYieldsToTheTick) {
  RunMemo(":spin\nInc X1\ngoto spin\n");
  EXPECT_TRUE(interpreter.Running());
  const int32_t first = interpreter.Variables().x[1];
  EXPECT_GT(first, 0);
  interpreter.ScriptTick();
  EXPECT_GT(interpreter.Variables().x[1], first);
  interpreter.StartStopScript();
  EXPECT_FALSE(interpreter.Running());
}

TEST_F(ScriptFlowTest, RecordedInputIsBounded) {
  RunMemo("RecordInput 1\nstop\n");
  const std::string chunk(1000, 'a');
  for (int i = 0; i < 200; ++i) interpreter.RecordReceived(0, chunk.data(), 1000);
  EXPECT_EQ(interpreter.Capture().recorded[0].size(), kRecordedInputMax);
}

}  // namespace
}  // namespace corvalis
