#include <gtest/gtest.h>

#include <string>

#include "CommandProcessor.h"
#include "FormatPresets.h"
#include "ReplyBuilder.h"
#include "common/Clock.h"
#include "tools/ReaderSimFrames.h"

namespace corvalis::readersim {
namespace {

class ConfigCommandTest : public ::testing::Test {
 protected:
  ConfigCommandTest() : commands(state, clock) {
    state.format = MakePresetFormat(FormatPreset::kDefault);
    state.readerId = 1;
  }
  std::string Send(const std::string& body) { return commands.HandleLine(WithLrc("ab01" + body)); }

  ManualClock clock;
  ReaderState state;
  CommandProcessor commands;
};

TEST_F(ConfigCommandTest, SetCommandsAreAcknowledgedAndReadBack) {
  const char* bodies[] = {"05810200020602", "011202",
                          "010501",         "083eaa0001008f640124",
                          "023924fe",       "0027",
                          "0309040507",     "020e6005",
                          "020f9b64",       "08300000000000000000",
                          "0034",           "012a0c",
                          "011f01",         "011801",
                          "010d82",         "010c01"};
  for (const std::string body : bodies) {
    const std::string reply = Send(body);
    // Same code, same data: "ab" 01 LL CC data.
    EXPECT_EQ(reply, Reply("ab01" + body)) << body;
  }
  EXPECT_EQ(Send("ff0f"), Reply("ab01020f9b64"));
  EXPECT_EQ(Send("ff3e"), Reply("ab01083eaa0001008f640124"));
}

TEST_F(ConfigCommandTest, NewReaderIdAnswersFromTheNewId) {
  EXPECT_EQ(Send("010407"), Reply("ab07010407"));
  EXPECT_EQ(state.readerId, 7);
  EXPECT_EQ(Send("0027"), "");  // ab01 is no longer this reader
}

TEST_F(ConfigCommandTest, DecoderRepliesFollowTheConfiguration) {
  EXPECT_EQ(Send("043b82450509"), Reply("ab01043b82450509"));
  EXPECT_EQ(Send("ff3b"), Reply("ab01043b82450509"));
  EXPECT_EQ(Send("012a03"), Reply("ab01012a03"));
  // Version 8; C = invert, 3 TTO pages, baud 3 - 2; K = synth bit; threshold 5.
  EXPECT_EQ(Send("002b"), Reply("ab010c2b0000080a0b01024041"
                                "8d"
                                "40"
                                "05"));
  EXPECT_EQ(Send("0045"), Reply("ab010c45000100020003000400050100"));
  EXPECT_EQ(Send("013d6d"), Reply("ab01013d6d"));
  EXPECT_EQ(Send("013d72"), Reply("ab01013d72"));
  EXPECT_EQ(Send("013d00"), Reply("ab0100f5"));
}

TEST_F(ConfigCommandTest, FaultOptionAnswersWithAnErrorOrNothing) {
  state.faultCommand = 0x12;
  EXPECT_EQ(Send("011202"), Reply("ab0100f2"));
  state.faultError = 0xF4;
  EXPECT_EQ(Send("011202"), Reply("ab0100f4"));
  state.faultSilent = true;
  EXPECT_EQ(Send("011202"), "");
  EXPECT_EQ(Send("0027"), Reply("ab010027"));  // other commands still answered
}

}  // namespace
}  // namespace corvalis::readersim
