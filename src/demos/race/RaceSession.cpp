#include "demos/race/RaceSession.h"

#include <ctime>

#include "demos/race/RaceTimeText.h"
#include "demos/race/RaceTrigger.h"

namespace corvalis {

std::string FormatLocalDateTime(WallTime time) {
  const std::time_t seconds = time.sec;
  std::tm local{};
  if (localtime_r(&seconds, &local) == nullptr) return "1970-01-01 00:00:00";
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

bool RaceSession::Start(const WallTime* readerTime) {
  if (running_ && !view_.ConfirmRestart()) return false;
  view_.ClearTagsSeen();
  ClearResults();
  unrecorded_ = 0;
  start_ = readerTime != nullptr ? *readerTime : clock_.Now();
  stoppedElapsedMs_ = 0;
  running_ = true;
  view_.ResultsChanged();
  return true;
}

void RaceSession::Stop() {
  if (!running_) return;
  stoppedElapsedMs_ = ElapsedMs();
  running_ = false;
}

void RaceSession::SetTarget(int hours, int minutes, int seconds) {
  targetMs_ = ((int64_t{hours} * 60 + minutes) * 60 + seconds) * 1000;
  view_.ResultsChanged();
}

int64_t RaceSession::ElapsedMs() const {
  return running_ ? MillisBetween(start_, clock_.Now()) : stoppedElapsedMs_;
}

std::string RaceSession::ElapsedText() const {
  return FormatRaceClock(ElapsedMs());
}

std::string RaceSession::TargetPanelText() const {
  return FormatTargetPanel(ElapsedMs() - targetMs_);
}

std::string RaceSession::ClearQuestion() const {
  return std::to_string(unrecorded_) + " record(s) not recorded - discard them?";
}

void RaceSession::Clear(bool stopClock) {
  ClearResults();
  unrecorded_ = 0;
  if (stopClock) {
    running_ = false;
    stoppedElapsedMs_ = 0;
  }
  view_.ResultsChanged();
}

bool RaceSession::Record(const std::string& folder, bool allLaps, std::string& error) {
  TextFile file;
  const std::string path = folder.empty() ? kRaceFileName : folder + "/" + kRaceFileName;
  if (!file.Open(path, TextFile::Mode::Overwrite)) {
    error = "Unable to open file for writing";
    return false;
  }
  bool written = file.Write("Race started " + FormatLocalDateTime(start_) + "\n") &&
                 file.Write("Printed " + FormatLocalDateTime(clock_.Now()) + "\n");
  written = WriteResults(file, allLaps) && written;
  unrecorded_ = 0;
  return written;
}

void RaceSession::ObserveMessage(int, const char* text, int length) {
  if (!modes_.IsOn(mode_)) return;
  const RaceTrigger trigger = ParseRaceTrigger(text, length);
  if (trigger.result == TriggerParse::LrcError) {
    view_.ShowResult("LRC error");
  } else if (trigger.result == TriggerParse::Trigger) {
    if (trigger.readerTime && mode_ == SpecialMode::RaceIndividualStart) {
      if (Start(&*trigger.readerTime)) {
        TriggerCarriedReaderTime();
        view_.UseReaderTimeChosen();
      }
    } else {
      Start();
    }
  }
}

void RaceSession::TagSighted(const TagSighting& sighting) {
  if (modes_.IsOn(mode_)) PlaceSighting(sighting);
}

}  // namespace corvalis
