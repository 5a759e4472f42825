#pragma once

#include <array>
#include <string>

#include "demos/race/RaceSession.h"

namespace corvalis {

inline constexpr int kRacePlaces = 25;

// One finisher: the tag, its finishing time and the gap to the place before.
struct RacePlace {
  char hexId[17] = {};
  char name[33] = {};
  int64_t finishMs = 0;
  int64_t gapMs = 0;
};

// The grid row of a place: "Place", "NAME", "TIME", "Delta", "Target Delta".
struct RacePlaceRow {
  std::string place, name, time, delta, targetDelta;
};

// "Race Timing Simultaneous Start": everybody starts at the trigger; each
// tag's first sighting afterwards places it, up to 25 places.
class SimultaneousRace final : public RaceSession {
 public:
  SimultaneousRace(SpecialModes& modes, const Clock& clock, RaceView& view)
      : RaceSession(SpecialMode::RaceSimultaneousStart, modes, clock, view) {}

  int PlaceCount() const { return count_; }
  const RacePlace& Place(int index) const { return places_[index]; }
  // The texts follow the current target time.
  RacePlaceRow Row(int index) const;

 protected:
  void ClearResults() override;
  void PlaceSighting(const TagSighting& sighting) override;
  bool WriteResults(TextFile& file, bool allLaps) const override;

 private:
  bool IsPlaced(const char* hexId) const;

  std::array<RacePlace, kRacePlaces> places_{};
  int count_ = 0;
  bool tooManyShown_ = false;
};

}  // namespace corvalis
