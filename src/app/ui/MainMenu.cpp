#include "app/ui/MainMenu.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>

#include "common/ui/Named.h"

namespace corvalis {
namespace {

void AddFileMenu(QMainWindow& window, QMenuBar* bar, const MainMenuCommands& commands,
                 MainMenuItems& items) {
  QMenu* file = Named(bar->addMenu(QStringLiteral("&File")), "mnuFile");
  QObject::connect(
      AddMenuItem(window, file, "mnuImportLogFile", QStringLiteral("&Import Log File ...")),
      &QAction::triggered, &window, commands.importLogFile);
  QObject::connect(AddMenuItem(window, file, "mnuReadRegistrationFile",
                               QStringLiteral("&Read registration File ...")),
                   &QAction::triggered, &window, commands.readRegistrationFile);
  items.saveFilteredData =
      AddMenuItem(window, file, "mnuSaveFilteredData", QStringLiteral("&Save Filtered Data ..."));
  items.saveFilteredData->setCheckable(true);
  QObject::connect(items.saveFilteredData, &QAction::triggered, &window, commands.saveFilteredData);
  file->addSeparator();
  QObject::connect(AddMenuItem(window, file, "mnuExit", QStringLiteral("E&xit")),
                   &QAction::triggered, &window, commands.exit);
  QObject::connect(AddMenuItem(window, file, "mnuStop", QStringLiteral("Sto&p (no ini update)")),
                   &QAction::triggered, &window, commands.stop);
}

void AddCommsMenu(QMainWindow& window, QMenuBar* bar, const MainMenuCommands& commands,
                  MainMenuItems& items) {
  QMenu* comms = Named(bar->addMenu(QStringLiteral("&Serial Comms")), "mnuSerialComms");
  for (int ch = 0; ch < kChannelCount; ++ch) {
    const QString title = ch == kOutputChannel ? QStringLiteral("Composite Output Channel")
                                               : QStringLiteral("Reader Channel %1").arg(ch + 1);
    QMenu* sub = comms->addMenu(title);
    const auto slot = static_cast<size_t>(ch);
    items.openChannel[slot] = Named(sub->addAction(QStringLiteral("&Open"), &window,
                                                   [&commands, ch] { commands.openChannel(ch); }),
                                    QStringLiteral("CommsOpen%1").arg(ch + 1));
    items.closeChannel[slot] = Named(sub->addAction(QStringLiteral("&Close"), &window,
                                                    [&commands, ch] { commands.closeChannel(ch); }),
                                     QStringLiteral("CommsClose%1").arg(ch + 1));
    Named(sub->addAction(QStringLiteral("&Settings"), &window,
                         [&commands, ch] { commands.channelSettings(ch); }),
          QStringLiteral("CommsSettings%1").arg(ch + 1));
  }
}

void AddViewMenu(QMainWindow& window, QMenuBar* bar, const MainMenuCommands& commands,
                 MainMenuItems& items) {
  QMenu* view = Named(bar->addMenu(QStringLiteral("&View")), "mnuView");
  QObject::connect(AddMenuItem(window, view, "mnuCycle", QStringLiteral("&Cycle"),
                               QKeySequence(Qt::ALT | Qt::Key_0)),
                   &QAction::triggered, &window, commands.cycleRows);
  const struct {
    const char* name;
    const char* caption;
    int rows;
    Qt::Key key;
  } kRowItems[] = {{"mnu1Tag", "1 Tag", 1, Qt::Key_1},
                   {"mnu2Tags", "2 Tags", 2, Qt::Key_2},
                   {"mnu4Tags", "4 Tags", 4, Qt::Key_4},
                   {"mnu8Tags", "8 Tags", 8, Qt::Key_8}};
  for (const auto& item : kRowItems) {
    const int rows = item.rows;
    QObject::connect(AddMenuItem(window, view, item.name, QString::fromLatin1(item.caption),
                                 QKeySequence(Qt::ALT | item.key)),
                     &QAction::triggered, &window, [&commands, rows] { commands.showRows(rows); });
  }
  view->addSeparator();
  for (int i = 0; i < kPageCount; ++i) {
    const PageDef& def = Def(i);
    if (def.menuName == nullptr) continue;
    QAction* item = AddMenuItem(window, view, def.menuName, QString::fromLatin1(def.menuCaption));
    items.viewTabs[static_cast<size_t>(i)] = item;
    QObject::connect(item, &QAction::triggered, &window,
                     [&commands, i] { commands.showPage(static_cast<Page>(i)); });
  }
  view->addSeparator();
  QObject::connect(
      AddMenuItem(window, view, "mnuConfigurationControls",
                  QStringLiteral("C&onfiguration Controls"), QKeySequence(Qt::CTRL | Qt::Key_F2)),
      &QAction::triggered, &window, commands.configuration);
  QObject::connect(
      AddMenuItem(window, view, "mnuReaderControlPanel", QStringLiteral("Reader Control Panel"),
                  QKeySequence(Qt::CTRL | Qt::Key_F3), true),
      &QAction::triggered, &window, commands.showControlPanel);
  // The diagnostics window comes with its page.
  AddMenuItem(window, view, "mnuDiagnosticsOutput", QStringLiteral("Diagnostics Output"), {}, true)
      ->setEnabled(false);
  QObject::connect(
      AddMenuItem(window, view, "mnuDisplayAllTabs", QStringLiteral("Display All Tabs"),
                  QKeySequence(Qt::CTRL | Qt::Key_F5), true),
      &QAction::triggered, &window, commands.displayAllTabs);
  AddMenuItem(window, view, "mnuRWStatusPanel", QStringLiteral("R/W Status Panel"),
              QKeySequence(Qt::CTRL | Qt::Key_F6))
      ->setEnabled(false);
  items.hideTab =
      AddMenuItem(window, view, "mnuHideTab", QStringLiteral("Hide the \"Tags Seen\" tab"));
  items.hideTab->setEnabled(false);
  QObject::connect(items.hideTab, &QAction::triggered, &window, commands.hideActiveTab);
  QObject::connect(
      AddMenuItem(window, view, "mnuShowReplyNotSeen", QStringLiteral("Show/hide reply not seen"),
                  QKeySequence(Qt::CTRL | Qt::Key_F7), true),
      &QAction::triggered, &window, commands.toggleNoReplyWarning);
  QAction* portDebug =
      AddMenuItem(window, view, "mnuShowComPortDebug", QStringLiteral("Show COM port debug info"),
                  QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F1), true);
  portDebug->setCheckable(true);
  portDebug->setChecked(true);
  QObject::connect(portDebug, &QAction::toggled, &window, commands.showPortDebug);
}

void AddReaderMenus(QMainWindow& window, QMenuBar* bar, const MainMenuCommands& commands,
                    MainMenuItems& items) {
  QMenu* reader = Named(bar->addMenu(QStringLiteral("&Reader Control")), "mnuReaderControl");
  items.linkedSelection = AddMenuItem(window, reader, "mnuIdiotMode", QStringLiteral("&Idiot Mode"),
                                      QKeySequence(Qt::CTRL | Qt::Key_I), true);
  items.linkedSelection->setCheckable(true);
  items.linkedSelection->setChecked(true);
  // The reader command submenus are added by the window that owns them.
  items.readerControl = reader;

  QMenu* rw = Named(bar->addMenu(QStringLiteral("R/W")), "mnuRW");
  AddMenuItem(window, rw, "mnuReadPage15", QStringLiteral("Read Page 15"))->setEnabled(false);

  QMenu* help = Named(bar->addMenu(QStringLiteral("&Help")), "mnuHelp");
  QObject::connect(AddMenuItem(window, help, "mnuAbout", QStringLiteral("&About")),
                   &QAction::triggered, &window, commands.about);
}

}  // namespace

QAction* AddMenuItem(QMainWindow& window, QMenu* menu, const char* name, const QString& caption,
                     const QKeySequence& shortcut, bool hidden) {
  QAction* action = Named(menu->addAction(caption), name);
  if (!hidden) {
    action->setShortcut(shortcut);
    return action;
  }
  action->setVisible(false);
  if (!shortcut.isEmpty()) {
    auto* key = new QShortcut(shortcut, &window);
    key->setObjectName(QString::fromLatin1(name) + QStringLiteral("Key"));
    QObject::connect(key, &QShortcut::activated, action, &QAction::trigger);
  }
  return action;
}

MainMenuItems BuildMainMenu(QMainWindow& window, const MainMenuCommands& commands) {
  QMenuBar* bar = window.menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));
  MainMenuItems items;
  AddFileMenu(window, bar, commands, items);
  AddCommsMenu(window, bar, commands, items);
  AddViewMenu(window, bar, commands, items);
  AddReaderMenus(window, bar, commands, items);
  return items;
}

}  // namespace corvalis
