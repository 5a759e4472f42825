#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DisplaySink.h"
#include "tags/display/DisplayFrames.h"

namespace corvalis::readersim {
namespace {

// Frames built by the console's own builders, fed in awkward pieces.
TEST(DisplaySinkTest, CutsFramesFromPiecesChecksTheXorAndReportsGarbage) {
  DisplaySettings settings;
  settings.width = 4;
  std::string board;
  BuildBoardNameFrame(settings, "NAME", board);
  std::string bad = board;
  bad[5] = 'X';  // the checksum no longer fits

  DisplaySink boards(SinkKind::kBoard);
  std::vector<std::string> lines;
  const std::string stream = "zz" + board + bad;
  for (const char c : stream) boards.Receive(&c, 1, lines);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "skipped 2 bytes");
  EXPECT_EQ(lines[1], "board address=0 id=\"A\" lifetime=0 body=\" NAME\" xor=ok");
  EXPECT_EQ(lines[2], "board address=0 id=\"A\" lifetime=0 body=\" XAME\" xor=BAD");

  std::string sign;
  BuildPolycompFrame(1, SignBytes{}, SignBytes{}, "HELLO\"\x01", sign);
  DisplaySink signs(SinkKind::kSign);
  lines.clear();
  signs.Receive(sign.data(), 7, lines);
  EXPECT_TRUE(lines.empty());
  signs.Receive(sign.data() + 7, sign.size() - 7, lines);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0],
            "sign lines=1 address=0 serst=192 page=\"001\" tempo=226 function=193 status=128 "
            "text=\"HELLO\\\"\\x01\" xor=ok");
}

}  // namespace
}  // namespace corvalis::readersim
