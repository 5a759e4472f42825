#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace corvalis::testing {

// A timing tag message as a reader sends it (without CR LF).
struct TimingFrame {
  std::string id = "0123456789ab1234";
  int idNumber = 3;
  int dateTime[8] = {26, 12, 8, 14, 5, 30, 10, 0};
  uint16_t r16 = 0x0801;
  unsigned timerX = 0x0100;
  unsigned ms10 = 0x05;
  unsigned usDelay = 1234;
  int period = -1;  // appended when >= 0

  TimingFrame& At(int minute, int second, int hundredths, int tenThousandths = 0) {
    dateTime[4] = minute;
    dateTime[5] = second;
    dateTime[6] = hundredths;
    dateTime[7] = tenThousandths;
    return *this;
  }

  std::string Text() const {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer,
                  "aa01%s05%02x%02d%02d%02d%02d%02d%02d%02d%02d%04x%04x%02x%08x", id.c_str(),
                  idNumber, dateTime[0], dateTime[1], dateTime[2], dateTime[3], dateTime[4],
                  dateTime[5], dateTime[6], dateTime[7], r16, timerX, ms10, usDelay);
    std::string text = buffer;
    if (period >= 0) {
      std::snprintf(buffer, sizeof buffer, "%04x", static_cast<unsigned>(period));
      text += buffer;
    }
    return text;
  }
};

}  // namespace corvalis::testing
