#include "logging/ui/FlashLogMenu.h"

#include <QMenu>

#include "common/ui/Named.h"
#include "logging/ui/LoggingControlWindow.h"
#include "logging/ui/SportLoggingWindow.h"

namespace corvalis {

void AddFlashLogWindows(QMenu* menu, AppContext& context, std::function<int()> sendChannel,
                        QWidget* parent) {
  auto* control = new LoggingControlWindow(context, parent);
  auto* sport = new SportLoggingWindow(context, std::move(sendChannel), parent);
  const auto open = [](QWidget* window) {
    return [window] {
      window->show();
      window->raise();
      window->activateWindow();
    };
  };
  menu->addSeparator();
  Named(menu->addAction(QObject::tr("Logging Control"), control, open(control)),
        "mnuLoggingControl");
  Named(menu->addAction(QObject::tr("Sport Logging"), sport, open(sport)), "mnuSportLogging");
}

}  // namespace corvalis
