#include "app/SettingsLocation.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace corvalis {
namespace {

const QString kProductName = QStringLiteral("Corvalis");

bool HasDirectoryPart(const QString& path) {
  return QDir::fromNativeSeparators(path).contains(QLatin1Char('/'));
}

QString DefaultFileName(const QStringList& arguments) {
  QString stem;
  if (!arguments.isEmpty()) {
    // Either separator: a Windows-style program path names the same program.
    const QString& program = arguments.front();
    const QString name = program.mid(
        std::max(program.lastIndexOf(QLatin1Char('/')), program.lastIndexOf(QLatin1Char('\\'))) +
        1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    stem = dot > 0 ? name.left(dot) : name;
  }
  if (stem.isEmpty() || stem.compare(kProductName, Qt::CaseInsensitive) == 0) stem = kProductName;
  return stem + QStringLiteral(".ini");
}

}  // namespace

SettingsLocation ResolveSettingsLocation(const QString& workingDir, const QStringList& arguments) {
  SettingsLocation location;
  location.applicationDir = QDir::fromNativeSeparators(workingDir);
  if (!location.applicationDir.endsWith(QLatin1Char('/'))) location.applicationDir += '/';

  location.path = location.applicationDir + DefaultFileName(arguments);
  const QString prefix = QStringLiteral("-i=");
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (!argument.startsWith(prefix, Qt::CaseSensitive)) continue;
    const QString rest = argument.mid(prefix.size());
    if (rest.isEmpty()) continue;
    location.path = HasDirectoryPart(rest) ? rest : location.applicationDir + rest;
  }
  location.memoLine = QDir::toNativeSeparators(location.path);
  return location;
}

}  // namespace corvalis
