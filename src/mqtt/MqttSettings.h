#pragma once

#include <string>
#include <string_view>

namespace corvalis {

// The [MQTT] section as the publisher reads it.
struct MqttSettings {
  bool enabled = false;
  std::string host = "localhost";
  int port = 1883;
  std::string clientId;  // empty: "corvalis-" and the host name
  std::string topicPrefix = "corvalis";
  int qos = 1;  // 0 or 1
  std::string userName;
  std::string password;
  bool tls = false;
  std::string caFile;
};

// One topic level from operator text: the wildcards "+" and "#", the level
// separator and control characters would make a topic the broker refuses
// (and a queue that never drains), so they become "_"; empty is "_".
std::string TopicLevel(std::string_view text);
// The prefix may hold several levels; each is cleaned like TopicLevel and
// empty levels are dropped.
std::string TopicPrefix(std::string_view text);
// "<prefix>/<depot>/passes" and "<prefix>/<depot>/status".
std::string PassesTopic(const MqttSettings& settings, std::string_view depot);
std::string StatusTopic(const MqttSettings& settings, std::string_view depot);

}  // namespace corvalis
