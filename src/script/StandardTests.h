#pragma once

#include <span>

namespace corvalis {

struct StandardTest {
  const char* name;  // empty: an unused slot
  const char* script;
};

inline constexpr int kStandardTestSlots = 10;

// The built-in tests of the script tab, in their fixed slots.
std::span<const StandardTest> StandardTests();

// The long-term tag test's script: every half hour the transmitter is on for
// 10 s and the tags seen are recorded.
const char* MonitoringScript();

}  // namespace corvalis
