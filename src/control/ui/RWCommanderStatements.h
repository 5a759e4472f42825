#pragma once

#include <string_view>

#include "script/ScriptHost.h"

namespace corvalis {

class RWCommanderPage;

// The RWCmdr... script statements on the RW Commander tab: setters with the
// tab's own choice lists, and presses of its Send, Load and data Send;
// kNotAvailable for any other statement.
TabOutcome RunCommanderStatement(RWCommanderPage& page, std::string_view statement,
                                 std::string_view args);

}  // namespace corvalis
