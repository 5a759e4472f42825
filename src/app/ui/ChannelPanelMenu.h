#pragma once

#include <QMenu>

#include <functional>

namespace corvalis {

class ChannelStatusBar;

// The channel panels' pop-up menu ("pmnuStatusBar"). Each command acts on the
// panel under the last mouse press (1..5; 0 is the time panel) and is handed
// to the window, which owns the channels' dialogs and refresh.
class ChannelPanelMenu final : public QMenu {
  Q_OBJECT

 public:
  struct Commands {
    std::function<void(int panel)> open;
    std::function<void(int panel)> close;
    std::function<void(int panel)> settings;
    std::function<void(int panel, int baud)> setBaud;
    std::function<void(int panel)> setActive;
  };

  ChannelPanelMenu(ChannelStatusBar& bar, Commands commands, QWidget* parent);
};

}  // namespace corvalis
