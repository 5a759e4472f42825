#pragma once

#include <string>
#include <string_view>

#include "common/Clock.h"

namespace corvalis {

// One plug-test record: the local date and time of the sighting with
// hundredths and the computer's UTC offset, the tag's display name and the
// six unused fields, e.g. "2026-12-08T143005.07-0330,Runner 1,none,...".
// Without a line end.
std::string FormatPlugTestLine(WallTime seen, std::string_view name);

}  // namespace corvalis
