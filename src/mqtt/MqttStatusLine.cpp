#include "mqtt/MqttStatusLine.h"

namespace corvalis {

MqttStatusLine StatusLineFor(const MqttSnapshot& snapshot) {
  MqttStatusLine line;
  line.detail = snapshot.text;
  line.shown = snapshot.connection != MqttConnection::kOff || !snapshot.text.empty();
  const char* state = "off";
  switch (snapshot.connection) {
    case MqttConnection::kOff:
      state = snapshot.text.empty() ? "off" : "failed";
      break;
    case MqttConnection::kConnecting:
      state = "connecting";
      break;
    case MqttConnection::kConnected:
      state = "connected";
      break;
    case MqttConnection::kRefused:
      state = "refused";
      break;
    case MqttConnection::kDisconnected:
      state = "disconnected";
      break;
  }
  line.text = std::string("MQTT: ") + state + ", " + std::to_string(snapshot.queued) + " queued";
  const bool full = snapshot.limit > 0 && snapshot.queued >= snapshot.limit;
  if (full) line.text += " (queue full)";
  if (snapshot.notQueued > 0)
    line.text += ", " + std::to_string(snapshot.notQueued) + " not queued";
  const bool away = snapshot.connection != MqttConnection::kConnected;
  line.alarm = (away && snapshot.queued > 0) || full || snapshot.notQueued > 0 ||
               snapshot.connection == MqttConnection::kRefused;
  return line;
}

}  // namespace corvalis
