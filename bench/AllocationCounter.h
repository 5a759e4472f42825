#pragma once

#include <cstdint>

namespace corvalis::bench {

// Number of global operator new calls since the process started.
uint64_t AllocationCount();

}  // namespace corvalis::bench
