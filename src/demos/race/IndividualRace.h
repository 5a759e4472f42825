#pragma once

#include <array>
#include <string>

#include "demos/race/RaceSession.h"

namespace corvalis {

inline constexpr int kRaceRunners = 40;
inline constexpr int kMaxLaps = 50;

// A runner of the individual start: the start, then one counted time per
// lap (so at most kMaxLaps + 1 stored times).
struct RaceRunner {
  char hexId[17] = {};
  char name[33] = {};
  int laps = 0;
  WallTime start;
  WallTime lastSighting;
  WallTime lastCounted;
  int64_t lapMs = 0;
  int storedTimes = 0;
  std::array<WallTime, kMaxLaps + 1> times{};
};

// The grid row of a runner: name, laps, start, last time, lap time and the
// difference of the runner's total time to the target.
struct RaceRunnerRow {
  std::string name, laps, start, last, lap, targetDelta;
};

// "Race Timing Individual Start": each tag's first sighting after the race
// started is that runner's start; later sightings count laps once the
// minimum lap time has passed, up to the number of laps.
class IndividualRace final : public RaceSession {
 public:
  IndividualRace(SpecialModes& modes, const Clock& clock, RaceView& view)
      : RaceSession(SpecialMode::RaceIndividualStart, modes, clock, view) {}

  // `spnMinLapTime` 5..3600 s, `spnNumLaps` 1..50, "Use Reader Time".
  void SetMinimumLapSeconds(int seconds);
  void SetNumberOfLaps(int laps);
  void SetUseReaderTime(bool on) { useReaderTime_ = on; }
  bool UseReaderTime() const { return useReaderTime_; }

  int RunnerCount() const { return count_; }
  const RaceRunner& Runner(int index) const { return runners_[index]; }
  RaceRunnerRow Row(int index) const;

 protected:
  void ClearResults() override;
  void PlaceSighting(const TagSighting& sighting) override;
  bool WriteResults(TextFile& file, bool allLaps) const override;
  void TriggerCarriedReaderTime() override { useReaderTime_ = true; }

 private:
  int Find(const char* hexId) const;

  std::array<RaceRunner, kRaceRunners> runners_{};
  int count_ = 0;
  int64_t minimumLapMs_ = 40'000;
  int numberOfLaps_ = 1;
  bool useReaderTime_ = false;
  bool tooManyShown_ = false;
};

}  // namespace corvalis
