#include "app/ComboHistory.h"

#include <algorithm>

#include "common/IniFile.h"

namespace corvalis {
namespace {

const QString kEntriesKey = QStringLiteral("Entries");

QString EntryKey(int index) {
  return QStringLiteral("ENT_%1").arg(index);
}

}  // namespace

QStringList HistoryComboNames() {
  QStringList names = {QStringLiteral("cmbSendOwnText"), QStringLiteral("cmbDownloadFilename"),
                       QStringLiteral("cmbCmdTagID"), QStringLiteral("cmbCmdData"),
                       QStringLiteral("cmbCmdMask")};
  for (int i = 0; i < 16; ++i) names << QStringLiteral("cmbRWData%1").arg(i);
  names << QStringLiteral("cmbRTFilename") << QStringLiteral("cmbMPText");
  return names;
}

bool LoadComboHistory(const QString& path, const QString& comboName, QStringList& items) {
  const IniFile ini(path);
  // A hand-edited count must not make us add millions of empty entries.
  const int count = std::min(ini.ReadInteger(comboName, kEntriesKey, 0), kMaxComboHistory);
  if (count <= 0) return false;
  items.clear();
  for (int i = 0; i < count; ++i) items << ini.ReadString(comboName, EntryKey(i), QString());
  return true;
}

bool SaveComboHistory(const QString& path, const QString& comboName, const QStringList& items) {
  IniFile ini(path);
  const int count = static_cast<int>(std::min<qsizetype>(items.size(), kMaxComboHistory));
  ini.WriteInteger(comboName, kEntriesKey, count);
  for (int i = 0; i < count; ++i) ini.WriteString(comboName, EntryKey(i), items[i]);
  return ini.Flush();
}

}  // namespace corvalis
