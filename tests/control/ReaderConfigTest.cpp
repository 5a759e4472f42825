#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "control/CommandSequence.h"
#include "control/ControlTestSupport.h"
#include "control/ReaderConfigBodies.h"
#include "control/TimedRf.h"
#include "protocol/Checksums.h"
#include "protocol/ReaderCommandSender.h"
#include "protocol/TagMessageDecoder.h"
#include "support/RecordingStatus.h"

namespace corvalis {
namespace {

std::string ReplyLine(int readerId, const std::string& body) {
  char id[3];
  std::snprintf(id, sizeof id, "%02x", readerId);
  std::string line = std::string("ab") + id + body;
  char lrc[2];
  FormatLrc(ComputeLrc(line.data() + 2, static_cast<int>(line.size()) - 2), lrc);
  return line + std::string(lrc, 2);
}

// The bodies of the framed lines written to a channel.
std::vector<std::string> Bodies(const std::string& written) {
  std::vector<std::string> bodies;
  size_t start = 0;
  while (start < written.size()) {
    const size_t end = written.find("\r\n", start);
    if (end == std::string::npos) break;
    bodies.push_back(written.substr(start + 4, end - start - 6));
    start = end + 2;
  }
  return bodies;
}

class SequenceTest : public ::testing::Test {
 protected:
  SequenceTest() { sender.SetChannelWriter(&channels); }
  void Reply(const std::string& body) {
    const std::string line = ReplyLine(1, body);
    sender.HandleReply(0, line.data(), static_cast<int>(line.size()));
  }
  void Tick() {
    sender.Tick();
    sequence.Tick();
  }
  std::vector<std::string> Sent() { return Bodies(channels.Take(0)); }

  testing::RecordingChannels channels;
  ChannelFormats formats;
  testing::RecordingStatus status;
  ReaderCommandSender sender{formats, status};
  CommandSequence sequence{sender};
};

TEST_F(SequenceTest, TagBaud128kSendsEachOnlyAfterThePreviousReply) {
  ASSERT_TRUE(sequence.Start(0, 1, TagBaudBodies(2)));
  EXPECT_EQ(Sent(), std::vector<std::string>{"05810200020602"});
  Tick();
  Tick();
  EXPECT_TRUE(Sent().empty());  // no reply yet: nothing more
  Reply(
      "0181"
      "00");
  EXPECT_TRUE(Sent().empty());  // the next goes out on the tick
  Tick();
  EXPECT_EQ(Sent(), std::vector<std::string>{"011202"});
  Reply(
      "0112"
      "00");
  Tick();
  EXPECT_EQ(Sent(), std::vector<std::string>{"05810300020602"});
  Reply(
      "0181"
      "00");
  Tick();
  EXPECT_EQ(sequence.GetState(), CommandSequence::State::kDone);
  EXPECT_FALSE(sequence.Running());
  // A second sequence may start now.
  EXPECT_TRUE(sequence.Start(0, 1, {"0027"}));
}

TEST_F(SequenceTest, ErrorReplyOrTimeOutStopsTheSequence) {
  ASSERT_TRUE(sequence.Start(0, 1, TagBaudBodies(2)));
  Sent();
  Reply("00f0");  // an error code
  for (int i = 0; i < 5; ++i) Tick();
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(sequence.GetState(), CommandSequence::State::kErrorReply);
  EXPECT_NE(sequence.StatusText().find("05810200020602"), std::string::npos);

  ASSERT_TRUE(sequence.Start(0, 1, TagBaudBodies(2)));
  Sent();
  for (int i = 0; i < 100 && sequence.Running(); ++i) Tick();
  EXPECT_EQ(sequence.GetState(), CommandSequence::State::kTimedOut);
  EXPECT_TRUE(Sent().empty());
  // A late reply after the stop sends nothing either.
  Reply(
      "0181"
      "00");
  Tick();
  EXPECT_TRUE(Sent().empty());
}

TEST_F(SequenceTest, ClosedChannelSendsNothingAndSaysSo) {
  channels.open[0] = false;
  ASSERT_TRUE(sequence.Start(0, 1, TagBaudBodies(1)));
  EXPECT_EQ(sequence.GetState(), CommandSequence::State::kNotSent);
  EXPECT_TRUE(Sent().empty());
}

TEST_F(SequenceTest, Custom915MHzPlanRunsStepByStep) {
  const BuiltBodies plan = CustomHoppingBodies(CustomHopPlan{}, TimingAnswer::kNotAsked);
  ASSERT_FALSE(plan.Refused()) << plan.message;
  ASSERT_TRUE(sequence.Start(0, 1, plan.bodies));
  EXPECT_EQ(Sent(), std::vector<std::string>{"010501"});
  Reply(
      "0105"
      "00");
  Tick();
  EXPECT_EQ(Sent(), std::vector<std::string>{"083eaa0001008f640124"});
  Reply(
      "013e"
      "00");
  Tick();
  EXPECT_EQ(Sent(), std::vector<std::string>{"023924fe"});
  Reply(
      "0139"
      "00");
  Tick();
  EXPECT_EQ(sequence.GetState(), CommandSequence::State::kDone);
}

TEST(HoppingPlans, RefusedPlansSendNothingAtAll) {
  CustomHopPlan plan;
  plan.startMhz = "961";
  EXPECT_EQ(CustomHoppingBodies(plan, TimingAnswer::kNotAsked).message,
            "Out of range starting freqeuncy");
  plan.startMhz = "915.35";
  const BuiltBodies offGrid = CustomHoppingBodies(plan, TimingAnswer::kNotAsked);
  EXPECT_TRUE(offGrid.bodies.empty());  // not even the synthesiser mode
  EXPECT_EQ(offGrid.message,
            "Not sending configuration, please change starting freqeuncy or channel width");
  plan.startMhz = "";
  EXPECT_EQ(CustomHoppingBodies(plan, TimingAnswer::kNotAsked).message, "Add Starting Frequency");
  plan.startMhz = "9l5.3";
  EXPECT_TRUE(CustomHoppingBodies(plan, TimingAnswer::kNotAsked).Refused());
  plan.startMhz = "915.3";
  plan.spaces = kDefaultMaxHoppingSpaces + 1;
  EXPECT_TRUE(CustomHoppingBodies(plan, TimingAnswer::kNotAsked).Refused());
}

TEST(HoppingPlans, FiftyKilohertzSweepReaches840_05) {
  CustomHopPlan plan;
  plan.widthKhz = 50;
  // The sweep writes bottom + p x step in MHz; every step must pass the
  // multiple-of-width check, which floating point arithmetic fails.
  for (int p = 0; p <= 20; ++p) {
    const int khz = 840000 + p * 50;
    char mhz[32];
    std::snprintf(mhz, sizeof mhz, "%d.%03d", khz / 1000, khz % 1000);
    plan.startMhz = mhz;
    const BuiltBodies built = CustomHoppingBodies(plan, TimingAnswer::kNotAsked);
    ASSERT_FALSE(built.Refused()) << mhz << ": " << built.message;
  }
  plan.startMhz = "840.05";
  const BuiltBodies built = CustomHoppingBodies(plan, TimingAnswer::kNotAsked);
  ASSERT_EQ(built.bodies.size(), 3u);
  // 840050 kHz / 50 = 16801 widths: N = 262 (high 1, low 6), A = 33.
  EXPECT_EQ(built.bodies[1], "083eaa00210106c80124");
}

TEST(HoppingPlans, CeAndTimingAnswers) {
  EXPECT_EQ(CeHoppingBodies(36, 15, 14, TimingAnswer::kNotAsked).bodies,
            (std::vector<std::string>{"010501", "083eaa03110087640624", "0027", "023924fe"}));
  EXPECT_FALSE(NeedsTimingQuestion(15, 14));
  EXPECT_TRUE(NeedsTimingQuestion(10, 14));
  const BuiltBodies cancelled = CeHoppingBodies(36, 10, 14, TimingAnswer::kCancel);
  for (const std::string& body : cancelled.bodies) EXPECT_NE(body.substr(0, 4), "0239");
  EXPECT_EQ(CeHoppingBodies(36, 10, 3, TimingAnswer::kUseStandard).bodies.back(), "023924fe");
  EXPECT_EQ(CeHoppingBodies(36, 10, 3, TimingAnswer::kKeep).bodies.back(), "023924a3");
  EXPECT_EQ(FixedFrequencyBodies(902800).bodies,
            (std::vector<std::string>{"010501", "083eaa0004008d640118", "0027"}));
}

// Bodies as the reader's command list gives them.
TEST(ConfigBodies, EveryBodyAsDocumented) {
  struct Case {
    std::string built;
    const char* expected;
  };
  const Case cases[] = {
      {MessageModeBody(4, 5), "0309040507"},    // menu First/Last Seen
      {MessageModeBody(5, 255), "030905ff07"},  // panel First/Last Seen
      {BeepBody(0x60, 5), "020e6005"},
      {BeepBody(0x00, 3), "020e0003"},
      {WiegandBody(true, true, 1, 3, 100), "020f9b64"},
      {TtoPagesBody(12), "012a0c"},
      {TtoPagesBody(0), "012a00"},
      {SetIdBody(7), "010407"},
      {OutputLevelBody(3), "010503"},
      {MessageFormatBody(PresetFields(FormatPreset::kStandard, 0)).bodies.at(0),
       "0a117ffc6161aa000d0a0000"},
      {MessageFormatBody(PresetFields(FormatPreset::kReducedMenu, 0)).bodies.at(0),
       "0a1100ff0000aa000d0a0000"},
      {MessageFormatBody(PresetFields(FormatPreset::kReducedPanel, 0)).bodies.at(0),
       "0a1100ff000000000d0a0000"},
      {MessageFormatBody(PresetFields(FormatPreset::kExtended, 0x20)).bodies.at(0),
       "0a11ffff6161aa000d0a0020"},
      {FilterBody(0x30, "0000000000000000").bodies.at(0), "08300000000000000000"},
      {FilterBody(0x33, "FFFFFFFFFFFFFFFF").bodies.at(0), "0833ffffffffffffffff"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.built, c.expected);
  EXPECT_EQ(FccHoppingBodies(),
            (std::vector<std::string>{"083eaaf404008d640124", "083eaaf404008d640124", "010500",
                                      "010500"}));
}

TEST(ConfigBodies, BadTypedValuesAreRefused) {
  MessageFormatFields fields = PresetFields(FormatPreset::kStandard, 0);
  fields.typed[0] = "0a11";  // not a number
  EXPECT_TRUE(MessageFormatBody(fields).Refused());
  EXPECT_TRUE(MessageFormatBody(fields).bodies.empty());
  fields.typed[0] = "256";
  EXPECT_TRUE(MessageFormatBody(fields).Refused());
  fields.typed[0] = "0x100";
  EXPECT_TRUE(MessageFormatBody(fields).Refused());
  fields.typed[0] = "255";
  EXPECT_FALSE(MessageFormatBody(fields).Refused());
  EXPECT_TRUE(FilterBody(0x30, "000000000000000g").Refused());
  EXPECT_TRUE(FilterBody(0x30, "00000000").Refused());
  EXPECT_TRUE(TypedBody("0a1").Refused());
  EXPECT_TRUE(TypedBody("01xx").Refused());
  EXPECT_FALSE(TypedBody("0027").Refused());
}

TEST(ConfigBodies, SendAllPatternsChecksEveryValueFirst) {
  FilterValues values;
  FilterPlan plan = SendAllPatterns(values);
  EXPECT_EQ(plan.now, "08300000000000000000");
  ASSERT_EQ(plan.queued.size(), 4u);
  EXPECT_EQ(plan.queued[0].slot, 7);
  EXPECT_EQ(plan.queued[0].body, "08310000000000000000");
  EXPECT_EQ(plan.queued[2].body, "0833ffffffffffffffff");
  EXPECT_EQ(plan.queued[3].body, "0034");
  EXPECT_EQ(plan.countdown, 9);
  values.rejectMask = "fffffffffffffffz";
  plan = SendAllPatterns(values);
  EXPECT_FALSE(plan.message.empty());
  EXPECT_TRUE(plan.now.empty());
  EXPECT_TRUE(plan.queued.empty());
}

class RecordingSender final : public CommandSender {
 public:
  void SendCommand(int channel, int readerId, const char* body) override {
    sent.push_back(std::to_string(channel) + ":" + std::to_string(readerId) + ":" + body);
  }
  std::vector<std::string> sent;
};

TEST(TimedRfBurst, TenthsTurnOffFiveTicksLaterOnTheLatchedChannel) {
  RecordingSender sender;
  TimedRf burst(sender);
  burst.Start(1, 7, 5, true);
  EXPECT_EQ(sender.sent, std::vector<std::string>{"1:7:010601"});
  for (int i = 0; i < 4; ++i) burst.Tick();
  EXPECT_EQ(sender.sent.size(), 1u);
  burst.Tick();
  EXPECT_EQ(sender.sent.back(), "1:7:010600");
  EXPECT_FALSE(burst.Running());

  sender.sent.clear();
  burst.Start(2, 3, 2, false);
  for (int i = 0; i < 19; ++i) burst.Tick();
  EXPECT_EQ(sender.sent.size(), 1u);
  burst.Tick();
  EXPECT_EQ(sender.sent.back(), "2:3:010600");

  burst.Start(0, 1, 100, false);
  burst.Cancel();
  burst.Tick();
  EXPECT_EQ(sender.sent.back(), "0:1:010600");
}

}  // namespace
}  // namespace corvalis
