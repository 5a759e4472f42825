#pragma once

#include <QString>
#include <QStringList>

#include <functional>

#include "app/Settings.h"
#include "app/SettingsLocation.h"

namespace corvalis {

class AppContext;

// The wait time as the tag table takes it: 0..9 ms become 10, -9..-1 become -10.
int NormaliseWaitTime(int waitTime);

// Sends the standard error stream to "ERRROR.FIL" in `workingDir`
// (truncated), so a run leaves its complaints beside the recording files.
void RedirectErrorStream(const QString& workingDir);

// A problem found at start that the operator is told about in a message box.
struct StartupProblem {
  QString title;
  QString text;
};

// The run of the program around the application context: start-up in its
// order (settings before anything reads them, tag names and the log before
// the channels that feed them) and the orderly shutdown.
class AppSession {
 public:
  explicit AppSession(AppContext& context) : context_(context) {}

  // Fixes the settings file from the working directory and the command line,
  // loads the settings, applies them, reads the tag names, opens the log when
  // logging is on, then opens every channel recorded as open.
  // `retryRecording` is asked, with the file name, whether to try a
  // recording file again that could not be opened; without it the failure
  // becomes a problem for the operator.
  void Start(const QString& workingDir, const QStringList& arguments,
             const std::function<bool(const QString&)>& retryRecording = {});
  // Closes the channels, then saves the settings, the channel sections and
  // the last drop-down histories; `progress` gets the shutting-down gauge
  // values (0 to 100). False when the settings could not be saved (the file
  // then keeps what it held).
  // Runs once; later calls do nothing.
  bool Shutdown(const std::function<void(int)>& progress = {});
  // The end without saving: a later Shutdown writes nothing.
  void Abandon() { started_ = false; }

  const SettingsLocation& Location() const { return location_; }
  Settings& settings() { return settings_; }
  const QList<StartupProblem>& Problems() const { return problems_; }

 private:
  void AddProblem(const QString& title, const QString& text);

  AppContext& context_;
  SettingsLocation location_;
  Settings settings_;
  QList<StartupProblem> problems_;
  bool started_ = false;
};

}  // namespace corvalis
