#include "demos/tolling/TollingCommands.h"

#include <cstdio>

#include "demos/tolling/TollingPages.h"

namespace corvalis {

std::string TollingModeBody(TollingMode mode, uint32_t credit) {
  char body[24];
  const int value = static_cast<int>(mode);
  if (mode == TollingMode::SetCredit || mode == TollingMode::AddCredit) {
    std::snprintf(body, sizeof body, "0559%02x%08x", value, credit);
  } else {
    std::snprintf(body, sizeof body, "0159%02x", value);
  }
  return body;
}

std::optional<std::string> TollingPageBody(int page, std::string_view text) {
  if ((page != 1 && page != 2) || !IsTollingPage(text)) return std::nullopt;
  return std::string(page == 1 ? "092e01" : "092e02") + std::string(text);
}

std::string TollingReadPointBody(int readPoint, int focReadPoint) {
  char body[16];
  std::snprintf(body, sizeof body, "0258%02x%02x", readPoint & 0xFF, focReadPoint & 0xFF);
  return body;
}

std::string TollingTariffBody(int classes, const std::array<int, kTollingClasses>& tariffs) {
  char body[40];
  std::snprintf(body, sizeof body, "0b57%02x%04x%04x%04x%04x%04x", classes & 0xFF,
                tariffs[0] & 0xFFFF, tariffs[1] & 0xFFFF, tariffs[2] & 0xFFFF, tariffs[3] & 0xFFFF,
                tariffs[4] & 0xFFFF);
  return body;
}

std::string TollingTimeoutsBody(const std::array<int, kTollingTimeouts>& t) {
  char body[24];
  std::snprintf(body, sizeof body, "0624%02x%02x%02x%02x%02x%02x", t[0] & 0xFF, t[1] & 0xFF,
                t[2] & 0xFF, t[3] & 0xFF, t[4] & 0xFF, t[5] & 0xFF);
  return body;
}

}  // namespace corvalis
