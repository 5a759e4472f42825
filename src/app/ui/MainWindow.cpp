#include "app/ui/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>
#include <optional>

#include "app/AppContext.h"
#include "app/MemoStatus.h"
#include "app/SettingsBinding.h"
#include "app/Startup.h"
#include "app/ui/AboutBox.h"
#include "app/ui/ChannelPanelMenu.h"
#include "app/ui/ChannelStatusBar.h"
#include "app/ui/CheckCrcDialog.h"
#include "app/ui/ConfigDialog.h"
#include "app/ui/DiagnosticsPage.h"
#include "app/ui/EngineeringPages.h"
#include "app/ui/LinkedSelection.h"
#include "app/ui/ModbusScriptLink.h"
#include "app/ui/ShuttingDown.h"
#include "app/ui/TabStatementLink.h"
#include "channels/ui/CommPortSettingsDialog.h"
#include "common/ui/Named.h"
#include "control/ui/CommandWordEditor.h"
#include "control/ui/ConfigReader2Window.h"
#include "control/ui/ConfigureTagPage.h"
#include "control/ui/DecoderControlPage.h"
#include "control/ui/HoppingPage.h"
#include "control/ui/RWCommanderPage.h"
#include "control/ui/ReaderConfigWindows.h"
#include "control/ui/ReaderControlMenu.h"
#include "control/ui/ReaderControlPanel.h"
#include "control/ui/ReaderControlWindow.h"
#include "control/ui/RfControlsGroup.h"
#include "control/ui/SteppingGroup.h"
#include "demos/ui/DemosPage.h"
#include "demos/ui/TollingWindow.h"
#include "logging/ui/FlashLogMenu.h"
#include "logging/ui/ImportProgressWindow.h"
#include "logging/ui/SaveFilteredData.h"
#include "logging/ui/TagLogControls.h"
#include "modbus/ui/ModbusTab.h"
#include "mqtt/ui/MqttStatusLabel.h"
#include "script/firmware/ui/DownloadTab.h"
#include "script/ui/ScriptTab.h"
#include "tagrw/ui/MultiPagePage.h"
#include "tagrw/ui/RWStatusWindow.h"
#include "tagrw/ui/RWTagTestPage.h"
#include "tagrw/ui/TTOProgrammerPage.h"
#include "tagrw/ui/TagSimPage.h"
#include "tags/ui/DisplaySetupDialog.h"
#include "tags/ui/DisplayWindow.h"
#include "tags/ui/TTODisplayPage.h"
#include "tags/ui/TagNamesPage.h"
#include "tags/ui/TagsSeenPage.h"

namespace corvalis {
namespace {

const char kTtoWarning[] =
    "This tab is only used for programming unprogrammed \r\nand untrimmed Q2 TTO tags on a "
    "testbench.\r\n\r\nA special 3PIC controller is required for its use.\r\n\r\nIt is not "
    "intended for any other purpose.\r\n";

SeenViewSettings SeenSettingsFrom(const Settings& settings) {
  SeenViewSettings seen;
  seen.numToShow = settings.Integer(Setting::NumToShow);
  seen.showTimeoutSec = settings.Integer(Setting::ShowTimeout);
  seen.showWhat = static_cast<SeenLabel>(settings.Integer(Setting::ShowSeenWhat));
  seen.separateIQ = settings.Bool(Setting::SeparateIQ);
  seen.showReadRate = settings.Bool(Setting::ShowReadRate);
  seen.readRatePeriod = settings.Integer(Setting::ReadRatePeriod);
  seen.readRateIntervals = settings.Integer(Setting::ReadRateIntervals);
  return seen;
}

// Modbus requests go to the Diagnostics tab's send channel and reader ID.
class SendSelection final : public ModbusTarget {
 public:
  explicit SendSelection(ReaderControlPanel& panel) : panel_(panel) {}
  int SendChannel() const override { return panel_.SendChannel(); }
  int MainReaderId() const override { return panel_.ReaderIdControl()->value(); }

 private:
  ReaderControlPanel& panel_;
};

}  // namespace

MainWindow::MainWindow(AppSession& session, AppContext& context, MemoStatus& status,
                       QWidget* parent)
    : QMainWindow(parent),
      session_(session),
      context_(context),
      status_(status),
      settings_(session.settings()) {
  setObjectName(QStringLiteral("Form1"));
  resize(1100, 720);

  BuildPages();
  LinkSelections();
  BuildMenus();
  BuildStatusBar();
  BuildPageMenu();

  aboutBox_ = new AboutBox(settings_, this);
  configDialog_ = new ConfigDialog(settings_, context_, *this, this);
  checkCrcDialog_ = new CheckCrcDialog(this);
  shuttingDown_ = new ShuttingDownWindow(this);
  BuildDisplay();
  importWindow_ =
      new ImportProgressWindow(this, context_.dispatcher(), context_.tagTable(), context_.clock());
  connect(importWindow_, &ImportProgressWindow::runningChanged, this, [this](bool running) {
    findChild<QAction*>(QStringLiteral("mnuImportLogFile"))->setEnabled(!running);
  });

  tickTimer_ = Named(new QTimer(this), "Timer2");
  tickTimer_->setInterval(100);
  connect(tickTimer_, &QTimer::timeout, this, &MainWindow::Tick);

  // The lines written before the memo existed (the settings file path).
  for (const QString& line : status_.lines) diagnostics_->AddCommsLine(line.toStdString());
  status_.lineAdded = [this](std::string_view line) { diagnostics_->AddCommsLine(line); };

  ApplySettingsToControls();
  ControlGroupsChanged();
  HidePagesByShowKeys();

  context_.channels().SetStatusListener(this);
  context_.commands().SetWarnings(&warnings_);
  context_.dispatcher().AddObserver(&diagnostics_->RawMonitor());
  // Sent lines show in the raw-data memo whatever its check box says.
  context_.commands().SetRawDataMonitor(&diagnostics_->RawMonitor());
  MirrorCommanderPages();
  RefreshChannelStatus();
  PageChanged(0);

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(std::max(0, (area.width() - width()) / 2), std::max(0, (area.height() - height()) / 2));
  }
  if (settings_.Bool(Setting::ShowControlPanel)) {
    move(0, 0);
    readerConfig_->ShowPanels();
  }

  tickTimer_->start();
}

MainWindow::~MainWindow() {
  context_.display().SetWindow(nullptr);
  status_.lineAdded = nullptr;
  context_.channels().SetStatusListener(nullptr);
  context_.commands().SetWarnings(nullptr);
  context_.commands().SetRawDataMonitor(nullptr);
  context_.dispatcher().RemoveObserver(&diagnostics_->RawMonitor());
}

bool MainWindow::AskRetryRecordingFile(const QString& fileName) {
  const auto answer =
      QMessageBox::warning(nullptr, QStringLiteral("File Open Error"),
                           QStringLiteral("Unable to re-open \"%1\" for appending\n").arg(fileName),
                           QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Retry);
  return answer == QMessageBox::Retry;
}

void MainWindow::ShowStartupProblems() {
  for (const StartupProblem& problem : session_.Problems()) {
    if (shutDown_) return;  // a stop signal came while a box was open
    ShowMessage(QMessageBox::Warning, problem.title, problem.text);
  }
}

void MainWindow::ShowMessage(QMessageBox::Icon icon, const QString& title, const QString& text) {
  if (showMessage_) {
    showMessage_(icon, title, text);
    return;
  }
  QMessageBox box(icon, title, text, QMessageBox::Ok, this);
  box.exec();
}

// ---------------------------------------------------------------- pages

void MainWindow::BuildPages() {
  tabs_ = Named(new QTabWidget(this), "PageControl1");
  setCentralWidget(tabs_);
  for (int i = 0; i < kPageCount; ++i) {
    auto* page = Named(new QWidget, Def(i).name);
    pages_[static_cast<size_t>(i)] = page;
    tabs_->addTab(page, QString::fromLatin1(Def(i).caption));
  }
  auto host = [this](Page page, QWidget* content) {
    auto* layout = new QVBoxLayout(PageWidget(page));
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(content);
  };

  tagsSeen_ = Named(new TagsSeenPage(context_.tagTable(), context_.clock()), "TagsSeenPage");
  host(Page::kTagsSeen, tagsSeen_);
  logControls_ = new TagLogControls(context_.logWriter(), context_.tagTable());
  logControls_->SetSeenLabelSource([this] { return tagsSeen_->CurrentSettings().showWhat; });
  tagsSeen_->SetLoggingControls(logControls_);
  QAction* checkCrc = tagsSeen_->AddMenuItem(QStringLiteral("Check ID CRC"), "mnuCheckIDCRC");
  connect(checkCrc, &QAction::triggered, this, &MainWindow::CheckTagIdCrc);
  connect(tagsSeen_, &TagsSeenPage::settingsEdited, this, &MainWindow::StoreSeenSettings);
  connect(tagsSeen_, &TagsSeenPage::clearPressed, this, [this] { context_.ClearReceiveBuffers(); });

  diagnostics_ = Named(new DiagnosticsPage(context_), "DiagnosticsPage");
  host(Page::kDiagnostics, diagnostics_);
  connect(tagsSeen_, &TagsSeenPage::readRateEvaluated, diagnostics_,
          [this](const QString& iText, const QString& qText, int, int) {
            diagnostics_->ShowReadRate(iText, qText);
          });

  commander_ = Named(new RWCommanderPage(context_), "RWCommanderPage");
  host(Page::kRWCommander, commander_);
  configureTag_ = Named(new ConfigureTagPage(*commander_), "ConfigureTagPage");
  host(Page::kConfigureTag, configureTag_);
  connect(tagsSeen_, &TagsSeenPage::copyIdToRwCommander, commander_, &RWCommanderPage::TakeTagId);
  auto commanderTarget = [this] {
    const auto* tagId = commander_->findChild<QComboBox*>(QStringLiteral("cmbCmdTagID"));
    return RWTagTestPage::Target{commander_->CommanderChannel(), commander_->ReaderId(),
                                 tagId != nullptr ? tagId->currentText() : QString()};
  };
  rwTagTest_ = Named(new RWTagTestPage(context_, commanderTarget), "RWTagTestPage");
  host(Page::kRWTagTest, rwTagTest_);
  ttoProgrammer_ = Named(new TTOProgrammerPage(context_, commanderTarget,
                                               [this] { return commander_->Editor().Fields(); }),
                         "TTOProgrammerPage");
  host(Page::kTTOProgrammer, ttoProgrammer_);
  connect(rwTagTest_, &RWTagTestPage::tagIdChosen, commander_, &RWCommanderPage::TakeTagId);
  connect(ttoProgrammer_, &TTOProgrammerPage::idPageUsed, rwTagTest_,
          [this] { rwTagTest_->AddPageToHistory(0); });
  connect(rwTagTest_, &RWTagTestPage::programRequested, this, [this] { context_.tto().Program(); });

  tagNames_ = Named(new TagNamesPage(context_.tagNames()), "TagNamesPage");
  tagNames_->SetCrcSeedSource([this] { return context_.protocolSettings().crcSeed; });
  host(Page::kTagNames, tagNames_);
  connect(tagNames_, &TagNamesPage::registrationFileChosen, this, [this](const QString& path) {
    settings_.SetString(Setting::RegistrationFileName, path);
  });
  connect(tagNames_, &TagNamesPage::lastErrorCleared, this, [this] {
    status_.SetLastError({});
    diagnostics_->ShowLastError({});
  });

  fastMultiplex_ = Named(new FastMultiplexPage, "FastMultiplexPage");
  host(Page::kFastMultiplex, fastMultiplex_);
  connect(fastMultiplex_, &FastMultiplexPage::channelsChanged, this,
          [this] { RepaintStatusBar(); });
  rwData_ = Named(new RwDataPage, "RwDataPage");
  host(Page::kQ2DataDisplay, rwData_);
  tempTest_ = Named(new TempTestPage, "TempTestPage");
  host(Page::kTempTest, tempTest_);
  // The race, plug-test and ms-timing windows open from here.
  auto* demos = Named(new DemosPage(context_, this), "DemosPage");
  host(Page::kDemos, demos);
  // The tolling window's channel and reader ID become the main window's.
  ReaderControlPanel& sendTarget = diagnostics_->ReaderControl();
  connect(demos->tolling(), &TollingWindow::channelChosen, sendTarget.ChannelControl(),
          &QComboBox::setCurrentIndex);
  connect(demos->tolling(), &TollingWindow::readerIdChosen, sendTarget.ReaderIdControl(),
          &QSpinBox::setValue);
  scriptTab_ = Named(new ScriptTab(context_), "ScriptTab");
  host(Page::kReaderTester, scriptTab_);
  BuildReaderConfig();
  ttoDisplay_ = Named(new TTODisplayPage(context_.tagTable()), "TTODisplayPage");
  host(Page::kTTODisplay, ttoDisplay_);
  connect(tagsSeen_, &TagsSeenPage::seenViewRefreshed, this, [this] {
    if (tabs_->currentIndex() != static_cast<int>(Page::kTTODisplay)) return;
    ttoDisplay_->SetRows(tagsSeen_->CurrentSettings().numToShow,
                         context_.tagTable().settings().noiseLimit);
    ttoDisplay_->Refresh();
  });
  connect(tagsSeen_, &TagsSeenPage::seenTableCleared, ttoDisplay_, &TTODisplayPage::Reset);
  connect(ttoDisplay_, &TTODisplayPage::optionsEdited, this,
          [this] { StorePageDisplayOptions(ttoDisplay_->Options(), settings_); });

  modbusTarget_ = std::make_unique<SendSelection>(diagnostics_->ReaderControl());
  modbus_ = new ModbusTab(context_.modbus(), *modbusTarget_, context_.clock());
  modbus_->SetCommandSender(&context_.commands());
  modbusScript_ = std::make_unique<ModbusScriptLink>(context_.interpreter(), *scriptTab_, *modbus_);
  modbus_->SetPeriodicReadRunner(modbusScript_.get());
  host(Page::kModbusTCP, modbus_);
  tagSim_ = Named(new TagSimPage(context_), "TagSimPage");
  host(Page::kTagSimControls, tagSim_);
  multiPage_ = Named(new MultiPagePage(context_, *scriptTab_), "MultiPagePage");
  host(Page::kMultiPage, multiPage_);
  tabStatements_ = std::make_unique<TabStatementLink>(
      context_, TabStatementLink::Tabs{*tagSim_, *commander_, *tagsSeen_, readerConfig_->Panel()},
      *modbusScript_);
  download_ = new DownloadTab(context_.download());
  host(Page::kDownload, download_);

  connect(tabs_, &QTabWidget::currentChanged, this, &MainWindow::PageChanged);
}

void MainWindow::MirrorCommanderPages() {
  // After the settings are in, so neither page's stored pages overwrite the
  // other's while loading; the commander's count.
  rwData_->SetPages(commander_->StartPage(), commander_->NumPages());
  connect(commander_, &RWCommanderPage::pagesChanged, rwData_, &RwDataPage::SetPages);
  connect(rwData_, &RwDataPage::pagesChanged, commander_, &RWCommanderPage::SetPages);
}

void MainWindow::BuildReaderConfig() {
  ReaderMenuTargets targets;
  targets.sendChannel = [this] { return SendChannel(); };
  targets.readerId = [this] { return diagnostics_->ReaderControl().ReaderIdControl()->value(); };
  targets.commanderChannel = [this] { return commander_->CommanderChannel(); };
  targets.commanderReaderId = [this] { return commander_->ReaderId(); };
  // Stepping needs a log file: the same choice as "&Save Filtered Data ...".
  auto ensureLogging = [this] {
    if (!context_.logWriter().IsLogging()) SaveFilteredData();
    return context_.logWriter().IsLogging();
  };
  readerConfig_ = new ReaderConfigWindows(context_, settings_, *this, targets, ensureLogging);
  readerConfig_->Menu().setObjectName(QStringLiteral("ReaderControlMenu"));
  auto sink = [this](const QString& text) {
    ShowMessage(QMessageBox::Warning, QStringLiteral("Reader Control"), text);
  };
  readerConfig_->Panel().SetMessageSink(sink);
  readerConfig_->Menu().SetMessageSink(sink);
  readerConfig_->Hopping().SetMessageSink(sink);
  auto host = [this](Page page, QWidget* content) {
    auto* layout = new QVBoxLayout(PageWidget(page));
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(content);
  };
  host(Page::kHopping, Named(&readerConfig_->Hopping(), "HoppingPage"));
  host(Page::kDecoderControl, Named(&readerConfig_->Decoder(), "DecoderControlPage"));
  PageWidget(Page::kTagsSeen)->layout()->addWidget(&readerConfig_->RfControls());
  PageWidget(Page::kDiagnostics)->layout()->addWidget(&readerConfig_->Stepping());
  connect(&readerConfig_->Hopping(), &HoppingPage::startFrequencyChanged, tagsSeen_,
          &TagsSeenPage::SetHopFrequencyText);
  connect(&readerConfig_->Stepping(), &SteppingGroup::loggingChanged, this, [this] {
    menu_.saveFilteredData->setChecked(context_.logWriter().IsLogging());
    logControls_->Refresh();
  });
  connect(&diagnostics_->ReaderControl(), &ReaderControlPanel::commsSettingsChosen,
          &readerConfig_->Panel(), &ReaderControlWindow::ShowCommsChoice);
}

void MainWindow::LinkSelections() {
  linked_ = new LinkedSelection(this);
  ReaderControlPanel& readerControl = diagnostics_->ReaderControl();
  linked_->AddChannelControl(readerControl.ChannelControl());
  linked_->AddChannelControl(rwData_->ChannelControl(), true);
  linked_->AddReaderIdControl(readerControl.ReaderIdControl(), false);
  linked_->AddReaderIdControl(rwData_->ReaderIdControl(), true);
  linked_->AddChannelControl(commander_->ChannelControl(), true);
  linked_->AddReaderIdControl(commander_->ReaderIdControl(), true);
  linked_->AddChannelControl(readerConfig_->Panel().ChannelControl());
  linked_->AddReaderIdControl(readerConfig_->Panel().ReaderIdControl(), false);
  linked_->AddChannelControl(readerConfig_->Hopping().ChannelControl());
  linked_->AddReaderIdControl(readerConfig_->Hopping().ReaderIdControl(), false);
  connect(linked_, &LinkedSelection::channelsChanged, this, [this] { RepaintStatusBar(); });
  // The RT tab tracks the send channel and reader ID, and leads them.
  connect(scriptTab_, &ScriptTab::channelChosen, linked_, &LinkedSelection::ApplyChannel);
  connect(scriptTab_, &ScriptTab::readerIdChosen, linked_, &LinkedSelection::ApplyReaderId);
  connect(readerControl.ChannelControl(), &QComboBox::currentIndexChanged, this, [this](int index) {
    scriptTab_->FollowChannel(index);
    context_.scriptRecorder().RecordChannelChange(index);
  });
  connect(readerControl.ReaderIdControl(), &QSpinBox::valueChanged, scriptTab_,
          &ScriptTab::FollowReaderId);
}

bool MainWindow::PageShown(Page page) const {
  const int index = static_cast<int>(page);
  return tabs_->isTabVisible(index) && tabs_->isTabEnabled(index);
}

void MainWindow::SetPageShown(Page page, bool shown) {
  const int index = static_cast<int>(page);
  if (index == 0 && !shown) return;  // Tags Seen is always there
  tabs_->setTabEnabled(index, shown);
  tabs_->setTabVisible(index, shown);
  if (!shown && tabs_->currentIndex() != 0) {
    if (tabs_->currentIndex() == index || !PageShown(static_cast<Page>(tabs_->currentIndex()))) {
      tabs_->setCurrentIndex(0);
    }
  }
}

void MainWindow::HidePagesByShowKeys() {
  for (int i = 0; i < kPageCount; ++i) {
    const PageDef& def = Def(i);
    if (!def.showKey) continue;
    const bool shown = settings_.Bool(*def.showKey);
    SetPageShown(static_cast<Page>(i), shown);
    QAction* item = menu_.viewTabs[static_cast<size_t>(i)];
    if (def.menuHiddenWithPage && item != nullptr) item->setVisible(shown);
  }
  tabs_->setCurrentIndex(0);
}

void MainWindow::ShowPage(Page page) {
  // A page the operator asked for stays there at the next start.
  if (const auto key = Def(page).showKey) settings_.SetBool(*key, true);
  SetPageShown(page, true);
  tabs_->setCurrentIndex(static_cast<int>(page));
}

void MainWindow::HideActiveTab() {
  const int index = tabs_->currentIndex();
  if (index <= 0) return;
  if (const auto key = Def(index).showKey) settings_.SetBool(*key, false);
  SetPageShown(static_cast<Page>(index), false);
  tabs_->setCurrentIndex(0);
}

void MainWindow::DisplayAllTabs() {
  for (const Page page : kDisplayAllPages) {
    settings_.SetBool(*Def(page).showKey, true);
    SetPageShown(page, true);
  }
  SetPageShown(Page::kTagNames, true);
  for (QAction* item : menu_.viewTabs) {
    if (item != nullptr) item->setVisible(true);
  }
}

void MainWindow::PageChanged(int index) {
  if (index < 0) return;
  menu_.hideTab->setText(QStringLiteral("Hide the \"%1\" tab").arg(Def(index).caption));
  menu_.hideTab->setEnabled(index != 0);
  if (index == static_cast<int>(Page::kTTOProgrammer) && !ttoWarningShown_) {
    ttoWarningShown_ = true;
    ShowMessage(QMessageBox::Warning, QStringLiteral("TTO Programmer"),
                QString::fromLatin1(kTtoWarning));
  }
  RepaintStatusBar();
}

// ---------------------------------------------------------------- menus

void MainWindow::BuildMenus() {
  MainMenuCommands& c = menuCommands_;
  c.importLogFile = [this] { importWindow_->ImportLogFile(); };
  c.readRegistrationFile = [this] { tagNames_->ReadRegistrationFile(); };
  c.saveFilteredData = [this] { SaveFilteredData(); };
  c.exit = [this] { Exit(); };
  c.stop = [this] { Stop(); };
  c.openChannel = [this](int channel) { context_.channels().Open(channel); };
  c.closeChannel = [this](int channel) { context_.channels().Close(channel); };
  c.channelSettings = [this](int channel) {
    CommPortSettingsDialog::Edit(this, context_.channels(), channel);
  };
  c.cycleRows = [this] {
    tagsSeen_->Cycle(false);
    StoreSeenSettings();
  };
  c.showRows = [this](int rows) {
    tagsSeen_->SetNumToShow(rows);
    StoreSeenSettings();
  };
  c.showPage = [this](Page page) { ShowPage(page); };
  c.configuration = [this] { configDialog_->ShowConfig(); };
  c.showControlPanel = [this] { readerConfig_->ShowPanels(); };
  c.displayAllTabs = [this] { DisplayAllTabs(); };
  c.hideActiveTab = [this] { HideActiveTab(); };
  c.toggleNoReplyWarning = [this] { context_.ToggleNoReplyWarning(); };
  c.showPortDebug = [this](bool on) { context_.SetPortEventLines(on); };
  c.about = [this] { aboutBox_->exec(); };
  menu_ = BuildMainMenu(*this, menuCommands_);
  readerConfig_->BuildMenu(menu_.readerControl);
  if (auto* statusPanel = findChild<QAction*>(QStringLiteral("mnuRWStatusPanel"))) {
    ReaderControlPanel& send = diagnostics_->ReaderControl();
    rwStatus_ = new RWStatusWindow(
        context_.commands(), [&send] { return send.SendChannel(); },
        [&send] { return send.ReaderIdControl()->value(); }, this);
    statusPanel->setEnabled(true);
    // Ctrl+F6 toggles the window.
    connect(statusPanel, &QAction::triggered, this, [this] {
      if (rwStatus_->isVisible()) {
        rwStatus_->hide();
        return;
      }
      rwStatus_->move(frameGeometry().topRight());
      rwStatus_->show();
      rwStatus_->raise();
    });
  }
  if (auto* view = findChild<QMenu*>(QStringLiteral("mnuView")))
    AddFlashLogWindows(
        view, context_, [this] { return SendChannel(); }, this);
  if (auto* readPage15 = findChild<QAction*>(QStringLiteral("mnuReadPage15"))) {
    readPage15->setEnabled(true);
    connect(readPage15, &QAction::triggered, this, [this] { context_.tto().ReadConfig(); });
  }
  connect(menu_.linkedSelection, &QAction::toggled, linked_, &LinkedSelection::SetLinked);
}

void MainWindow::SaveFilteredData() {
  const bool on = SetLogging(this, context_.logWriter());
  menu_.saveFilteredData->setChecked(on);
  StoreLogSettings(context_.logWriter().Settings(), settings_);
  logControls_->Refresh();
}

void MainWindow::BuildPageMenu() {
  pageMenu_ = Named(new QMenu(this), "pmnuPageControl");
  Named(pageMenu_->addAction(QStringLiteral("Hide the currently active tab"), this,
                             &MainWindow::HideActiveTab),
        "mnuHideActiveTab");
  tabs_->tabBar()->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(tabs_->tabBar(), &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { pageMenu_->popup(tabs_->tabBar()->mapToGlobal(pos)); });
}

void MainWindow::BuildStatusBar() {
  statusBar_ = new ChannelStatusBar(this);
  setStatusBar(statusBar_);
  connect(statusBar_, &ChannelStatusBar::panelDoubleClicked, this, &MainWindow::PanelDoubleClicked);

  ChannelPanelMenu::Commands commands;
  commands.open = [this](int panel) { PanelOpen(panel); };
  commands.close = [this](int panel) { PanelClose(panel); };
  commands.settings = [this](int panel) {
    if (panel >= 1) CommPortSettingsDialog::Edit(this, context_.channels(), panel - 1);
    RefreshChannelStatus();
  };
  commands.setBaud = [this](int panel, int baud) { PanelSetBaud(panel, baud); };
  commands.setActive = [this](int panel) {
    if (panel >= 1) diagnostics_->ReaderControl().SetSendChannel(panel - 1);
    RefreshChannelStatus();
  };
  new ChannelPanelMenu(*statusBar_, std::move(commands), this);

  logFailure_ = Named(new QLabel, "lblLogFailure");
  logFailure_->setStyleSheet(QStringLiteral("color: red; font-weight: bold;"));
  logFailure_->hide();
  statusBar_->addPermanentWidget(logFailure_);
  statusBar_->addPermanentWidget(new MqttStatusLabel(context_.mqtt(), this));
}

// A log that cannot be written is told where the eye goes first.
void MainWindow::ShowLogWriteState() {
  logControls_->ShowWriteState();
  const TagLogWriter& writer = context_.logWriter();
  const bool failing = writer.IsLogging() && writer.WriteFailing();
  if (failing) {
    const QString text = QString::fromStdString(writer.StatusLabelText());
    if (text != logFailure_->text()) logFailure_->setText(text);
  }
  if (failing != logFailure_->isVisibleTo(statusBar_)) logFailure_->setVisible(failing);
}

// ---------------------------------------------------------------- settings

void MainWindow::ApplySettingsToControls() {
  setWindowTitle(settings_.String(Setting::Title));
  tagsSeen_->ApplySettings(SeenSettingsFrom(settings_));
  diagnostics_->ReaderControl().LoadFromSettings(settings_);
  commander_->LoadFromSettings(settings_);
  tagSim_->LoadFromSettings(settings_);
  rwData_->LoadFromSettings(settings_);
  tempTest_->LoadFromSettings(settings_);
  scriptTab_->LoadFromSettings(settings_);
  ttoDisplay_->SetOptions(PageDisplayOptionsFrom(settings_));
  context_.tto().crcChoice() = PageCrcChoiceFrom(settings_);
  rwTagTest_->SetTtoControlsShown(settings_.Bool(Setting::ShowTTOPrgTab));
  download_->LoadFromSettings(settings_);
  diagnostics_->ShowWaitTime(context_.tagTable().settings().waitTime);
  tagNames_->SetRegistrationFileName(
      ResolveStoredPath(settings_.String(Setting::RegistrationFileName), settings_.applicationDir));
  menu_.saveFilteredData->setChecked(context_.logWriter().IsLogging());
}

void MainWindow::StoreControlsToSettings() {
  StoreSeenSettings();
  diagnostics_->ReaderControl().StoreToSettings(settings_);
  commander_->StoreToSettings(settings_);
  tagSim_->StoreToSettings(settings_);
  rwData_->StoreToSettings(settings_);
  tempTest_->StoreToSettings(settings_);
  scriptTab_->StoreToSettings(settings_);
  download_->StoreToSettings(settings_);
  StorePageCrcChoice(context_.tto().crcChoice(), settings_);
}

void MainWindow::StoreSeenSettings() {
  const SeenViewSettings seen = tagsSeen_->CurrentSettings();
  settings_.SetInteger(Setting::NumToShow, seen.numToShow);
  settings_.SetInteger(Setting::ShowTimeout, seen.showTimeoutSec);
  settings_.SetInteger(Setting::ShowSeenWhat, static_cast<int>(seen.showWhat));
}

// ---------------------------------------------------------------- channels

void MainWindow::RefreshChannelStatus() {
  context_.channels().RefreshStatus();
}

void MainWindow::ChannelStatusRefreshed() {
  for (int ch = 0; ch < kChannelCount; ++ch) {
    const ChannelView& view = context_.channels().View(ch);
    menu_.openChannel[static_cast<size_t>(ch)]->setEnabled(view.openEnabled);
    menu_.closeChannel[static_cast<size_t>(ch)]->setEnabled(view.closeEnabled);
  }
  diagnostics_->ShowWaitTime(context_.tagTable().settings().waitTime);
  diagnostics_->ShowLastError(status_.lastError);
  QStringList open;
  for (int ch = 0; ch < kReaderChannelCount; ++ch) {
    if (context_.channels().View(ch).open)
      open << QString::fromStdString(context_.channels().TransportOf(ch).Name());
  }
  modbus_->ShowOpenChannels(open);
  RepaintStatusBar();
}

int MainWindow::SendChannel() const {
  return diagnostics_->ReaderControl().SendChannel();
}

bool MainWindow::IsTabChannel(int channel) const {
  switch (static_cast<Page>(tabs_->currentIndex())) {
    case Page::kFastMultiplex:
      return fastMultiplex_->TakesPart(channel);
    case Page::kQ2DataDisplay:
      return rwData_->Channel() == channel;
    case Page::kRWCommander:
      return commander_->CommanderChannel() == channel;
    default:
      return SendChannel() == channel;
  }
}

void MainWindow::RepaintStatusBar() {
  const int send = SendChannel();
  for (int ch = 0; ch < kChannelCount; ++ch) {
    const ChannelView& view = context_.channels().View(ch);
    ChannelPanel panel;
    panel.text = view.panelText;
    panel.open = view.open;
    panel.sendChannel = send == ch;
    panel.tabChannel = IsTabChannel(ch);
    panel.receive = view.activity;
    panel.send = view.sendActivity;
    statusBar_->SetPanel(ch, panel);
  }
}

void MainWindow::PanelDoubleClicked(int panel, bool shift) {
  if (panel < 1 || panel > kChannelCount) return;
  const int channel = panel - 1;
  if (shift) {
    diagnostics_->ReaderControl().SetSendChannel(channel);
    context_.channels().Open(channel);
  } else if (context_.channels().View(channel).open) {
    context_.channels().Close(channel);
  } else {
    context_.channels().Open(channel);
  }
  RepaintStatusBar();
}

void MainWindow::PanelOpen(int panel) {
  if (panel >= 1) context_.channels().Open(panel - 1);
  RefreshChannelStatus();
}

void MainWindow::PanelClose(int panel) {
  if (panel >= 1) context_.channels().Close(panel - 1);
  RefreshChannelStatus();
}

void MainWindow::PanelSetBaud(int panel, int baud) {
  if (panel >= 1) {
    ChannelSettings settings = context_.channels().Settings(panel - 1);
    settings.baud = baud;
    context_.channels().ApplySettings(panel - 1, settings);
  }
  RefreshChannelStatus();
}

// ---------------------------------------------------------------- tick

void MainWindow::Tick() {
  if (!active_) return;
  context_.Tick();
  tagsSeen_->Tick();
  ShowLogWriteState();
  if (context_.SecondsTicked() != countersShownAt_) {
    countersShownAt_ = context_.SecondsTicked();
    ShowCounters();
  }
  const QTime now = QTime::currentTime();
  const qint64 second = now.msecsSinceStartOfDay() / 1000;
  if (second != shownSecond_) {
    shownSecond_ = second;
    statusBar_->SetTimeText(now.toString(QStringLiteral("HH:mm:ss")));
  }
}

void MainWindow::ShowCounters() {
  diagnostics_->ShowReadActivity(context_.IdsLastSecond());
  diagnostics_->ShowCounters(context_.tagTable(), status_.lastError);
  diagnostics_->ShowPurged(status_.purged);
}

void MainWindow::Activate() {
  if (shutDown_) return;
  active_ = true;
  linked_->SetActive(true);
}

void MainWindow::showEvent(QShowEvent* event) {
  // Without a window manager activation may never come: the first show
  // starts the timers' work.
  Activate();
  QMainWindow::showEvent(event);
}

void MainWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) Activate();
  QMainWindow::changeEvent(event);
}

// ---------------------------------------------------------------- config observer

void MainWindow::SeenViewLayoutChanged() {
  tagsSeen_->ApplySettings(SeenSettingsFrom(settings_));
}

void MainWindow::ControlGroupsChanged() {
  logControls_->Refresh();
  tagsSeen_->SetSoundButtonShown(!settings_.Bool(Setting::ShowLogging));
  readerConfig_->ApplyShowKeys();
}

void MainWindow::BuildDisplay() {
  displaySetup_ = new DisplaySetupDialog(this);
  displayWindow_ = new DisplayWindow(this);
  displayWindow_->SetClearAction([this] { context_.display().ShowOnDisplay(kClearDisplay); });
  context_.display().SetWindow(displayWindow_);
  context_.display().InitDisplay();
}

void MainWindow::OutputPortChanged(OutputPortUse) {
  context_.SetDisplaySettings(DisplaySettingsFrom(settings_));
}

void MainWindow::ConfigureDisplay() {
  DisplaySettings display = DisplaySettingsFrom(settings_);
  if (!displaySetup_->Edit(display)) return;
  StoreDisplaySettings(display, settings_);
  context_.SetDisplaySettings(DisplaySettingsFrom(settings_));
}

void MainWindow::RecordOutgoingChanged(bool on) {
  context_.SetRecordOutgoing(on);
}

void MainWindow::LoggingSetupChanged() {
  diagnostics_->ShowWaitTime(context_.tagTable().settings().waitTime);
  logControls_->Refresh();
}

void MainWindow::CheckTagIdCrc() {
  const char* id = tagsSeen_->View().RowHexId(tagsSeen_->CurrentRow());
  if (id != nullptr) checkCrcDialog_->Check(QString::fromLatin1(id));
}

// ---------------------------------------------------------------- shutdown

void MainWindow::StopRunning() {
  shutDown_ = true;
  active_ = false;
  importWindow_->StopImport();
  linked_->SetActive(false);
  tickTimer_->stop();
  context_.channels().CloseAll();
  // No read can arrive now: the passes still open are complete, and their
  // lines (the last runners of a race) must reach the log before it closes.
  context_.tagTable().FlushPasses(true);
  RefreshChannelStatus();
  warnings_.HideNoReply();
  warnings_.HideChannelClosed();
  if (rwStatus_ != nullptr) rwStatus_->hide();
  warnings_.HideBadCommand();
}

void MainWindow::ShutDown() {
  if (shutDown_) return;
  StopRunning();
  configDialog_->hide();
  readerConfig_->Panel().hide();
  readerConfig_->IoPanel().hide();
  hide();

  StoreControlsToSettings();
  shuttingDown_->Begin();
  const bool saved = session_.Shutdown([this](int value) { shuttingDown_->SetProgress(value); });
  const QString path = session_.Location().path;
  shuttingDown_->End();
  if (!saved) ReportSettingsNotSaved(path);
}

void MainWindow::ReportSettingsNotSaved(const QString& path) {
  const QString text = QStringLiteral("Unable to save the settings to %1").arg(path);
  // The error file keeps it in any case; a box only when someone may answer it.
  std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
  if (!endingOnSignal_) ShowMessage(QMessageBox::Warning, QStringLiteral("Save Failure"), text);
}

void MainWindow::Exit() {
  ShutDown();
  QCoreApplication::exit(0);
}

void MainWindow::ExitOnSignal() {
  endingOnSignal_ = true;
  // Nobody is there to answer an open box (a start-up problem, say): close
  // it so that its own event loop ends with the shutdown.
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (!widget->isVisible() || !widget->isModal()) continue;
    if (auto* dialog = qobject_cast<QDialog*>(widget)) {
      dialog->reject();
    } else {
      widget->close();
    }
  }
  Exit();
}

void MainWindow::Stop() {
  if (shutDown_) return;
  StopRunning();
  hide();
  session_.Abandon();
  QCoreApplication::exit(0);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  ShutDown();
  event->accept();
}

}  // namespace corvalis
