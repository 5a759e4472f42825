#include "demos/plugtest/PlugTest.h"

#include <algorithm>

#include "demos/plugtest/PlugTestLine.h"

namespace corvalis {

PlugTest::PlugTest(SpecialModes& modes, const Clock& clock, CommandSender& commands,
                   const ChannelWriter& channels, PlugTestView& view)
    : modes_(modes), clock_(clock), commands_(commands), channels_(channels), view_(view) {
  for (int i = 0; i < kPlugTestPanels; ++i) panels_[i].interrogator = i + 1;
}

void PlugTest::SetInterrogators(int count) {
  interrogators_ = count >= 4 ? 4 : std::max(count, 1);
}

void PlugTest::SetSingleOutput(bool on) {
  singleOutput_ = on;
}

void PlugTest::SetTagGroup(int interrogator, int group) {
  if (interrogator >= 1 && interrogator <= kPlugTestPanels) tagGroups_[interrogator - 1] = group;
}

std::string PlugTest::BuildFileName(const PlugTestPanel& panel) {
  return panel.testName + ".Interrogator" + std::to_string(panel.interrogator) + ".TagGroup" +
         std::to_string(panel.tagGroup) + ".Testrun" + std::to_string(panel.run) + ".csv";
}

void PlugTest::StartTest() {
  for (int i = 0; i < kPlugTestPanels; ++i) {
    PlugTestPanel& panel = panels_[i];
    panel.testName = testName_;
    panel.run = 1;
    panel.tagGroup = tagGroups_[i];
    panel.fileName = BuildFileName(panel);
    view_.PanelChanged(i);
  }
}

void PlugTest::OpenFile(PlugTestPanel& panel, int index) {
  if (panel.file.IsOpen()) return;
  const std::string path = folder_.empty() ? panel.fileName : folder_ + "/" + panel.fileName;
  TextFile::Mode mode = TextFile::Mode::Overwrite;
  if (FileExists(path)) {
    const FileExistsChoice choice = view_.AskFileExists(panel.fileName);
    if (choice == FileExistsChoice::Cancel) return;
    if (choice == FileExistsChoice::Append) mode = TextFile::Mode::Append;
  }
  if (!panel.file.Open(path, mode)) {
    view_.ShowMessage("Could not open file for output!");
    return;
  }
  view_.PanelChanged(index);
}

void PlugTest::OpenFiles() {
  listed_.clear();
  for (int i = 0; i < ActivePanels(); ++i) OpenFile(panels_[i], i);
}

void PlugTest::SendToInterrogators(const char* body) {
  // Interrogator n is on channel n. With "Single Output" every interrogator
  // still transmits; only the recording goes to one panel.
  for (int i = 0; i < interrogators_; ++i) {
    if (channels_.IsOpen(i)) commands_.SendCommand(i, kPlugTestReaderId, body);
  }
}

void PlugTest::Start() {
  OpenFiles();
  SendToInterrogators(kTxOnBody);
}

void PlugTest::Stop() {
  SendToInterrogators(kTxOffBody);
  for (int i = 0; i < ActivePanels(); ++i) {
    PlugTestPanel& panel = panels_[i];
    panel.file.Close();
    ++panel.run;
    panel.fileName = BuildFileName(panel);
    view_.PanelChanged(i);
  }
}

void PlugTest::Ok(int durationSeconds) {
  if (armed_) {
    secondsLeft_ = 0;  // ends at the next tick
    return;
  }
  OpenFiles();
  duration_ = std::max(durationSeconds, 1);
  secondsLeft_ = duration_;
  armed_ = true;
  firstTickPending_ = true;
  view_.ProgressChanged(0);
}

void PlugTest::Tick() {
  const int32_t second = clock_.Now().sec;
  if (second == lastTickSecond_) return;
  lastTickSecond_ = second;
  if (!armed_) return;
  if (firstTickPending_) {
    firstTickPending_ = false;
    SendToInterrogators(kTxOnBody);
    return;
  }
  if (secondsLeft_ > 0) --secondsLeft_;
  if (secondsLeft_ > 0) {
    view_.ProgressChanged((duration_ - secondsLeft_) * 100 / duration_);
    return;
  }
  view_.ProgressChanged(100);
  Stop();
  armed_ = false;
}

void PlugTest::Clear() {
  for (int i = 0; i < kPlugTestPanels; ++i) {
    panels_[i].lines.clear();
    view_.PanelChanged(i);
  }
}

void PlugTest::TagSighted(const TagSighting& sighting) {
  if (!modes_.IsOn(SpecialMode::PlugTest)) return;
  const int index = singleOutput_ ? 0 : sighting.channel;
  if (index < 0 || index >= kPlugTestPanels) return;
  if (!listed_.emplace(index, sighting.entry.hexId).second) return;
  const char* name =
      sighting.entry.nameText[0] != '\0' ? sighting.entry.nameText : sighting.entry.hexId;
  const std::string line = FormatPlugTestLine(sighting.readTime, name);
  PlugTestPanel& panel = panels_[index];
  panel.lines.push_back(line);
  if (panel.file.IsOpen()) panel.file.Write(line + "\n");
  view_.PanelChanged(index);
}

}  // namespace corvalis
