#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TagTableTestSupport.h"
#include "common/ChannelIndex.h"
#include "tags/TagTable.h"
#include "tags/display/DisplayFrames.h"
#include "tags/display/DisplayLines.h"
#include "tags/display/ExternalDisplay.h"

namespace corvalis {
namespace {

// Channel 5 as the display sees it: open or not, and every frame written.
class OutputChannel final : public ChannelWriter {
 public:
  bool IsOpen(int channel) const override { return channel == kOutputChannel && open; }
  void WriteToChannel(int channel, const char* bytes, int count) override {
    ASSERT_EQ(channel, kOutputChannel);
    frames.emplace_back(bytes, static_cast<size_t>(count));
  }
  bool open = true;
  std::vector<std::string> frames;
};

class RowsWindow final : public DisplayWindowView {
 public:
  void ApplyLayout(const DisplaySettings&, bool isShown) override { shown = isShown; }
  void ShowRows(const std::vector<std::string>& shownRows) override { rows = shownRows; }
  bool shown = false;
  std::vector<std::string> rows;
};

std::string BoardFrame(const std::string& body) {
  std::string frame = "\x02 A0" + body + "\x03";
  unsigned char sum = 0;
  for (const char c : frame) sum ^= static_cast<unsigned char>(c);
  char hex[3];
  std::snprintf(hex, sizeof hex, "%02X", sum);
  return frame + hex;
}

class ExternalDisplayTest : public ::testing::Test {
 protected:
  ExternalDisplayTest() : table_(clock_), display_(clock_, channel_, table_) {
    settings_.outputOn = true;
    display_.SetWindow(&window_);
  }

  void Use(DisplayType type) {
    settings_.type = type;
    display_.SetSettings(settings_);
    channel_.frames.clear();
  }
  // The text of the last Polycomp frame (between the 11 header bytes and
  // the 0x04 and XOR that close it).
  std::string SignText() const {
    const std::string& frame = channel_.frames.back();
    return frame.substr(11, frame.size() - 13);
  }

  ManualClock clock_;
  TagTable table_;
  OutputChannel channel_;
  RowsWindow window_;
  DisplaySettings settings_;
  ExternalDisplay display_;
};

TEST_F(ExternalDisplayTest, MessageBoardFramesCarryAddressLetterLifetimeAndXor) {
  settings_.idleMessage = "CLOSED";
  Use(DisplayType::kMessageBoard);
  display_.ShowOnDisplay(kDisplayIdleMessage);
  ASSERT_EQ(channel_.frames.size(), 1u);
  EXPECT_EQ(channel_.frames[0], BoardFrame(" CLOSED"));
  settings_.prefix = "<";
  settings_.suffix = ">";
  settings_.address = 3;
  settings_.messageId = 'C';
  settings_.lifetime = 12;
  Use(DisplayType::kMessageBoard);
  display_.ShowOnDisplay("NAME");

  ASSERT_EQ(channel_.frames.size(), 1u);
  EXPECT_EQ(channel_.frames[0], std::string("\x02#C12 <NAME>\x03") + "47");
}

TEST_F(ExternalDisplayTest, MessageBoardWidthCutsAndPads) {
  settings_.width = 8;
  Use(DisplayType::kMessageBoard);
  display_.ShowOnDisplay("ABCDEFGHIJ");
  display_.ShowOnDisplay("AB");
  display_.ShowOnDisplay(kClearDisplay);
  ASSERT_EQ(channel_.frames.size(), 3u);
  EXPECT_EQ(channel_.frames[0], BoardFrame(" ABCDEFGH"));
  EXPECT_EQ(channel_.frames[1], BoardFrame(" AB      "));
  EXPECT_EQ(channel_.frames[2], BoardFrame("  "));
}

TEST_F(ExternalDisplayTest, FiveLineSignScrollsUpWithTheNewestLast) {
  settings_.normal = {7, 0xC0, 12, 0xE2, 0xC1, 0x80};
  Use(DisplayType::kPolycomp16x5);
  for (const char* name : {"ONE", "TWO", "THREE", "A NAME LONGER THAN SIXTEEN"}) {
    display_.ShowOnDisplay(name);
  }
  ASSERT_EQ(channel_.frames.size(), 4u);
  const std::string& frame = channel_.frames.back();
  EXPECT_EQ(frame.substr(0, 11), std::string("\x00\x05\x07\x03\xC0"
                                             "012\xE2\xC1\x80",
                                             11));
  const std::string blank(16, ' ');
  EXPECT_EQ(SignText(), blank + "ONE             TWO             THREE           A NAME LONGER TH");
  EXPECT_EQ(frame[frame.size() - 2], '\x04');
  unsigned char sum = 0;
  for (size_t i = 0; i + 1 < frame.size(); ++i) sum ^= static_cast<unsigned char>(frame[i]);
  EXPECT_EQ(static_cast<unsigned char>(frame.back()), sum);
}

TEST_F(ExternalDisplayTest, OneLineSignShowsTheLatestNameAndIdleUsesTheIdleBytes) {
  settings_.idleMessage = "WELCOME";
  Use(DisplayType::kPolycomp16x1);
  display_.ShowOnDisplay("FIRST");
  display_.ShowOnDisplay("SECOND");
  EXPECT_EQ(channel_.frames.back()[1], '\x01');
  EXPECT_EQ(SignText(), "SECOND          ");

  display_.ShowOnDisplay(kDisplayIdleMessage);
  const std::string& idle = channel_.frames.back();
  // Normal address and tempo; idle SERST, page, function and page status.
  EXPECT_EQ(idle.substr(0, 11), std::string("\x00\x01\x00\x03\xC0"
                                            "001\xE2\xCF\x90",
                                            11));
  EXPECT_EQ(SignText(), "WELCOME");
  EXPECT_EQ(display_.Lines(), std::vector<std::string>{""});

  settings_.idleMessage.clear();
  Use(DisplayType::kPolycomp16x1);
  display_.ShowOnDisplay(kDisplayIdleMessage);
  EXPECT_EQ(SignText(), std::string(16, ' '));  // an empty idle message clears
}

TEST_F(ExternalDisplayTest, ProgramsPutTheNameInLiterally) {
  settings_.poly16x5Lines = {"%n%s", "%s and %s", "LINE_1", "100%", "TAG_NAME"};
  Use(DisplayType::kPolycomp16x5);
  display_.ShowOnDisplay("X");
  display_.ShowOnDisplay("Y");
  EXPECT_EQ(display_.Lines(), (std::vector<std::string>{"%nY", "Y and %s", "%nX", "100%", "Y"}));
  EXPECT_EQ(RelativeRowOffset("+2"), 2);
  EXPECT_EQ(RelativeRowOffset("-1 row"), -1);
  EXPECT_EQ(RelativeRowOffset("+x"), 0);
}

TEST_F(ExternalDisplayTest, IdleMessageFollowsOnceAfterTheLastNameOnTheTick) {
  settings_.idleMessage = "IDLE";
  settings_.idleLifetimeSec = 30;
  Use(DisplayType::kMessageBoard);
  display_.ShowOnDisplay("A");
  clock_.AdvanceMs(20'000);
  display_.Tick();
  display_.ShowOnDisplay("B");  // moves the deadline to 50 s
  clock_.AdvanceMs(29'900);
  display_.Tick();
  EXPECT_EQ(channel_.frames.size(), 2u);
  clock_.AdvanceMs(100);
  for (int tick = 0; tick < 600; ++tick) {
    display_.Tick();
    clock_.AdvanceMs(100);
  }
  ASSERT_EQ(channel_.frames.size(), 3u);
  EXPECT_EQ(channel_.frames[2], BoardFrame(" IDLE"));
  EXPECT_FALSE(display_.IdleDeadline().has_value());
}

TEST_F(ExternalDisplayTest, NothingGoesOutWhileChannelFiveIsClosedOrTheOutputIsOff) {
  settings_.idleLifetimeSec = 5;
  channel_.open = false;
  Use(DisplayType::kPolycomp16x5);
  EXPECT_TRUE(display_.ShowOnDisplay("A"));
  EXPECT_FALSE(display_.IdleDeadline().has_value());
  channel_.open = true;
  settings_.outputOn = false;  // channel 5 may be the composite output
  Use(DisplayType::kPolycomp16x5);
  display_.ShowOnDisplay("A");
  display_.ShowOnDisplay("");
  EXPECT_TRUE(channel_.frames.empty());
}

TEST_F(ExternalDisplayTest, ClearingTheSeenTableClearsTheDisplay) {
  table_.hooks().displayClear = &display_;
  Use(DisplayType::kMessageBoard);
  table_.RecordTagRead(testing::MakeRead(1, clock_.Now()));
  table_.ClearSeenTable();
  ASSERT_EQ(channel_.frames.size(), 1u);
  EXPECT_EQ(channel_.frames[0], BoardFrame("  "));
}

TEST_F(ExternalDisplayTest, WindowRowsFollowTheirPrograms) {
  settings_.windowRows = 4;
  settings_.windowCols = 10;
  settings_.windowPrograms = {"SCROLL UP", "+2", "TAG_NAME", "NUM TAGS"};
  Use(DisplayType::kWindow);
  EXPECT_TRUE(window_.shown);
  channel_.open = false;  // the window draws whatever channel 5 does
  table_.RecordTagRead(testing::MakeRead(1, clock_.Now()));
  display_.ShowOnDisplay("FIRST");
  display_.ShowOnDisplay("SECOND NAME IS LONG");
  EXPECT_EQ(window_.rows,
            (std::vector<std::string>{"          ", "1         ", "SECOND NAM", "1         "}));
  display_.ShowOnDisplay("THIRD");
  EXPECT_EQ(window_.rows[0], "1         ");  // row 1 scrolled up

  settings_.idleMessage = "OPEN";
  Use(DisplayType::kWindow);
  display_.ShowOnDisplay(kDisplayIdleMessage);
  EXPECT_EQ(window_.rows,
            (std::vector<std::string>{"          ", "          ", "   OPEN   ", "          "}));
  EXPECT_TRUE(channel_.frames.empty());

  settings_.outputOn = false;
  Use(DisplayType::kWindow);
  EXPECT_FALSE(window_.shown);
}

TEST(DisplaySettingsTest, TypesLettersAndBytesAreReadSafely) {
  EXPECT_EQ(DisplayTypeFromText("polycomp16X5"), DisplayType::kPolycomp16x5);
  EXPECT_EQ(DisplayTypeFromText("Sign"), DisplayType::kNone);
  EXPECT_EQ(MessageIdFromText("Q"), 'Q');
  EXPECT_EQ(MessageIdFromText("q"), 'A');
  EXPECT_EQ(MessageIdFromText("AB"), 'A');
  EXPECT_EQ(ParseDisplayByte(" 0xC0 "), 0xC0);
  EXPECT_EQ(ParseDisplayByte("192"), 192);
  EXPECT_EQ(ParseDisplayByte("256"), std::nullopt);
  EXPECT_EQ(ParseDisplayByte("0x"), std::nullopt);
  EXPECT_EQ(ParseDisplayByte("-1"), std::nullopt);
  EXPECT_EQ(ParseDisplayByte("0x1FF"), std::nullopt);
}

}  // namespace
}  // namespace corvalis
