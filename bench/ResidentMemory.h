#pragma once

namespace corvalis::bench {

// Resident memory of this process in megabytes.
double ResidentMegabytes();

}  // namespace corvalis::bench
