// corvalis-script: runs a test script against the readers of a settings
// file, without a window.
#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <fstream>

#include "RunnerOptions.h"
#include "StreamScriptOutput.h"
#include "app/AppContext.h"
#include "common/ProgramInfo.h"
#include "common/SignalWatcher.h"
#include "script/ScriptInterpreter.h"

namespace {

constexpr int kExitEnded = 0;
constexpr int kExitError = 1;
constexpr int kExitUsage = 2;
constexpr int kExitTimeout = 3;

}  // namespace

int main(int argc, char** argv) {
  using namespace corvalis;
  if (AnswerStandardOption(argc, argv, "corvalis-script", kRunnerUsage)) return 0;
  QCoreApplication app(argc, argv);
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  const auto options = ParseRunnerOptions(args, error);
  if (!options) {
    std::fprintf(stderr, "corvalis-script: %s\n%s", error.c_str(), kRunnerUsage);
    return kExitUsage;
  }
  if (!std::ifstream(options->scriptPath).good()) {
    std::fprintf(stderr, "corvalis-script: Unable to open %s for reading\n",
                 options->scriptPath.c_str());
    return kExitUsage;
  }

  SystemClock clock;
  SilentStatus status;
  AppContext context(clock, status);
  StreamScriptOutput output(stdout, stderr, stdin);
  context.scriptOutput().SetSink(&output);
  ScriptInterpreter& interpreter = context.interpreter();
  interpreter.SetChannel(options->channel);
  interpreter.SetReaderId(options->readerId);
  context.channels().SetSettingsPath(QString::fromStdString(options->settingsPath));
  context.channels().Start();

  interpreter.Source().UseMemo(false);
  if (!interpreter.Source().OpenFile(options->scriptPath)) {
    std::fprintf(stderr, "corvalis-script: Unable to open %s for reading\n",
                 options->scriptPath.c_str());
    return kExitUsage;
  }

  int exitCode = kExitEnded;
  bool finished = false;
  // The first reason to finish wins; a tick queued behind it changes nothing.
  auto finish = [&](int code) {
    if (finished) return;
    finished = true;
    exitCode = code;
    if (interpreter.Running()) interpreter.StopScript();
    interpreter.TestLog().Close();
    QCoreApplication::exit(code);
  };

  SignalWatcher stopSignals;
  if (!stopSignals.Install(error)) std::fprintf(stderr, "corvalis-script: %s\n", error.c_str());
  QObject::connect(&stopSignals, &SignalWatcher::Stop, [&] { finish(kExitError); });

  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    context.Tick();
    if (!interpreter.Running()) finish(interpreter.EndedOnError() ? kExitError : kExitEnded);
  });
  QTimer deadline;
  deadline.setSingleShot(true);
  QObject::connect(&deadline, &QTimer::timeout, [&] {
    std::fprintf(stderr, "corvalis-script: time-out after %d s\n", options->timeoutSeconds);
    finish(kExitTimeout);
  });

  // The channels connect on the event loop, so the script starts on its
  // first turn.
  QTimer::singleShot(0, [&] {
    interpreter.StartStopScript();
    tick.start(100);
    if (options->timeoutSeconds > 0) deadline.start(options->timeoutSeconds * 1000);
  });
  app.exec();
  context.scriptOutput().SetSink(nullptr);
  context.channels().CloseAll();
  return exitCode;
}
