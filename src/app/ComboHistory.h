#pragma once

#include <QString>
#include <QStringList>

#include "common/ComboHistoryList.h"

namespace corvalis {

// The drop-downs with a remembered history, by control name. Each has a
// section of that name with "Entries" and "ENT_0".."ENT_14".
QStringList HistoryComboNames();

// Fills `items` from the history section `comboName`. With "Entries" missing,
// 0 or less, `items` keeps what it had (the built-in entries) and the result
// is false. A larger count than the limit reads only the first entries.
bool LoadComboHistory(const QString& path, const QString& comboName, QStringList& items);

// Writes the first kMaxComboHistory items; ENT_ keys beyond the count are left
// as they are. False when the file could not be written.
bool SaveComboHistory(const QString& path, const QString& comboName, const QStringList& items);

}  // namespace corvalis
