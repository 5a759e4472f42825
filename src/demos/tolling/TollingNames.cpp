#include "demos/tolling/TollingNames.h"

namespace corvalis {
namespace {

// Entries 1 to 17 keep the reader's blank padding to 17 characters, so the
// result label does not jump in width from one report to the next.
constexpr const char* kNames[kTollingNameCount] = {
    "Not Tolling",
    "INVALID_TAG      ",
    "INVALID_UID      ",
    "INVALID_READPOINT",
    "INVALID_BALANCE  ",
    "INVALID_VTYPE    ",
    "INVALID_NUM_PAGES",
    "VERIFY_ERROR     ",
    "CREDIT_ADDED     ",
    "VIP_PASSED       ",
    "WRITE_FAILED     ",
    "DEDUCTED_POS_BAL ",
    "DEDUCTED_NEG_BAL ",
    "CREDIT SET       ",
    "READ_FAILED      ",
    "CORRUPT_WRITE    ",
    "Toll report      ",
    "Registered       ",
    "Registration failed",
    "Data CRC Error",
    "Error 20",
    "Error 21",
    "Error 22",
    "Error 23",
    "Error 24",
    "Error 25",
    "Error 26",
    "Error 27",
    "Error 28",
    "OFF",
    "Tolling",
    "Set Credit",
    "Add Credit",
    "Register",
    "Report",
};

}  // namespace

const char* TollingName(int index) {
  return index >= 0 && index < kTollingNameCount ? kNames[index] : nullptr;
}

const char* TollingResultName(int code) {
  return code >= 0 && code < kTollingResultCount ? kNames[code] : nullptr;
}

const char* TollingModeName(int mode) {
  return mode >= 0 && mode < kTollingModeCount ? kNames[kTollingResultCount + mode] : nullptr;
}

}  // namespace corvalis
