#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvalis {

// The version of every Corvalis program: the build's project version.
extern const char* const kCorvalisVersion;

// What "--version" prints: "<program> <version>" and a line end.
std::string VersionLine(std::string_view program);

enum class StandardOption { kNone, kHelp, kVersion };

// The first "--help" or "--version" among `args` (without the program name):
// either one answers at once, whatever else the command line holds.
StandardOption FindStandardOption(const std::vector<std::string>& args);

// Prints `usage` for "--help", or the version line for "--version", on
// standard output; true when it did, and the program then exits with 0.
bool AnswerStandardOption(int argc, char** argv, std::string_view program, std::string_view usage);

}  // namespace corvalis
