#include "control/ui/HistoryCombo.h"

#include <QComboBox>
#include <QSignalBlocker>

#include "common/ComboHistoryList.h"

namespace corvalis {

void SetUpHistoryCombo(QComboBox* combo, const QString& name) {
  combo->setObjectName(name);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
}

void SetHistoryItems(QComboBox* combo, const QStringList& items) {
  const QSignalBlocker block(combo);
  const QString text = combo->currentText();
  combo->clear();
  combo->addItems(items);
  if (items.isEmpty()) {
    combo->setEditText(text);
  } else {
    combo->setCurrentIndex(0);
  }
}

QStringList HistoryItems(const QComboBox* combo) {
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
  return items;
}

void AddToHistory(QComboBox* combo) {
  QStringList items = HistoryItems(combo);
  const QString text = AddToHistory(items, combo->currentText());
  {
    const QSignalBlocker block(combo);
    combo->clear();
    combo->addItems(items);
    combo->setCurrentIndex(items.isEmpty() ? -1 : 0);
  }
  combo->setEditText(text);
}

}  // namespace corvalis
