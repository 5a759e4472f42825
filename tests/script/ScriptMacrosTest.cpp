#include <gtest/gtest.h>

#include "script/ScriptCommands.h"
#include "script/ScriptStatements.h"
#include "script/ScriptTestSupport.h"

namespace corvalis {
namespace {

class ScriptMacrosTest : public ::testing::Test {
 protected:
  std::string Expand(const std::string& line) {
    std::string out;
    std::string error;
    if (!interpreter.Macros().Expand(line, out, error)) return "error: " + error;
    return out;
  }

  // 2024-03-05 06:07:08.995 UTC
  ManualClock clock{{1709618828, 995}};
  RecordingOutput output;
  LoopbackChannels channels;
  ScriptInterpreter interpreter{clock, output, channels};
};

TEST_F(ScriptMacrosTest, ExpandsVariablesMacrosAndRanges) {
  interpreter.Variables().x[1] = 255;
  interpreter.Variables().s[12] = "hello";
  interpreter.Variables().values.retVal = -1;
  interpreter.Variables().values.gotReply = true;
  const std::pair<const char*, const char*> cases[] = {
      {"${X1}", "255"},
      {"${H1}", "FF"},
      {"${h1}", "ff"},
      {"${S12}", "hello"},
      {"${S12[2-3]}", "el"},
      {"${S12[4]}", "l"},
      {"${S12[3-]}", "llo"},
      {"${S12[9-12]}", ""},
      {"${Date10[1-4]}", "2024"},
      {"${Date10}", "2024/03/05"},
      {"${hhmmss}", "06:07:08"},
      {"${RetVal}", "-1"},
      {"${gotrep}", "1"},
      {"${NoSuchName}", ""},
      {"a ${X1} b ${X99}", "a 255 b 0"},
      {"${LastTagSeen}", "0000000000000000"},
      // 995 ms rounds to 99 hundredths, never 100.
      {"${TagTime}", "24030506070863"},
      {"${ReaderTime}", "2403050006070863"},
  };
  for (const auto& [line, expected] : cases) EXPECT_EQ(Expand(line), expected) << line;
}

TEST_F(ScriptMacrosTest, SyntaxErrorsAreNamed) {
  EXPECT_EQ(Expand("$X1"), "error: Invalid variable reference:\r");
  EXPECT_EQ(Expand("${X${1}}"), "error: Nested variable reference:\r");
  EXPECT_EQ(Expand("${X1"), "error: Unterminated variable reference:\r");
  EXPECT_EQ(Expand("${X1[a]}"),
            "error: Macro substring syntax error - illegal character in range:\r");
  EXPECT_EQ(Expand("${X1[1-2-3]}"),
            "error: Macro substring syntax error - only one range allowed:\r");
  EXPECT_EQ(Expand("${X1[1]x}"),
            "error: Macro substring syntax error - range must immediately preceed closing "
            "brace:\r");
}

TEST_F(ScriptMacrosTest, TablesHaveTheirSizes) {
  EXPECT_EQ(interpreter.Macros().Table().size(), 188u);
  EXPECT_EQ(interpreter.Variables().Table().size(), 74u);
  EXPECT_EQ(StatementTable().size(), 91u);
  int candidates = 0;
  EXPECT_EQ(FindStatement("setC", &candidates), nullptr);
  EXPECT_EQ(candidates, 5);
  EXPECT_STREQ(FindStatement("SetExp", &candidates)->name, "SetExpect");
}

TEST(MaskMatchTest, ShortTextsNeverReadPastTheirEnd) {
  EXPECT_TRUE(MaskMatches("12ab", "12AB", "xxxx"));
  EXPECT_TRUE(MaskMatches("1f", "10", "F0"));
  EXPECT_FALSE(MaskMatches("1f", "10", "FF"));
  EXPECT_FALSE(MaskMatches("1", "10", "FF"));      // text1 too short for a hex mask
  EXPECT_FALSE(MaskMatches("10", "1", "FF"));      // text2 too short
  EXPECT_TRUE(MaskMatches("ab", "abcd", "xxxx"));  // ends where text1 ends
  EXPECT_FALSE(MaskMatches("abcd", "ab", "xxxx"));
  EXPECT_TRUE(MaskMatches("", "zz", "??"));
  EXPECT_FALSE(MaskMatches("1g", "1g", "FF"));  // not a hex digit under a hex mask
}

}  // namespace
}  // namespace corvalis
