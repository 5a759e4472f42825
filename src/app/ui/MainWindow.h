#pragma once

#include <QMainWindow>
#include <QMessageBox>

#include <array>
#include <functional>
#include <vector>

#include "app/Settings.h"
#include "app/ui/ConfigObserver.h"
#include "channels/ChannelHooks.h"
#include "common/ChannelIndex.h"
#include "protocol/ui/CommandWarningWindows.h"

class QAction;
class QCheckBox;
class QComboBox;
class QMenu;
class QSpinBox;
class QTabWidget;
class QTimer;

namespace corvalis {

class ConfigureTagPage;
class RWCommanderPage;

class AppContext;
class AppSession;
class ChannelStatusBar;
class DiagnosticsPage;
class MemoStatus;
class TAboutBox;
class TagLogControls;
class ImportProgressWindow;
class TagNamesPage;
class TagsSeenPage;
class TdlgCheckCRCFrm;
class TfrmConfig;
class TfrmShuttingDown;

// The tab pages in their order.
enum class Page {
  kTagsSeen,
  kDiagnostics,
  kTagNames,
  kDownload,
  kTagSimControls,
  kRWCommander,
  kConfigureTag,
  kRWTagTest,
  kFastMultiplex,
  kQ2DataDisplay,
  kReaderTester,
  kTTOProgrammer,
  kMultiPage,
  kDecoderControl,
  kTTODisplay,
  kDebugTab,
  kDemos,
  kMessageFormat,
  kHopping,
  kTempTest,
  kModbusTCP,
  kCount
};
inline constexpr int kPageCount = static_cast<int>(Page::kCount);

// The console's main window: the menu, the tab pages, the channel status bar
// and the two timers. It owns no protocol state; it shows what the
// application context holds and hands the operator's commands to it. The
// session has loaded the settings, opened the log and the channels before
// the window is made; the window applies the settings to its pages and
// saves them back at the orderly shutdown.
class TForm1 final : public QMainWindow, public ConfigObserver, private ChannelStatusListener {
  Q_OBJECT

 public:
  using MessageBoxSink =
      std::function<void(QMessageBox::Icon, const QString& title, const QString& text)>;

  TForm1(AppSession& session, AppContext& context, MemoStatus& status, QWidget* parent = nullptr);
  ~TForm1() override;

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

  // Linked selection ("&Idiot Mode"): one channel and one reader ID for all
  // the pages' controls. Pages built later register theirs here; a reader ID
  // in the commander group also follows its group with linking off.
  void AddLinkedChannelControl(QComboBox* combo);
  void AddLinkedReaderIdControl(QSpinBox* spin, bool commanderGroup);
  void ApplyChannel(int channel);
  void ApplyReaderId(int readerId);

  // Channels: panels, menus and the Diagnostics fields.
  void RefreshChannelStatus();
  // The status bar's mouse commands on panel `panel` (0 = none).
  void PanelDoubleClicked(int panel, bool shift);
  void PanelOpen(int panel);
  void PanelClose(int panel);
  void PanelSetBaud(int panel, int baud);

  // Exit and closing the window: saves. Stop: ends without saving.
  void ShutDown();
  void Exit();
  void Stop();

  // The timers' work; nothing before the window was first shown.
  void Timer1Tick();
  void Timer2Tick();
  bool IsActive() const { return active_; }

  // ConfigObserver
  void SeenViewLayoutChanged() override;
  void ControlGroupsChanged() override;
  void OutputPortChanged(OutputPortUse use) override;
  void ConfigureDisplay() override;
  void RecordOutgoingChanged(bool on) override;
  void LoggingSetupChanged() override;

  QTabWidget* PageControl1;
  ChannelStatusBar* StatusBar1;
  TagsSeenPage* TagsSeen;
  TagNamesPage* TagNames;
  TagLogControls* LogControls;
  DiagnosticsPage* Diagnostics;
  RWCommanderPage* RWCommander;
  ConfigureTagPage* ConfigureTag;
  QComboBox* cmbQ2DChannel;
  QSpinBox* speQ2DReaderID;
  std::array<QCheckBox*, kReaderChannelCount> ckbFMC{};

  QAction* mnuSaveFilteredData;
  QAction* mnuStop;
  QAction* mnuExit;
  QAction* mnuCycle;
  QAction* mnuHideTab;
  QAction* mnuDisplayAllTabs;
  QAction* mnuIdiotMode;
  QAction* mnuShowReplyNotSeen;
  std::array<QAction*, kPageCount> viewTabItems{};  // null for pages without one
  std::array<QAction*, kChannelCount> CommsOpen{};
  std::array<QAction*, kChannelCount> CommsClose{};
  QMenu* pmnuStatusBar;
  QMenu* pmnuPageControl;

  TAboutBox* AboutBox;
  TfrmConfig* frmConfig;
  TdlgCheckCRCFrm* dlgCheckCRCFrm;
  TfrmShuttingDown* frmShuttingDown;
  ImportProgressWindow* frmLoadLogFile;
  CommandWarningWindows Warnings;

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // Timers off, channels closed, warnings hidden: the common start of Exit
  // and Stop.
  void StopRunning();
  struct SpinBinding {
    Setting key;
    QSpinBox* spin;
  };
  struct CheckBinding {
    Setting key;
    QCheckBox* check;
  };

  void BuildPages();
  void BuildMenus();
  void BuildStatusBar();
  QAction* AddItem(QMenu* menu, const char* name, const QString& caption,
                   const QKeySequence& shortcut = {}, bool hidden = false);
  void ApplySettingsToControls();
  void StoreControlsToSettings();
  void HidePagesByShowKeys();
  void SetPageShown(Page page, bool shown);
  void PageChanged(int index);
  void RepaintStatusBar() override;
  void ChannelStatusRefreshed() override;
  int TabChannel(int channel) const;
  void ShowMessage(QMessageBox::Icon icon, const QString& title, const QString& text);
  void ChannelChosen(QComboBox* source, int index);
  void ReaderIdChosen(QSpinBox* source, int value);
  void StoreSeenSettings();
  void CheckTagIdCrc();

  AppSession& session_;
  AppContext& context_;
  MemoStatus& status_;
  Settings& settings_;
  std::array<QWidget*, kPageCount> pages_{};
  std::vector<QComboBox*> linkedChannels_;
  std::vector<std::pair<QSpinBox*, bool>> linkedReaderIds_;
  std::vector<SpinBinding> spinBindings_;
  std::vector<CheckBinding> checkBindings_;
  QTimer* Timer1;
  QTimer* Timer2;
  MessageBoxSink showMessage_;
  bool active_ = false;
  bool shutDown_ = false;
  bool linkBusy_ = false;
  bool ttoWarningShown_ = false;
  qint64 shownSecond_ = -1;
};

}  // namespace corvalis
