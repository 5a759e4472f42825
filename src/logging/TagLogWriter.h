#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "common/Clock.h"
#include "common/StatusReporter.h"
#include "logging/LogFile.h"
#include "logging/LogSettings.h"
#include "logging/PassOutputs.h"
#include "tags/SeenLabel.h"
#include "tags/TagNames.h"
#include "tags/TagRecord.h"
#include "tags/TagTableHooks.h"

namespace corvalis {

inline constexpr std::string_view kNotLoggingText =
    "This program does not log tag data to a database!";
inline constexpr std::string_view kManualWarningText = "Only Manual recording on command";

// What CompletePass did about the log line of a pass.
enum class PassLogResult {
  kWritten,
  kAlreadyLogged,
  kNotLogging,
  kManualOnly,       // ShowLogging: passes are recorded by hand only
  kBelowNoiseLimit,  // count not above NoiseLimit; may be logged later
  kUnnamed,          // OnlyLogNamedTags and the tag has no name
  kNoColumns,        // marked logged, nothing to write
  kWriteFailed,      // marked logged, the failure reported
};

// The Record controls of the Tags Seen tab.
struct RecordControls {
  std::string testName = "test";
  int testNumber = 0;  // 0..999
  int layout = 1;      // 1..4
  bool clear = true;
};

struct RecordResult {
  std::string recordName;
  bool written = false;      // logging was on and the snapshot reached the file
  bool writeFailed = false;  // logging was on and the file refused it
  bool clearTable = false;   // the caller clears the seen table, under its lock
};

struct LogOpenResult {
  bool ok = false;
  std::string message;  // "Unable to open ... for appending"
  std::string title;    // "Open Failure"
};

// Turns closed tag passes into lines of the tag log, writes Record snapshots
// of the seen table, and hands each pass to the special outputs.
class TagLogWriter final : public PassCompleter {
 public:
  TagLogWriter(TagNames& names, const Clock& clock, StatusReporter& status);

  void SetSettings(const LogSettings& settings);
  const LogSettings& Settings() const { return settings_; }

  void SetExternalDisplay(ExternalDisplayOutput* display) { display_ = display; }
  // The publisher of passes to a broker; null for none.
  void SetPassObserver(PassObserver* observer) { observer_ = observer; }
  // Up to four demonstrations; false when all places are taken.
  bool AddDemonstration(DemonstrationOutput* demo);
  void RemoveDemonstration(DemonstrationOutput* demo);
  // The stepping run's current step, for the stepping-number column.
  void SetStepNumber(int step) { stepNumber_ = step; }

  // Called once a pass closes (and, with a negative wait time, at its reads
  // until it is logged). Writes at most one line per pass.
  PassLogResult FinishPass(TagRecord& pass);
  void CompletePass(TagRecord& pass) override { FinishPass(pass); }

  // Logging on with `path`, opened for appending. Keeps the file name and
  // the on switch in the settings whether or not it opens.
  LogOpenResult StartLogging(const std::string& path);
  void StopLogging();
  // At start-up: opens the settings' file when "WriteFiltered" says so.
  LogOpenResult OpenAtStartup();
  bool IsLogging() const { return file_.IsOpen(); }
  // The headless replay gathers its lines and writes them in big pieces
  // (see LogFile); FlushLog sends what has gathered. False when lines were
  // lost, with the reason in LastWriteError().
  void SetBatchedWrites(bool on) { file_.SetBatched(on); }
  bool FlushLog();
  const std::string& LastWriteError() const { return file_.ErrorText(); }
  // The Tags Seen tab's status label and its warning label. While writes
  // fail the label says so and counts the lines lost.
  std::string StatusLabelText() const;
  // The last write failed; the next one that works ends it.
  bool WriteFailing() const { return failing_; }
  bool ManualWarningVisible() const { return settings_.showLogging && IsLogging(); }

  RecordControls& Record() { return record_; }
  // The Record button: a snapshot of `seen` in the chosen layout. The
  // caller holds the tag-table lock across this call and the clear.
  RecordResult RecordTagsSeen(std::span<const TagRecord> seen, SeenLabel label);

  // Lines lost to write failures since logging was switched on.
  int LostLines() const { return lostLines_; }

 private:
  bool BuildLogLine(const TagRecord& pass, std::string_view name);
  bool WriteToLog(std::string_view text);
  bool NoteWrite(bool ok);

  TagNames& names_;
  const Clock& clock_;
  StatusReporter& status_;
  LogSettings settings_;
  std::string separator_;
  std::string tamperText_;
  std::string noTamperText_;
  int pageColumns_ = 1;

  ExternalDisplayOutput* display_ = nullptr;
  PassObserver* observer_ = nullptr;
  std::array<DemonstrationOutput*, 4> demos_{};
  int stepNumber_ = 0;

  LogFile file_;
  std::string line_;
  RecordControls record_;
  bool failing_ = false;
  int lostLines_ = 0;
};

}  // namespace corvalis
