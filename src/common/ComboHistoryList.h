#pragma once

#include <QString>
#include <QStringList>

namespace corvalis {

// Drop-downs remember at most this many entries.
inline constexpr int kMaxComboHistory = 15;

// The most-recently-used rule of the history drop-downs. An empty `text`
// takes item 0 (and `items` is left alone); any other text moves to, or is
// inserted at, item 0, and the list keeps at most kMaxComboHistory entries.
// Returns the text the drop-down should show.
QString AddToHistory(QStringList& items, const QString& text);

}  // namespace corvalis
