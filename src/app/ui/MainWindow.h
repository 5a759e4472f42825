#pragma once

#include <QMainWindow>
#include <QMessageBox>

#include <array>
#include <functional>
#include <memory>

#include "app/Settings.h"
#include "app/ui/ConfigObserver.h"
#include "app/ui/MainMenu.h"
#include "app/ui/PageTable.h"
#include "channels/ChannelHooks.h"
#include "common/ChannelIndex.h"
#include "protocol/ui/CommandWarningWindows.h"

class QLabel;
class QMenu;
class QTabWidget;
class QTimer;

namespace corvalis {

class AboutBox;
class AppContext;
class AppSession;
class ChannelStatusBar;
class CheckCrcDialog;
class ConfigDialog;
class ConfigureTagPage;
class DiagnosticsPage;
class DisplaySetupDialog;
class DisplayWindow;
class DownloadTab;
class FastMultiplexPage;
class LinkedSelection;
class ReaderConfigWindows;
class MemoStatus;
class ModbusScriptLink;
class MultiPagePage;
class TabStatementLink;
class TagSimPage;
class ModbusTab;
class ModbusTarget;
class RWCommanderPage;
class RwDataPage;
class ScriptTab;
class ShuttingDownWindow;
class TagLogControls;
class ImportProgressWindow;
class TagNamesPage;
class TagsSeenPage;
class TempTestPage;
class TTODisplayPage;

// The console's main window ("Form1"): the menu, the tab pages, the channel
// status bar and the display tick. It owns no protocol state; it shows what
// the application context holds and hands the operator's commands to it. The
// session has loaded the settings, opened the log and the channels before
// the window is made; the window applies the settings to its pages and
// saves them back at the orderly shutdown.
class MainWindow final : public QMainWindow, public ConfigObserver, private ChannelStatusListener {
  Q_OBJECT

 public:
  using MessageBoxSink =
      std::function<void(QMessageBox::Icon, const QString& title, const QString& text)>;

  MainWindow(AppSession& session, AppContext& context, MemoStatus& status,
             QWidget* parent = nullptr);
  ~MainWindow() override;

  // The Retry/Cancel box of a recording file that cannot be opened: true to
  // try again.
  static bool AskRetryRecordingFile(const QString& fileName);
  // The start-up problems the session collected, as message boxes.
  void ShowStartupProblems();
  // Message boxes go here instead (tests).
  void SetMessageBoxSink(MessageBoxSink sink) { showMessage_ = std::move(sink); }

  // Tab management.
  QWidget* PageWidget(Page page) const { return pages_[static_cast<size_t>(page)]; }
  bool PageShown(Page page) const;
  void ShowPage(Page page);  // the View menu's tab items
  void HideActiveTab();
  void DisplayAllTabs();

  // Channels: panels, menus and the Diagnostics fields.
  void RefreshChannelStatus();
  // A double click on status panel `panel` (0 = the time panel).
  void PanelDoubleClicked(int panel, bool shift);

  // Exit and closing the window: saves. Stop: ends without saving.
  void ShutDown();
  void Exit();
  void Stop();
  // Exit on SIGINT or SIGTERM: nobody may be at the window, so a failure is
  // reported on standard error only.
  void ExitOnSignal();

  // One 100 ms tick: the context's logic, then the views; nothing before the
  // window was first shown.
  void Tick();
  bool IsActive() const { return active_; }

  // ConfigObserver
  void SeenViewLayoutChanged() override;
  void ControlGroupsChanged() override;
  void OutputPortChanged(OutputPortUse use) override;
  void ConfigureDisplay() override;
  void RecordOutgoingChanged(bool on) override;
  void LoggingSetupChanged() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void Activate();
  // Timers off, channels closed, warnings hidden: the common start of Exit
  // and Stop.
  void StopRunning();
  void BuildPages();
  void LinkSelections();
  void MirrorCommanderPages();
  void BuildMenus();
  void BuildStatusBar();
  void BuildPageMenu();
  void ApplySettingsToControls();
  void StoreControlsToSettings();
  void HidePagesByShowKeys();
  void SetPageShown(Page page, bool shown);
  void PageChanged(int index);
  // The panel menu's commands on panel `panel` (0 = the time panel).
  void PanelOpen(int panel);
  void PanelClose(int panel);
  void PanelSetBaud(int panel, int baud);
  void RepaintStatusBar() override;
  void ChannelStatusRefreshed() override;
  bool IsTabChannel(int channel) const;
  int SendChannel() const;
  void ShowMessage(QMessageBox::Icon icon, const QString& title, const QString& text);
  void ReportSettingsNotSaved(const QString& path);
  void ShowCounters();
  void ShowLogWriteState();
  void SaveFilteredData();
  void StoreSeenSettings();
  void CheckTagIdCrc();
  void BuildReaderConfig();
  void BuildDisplay();

  AppSession& session_;
  AppContext& context_;
  MemoStatus& status_;
  Settings& settings_;

  QTabWidget* tabs_ = nullptr;  // "PageControl1"
  std::array<QWidget*, kPageCount> pages_{};
  TagsSeenPage* tagsSeen_ = nullptr;
  TagNamesPage* tagNames_ = nullptr;
  TagLogControls* logControls_ = nullptr;
  DiagnosticsPage* diagnostics_ = nullptr;
  RWCommanderPage* commander_ = nullptr;
  class RWTagTestPage* rwTagTest_ = nullptr;
  class TTOProgrammerPage* ttoProgrammer_ = nullptr;
  class RWStatusWindow* rwStatus_ = nullptr;
  ConfigureTagPage* configureTag_ = nullptr;
  FastMultiplexPage* fastMultiplex_ = nullptr;
  RwDataPage* rwData_ = nullptr;
  TempTestPage* tempTest_ = nullptr;
  ScriptTab* scriptTab_ = nullptr;
  TTODisplayPage* ttoDisplay_ = nullptr;
  ModbusTab* modbus_ = nullptr;
  DownloadTab* download_ = nullptr;
  std::unique_ptr<ModbusTarget> modbusTarget_;
  std::unique_ptr<ModbusScriptLink> modbusScript_;
  TagSimPage* tagSim_ = nullptr;
  MultiPagePage* multiPage_ = nullptr;
  // After modbusScript_: it hands the statements it does not own on to it.
  std::unique_ptr<TabStatementLink> tabStatements_;
  LinkedSelection* linked_ = nullptr;
  ReaderConfigWindows* readerConfig_ = nullptr;

  MainMenuCommands menuCommands_;
  MainMenuItems menu_;
  ChannelStatusBar* statusBar_ = nullptr;  // "StatusBar1"
  QLabel* logFailure_ = nullptr;           // on the status bar while the log fails
  QMenu* pageMenu_ = nullptr;              // "pmnuPageControl"

  AboutBox* aboutBox_ = nullptr;
  ConfigDialog* configDialog_ = nullptr;
  CheckCrcDialog* checkCrcDialog_ = nullptr;
  ShuttingDownWindow* shuttingDown_ = nullptr;
  ImportProgressWindow* importWindow_ = nullptr;
  DisplaySetupDialog* displaySetup_ = nullptr;
  DisplayWindow* displayWindow_ = nullptr;  // "frmWindowDisp"
  CommandWarningWindows warnings_;

  // Drives the context's 100 ms tick and the views ("Timer2").
  QTimer* tickTimer_ = nullptr;
  MessageBoxSink showMessage_;
  bool active_ = false;
  bool shutDown_ = false;
  bool endingOnSignal_ = false;
  bool ttoWarningShown_ = false;
  qint64 shownSecond_ = -1;
  int64_t countersShownAt_ = -1;
};

}  // namespace corvalis
