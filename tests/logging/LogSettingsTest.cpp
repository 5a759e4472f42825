#include "logging/LogSettings.h"

#include <gtest/gtest.h>

namespace corvalis {
namespace {

TEST(LogTextTest, BackslashSequencesDecodeAndOthersStayAsTyped) {
  EXPECT_EQ(DecodeLogText("\\t"), "\t");
  EXPECT_EQ(DecodeLogText("a\\nb\\rc"), "a\nb\rc");
  EXPECT_EQ(DecodeLogText("\\\\t"), "\\t");
  EXPECT_EQ(DecodeLogText("\\q\\,"), "\\q\\,");
  EXPECT_EQ(DecodeLogText("end\\"), "end\\");
  EXPECT_EQ(DecodeLogText(""), "");
}

TEST(LogTextTest, DecodedTextIsCutToNineteenCharacters) {
  EXPECT_EQ(DecodeLogText("abcdefghijklmnopqrstuvwxyz"), "abcdefghijklmnopqrs");
  // Twenty typed characters that decode to nineteen are kept whole.
  EXPECT_EQ(DecodeLogText("\\t234567890123456789"), "\t234567890123456789");
  // A cut never leaves half a character behind.
  EXPECT_EQ(DecodeLogText(std::string(18, '-') + "\xC3\xA9"), std::string(18, '-'));
}

TEST(LogPresetTest, EachPresetSetsItsColumnsAndLeavesTheRestAlone) {
  LogSettings base;
  base.loggingTamper = "X";
  base.loggingNoTamper = "o";
  base.loggingSeparator = ";";
  base.depotName = "North";
  base.noiseLimit = 7;
  base.waitTime = 800;
  base.logChannelNumber = true;
  base.logLastSeenDate = true;
  base.logTtoDataPages = true;
  base.logNumTtoPages = 4;

  LogSettings rig = base;
  ApplyLogPreset(rig, LogPreset::kRigWatch);
  LogSettings want = base;
  want.noiseLimit = 3;
  want.loggingSeparator = ",";
  want.logDepot = true;
  want.logTagName = true;
  want.logFirstSeenDate = true;
  want.logFirstSeenTime = true;
  want.logChannelNumber = false;
  want.logLastSeenDate = false;
  want.logTtoDataPages = false;
  want.onlyLogNamedTags = true;
  want.waitTime = -6000;
  EXPECT_EQ(rig, want);

  LogSettings standard = base;
  standard.onlyLogNamedTags = false;
  ApplyLogPreset(standard, LogPreset::kStandard);
  want = base;
  want.loggingSeparator = ",";
  want.loggingTamper = "T";
  want.loggingNoTamper = " ";
  want.logDepot = false;
  want.logTagId = true;
  want.logTagName = true;
  want.logIqCount = true;
  want.logFirstSeenDate = true;
  want.logFirstSeenTime = true;
  want.logLastSeenTime = true;
  want.logReaderId = true;
  want.logTamper = true;
  want.logChannelNumber = false;
  want.logLastSeenDate = false;
  want.logTtoDataPages = false;
  want.firstSeenIncludeMs = true;
  want.lastSeenIncludeMs = true;
  want.onlyLogNamedTags = true;
  EXPECT_EQ(standard, want);

  LogSettings stepping = base;
  ApplyLogPreset(stepping, LogPreset::kStepping);
  want.logICount = true;
  want.logQCount = true;
  want.logSteppingNumber = true;
  want.onlyLogNamedTags = false;
  EXPECT_EQ(stepping, want);
}

}  // namespace
}  // namespace corvalis
