#pragma once

#include <string>

#include "mqtt/MqttPublisher.h"

namespace corvalis {

struct MqttStatusLine {
  std::string text;    // "MQTT: connected, 12 queued"
  std::string detail;  // the publisher's own words, for the tool tip
  bool alarm = false;  // passes wait with no broker, or passes were refused
  bool shown = false;  // false while publishing is off
};

MqttStatusLine StatusLineFor(const MqttSnapshot& snapshot);

}  // namespace corvalis
