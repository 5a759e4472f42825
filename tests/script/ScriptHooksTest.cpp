#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/AppContext.h"
#include "common/StatusReporter.h"
#include "protocol/Checksums.h"
#include "script/ScriptTestSupport.h"
#include "testkit/ReaderLines.h"

namespace corvalis {
namespace {

// "ab"/"ae" text with its LRC over everything after the first two
// characters, CR LF ended.
std::string WithLrc(const std::string& text) {
  char lrc[2];
  FormatLrc(ComputeLrc(text.data() + 2, static_cast<int>(text.size()) - 2), lrc);
  return text + std::string(lrc, 2) + "\r\n";
}

// A TTO data page for `page` (its data flag) from reader 0.
std::string TtoPage(const std::string& data, int page) {
  char flag[3];
  std::snprintf(flag, sizeof flag, "%02x", page);
  return WithLrc("ae00" + data + "05" + flag);
}

// The context's own interpreter, fed through the real receive path of
// channel 1 (closed, so nothing is sent anywhere).
class ScriptHooksTest : public ::testing::Test {
 protected:
  ScriptHooksTest() {
    context.SetAutoRegister(true);
    context.scriptOutput().SetSink(&output);
  }
  ~ScriptHooksTest() override { context.scriptOutput().SetSink(nullptr); }

  void Run(const std::string& script) {
    interpreter.Source().SetMemoText(script);
    interpreter.StartStopScript();
  }
  void Receive(const std::string& bytes) {
    context.spine().framer.AppendTcp(0, bytes.data(), static_cast<int>(bytes.size()));
  }
  std::string Expand(const std::string& text) {
    std::string out;
    std::string error;
    EXPECT_TRUE(interpreter.Macros().Expand(text, out, error)) << error;
    return out;
  }

  ManualClock clock;
  SilentStatus status;
  AppContext context{clock, status};
  ScriptInterpreter& interpreter = context.interpreter();
  RecordingOutput output;
};

TEST_F(ScriptHooksTest, DecodedTagEndsWaitTagIdWithItsId) {
  Run("waitTagID 50\nSet S1 ${LastTagSeen}\nstop\n");
  ASSERT_TRUE(interpreter.Running());
  EXPECT_EQ(interpreter.WaitTicks(), 50);

  Receive(testing::ReaderLine(0, 0x37, 10));
  EXPECT_FALSE(interpreter.Running());
  EXPECT_TRUE(interpreter.Variables().values.gotTagId);
  EXPECT_EQ(interpreter.Variables().s[1].size(), 16u);
  EXPECT_EQ(interpreter.Variables().s[1].substr(0, 12), "303132333435");
}

TEST_F(ScriptHooksTest, DataPagesGoodBadAndFailedReachWaitData) {
  Run("waitData 50\nSet S1 ${LastDataSeen}\nwaitData 50\nSet X2 ${BadReadCount}\nstop\n");
  ASSERT_TRUE(interpreter.Running());

  // A page that fails its LRC is counted bad and does not end the wait.
  std::string spoilt = TtoPage("1122334455667788", 3);
  spoilt[spoilt.size() - 3] = spoilt[spoilt.size() - 3] == '0' ? '1' : '0';
  Receive(spoilt);
  EXPECT_EQ(interpreter.WaitTicks(), 50);
  EXPECT_EQ(Expand("${BadDataSeenCount3}"), "1");
  EXPECT_EQ(Expand("${LastBadDataSeen3}"), "1122334455667788");

  Receive(TtoPage("a1a2a3a4a5a6a7a8", 3));
  EXPECT_EQ(interpreter.Variables().s[1], "a1a2a3a4a5a6a7a8");
  EXPECT_TRUE(interpreter.Variables().values.gotDataPage[3]);
  EXPECT_EQ(Expand("${GoodDataSeenCount3}"), "1");
  // The pages still go on to the unshown-page count.
  EXPECT_EQ(context.unshownPages().Count(), 1);

  // The controller's status report: time-out, no read success.
  ASSERT_TRUE(interpreter.Running());
  Receive(WithLrc("ab000f260081" + std::string(26, '0')));
  EXPECT_FALSE(interpreter.Running());
  EXPECT_EQ(interpreter.Variables().x[2], 1);
}

TEST_F(ScriptHooksTest, SuccessfulStatusReportDoesNotEndTheWait) {
  Run("waitData 50\nstop\n");
  Receive(WithLrc("ab000f260481" + std::string(26, '0')));
  EXPECT_TRUE(interpreter.Running());
  EXPECT_EQ(interpreter.WaitTicks(), 50);
}

TEST_F(ScriptHooksTest, StatisticsReplyFillsStatsVariables) {
  // 26 12 08 10 20 30, ms 0x01f4, E100 1, versions 2.3 / 4.5 build 6 / 7.8,
  // address 9, config 0a 0b, CRC 0x1234, reboots 3, noise 4, filt 5, baud 6,
  // flow 0, flags TX on + Out1, synth 1, beep 2.
  Receive(WithLrc("ab001d0a1a0c080a141e01f40102030405060708090a0b123403040506000a0102"));
  EXPECT_EQ(Expand("${Stats.Y} ${Stats.Mo} ${Stats.Ms} ${Stats.CVMi} ${Stats.D2VMi}"),
            "26 12 500 3 8");
  EXPECT_EQ(Expand("${Stats.CRC} ${Stats.Baud} ${Stats.Beep}"), "4660 6 2");
  const NamedValues& v = interpreter.Variables().values;
  EXPECT_TRUE(v.statsTxOn);
  EXPECT_TRUE(v.statsOut1);
  EXPECT_FALSE(v.statsAscii);

  // A shorter reply fills what it holds and leaves the rest.
  Receive(WithLrc("ab00020a1b01"));
  EXPECT_EQ(Expand("${Stats.Y} ${Stats.Mo} ${Stats.D} ${Stats.Beep}"), "27 1 8 2");
}

}  // namespace
}  // namespace corvalis
