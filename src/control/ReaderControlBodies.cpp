#include "control/ReaderControlBodies.h"

namespace corvalis {

std::string ButtonBody(ReaderButton button, bool shift) {
  switch (button) {
    case ReaderButton::kTxOn:
      return "010601";
    case ReaderButton::kTxOff:
      return "010600";
    case ReaderButton::kAux1:
      return "010701";
    case ReaderButton::kAux0:
      return "010700";
    case ReaderButton::kCrcR5180:
      return "02080000";
    case ReaderButton::kCrcKvq:
      return "0208ffff";
    case ReaderButton::kCrcBoth:
      return "010d02";
    case ReaderButton::kCrcOne:
      return "010d00";
    case ReaderButton::kCrcIgnore:
      return "010d21";
    case ReaderButton::kCrcQ3Q5:
      return "010d82";
    case ReaderButton::kReset:
      return "010c01";
    case ReaderButton::kSleepOn:
      return "011f01";
    case ReaderButton::kSleepOff:
      return "011f00";
    case ReaderButton::kFactoryDefaults:
      return shift ? "011803" : "011801";
    case ReaderButton::kLoadIStatus:
      return "048102000100";
    case ReaderButton::kLoadQStatus:
      return "048103000100";
    case ReaderButton::kReadII2c:
      return "038102010a";
    case ReaderButton::kReadQI2c:
      return "038103010a";
    case ReaderButton::kGetTime:
      return shift ? "0044" : "0002";
    case ReaderButton::kGetStats:
      return "000a";
    case ReaderButton::kCommsReadBack:
      return "ff03";
    case ReaderButton::kMessageFormatReadBack:
      return "ff11";
    case ReaderButton::kControllerBaudReadBack:
      return "ff12";
    case ReaderButton::kMessageModeGet:
      return "ff09";
    case ReaderButton::kWiegandGet:
      return "ff0f";
    case ReaderButton::kSetIdReadBack:
      return "ff04";
    case ReaderButton::kWriteFiltersToEeprom:
      return "0034";
    case ReaderButton::kDisableTto:
      return "012a00";
    case ReaderButton::kSetSynth0:
      return "010500";
    case ReaderButton::kSetSynth1:
      return "010501";
    case ReaderButton::kSetSynth2:
      return "010502";
    case ReaderButton::kSetSynth3:
      return "010503";
  }
  return {};
}

}  // namespace corvalis
