#pragma once

#include <optional>
#include <string>
#include <vector>

namespace corvalis {

struct RunnerOptions {
  std::string settingsPath = "Corvalis.ini";
  int channel = 0;  // index 0..4
  int readerId = 0;
  int timeoutSeconds = 0;  // 0: none
  std::string scriptPath;
};

// Reads the command line (without the program name); nothing and `error`
// set when it is not usable.
std::optional<RunnerOptions> ParseRunnerOptions(const std::vector<std::string>& args,
                                                std::string& error);

inline constexpr const char* kRunnerUsage =
    "Usage: corvalis-script [-i=SETTINGS] [--channel=N] [--reader=ID] [--timeout=SECONDS] "
    "SCRIPT\n"
    "Runs a test script on the channels of the settings file (default Corvalis.ini).\n"
    "  --channel=N        script channel 1..5 (default 1)\n"
    "  --reader=ID        reader ID for built commands, 0..255 (default 0)\n"
    "  --timeout=SECONDS  stop the script after this long (exit code 3)\n"
    "  --help             show this text\n"
    "  --version          show the version\n"
    "Exit codes: 0 the script ended, 1 it ended on an error, 2 bad arguments or an\n"
    "unreadable script, 3 the time-out ran out.\n";

}  // namespace corvalis
