#pragma once

namespace corvalis {

// What the Tags Seen view shows for a tag ("ShowSeenWhat"); the Record
// snapshot labels its lines the same way.
enum class SeenLabel { kName = 0, kId = 1, kWiegand26 = 2, kWiegand34 = 3 };

}  // namespace corvalis
