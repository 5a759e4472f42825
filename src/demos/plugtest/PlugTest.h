#pragma once

#include <array>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "common/Clock.h"
#include "common/SpecialModes.h"
#include "common/TextFile.h"
#include "common/TickListener.h"
#include "protocol/MessageDispatcher.h"
#include "tags/TagTableHooks.h"

namespace corvalis {

inline constexpr int kPlugTestPanels = 4;
inline constexpr const char* kTxOnBody = "010601";
inline constexpr const char* kTxOffBody = "010600";
// The plug test talks to whichever reader answers on the panel's channel.
inline constexpr int kPlugTestReaderId = 0;

// The file-exists dialog: Cancel leaves the file closed, Yes overwrites,
// No appends.
enum class FileExistsChoice { Cancel, Overwrite, Append };

// What the "RFID Plugtest" window does for its logic.
class PlugTestView {
 public:
  virtual ~PlugTestView() = default;
  virtual FileExistsChoice AskFileExists(const std::string& fileName) = 0;
  // "Could not open file for output!"
  virtual void ShowMessage(std::string_view text) = 0;
  // Panel `index` got a line, was cleared, or its file opened or closed.
  virtual void PanelChanged(int index) = 0;
  virtual void ProgressChanged(int percent) = 0;
};

// One interrogator's panel: its run's lines, count and output file.
struct PlugTestPanel {
  int interrogator = 0;
  std::string testName = "TD_MAIL_0";
  int tagGroup = 0;
  int run = 0;
  std::string fileName = "TD_MAIL_0.Interrogator0.TagGroup0.Testrun0.csv";
  std::vector<std::string> lines;
  TextFile file;
};

// The interoperability test with one, two or four readers: each run
// switches the transmitters on, records every tag once per reader into its
// panel and CSV file, and switches them off by hand or after a set time.
class PlugTest final : public TagSightingListener, public TickListener {
 public:
  PlugTest(SpecialModes& modes, const Clock& clock, CommandSender& commands,
           const ChannelWriter& channels, PlugTestView& view);

  // Setup page.
  void SetInterrogators(int count);  // 1, 2 or 4
  void SetSingleOutput(bool on);
  void SetTestName(const std::string& name) { testName_ = name; }
  void SetTagGroup(int interrogator, int group);
  // Where the CSV files go; empty for the working folder.
  void SetFolder(const std::string& folder) { folder_ = folder; }
  int ActivePanels() const { return singleOutput_ || interrogators_ == 1 ? 1 : interrogators_; }
  void StartTest();

  // Display page.
  void Start();
  void Stop();
  void Ok(int durationSeconds);
  // The context's tick; acts once per new second of the clock.
  void Tick() override;
  void Clear();
  bool Armed() const { return armed_; }
  int SecondsLeft() const { return secondsLeft_; }

  const PlugTestPanel& Panel(int index) const { return panels_[index]; }

  // Each sighting while the plug-test mode is on; a tag is listed once per
  // panel and run.
  void TagSighted(const TagSighting& sighting) override;

 private:
  void OpenFiles();
  void OpenFile(PlugTestPanel& panel, int index);
  void SendToInterrogators(const char* body);
  static std::string BuildFileName(const PlugTestPanel& panel);

  SpecialModes& modes_;
  const Clock& clock_;
  CommandSender& commands_;
  const ChannelWriter& channels_;
  PlugTestView& view_;
  std::array<PlugTestPanel, kPlugTestPanels> panels_;
  std::array<int, kPlugTestPanels> tagGroups_{};
  std::string testName_;
  std::string folder_;
  int interrogators_ = 1;
  bool singleOutput_ = false;
  // Who has been listed in this run: (panel, tag ID), emptied at each start.
  std::set<std::pair<int, std::string>> listed_;
  bool armed_ = false;
  bool firstTickPending_ = false;
  int duration_ = 0;
  int secondsLeft_ = 0;
  int32_t lastTickSecond_ = -1;
};

}  // namespace corvalis
