#pragma once

#include <functional>

class QMenu;
class QWidget;

namespace corvalis {

class AppContext;

// Makes the Logging Control and Sport Logging windows once, as top-level
// windows of `parent`, and adds the items that open them to `menu`.
void AddFlashLogWindows(QMenu* menu, AppContext& context, std::function<int()> sendChannel,
                        QWidget* parent);

}  // namespace corvalis
