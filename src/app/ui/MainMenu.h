#pragma once

#include <QKeySequence>
#include <QString>

#include <array>
#include <functional>

#include "app/ui/PageTable.h"
#include "common/ChannelIndex.h"

class QAction;
class QMainWindow;
class QMenu;

namespace corvalis {

// What the main menu's commands do; the main window fills it in.
struct MainMenuCommands {
  std::function<void()> importLogFile;
  std::function<void()> readRegistrationFile;
  std::function<void()> saveFilteredData;
  std::function<void()> exit;
  std::function<void()> stop;
  std::function<void(int channel)> openChannel;
  std::function<void(int channel)> closeChannel;
  std::function<void(int channel)> channelSettings;
  std::function<void()> cycleRows;
  std::function<void(int rows)> showRows;
  std::function<void(Page page)> showPage;
  std::function<void()> configuration;
  std::function<void()> showControlPanel;
  std::function<void()> displayAllTabs;
  std::function<void()> hideActiveTab;
  std::function<void()> toggleNoReplyWarning;
  std::function<void(bool on)> showPortDebug;
  std::function<void()> about;
};

// The items the window changes after the menu is built.
struct MainMenuItems {
  QAction* saveFilteredData = nullptr;
  QAction* hideTab = nullptr;
  QAction* linkedSelection = nullptr;           // "&Idiot Mode"
  QMenu* readerControl = nullptr;               // the reader command submenus go here
  std::array<QAction*, kPageCount> viewTabs{};  // null for pages without one
  std::array<QAction*, kChannelCount> openChannel{};
  std::array<QAction*, kChannelCount> closeChannel{};
};

// Builds the main menu bar of `window` ("MainMenu1") with its items named as
// the settings and tests know them.
MainMenuItems BuildMainMenu(QMainWindow& window, const MainMenuCommands& commands);

// A menu item named `name`. A hidden item keeps its shortcut through a
// window-wide key, which an invisible action would lose.
QAction* AddMenuItem(QMainWindow& window, QMenu* menu, const char* name, const QString& caption,
                     const QKeySequence& shortcut = {}, bool hidden = false);

}  // namespace corvalis
