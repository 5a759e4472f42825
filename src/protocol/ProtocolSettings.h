#pragma once

#include <cstdint>

#include "protocol/Checksums.h"

namespace corvalis {

// The settings the receive spine reads on every message. The settings store
// fills them at start; the configuration dialog changes them live.
struct ProtocolSettings {
  bool sumAllPorts = false;             // record every read as channel 1
  int whichChannels = 3;                // bit 0 counts I, bit 1 counts Q, 0 counts 1 per read
  bool autoQueryMessageFormat = false;  // query the format after five misses
  bool compositeOutput = false;         // copy input to the output port
  bool defaultNames = true;             // "NR-xxxx" text for unnamed reads
  uint16_t crcSeed = kDefaultCrcSeed;   // RegenerateCRCSeed
};

}  // namespace corvalis
