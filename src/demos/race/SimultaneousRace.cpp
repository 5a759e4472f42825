#include "demos/race/SimultaneousRace.h"

#include <cstring>

#include "demos/FixedText.h"
#include "demos/race/RaceTimeText.h"

namespace corvalis {

bool SimultaneousRace::IsPlaced(const char* hexId) const {
  for (int i = 0; i < count_; ++i) {
    if (std::strcmp(places_[i].hexId, hexId) == 0) return true;
  }
  return false;
}

void SimultaneousRace::PlaceSighting(const TagSighting& sighting) {
  // Tags seen before the start (warming up near the line) are not runners.
  if (!Running() || IsPlaced(sighting.entry.hexId)) return;
  if (count_ == kRacePlaces) {
    if (!tooManyShown_) view().ShowTooManyRunners();
    tooManyShown_ = true;
    return;
  }
  RacePlace& place = places_[count_];
  CopyFixedText(place.hexId, sighting.entry.hexId);
  CopyFixedText(place.name, sighting.entry.nameText);
  // The receive time, not the pass's end: passes close a wait time later.
  place.finishMs = MillisBetween(StartTime(), sighting.receivedAt);
  place.gapMs = count_ == 0 ? 0 : place.finishMs - places_[count_ - 1].finishMs;
  ++count_;
  ResultAdded();
  view().ResultsChanged();
}

RacePlaceRow SimultaneousRace::Row(int index) const {
  const RacePlace& place = places_[index];
  return RacePlaceRow{std::to_string(index + 1), place.name, FormatRaceClock(place.finishMs),
                      FormatRaceGap(place.gapMs, ' '),
                      FormatRaceGap(place.finishMs - TargetMs(), '+')};
}

void SimultaneousRace::ClearResults() {
  count_ = 0;
  tooManyShown_ = false;
}

bool SimultaneousRace::WriteResults(TextFile& file, bool) const {
  bool written = file.Write("Place, NAME , TIME, Delta\n");
  for (int i = 0; i < count_; ++i) {
    const RacePlaceRow row = Row(i);
    written = file.Write(row.place + ", " + row.name + ", " + row.time + ", " + row.delta + ", " +
                         row.targetDelta + "\n") &&
              written;
  }
  return written;
}

}  // namespace corvalis
