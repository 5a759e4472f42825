#include "demos/race/IndividualRace.h"

#include <algorithm>
#include <cstring>

#include "demos/FixedText.h"
#include "demos/race/RaceTimeText.h"

namespace corvalis {

void IndividualRace::SetMinimumLapSeconds(int seconds) {
  minimumLapMs_ = int64_t{std::clamp(seconds, 5, 3600)} * 1000;
}

void IndividualRace::SetNumberOfLaps(int laps) {
  numberOfLaps_ = std::clamp(laps, 1, kMaxLaps);
}

int IndividualRace::Find(const char* hexId) const {
  for (int i = 0; i < count_; ++i) {
    if (std::strcmp(runners_[i].hexId, hexId) == 0) return i;
  }
  return -1;
}

void IndividualRace::PlaceSighting(const TagSighting& sighting) {
  if (!Running()) return;
  const WallTime seen = useReaderTime_ ? sighting.readTime : sighting.receivedAt;
  // By ID: two wristbands may carry the same name.
  const int found = Find(sighting.entry.hexId);
  if (found < 0) {
    if (count_ == kRaceRunners) {
      if (!tooManyShown_) view().ShowTooManyRunners();
      tooManyShown_ = true;
      return;
    }
    RaceRunner& runner = runners_[count_++];
    runner = RaceRunner{};
    CopyFixedText(runner.hexId, sighting.entry.hexId);
    CopyFixedText(runner.name, sighting.entry.nameText);
    runner.start = runner.lastSighting = runner.lastCounted = seen;
    runner.times[0] = seen;
    runner.storedTimes = 1;
    ResultAdded();
    view().ResultsChanged();
    return;
  }
  RaceRunner& runner = runners_[found];
  runner.lastSighting = seen;
  const int64_t sinceCounted = MillisBetween(runner.lastCounted, seen);
  if (sinceCounted < minimumLapMs_ || runner.laps >= numberOfLaps_) {
    view().ResultsChanged();  // the row shows the last sighting
    return;
  }
  ++runner.laps;
  runner.lapMs = sinceCounted;
  runner.lastCounted = seen;
  if (runner.storedTimes < static_cast<int>(runner.times.size())) {
    runner.times[runner.storedTimes++] = seen;
  }
  ResultAdded();
  view().ResultsChanged();
}

RaceRunnerRow IndividualRace::Row(int index) const {
  const RaceRunner& runner = runners_[index];
  const int64_t total = MillisBetween(runner.start, runner.lastCounted);
  return RaceRunnerRow{runner.name,
                       std::to_string(runner.laps),
                       FormatRaceClock(MillisBetween(StartTime(), runner.start)),
                       FormatRaceClock(MillisBetween(StartTime(), runner.lastSighting)),
                       FormatRaceClock(runner.lapMs),
                       runner.laps == 0 ? std::string() : FormatRaceGap(total - TargetMs(), '+')};
}

void IndividualRace::ClearResults() {
  count_ = 0;
  tooManyShown_ = false;
}

bool IndividualRace::WriteResults(TextFile& file, bool allLaps) const {
  bool written = file.Write("NAME, Laps, Start, Last, Lap, Target Delta\n");
  for (int i = 0; i < count_; ++i) {
    const RaceRunnerRow row = Row(i);
    std::string line = row.name + ", " + row.laps + ", " + row.start + ", " + row.last + ", " +
                       row.lap + ", " + row.targetDelta;
    if (allLaps) {
      // Every counted time after the start, as the lap it closed.
      const RaceRunner& runner = runners_[i];
      for (int lap = 1; lap < runner.storedTimes; ++lap) {
        line += ", " + FormatRaceClock(MillisBetween(runner.times[lap - 1], runner.times[lap]));
      }
    }
    written = file.Write(line + "\n") && written;
  }
  return written;
}

}  // namespace corvalis
