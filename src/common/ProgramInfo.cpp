#include "common/ProgramInfo.h"

#include <cstdio>

namespace corvalis {

const char* const kCorvalisVersion = CORVALIS_VERSION;

std::string VersionLine(std::string_view program) {
  std::string line(program);
  line += ' ';
  line += kCorvalisVersion;
  line += '\n';
  return line;
}

StandardOption FindStandardOption(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--help") return StandardOption::kHelp;
    if (arg == "--version") return StandardOption::kVersion;
  }
  return StandardOption::kNone;
}

bool AnswerStandardOption(int argc, char** argv, std::string_view program, std::string_view usage) {
  std::string text;
  switch (FindStandardOption(std::vector<std::string>(argv + 1, argv + argc))) {
    case StandardOption::kHelp:
      text = usage;
      break;
    case StandardOption::kVersion:
      text = VersionLine(program);
      break;
    case StandardOption::kNone:
      return false;
  }
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
  return true;
}

}  // namespace corvalis
