#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "demos/DemoTestSupport.h"
#include "demos/plugtest/PlugTest.h"
#include "demos/plugtest/PlugTestLine.h"
#include "tags/TagTable.h"
#include "tags/TagTableTestSupport.h"

namespace corvalis {
namespace {

using testing::MakeRead;
using testing::RecordingCommands;
using testing::RecordingPlugTestView;

// Runs `body` with TZ set to `zone`, restoring UTC afterwards.
template <class Body>
void InZone(const char* zone, Body body) {
  setenv("TZ", zone, 1);
  tzset();
  body();
  setenv("TZ", "UTC", 1);
  tzset();
}

TEST(PlugTestLineTest, HundredthsAndNumericUtcOffset) {
  const WallTime seen{1'700'000'000, 70};  // 2023-11-14 22:13:20.070 UTC
  EXPECT_EQ(FormatPlugTestLine(seen, "Tag 1"),
            "2023-11-14T221320.07+0000,Tag 1,none,none,none,none,none,none");
  InZone("America/St_Johns", [&] {
    EXPECT_EQ(FormatPlugTestLine(seen, "x").substr(0, 26), "2023-11-14T184320.07-0330,");
  });
  InZone("Asia/Kolkata", [&] {
    EXPECT_EQ(FormatPlugTestLine(seen, "x").substr(0, 26), "2023-11-15T034320.07+0530,");
  });
  EXPECT_EQ(FormatPlugTestLine(WallTime{0, 1'500}, "x"),
            "1970-01-01T000000.00+00,x,none,none,none,none,none,none");
}

struct PlugRig {
  ManualClock clock{WallTime{1'700'000'000, 0}};
  SpecialModes modes;
  RecordingCommands commands;
  RecordingPlugTestView view;
  TagTable table{clock};
  PlugTest plug{modes, clock, commands, commands, view};
  QTemporaryDir dir;

  PlugRig() {
    table.hooks().sightingListeners[1] = &plug;
    modes.SwitchOn(SpecialMode::PlugTest);
    plug.SetFolder(dir.path().toStdString());
  }
  void See(uint64_t id, int channel) { table.RecordTagRead(MakeRead(id, clock.Now(), 1, channel)); }
  std::vector<std::string> FileLines(const std::string& name) const {
    std::ifstream file(dir.filePath(QString::fromStdString(name)).toStdString());
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
  }
};

TEST(PlugTestTest, TwoInterrogatorsRunTwiceListingEveryTagEachRun) {
  PlugRig rig;
  rig.plug.SetInterrogators(2);
  rig.plug.SetTestName("T1");
  rig.plug.SetTagGroup(1, 3);
  rig.plug.SetTagGroup(2, 4);
  rig.plug.StartTest();
  EXPECT_EQ(rig.plug.Panel(0).fileName, "T1.Interrogator1.TagGroup3.Testrun1.csv");
  EXPECT_EQ(rig.plug.Panel(1).fileName, "T1.Interrogator2.TagGroup4.Testrun1.csv");

  rig.commands.open[1] = false;
  rig.plug.Start();
  EXPECT_EQ(rig.commands.sent, (std::vector<std::string>{"0:0:010601"}));
  rig.See(1, 0);
  rig.See(1, 0);  // again: listed once
  rig.See(1, 1);  // the second reader's sighting has its own line
  rig.See(2, 1);
  rig.plug.Stop();
  EXPECT_EQ(rig.commands.sent.back(), "0:0:010600");
  EXPECT_EQ(rig.FileLines("T1.Interrogator1.TagGroup3.Testrun1.csv").size(), 1u);
  EXPECT_EQ(rig.FileLines("T1.Interrogator2.TagGroup4.Testrun1.csv").size(), 2u);
  EXPECT_EQ(rig.plug.Panel(0).fileName, "T1.Interrogator1.TagGroup3.Testrun2.csv");

  // Run 2: the tags are still in the seen table and must be listed again.
  rig.plug.Start();
  rig.See(1, 0);
  rig.See(2, 1);
  rig.See(1, 1);
  rig.plug.Stop();
  EXPECT_EQ(rig.FileLines("T1.Interrogator1.TagGroup3.Testrun2.csv").size(), 1u);
  const auto second = rig.FileLines("T1.Interrogator2.TagGroup4.Testrun2.csv");
  ASSERT_EQ(second.size(), 2u);
  EXPECT_EQ(second[0], "2023-11-14T221320.00+0000,NR-test,none,none,none,none,none,none");
}

TEST(PlugTestTest, SingleOutputPutsEveryTagInPanelOne) {
  PlugRig rig;
  rig.plug.SetInterrogators(4);
  rig.plug.SetSingleOutput(true);
  EXPECT_EQ(rig.plug.ActivePanels(), 1);
  // Every reader transmits, only the recording goes to one panel.
  rig.plug.Start();
  EXPECT_EQ(rig.commands.sent,
            (std::vector<std::string>{"0:0:010601", "1:0:010601", "2:0:010601", "3:0:010601"}));
  rig.See(1, 0);
  rig.See(2, 3);
  rig.See(3, 2);
  EXPECT_EQ(rig.plug.Panel(0).lines.size(), 3u);
  EXPECT_TRUE(rig.plug.Panel(3).lines.empty());

  rig.modes.SwitchOn(SpecialMode::MsTimingRaw);  // another mode: nothing listed
  rig.See(4, 0);
  EXPECT_EQ(rig.plug.Panel(0).lines.size(), 3u);
  rig.plug.Clear();
  EXPECT_TRUE(rig.plug.Panel(0).lines.empty());
}

TEST(PlugTestTest, ExistingFileCancelOverwriteOrAppend) {
  PlugRig rig;
  rig.plug.SetTestName("F");
  rig.plug.StartTest();
  const std::string name = rig.plug.Panel(0).fileName;
  {
    std::ofstream old(rig.dir.filePath(QString::fromStdString(name)).toStdString());
    old << "old\n";
  }
  rig.view.choice = FileExistsChoice::Cancel;
  rig.plug.Start();
  EXPECT_FALSE(rig.plug.Panel(0).file.IsOpen());
  EXPECT_EQ(rig.view.asked, std::vector<std::string>{name});
  rig.plug.Stop();

  rig.plug.StartTest();  // back to run 1, same file
  rig.view.choice = FileExistsChoice::Append;
  rig.plug.Start();
  rig.See(1, 0);
  rig.plug.Stop();
  EXPECT_EQ(rig.FileLines(name).size(), 2u);
  EXPECT_EQ(rig.FileLines(name)[0], "old");

  rig.plug.StartTest();
  rig.view.choice = FileExistsChoice::Overwrite;
  rig.plug.Start();
  rig.plug.Stop();
  EXPECT_TRUE(rig.FileLines(name).empty());

  rig.plug.SetFolder(rig.dir.filePath("missing").toStdString());
  rig.plug.Start();
  EXPECT_EQ(rig.view.messages, std::vector<std::string>{"Could not open file for output!"});
}

TEST(PlugTestTest, TimedRunEndsByItself) {
  PlugRig rig;
  rig.plug.StartTest();
  rig.plug.Ok(10);
  EXPECT_TRUE(rig.plug.Armed());
  rig.plug.Tick();
  rig.plug.Tick();  // same second: nothing
  EXPECT_EQ(rig.commands.sent, (std::vector<std::string>{"0:0:010601"}));
  for (int second = 1; second <= 10; ++second) {
    rig.clock.AdvanceMs(1'000);
    rig.plug.Tick();
  }
  EXPECT_FALSE(rig.plug.Armed());
  EXPECT_EQ(rig.view.progress.back(), 100);
  EXPECT_EQ(rig.commands.sent.back(), "0:0:010600");
  EXPECT_EQ(rig.plug.Panel(0).run, 2);

  rig.plug.Ok(10);
  rig.plug.Ok(10);  // armed: ends at the next tick
  rig.clock.AdvanceMs(1'000);
  rig.plug.Tick();  // the pending first tick
  rig.clock.AdvanceMs(1'000);
  rig.plug.Tick();
  EXPECT_FALSE(rig.plug.Armed());
}

}  // namespace
}  // namespace corvalis
