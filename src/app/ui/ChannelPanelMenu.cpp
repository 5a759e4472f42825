#include "app/ui/ChannelPanelMenu.h"

#include "app/ui/ChannelStatusBar.h"
#include "common/ui/Named.h"

namespace corvalis {
namespace {

constexpr int kBaudRates[] = {4800, 9600, 19200, 38400, 57600, 115200};

}  // namespace

ChannelPanelMenu::ChannelPanelMenu(ChannelStatusBar& bar, Commands commands, QWidget* parent)
    : QMenu(parent) {
  setObjectName(QStringLiteral("pmnuStatusBar"));
  auto onPanel = [&bar](const std::function<void(int)>& command) {
    return [&bar, command] { command(bar.PressedPanel()); };
  };
  Named(addAction(QStringLiteral("Open"), this, onPanel(commands.open)), "mnuSBOpen");
  Named(addAction(QStringLiteral("Close"), this, onPanel(commands.close)), "mnuSBClose");
  Named(addAction(QStringLiteral("Settings"), this, onPanel(commands.settings)), "mnuSBSettings");
  QMenu* baud = Named(addMenu(QStringLiteral("Baud rate")), "mnuSBBaudRate");
  for (const int rate : kBaudRates) {
    Named(baud->addAction(
              QString::number(rate), this,
              [&bar, setBaud = commands.setBaud, rate] { setBaud(bar.PressedPanel(), rate); }),
          QStringLiteral("mnuSBBaud%1").arg(rate));
  }
  Named(addAction(QStringLiteral("Set Active"), this, onPanel(commands.setActive)),
        "mnuSBSetActive");
  connect(&bar, &ChannelStatusBar::panelMenuRequested, this,
          [this](int, const QPoint& pos) { popup(pos); });
}

}  // namespace corvalis
