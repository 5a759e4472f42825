#include "mqtt/MqttSettings.h"

namespace corvalis {

std::string TopicLevel(std::string_view text) {
  std::string level;
  level.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const bool unsafe = c == '+' || c == '#' || c == '/' || byte < 0x20 || byte == 0x7f;
    level += unsafe ? '_' : c;
  }
  if (level.empty()) level = "_";
  return level;
}

std::string TopicPrefix(std::string_view text) {
  std::string prefix;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t slash = text.find('/', start);
    const size_t end = slash == std::string_view::npos ? text.size() : slash;
    if (end > start) {
      if (!prefix.empty()) prefix += '/';
      prefix += TopicLevel(text.substr(start, end - start));
    }
    start = end + 1;
  }
  return prefix.empty() ? std::string("corvalis") : prefix;
}

std::string PassesTopic(const MqttSettings& settings, std::string_view depot) {
  return TopicPrefix(settings.topicPrefix) + "/" + TopicLevel(depot) + "/passes";
}

std::string StatusTopic(const MqttSettings& settings, std::string_view depot) {
  return TopicPrefix(settings.topicPrefix) + "/" + TopicLevel(depot) + "/status";
}

}  // namespace corvalis
