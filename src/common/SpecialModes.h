#pragma once

#include <array>

namespace corvalis {

// The receive modes that watch the message stream for one window each. They
// exclude each other: at most one is on at a time.
enum class SpecialMode {
  Tolling,
  RaceSimultaneousStart,
  RaceIndividualStart,
  LoggingControl,
  SportLogging,
  MsTimingRanking,
  MsTimingRaw,
  PlugTest,
};
inline constexpr int kSpecialModeCount = 8;

// Told when its mode is switched off, by its own window or because another
// mode took over (the window then stops its timers and shows itself idle).
class SpecialModeListener {
 public:
  virtual ~SpecialModeListener() = default;
  virtual void SpecialModeSwitchedOff(SpecialMode mode) = 0;
};

// Owns which special receive mode is on. The observers register here and ask
// IsOn before they look at a message or a sighting.
class SpecialModes {
 public:
  // One listener per mode; a later registration replaces the earlier one.
  void Register(SpecialMode mode, SpecialModeListener* listener);
  void Unregister(SpecialMode mode, const SpecialModeListener* listener);

  // Switches `mode` on and every other mode off, telling their listeners.
  void SwitchOn(SpecialMode mode);
  void SwitchOff(SpecialMode mode);

  bool IsOn(SpecialMode mode) const { return active_ == static_cast<int>(mode); }
  bool AnyOn() const { return active_ >= 0; }

 private:
  static int Index(SpecialMode mode) { return static_cast<int>(mode); }

  int active_ = -1;
  std::array<SpecialModeListener*, kSpecialModeCount> listeners_{};
};

}  // namespace corvalis
