#pragma once

#include <QString>
#include <QStringList>

namespace corvalis {

struct SettingsLocation {
  // The working directory at start, with a trailing "/": the base of the
  // settings file and of relative file names for the whole run.
  QString applicationDir;
  // The settings file every INI batch opens.
  QString path;
  // The line the diagnostics memo shows at start.
  QString memoLine;
};

// Fixes the settings file from the working directory and the command line
// (`arguments` as the process got them, the program first).
//
// Default: the application directory plus the program's name with its
// extension (if it has one) replaced by ".ini". A program called "corvalis"
// in any letter case - "Corvalis.exe" on Windows, "corvalis" here - uses
// "Corvalis.ini", so one settings file serves both builds on a case-sensitive
// file system; a renamed copy keeps a file of its own name.
//
// "-i=<path>" (case-sensitive, later ones win) picks another file; a bare file
// name is taken in the application directory, a path with a directory part is
// used as given. "-i=" with nothing after it is ignored: it would name the
// directory itself.
SettingsLocation ResolveSettingsLocation(const QString& workingDir, const QStringList& arguments);

}  // namespace corvalis
