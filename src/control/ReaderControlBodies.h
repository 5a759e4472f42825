#pragma once

#include <string>

namespace corvalis {

// Fixed bodies of the "&Reader Control" menu and the reader control panel's
// buttons. `shift` gives the read-back or extended form where a button has
// one (Shift held, or a double-click on the button's group).
enum class ReaderButton {
  kTxOn,
  kTxOff,
  kAux1,
  kAux0,
  kCrcR5180,
  kCrcKvq,
  kCrcBoth,
  kCrcOne,
  kCrcIgnore,
  kCrcQ3Q5,
  kReset,
  kSleepOn,
  kSleepOff,
  kFactoryDefaults,
  kLoadIStatus,
  kLoadQStatus,
  kReadII2c,
  kReadQI2c,
  kGetTime,
  kGetStats,
  kCommsReadBack,
  kMessageFormatReadBack,
  kControllerBaudReadBack,
  kMessageModeGet,
  kWiegandGet,
  kSetIdReadBack,
  kWriteFiltersToEeprom,
  kDisableTto,
  kSetSynth0,
  kSetSynth1,
  kSetSynth2,
  kSetSynth3,
};

std::string ButtonBody(ReaderButton button, bool shift);

}  // namespace corvalis
