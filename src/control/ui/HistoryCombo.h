#pragma once

#include <QStringList>

class QComboBox;
class QString;

namespace corvalis {

// The history drop-downs: editable, never inserting on Enter themselves.
void SetUpHistoryCombo(QComboBox* combo, const QString& name);
// Items from the settings; item 0 shown when there are any.
void SetHistoryItems(QComboBox* combo, const QStringList& items);
QStringList HistoryItems(const QComboBox* combo);
// The most-recently-used rule on the drop-down's own text and items.
void AddToHistory(QComboBox* combo);

}  // namespace corvalis
