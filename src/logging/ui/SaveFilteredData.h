#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace corvalis {

class TagLogWriter;

// The operator's side of switching the tag log on: which file, and how a
// failure is told. Empty members use the file dialog and a message box;
// tests put their own in.
struct LogFilePrompts {
  // The chosen path, or empty when the operator cancelled.
  std::function<QString(QWidget* parent, const QString& startDir)> chooseFile;
  std::function<void(QWidget* parent, const QString& title, const QString& text)> reportFailure;
};

// The save dialog of "&Save Filtered Data ...": log, text and CSV files,
// ".log" added to a name without an extension, starting in `startDir`.
QString AskLogFileName(QWidget* parent, const QString& startDir);

// "&Save Filtered Data ...": switches the tag log off when it is on;
// otherwise asks for a file, starting in the folder of the last one, and
// logs to it. A cancelled dialog leaves logging off; a file that cannot be
// opened is reported ("Open Failure") and leaves it off. Returns whether
// logging is on now, for the menu item's check mark.
bool SetLogging(QWidget* parent, TagLogWriter& writer, const LogFilePrompts& prompts = {});

}  // namespace corvalis
