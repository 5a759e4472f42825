#include "common/SpecialModes.h"

namespace corvalis {

void SpecialModes::Register(SpecialMode mode, SpecialModeListener* listener) {
  listeners_[Index(mode)] = listener;
}

void SpecialModes::Unregister(SpecialMode mode, const SpecialModeListener* listener) {
  if (listeners_[Index(mode)] == listener) listeners_[Index(mode)] = nullptr;
}

void SpecialModes::SwitchOn(SpecialMode mode) {
  if (IsOn(mode)) return;
  if (active_ >= 0) SwitchOff(static_cast<SpecialMode>(active_));
  active_ = Index(mode);
}

void SpecialModes::SwitchOff(SpecialMode mode) {
  if (!IsOn(mode)) return;
  active_ = -1;
  // Cleared first, so a listener that switches another mode on is not undone.
  if (SpecialModeListener* listener = listeners_[Index(mode)])
    listener->SpecialModeSwitchedOff(mode);
}

}  // namespace corvalis
