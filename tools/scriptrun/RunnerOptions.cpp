#include "RunnerOptions.h"

#include <charconv>

namespace corvalis {
namespace {

bool ReadNumber(const std::string& text, int low, int high, int* value) {
  int n = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, n);
  if (ec != std::errc() || ptr != end || n < low || n > high) return false;
  *value = n;
  return true;
}

}  // namespace

std::optional<RunnerOptions> ParseRunnerOptions(const std::vector<std::string>& args,
                                                std::string& error) {
  RunnerOptions options;
  for (const std::string& arg : args) {
    auto value = [&arg](const char* prefix) -> std::optional<std::string> {
      const std::string p(prefix);
      if (arg.rfind(p, 0) != 0) return std::nullopt;
      return arg.substr(p.size());
    };
    int n = 0;
    if (auto v = value("-i=")) {
      if (v->empty()) return error = "-i= needs a settings file", std::nullopt;
      options.settingsPath = *v;
    } else if (auto c = value("--channel=")) {
      if (!ReadNumber(*c, 1, 5, &n)) return error = "--channel must be 1 to 5", std::nullopt;
      options.channel = n - 1;
    } else if (auto r = value("--reader=")) {
      if (!ReadNumber(*r, 0, 255, &n)) return error = "--reader must be 0 to 255", std::nullopt;
      options.readerId = n;
    } else if (auto t = value("--timeout=")) {
      if (!ReadNumber(*t, 1, 86400 * 365, &n))
        return error = "--timeout must be a number of seconds", std::nullopt;
      options.timeoutSeconds = n;
    } else if (!arg.empty() && arg[0] == '-') {
      return error = "unknown option " + arg, std::nullopt;
    } else if (options.scriptPath.empty()) {
      options.scriptPath = arg;
    } else {
      return error = "only one script may be given", std::nullopt;
    }
  }
  if (options.scriptPath.empty()) return error = "no script given", std::nullopt;
  return options;
}

}  // namespace corvalis
