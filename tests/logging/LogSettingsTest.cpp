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

// The columns each preset ticks show in the writer's preset lines; here the
// settings around them.
TEST(LogPresetTest, PresetsSetTheirValuesAndKeepTheOthers) {
  LogSettings base;
  base.loggingTamper = "X";
  base.loggingSeparator = ";";
  base.depotName = "North";
  base.noiseLimit = 7;
  base.waitTime = 800;
  base.logChannelNumber = base.logTtoDataPages = true;
  base.logNumTtoPages = 4;

  for (LogPreset preset : {LogPreset::kRigWatch, LogPreset::kStandard, LogPreset::kStepping}) {
    LogSettings s = base;
    ApplyLogPreset(s, preset);
    const bool rig = preset == LogPreset::kRigWatch;
    EXPECT_EQ(s.loggingSeparator, ",");
    EXPECT_EQ(s.loggingTamper, rig ? "X" : "T");
    EXPECT_EQ(s.noiseLimit, rig ? 3 : 7);
    EXPECT_EQ(s.waitTime, rig ? -6000 : 800);
    EXPECT_EQ(s.firstSeenIncludeMs, !rig);
    EXPECT_EQ(s.lastSeenIncludeMs, !rig);
    EXPECT_EQ(s.onlyLogNamedTags, preset != LogPreset::kStepping);
    EXPECT_FALSE(s.logChannelNumber);
    EXPECT_FALSE(s.logTtoDataPages);
    EXPECT_EQ(s.logNumTtoPages, 4);
    EXPECT_EQ(s.depotName, "North");
  }
}

}  // namespace
}  // namespace corvalis
