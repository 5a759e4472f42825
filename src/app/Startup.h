#pragma once

#include <QString>
#include <QStringList>

#include "app/Settings.h"
#include "app/SettingsLocation.h"

namespace corvalis {

class AppContext;

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
  void Start(const QString& workingDir, const QStringList& arguments);
  // Closes the channels, then saves the settings and the channel sections.
  // Runs once; later calls do nothing.
  void Shutdown();

  const SettingsLocation& Location() const { return location_; }
  Settings& settings() { return settings_; }
  const QList<StartupProblem>& Problems() const { return problems_; }

 private:
  AppContext& context_;
  SettingsLocation location_;
  Settings settings_;
  QList<StartupProblem> problems_;
  bool started_ = false;
};

}  // namespace corvalis
