#pragma once

#include <string>

namespace corvalis::bench {

// `lineCount` default-format lines, CR LF ended, for `tagCount` distinct tags
// in turn, stamped on one day so every read of a tag joins its open pass.
std::string DefaultFormatStream(int lineCount, int tagCount);

// Resident memory of this process in megabytes.
double ResidentMegabytes();

}  // namespace corvalis::bench
