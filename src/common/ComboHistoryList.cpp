#include "common/ComboHistoryList.h"

namespace corvalis {

QString AddToHistory(QStringList& items, const QString& text) {
  if (text.isEmpty()) return items.isEmpty() ? QString() : items.first();
  if (items.isEmpty() || items.first() != text) {
    items.removeAll(text);
    items.prepend(text);
  }
  while (items.size() > kMaxComboHistory) items.removeLast();
  return text;
}

}  // namespace corvalis
