#pragma once

#include <string>

namespace corvalis::readersim {

// The LRC computed here by hand, so the tests do not lean on the code they
// check.
inline std::string WithLrc(const std::string& command) {
  unsigned sum = 0;
  for (size_t i = 2; i < command.size(); ++i) sum += static_cast<unsigned char>(command[i]);
  static const char* hex = "0123456789abcdef";
  return command + hex[(sum >> 4) & 0x0F] + hex[sum & 0x0F];
}

inline std::string Reply(const std::string& body) {
  return WithLrc(body) + "\r\n";
}

}  // namespace corvalis::readersim
