// corvalis-replay: replays captured reader output into a tag log, the way
// the console would have logged it live.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "HeadlessReplay.h"
#include "app/Settings.h"
#include "common/ProgramInfo.h"

namespace {

using namespace corvalis;

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "Usage: corvalis-replay [-i=SETTINGS] [--log=PATH] CAPTURE...\n"
    "  -i=SETTINGS  settings file (default: Corvalis.ini in the working directory)\n"
    "  --log=PATH   tag log to append to (default: the settings' FilteredFileName)\n"
    "  --help       show this text\n"
    "  --version    show the version\n"
    "Exit codes: 0 replayed, 1 a file that cannot be read or written or a stop by a\n"
    "signal, 2 bad arguments.\n";

struct Arguments {
  QString settingsPath;
  bool settingsGiven = false;
  QString logPath;
  std::vector<std::string> captures;
};

bool Parse(const QStringList& args, Arguments& out, std::string& error) {
  for (int k = 1; k < args.size(); ++k) {
    const QString& arg = args[k];
    if (arg.startsWith("-i=")) {
      out.settingsPath = arg.mid(3);
      out.settingsGiven = true;
    } else if (arg.startsWith("--log=")) {
      out.logPath = arg.mid(6);
    } else if (arg.startsWith("-") && arg != "-") {
      error = "unknown option " + arg.toStdString();
      return false;
    } else {
      out.captures.push_back(QFile::encodeName(arg).toStdString());
    }
  }
  if (out.captures.empty()) error = "no capture file given";
  if (out.settingsPath.isEmpty() && out.settingsGiven) error = "-i= needs a path";
  return error.empty();
}

volatile std::sig_atomic_t stopSignal = 0;

void StopOnSignal(int) {
  stopSignal = 1;
}

int Fail(int code, const std::string& message) {
  std::fprintf(stderr, "corvalis-replay: %s\n", message.c_str());
  if (code == kExitUsage) std::fputs(kUsage, stderr);
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  if (AnswerStandardOption(argc, argv, "corvalis-replay", kUsage)) return 0;
  QCoreApplication app(argc, argv);
  Arguments args;
  std::string error;
  if (!Parse(app.arguments(), args, error)) return Fail(kExitUsage, error);

  if (!args.settingsGiven) args.settingsPath = QDir::current().filePath("Corvalis.ini");
  Settings settings;
  settings.applicationDir = QFileInfo(args.settingsPath).absolutePath();
  const bool settingsReadable = QFileInfo(args.settingsPath).isReadable();
  if ((args.settingsGiven && !settingsReadable) || !LoadIniSettings(args.settingsPath, settings)) {
    return Fail(kExitFailure, "Unable to open " + args.settingsPath.toStdString() + " for reading");
  }

  // Every capture must be readable before anything is replayed or logged.
  for (const std::string& capture : args.captures) {
    if (std::FILE* file = std::fopen(capture.c_str(), "rb")) {
      std::fclose(file);
    } else {
      return Fail(kExitFailure, LogReplay::OpenFailureText(capture));
    }
  }

  HeadlessReplay replay(settings);
  const QString names =
      ResolveStoredPath(settings.String(Setting::RegistrationFileName), settings.applicationDir);
  if (!names.isEmpty() && QFileInfo::exists(names)) {
    replay.ReadTagNames(QFile::encodeName(names).toStdString(), settings.RegenerateCrcSeed());
  }
  const QString logPath =
      !args.logPath.isEmpty()
          ? args.logPath
          : ResolveStoredPath(settings.String(Setting::FilteredFileName), settings.applicationDir);
  if (logPath.isEmpty()) {
    return Fail(kExitUsage, "no tag log: give --log= or FilteredFileName in the settings");
  }
  const LogOpenResult log = replay.OpenLog(QFile::encodeName(logPath).toStdString());
  if (!log.ok) return Fail(kExitFailure, log.message);

  // The log is written in big pieces; a stop on a signal still closes every
  // pass and writes out what was replayed.
  replay.SetStopFlag(&stopSignal);
  std::signal(SIGINT, StopOnSignal);
  std::signal(SIGTERM, StopOnSignal);
  for (const std::string& capture : args.captures) {
    if (!replay.Replay(capture)) {
      replay.Finish();
      return Fail(kExitFailure, LogReplay::OpenFailureText(capture));
    }
    if (replay.Stopped()) break;
  }
  if (!replay.Finish()) {
    return Fail(kExitFailure,
                "Could not write to log file " + logPath.toStdString() + ": " + replay.LogError());
  }

  const ReplayTotals& totals = replay.Totals();
  std::printf("records %lld, messages %lld, reads %lld, passes %lld, misses %lld\n",
              static_cast<long long>(totals.records), static_cast<long long>(totals.messages),
              static_cast<long long>(totals.reads), static_cast<long long>(totals.passes),
              static_cast<long long>(totals.misses));
  if (replay.Stopped())
    return Fail(kExitFailure, "stopped by a signal; the log holds what was replayed");
  return 0;
}
