#include "app/ui/MainWindow.h"
#include "common/ui/Named.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

#include <optional>

#include "app/AppContext.h"
#include "app/ComboHistory.h"
#include "app/MemoStatus.h"
#include "app/SettingsBinding.h"
#include "app/Startup.h"
#include "app/ui/AboutBox.h"
#include "app/ui/ChannelStatusBar.h"
#include "app/ui/CheckCrcDialog.h"
#include "app/ui/ConfigDialog.h"
#include "app/ui/DiagnosticsPage.h"
#include "app/ui/ShuttingDown.h"
#include "channels/ui/SetCommDlg.h"
#include "control/ui/ConfigureTagPage.h"
#include "control/ui/RWCommanderPage.h"
#include "control/ui/ReaderControlPanel.h"
#include "logging/ui/ImportProgressWindow.h"
#include "logging/ui/SaveFilteredData.h"
#include "logging/ui/TagLogControls.h"
#include "tags/ui/TagNamesPage.h"
#include "tags/ui/TagsSeenPage.h"

namespace corvalis {
namespace {

struct PageDef {
  const char* name;
  const char* caption;
  std::optional<Setting> showKey;
  const char* menuName;  // View menu item, or null
  const char* menuCaption;
  bool menuHiddenWithPage;  // the View item is hidden at start with its page
};

// In page order (Page).
const PageDef kPages[kPageCount] = {
    {"tbsTagsSeen", "Tags Seen", std::nullopt, "mnuTagsSeenTab", "&Tags Seen Tab", false},
    {"tbsDiagnostics", "Diagnostics", Setting::ShowDiagnostics, "mnuDiagnosticsTab",
     "&Diagnostics Tab", false},
    {"tbsTagNames", "Tag Names", std::nullopt, "mnuTagNamesTab", "Tag &Names Tab", false},
    {"tbsDownload", "Download", Setting::ShowDownloadTab, "mnuDownloadTab", "Do&wnload Tab", true},
    {"tbsTagSimControls", "TagSim Controls", Setting::ShowTagSimTab, "mnuTagSimTab", "Tag&Sim Tab",
     true},
    {"tbsRWCommander", "RW Commander", Setting::ShowQ2CommandTab, "mnuQ2CommanderTab",
     "&Q2 Commander Tab", true},
    {"tbsConfigureTag", "Configure Tag", std::nullopt, nullptr, nullptr, false},
    {"tbsRWTagTest", "R/W Tag Test", Setting::ShowRWTestTab, "mnuRWTagTestTab", "R/&W Tag Test Tab",
     true},
    {"tbsFastMultiplex", "Fast Multiplex", Setting::ShowFMTab, nullptr, nullptr, false},
    {"tbsQ2DataDisplay", "RW Data", Setting::ShowQ2DTab, nullptr, nullptr, false},
    {"tbsReaderTester", "RT", Setting::ShowRTTab, "mnuRTTab", "&Reader Test", true},
    {"tbsTTOProgrammer", "TTO Programmer", Setting::ShowTTOPrgTab, nullptr, nullptr, false},
    {"tbsMultiPage", "Multi Page", Setting::ShowMultiPageTab, nullptr, nullptr, false},
    {"tbsDecoderControl", "Decoder Control", std::nullopt, nullptr, nullptr, false},
    {"tbsTTODisplay", "TTO Display", std::nullopt, nullptr, nullptr, false},
    {"tbsDebugTab", "Debug", Setting::ShowDebugTab, nullptr, nullptr, false},
    {"tbsDemos", "Demos", std::nullopt, nullptr, nullptr, false},
    {"tbsMessageFormat", "Composite Message", std::nullopt, nullptr, nullptr, false},
    {"tbsHopping", "Hopping", std::nullopt, nullptr, nullptr, false},
    {"tbsTempTest", "Temp Test", std::nullopt, nullptr, nullptr, false},
    {"tbsModbusTCP", "Modbus TCP", std::nullopt, nullptr, nullptr, false},
};

// "Display All Tabs" turns these on; TTO Programmer and Debug stay as they are.
constexpr Page kDisplayAllPages[] = {
    Page::kDiagnostics, Page::kQ2DataDisplay,  Page::kFastMultiplex,
    Page::kDownload,    Page::kTagSimControls, Page::kRWCommander,
    Page::kRWTagTest,   Page::kReaderTester,   Page::kMultiPage,
};

const char kTtoWarning[] =
    "This tab is only used for programming unprogrammed \r\nand untrimmed Q2 TTO tags on a "
    "testbench.\r\n\r\nA special 3PIC controller is required for its use.\r\n\r\nIt is not "
    "intended for any other purpose.\r\n";

constexpr int kBaudRates[] = {4800, 9600, 19200, 38400, 57600, 115200};

const PageDef& Def(Page page) {
  return kPages[static_cast<size_t>(page)];
}

QComboBox* ChannelCombo(const char* name) {
  auto* combo = Named(new QComboBox, QString::fromLatin1(name));
  for (int ch = 0; ch < kReaderChannelCount; ++ch) {
    combo->addItem(QStringLiteral("Chan %1").arg(ch + 1));
  }
  combo->addItem(QStringLiteral("Out1"));
  return combo;
}

QSpinBox* Spin(const char* name, int minimum, int maximum) {
  auto* spin = Named(new QSpinBox, QString::fromLatin1(name));
  spin->setRange(minimum, maximum);
  return spin;
}

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

}  // namespace

TForm1::TForm1(AppSession& session, AppContext& context, MemoStatus& status, QWidget* parent)
    : QMainWindow(parent),
      session_(session),
      context_(context),
      status_(status),
      settings_(session.settings()) {
  setObjectName(QStringLiteral("Form1"));
  resize(1100, 720);

  BuildPages();
  BuildMenus();
  BuildStatusBar();

  AboutBox = new TAboutBox(settings_, this);
  frmConfig = new TfrmConfig(settings_, context_, *this, this);
  dlgCheckCRCFrm = new TdlgCheckCRCFrm(this);
  frmShuttingDown = new TfrmShuttingDown(this);
  frmLoadLogFile =
      new ImportProgressWindow(this, context_.spine.dispatcher, context_.tagTable, context_.clock);
  connect(frmLoadLogFile, &ImportProgressWindow::runningChanged, this, [this](bool running) {
    findChild<QAction*>(QStringLiteral("mnuImportLogFile"))->setEnabled(!running);
  });

  Timer1 = Named(new QTimer(this), QStringLiteral("Timer1"));
  Timer1->setInterval(1000);
  connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Tick);
  Timer2 = Named(new QTimer(this), QStringLiteral("Timer2"));
  Timer2->setInterval(100);
  connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Tick);

  // The lines written before the memo existed (the settings file path).
  for (const QString& line : status_.lines) Diagnostics->AddCommsLine(line);
  status_.lineAdded = [this](const QString& line) { Diagnostics->AddCommsLine(line); };

  ApplySettingsToControls();
  ControlGroupsChanged();
  HidePagesByShowKeys();

  context_.channels.SetStatusListener(this);
  context_.commands.SetWarnings(&Warnings);
  context_.spine.dispatcher.AddObserver(&Diagnostics->RawMonitor());
  RefreshChannelStatus();
  PageChanged(0);

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(std::max(0, (area.width() - width()) / 2), std::max(0, (area.height() - height()) / 2));
  }
  if (settings_.Bool(Setting::ShowControlPanel)) move(0, 0);

  Timer1->start();
  Timer2->start();
}

TForm1::~TForm1() {
  status_.lineAdded = nullptr;
  context_.channels.SetStatusListener(nullptr);
  context_.commands.SetWarnings(nullptr);
  context_.spine.dispatcher.RemoveObserver(&Diagnostics->RawMonitor());
}

bool TForm1::AskRetryRecordingFile(const QString& fileName) {
  const auto answer =
      QMessageBox::warning(nullptr, QStringLiteral("File Open Error"),
                           QStringLiteral("Unable to re-open \"%1\" for appending\n").arg(fileName),
                           QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Retry);
  return answer == QMessageBox::Retry;
}

void TForm1::ShowStartupProblems() {
  for (const StartupProblem& problem : session_.Problems()) {
    ShowMessage(QMessageBox::Warning, problem.title, problem.text);
  }
}

void TForm1::ShowMessage(QMessageBox::Icon icon, const QString& title, const QString& text) {
  if (showMessage_) {
    showMessage_(icon, title, text);
    return;
  }
  QMessageBox box(icon, title, text, QMessageBox::Ok, this);
  box.exec();
}

// ---------------------------------------------------------------- pages

void TForm1::BuildPages() {
  PageControl1 = Named(new QTabWidget(this), QStringLiteral("PageControl1"));
  setCentralWidget(PageControl1);
  for (int i = 0; i < kPageCount; ++i) {
    auto* page = Named(new QWidget, QString::fromLatin1(kPages[i].name));
    pages_[static_cast<size_t>(i)] = page;
    PageControl1->addTab(page, QString::fromLatin1(kPages[i].caption));
  }

  auto host = [this](Page page, QWidget* content) {
    auto* layout = new QVBoxLayout(PageWidget(page));
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(content);
  };

  TagsSeen =
      Named(new TagsSeenPage(context_.tagTable, context_.clock), QStringLiteral("TagsSeenPage"));
  host(Page::kTagsSeen, TagsSeen);
  LogControls = new TagLogControls(context_.logWriter, context_.tagTable);
  LogControls->SetSeenLabelSource([this] { return TagsSeen->CurrentSettings().showWhat; });
  TagsSeen->SetLoggingControls(LogControls);
  auto* checkCrc = Named(TagsSeen->pmnuTagsSeen->addAction(QStringLiteral("Check ID CRC")),
                         QStringLiteral("mnuCheckIDCRC"));
  connect(checkCrc, &QAction::triggered, this, &TForm1::CheckTagIdCrc);
  connect(TagsSeen, &TagsSeenPage::settingsEdited, this, &TForm1::StoreSeenSettings);

  Diagnostics = Named(new DiagnosticsPage(context_), QStringLiteral("DiagnosticsPage"));
  host(Page::kDiagnostics, Diagnostics);
  connect(TagsSeen, &TagsSeenPage::readRateEvaluated, Diagnostics,
          [this](const QString& iText, const QString& qText, int, int) {
            Diagnostics->ShowReadRate(iText, qText);
          });

  RWCommander = Named(new RWCommanderPage(context_), QStringLiteral("RWCommanderPage"));
  host(Page::kRWCommander, RWCommander);
  ConfigureTag = Named(new ConfigureTagPage(*RWCommander), QStringLiteral("ConfigureTagPage"));
  host(Page::kConfigureTag, ConfigureTag);

  TagNames = Named(new TagNamesPage(context_.tagNames), QStringLiteral("TagNamesPage"));
  TagNames->SetCrcSeedSource([this] { return context_.protocolSettings.crcSeed; });
  host(Page::kTagNames, TagNames);
  connect(TagNames, &TagNamesPage::registrationFileChosen, this, [this](const QString& path) {
    settings_.SetString(Setting::RegistrationFileName, path);
  });
  connect(TagNames, &TagNamesPage::lastErrorCleared, this, [this] {
    status_.SetLastError({});
    Diagnostics->lblLastError->clear();
  });

  // Fast Multiplex: which reader channels take part (the status bar marks them).
  {
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    for (int ch = 0; ch < kReaderChannelCount; ++ch) {
      ckbFMC[static_cast<size_t>(ch)] = Named(new QCheckBox(QStringLiteral("Chan %1").arg(ch + 1)),
                                              QStringLiteral("ckbFMC%1").arg(ch + 1));
      row->addWidget(ckbFMC[static_cast<size_t>(ch)]);
      connect(ckbFMC[static_cast<size_t>(ch)], &QCheckBox::toggled, this,
              [this] { RepaintStatusBar(); });
    }
    row->addStretch();
    auto* layout = new QVBoxLayout(PageWidget(Page::kFastMultiplex));
    layout->addWidget(box);
    layout->addStretch();
  }

  // RW Data: the channel, reader ID and pages its grid will read.
  {
    cmbQ2DChannel = ChannelCombo("cmbQ2DChannel");
    speQ2DReaderID = Spin("speQ2DReaderID", 0, 255);
    auto* firstPage = Spin("speDataFirstPage", 0, 15);
    auto* numPages = Spin("speDataNumPages", 1, 16);
    auto* showId = Named(new QCheckBox(QStringLiteral("Show ID")), QStringLiteral("ckbDataShowID"));
    spinBindings_.push_back({Setting::DataFirstPage, firstPage});
    spinBindings_.push_back({Setting::DataNumPages, numPages});
    checkBindings_.push_back({Setting::RWDataShowID, showId});
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Channel"), cmbQ2DChannel);
    form->addRow(QStringLiteral("Reader ID"), speQ2DReaderID);
    form->addRow(QStringLiteral("First page"), firstPage);
    form->addRow(QStringLiteral("Pages"), numPages);
    form->addRow(showId);
    auto* layout = new QVBoxLayout(PageWidget(Page::kQ2DataDisplay));
    layout->addLayout(form);
    layout->addStretch();
  }

  // Temp Test: its two settings.
  {
    auto* trip = Spin("speTempTrip", -99999, 99999);
    auto* interval = Spin("speTempInterval", -99999, 99999);
    spinBindings_.push_back({Setting::TempTestTripTemp, trip});
    spinBindings_.push_back({Setting::TempTestInterval, interval});
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Trip temperature"), trip);
    form->addRow(QStringLiteral("Interval"), interval);
    auto* layout = new QVBoxLayout(PageWidget(Page::kTempTest));
    layout->addLayout(form);
    layout->addStretch();
  }

  AddLinkedChannelControl(Diagnostics->cmbSendChannel);
  AddLinkedChannelControl(cmbQ2DChannel);
  AddLinkedReaderIdControl(Diagnostics->speReaderID, false);
  AddLinkedReaderIdControl(speQ2DReaderID, true);
  AddLinkedChannelControl(RWCommander->cmbCmdChannel);
  AddLinkedReaderIdControl(RWCommander->speCmdReaderID, true);

  pmnuPageControl = Named(new QMenu(this), QStringLiteral("pmnuPageControl"));
  Named(pmnuPageControl->addAction(QStringLiteral("Hide the currently active tab"), this,
                                   &TForm1::HideActiveTab),
        QStringLiteral("mnuHideActiveTab"));
  PageControl1->tabBar()->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(PageControl1->tabBar(), &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) {
            pmnuPageControl->popup(PageControl1->tabBar()->mapToGlobal(pos));
          });
  connect(PageControl1, &QTabWidget::currentChanged, this, &TForm1::PageChanged);
}

bool TForm1::PageShown(Page page) const {
  const int index = static_cast<int>(page);
  return PageControl1->isTabVisible(index) && PageControl1->isTabEnabled(index);
}

void TForm1::SetPageShown(Page page, bool shown) {
  const int index = static_cast<int>(page);
  if (index == 0 && !shown) return;  // Tags Seen is always there
  PageControl1->setTabEnabled(index, shown);
  PageControl1->setTabVisible(index, shown);
  if (!shown && PageControl1->currentIndex() != 0) {
    if (PageControl1->currentIndex() == index ||
        !PageShown(static_cast<Page>(PageControl1->currentIndex()))) {
      PageControl1->setCurrentIndex(0);
    }
  }
}

void TForm1::HidePagesByShowKeys() {
  for (int i = 0; i < kPageCount; ++i) {
    const PageDef& def = kPages[i];
    if (!def.showKey) continue;
    const bool shown = settings_.Bool(*def.showKey);
    SetPageShown(static_cast<Page>(i), shown);
    if (def.menuHiddenWithPage && viewTabItems[static_cast<size_t>(i)] != nullptr) {
      viewTabItems[static_cast<size_t>(i)]->setVisible(shown);
    }
  }
  PageControl1->setCurrentIndex(0);
}

void TForm1::ShowPage(Page page) {
  // A page the operator asked for stays there at the next start.
  if (const auto key = Def(page).showKey) settings_.SetBool(*key, true);
  SetPageShown(page, true);
  PageControl1->setCurrentIndex(static_cast<int>(page));
}

void TForm1::HideActiveTab() {
  const int index = PageControl1->currentIndex();
  if (index <= 0) return;
  if (const auto key = kPages[index].showKey) settings_.SetBool(*key, false);
  SetPageShown(static_cast<Page>(index), false);
  PageControl1->setCurrentIndex(0);
}

void TForm1::DisplayAllTabs() {
  for (const Page page : kDisplayAllPages) {
    settings_.SetBool(*Def(page).showKey, true);
    SetPageShown(page, true);
  }
  SetPageShown(Page::kTagNames, true);
  for (QAction* item : viewTabItems) {
    if (item != nullptr) item->setVisible(true);
  }
}

void TForm1::PageChanged(int index) {
  if (index < 0) return;
  mnuHideTab->setText(QStringLiteral("Hide the \"%1\" tab").arg(kPages[index].caption));
  mnuHideTab->setEnabled(index != 0);
  if (index == static_cast<int>(Page::kTTOProgrammer) && !ttoWarningShown_) {
    ttoWarningShown_ = true;
    ShowMessage(QMessageBox::Warning, QStringLiteral("TTO Programmer"),
                QString::fromLatin1(kTtoWarning));
  }
  RepaintStatusBar();
}

// ---------------------------------------------------------------- menus

QAction* TForm1::AddItem(QMenu* menu, const char* name, const QString& caption,
                         const QKeySequence& shortcut, bool hidden) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(QString::fromLatin1(name));
  if (!hidden) {
    action->setShortcut(shortcut);
    return action;
  }
  // A hidden item keeps its shortcut, which an invisible action would lose.
  action->setVisible(false);
  if (!shortcut.isEmpty()) {
    auto* key = new QShortcut(shortcut, this);
    key->setObjectName(QString::fromLatin1(name) + QStringLiteral("Key"));
    connect(key, &QShortcut::activated, action, &QAction::trigger);
  }
  return action;
}

void TForm1::BuildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));

  QMenu* file = Named(bar->addMenu(QStringLiteral("&File")), QStringLiteral("mnuFile"));
  connect(AddItem(file, "mnuImportLogFile", QStringLiteral("&Import Log File ...")),
          &QAction::triggered, this, [this] { frmLoadLogFile->ImportLogFile(); });
  connect(AddItem(file, "mnuReadRegistrationFile", QStringLiteral("&Read registration File ...")),
          &QAction::triggered, this, [this] { TagNames->ReadRegistrationFile(); });
  mnuSaveFilteredData =
      AddItem(file, "mnuSaveFilteredData", QStringLiteral("&Save Filtered Data ..."));
  mnuSaveFilteredData->setCheckable(true);
  connect(mnuSaveFilteredData, &QAction::triggered, this, [this] {
    const bool on = SetLogging(this, context_.logWriter);
    mnuSaveFilteredData->setChecked(on);
    StoreLogSettings(context_.logWriter.Settings(), settings_);
    LogControls->Refresh();
  });
  file->addSeparator();
  mnuExit = AddItem(file, "mnuExit", QStringLiteral("E&xit"));
  connect(mnuExit, &QAction::triggered, this, &TForm1::Exit);
  mnuStop = AddItem(file, "mnuStop", QStringLiteral("Sto&p (no ini update)"));
  connect(mnuStop, &QAction::triggered, this, &TForm1::Stop);

  QMenu* comms =
      Named(bar->addMenu(QStringLiteral("&Serial Comms")), QStringLiteral("mnuSerialComms"));
  for (int ch = 0; ch < kChannelCount; ++ch) {
    const QString title = ch == kOutputChannel ? QStringLiteral("Composite Output Channel")
                                               : QStringLiteral("Reader Channel %1").arg(ch + 1);
    QMenu* sub = comms->addMenu(title);
    CommsOpen[static_cast<size_t>(ch)] = Named(
        sub->addAction(QStringLiteral("&Open"), this, [this, ch] { context_.channels.Open(ch); }),
        QStringLiteral("CommsOpen%1").arg(ch + 1));
    CommsClose[static_cast<size_t>(ch)] = Named(
        sub->addAction(QStringLiteral("&Close"), this, [this, ch] { context_.channels.Close(ch); }),
        QStringLiteral("CommsClose%1").arg(ch + 1));
    Named(sub->addAction(QStringLiteral("&Settings"), this,
                         [this, ch] { TSetCommDlg::Edit(this, context_.channels, ch); }),
          QStringLiteral("CommsSettings%1").arg(ch + 1));
  }

  QMenu* view = Named(bar->addMenu(QStringLiteral("&View")), QStringLiteral("mnuView"));
  mnuCycle = AddItem(view, "mnuCycle", QStringLiteral("&Cycle"), QKeySequence(Qt::ALT | Qt::Key_0));
  connect(mnuCycle, &QAction::triggered, this, [this] {
    TagsSeen->Cycle(false);
    StoreSeenSettings();
  });
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
    connect(AddItem(view, item.name, QString::fromLatin1(item.caption),
                    QKeySequence(Qt::ALT | item.key)),
            &QAction::triggered, this, [this, rows] {
              TagsSeen->SetNumToShow(rows);
              StoreSeenSettings();
            });
  }
  view->addSeparator();
  for (int i = 0; i < kPageCount; ++i) {
    if (kPages[i].menuName == nullptr) continue;
    QAction* item = AddItem(view, kPages[i].menuName, QString::fromLatin1(kPages[i].menuCaption));
    viewTabItems[static_cast<size_t>(i)] = item;
    connect(item, &QAction::triggered, this, [this, i] { ShowPage(static_cast<Page>(i)); });
  }
  view->addSeparator();
  connect(AddItem(view, "mnuConfigurationControls", QStringLiteral("C&onfiguration Controls"),
                  QKeySequence(Qt::CTRL | Qt::Key_F2)),
          &QAction::triggered, this, [this] { frmConfig->ShowConfig(); });
  // The reader control panels and the diagnostics window come with their pages.
  AddItem(view, "mnuReaderControlPanel", QStringLiteral("Reader Control Panel"), {}, true)
      ->setEnabled(false);
  AddItem(view, "mnuDiagnosticsOutput", QStringLiteral("Diagnostics Output"), {}, true)
      ->setEnabled(false);
  mnuDisplayAllTabs = AddItem(view, "mnuDisplayAllTabs", QStringLiteral("Display All Tabs"),
                              QKeySequence(Qt::CTRL | Qt::Key_F5), true);
  connect(mnuDisplayAllTabs, &QAction::triggered, this, &TForm1::DisplayAllTabs);
  AddItem(view, "mnuRWStatusPanel", QStringLiteral("R/W Status Panel"),
          QKeySequence(Qt::CTRL | Qt::Key_F6))
      ->setEnabled(false);
  mnuHideTab = AddItem(view, "mnuHideTab", QStringLiteral("Hide the \"Tags Seen\" tab"));
  mnuHideTab->setEnabled(false);
  connect(mnuHideTab, &QAction::triggered, this, &TForm1::HideActiveTab);
  mnuShowReplyNotSeen =
      AddItem(view, "mnuShowReplyNotSeen", QStringLiteral("Show/hide reply not seen"),
              QKeySequence(Qt::CTRL | Qt::Key_F7), true);
  connect(mnuShowReplyNotSeen, &QAction::triggered, this, [this] {
    context_.commands.SetNoReplySuppressed(!context_.commands.NoReplySuppressed());
  });
  AddItem(view, "mnuShowComPortDebug", QStringLiteral("Show COM port debug info"), {}, true)
      ->setEnabled(false);

  QMenu* reader =
      Named(bar->addMenu(QStringLiteral("&Reader Control")), QStringLiteral("mnuReaderControl"));
  mnuIdiotMode = AddItem(reader, "mnuIdiotMode", QStringLiteral("&Idiot Mode"),
                         QKeySequence(Qt::CTRL | Qt::Key_I), true);
  mnuIdiotMode->setCheckable(true);
  mnuIdiotMode->setChecked(true);
  // Reader commands arrive with the command console.
  const char* const kReaderItems[][2] = {
      {"mnuBeep", "&Beep"},
      {"mnuCRC", "&CRC"},
      {"mnuMessageMode", "Message &Mode"},
      {"mnuMessageFormat", "Message &Format"},
      {"mnuOutputs", "&Outputs"},
      {"mnuTagBaud", "T&ag Baud"},
      {"mnuTimeStats", "&Time/Stats"},
      {"mnuOther", "Other"},
      {"mnuTagFiltering", "Tag Filtering"},
      {"mnuTTOSettings", "TTO Settings"},
  };
  for (const auto& item : kReaderItems) {
    AddItem(reader, item[0], QString::fromLatin1(item[1]))->setEnabled(false);
  }

  QMenu* rw = Named(bar->addMenu(QStringLiteral("R/W")), QStringLiteral("mnuRW"));
  AddItem(rw, "mnuReadPage15", QStringLiteral("Read Page 15"))->setEnabled(false);

  QMenu* help = Named(bar->addMenu(QStringLiteral("&Help")), QStringLiteral("mnuHelp"));
  connect(AddItem(help, "mnuAbout", QStringLiteral("&About")), &QAction::triggered, this,
          [this] { AboutBox->exec(); });
}

void TForm1::BuildStatusBar() {
  StatusBar1 = new ChannelStatusBar(this);
  setStatusBar(StatusBar1);
  connect(StatusBar1, &ChannelStatusBar::panelDoubleClicked, this, &TForm1::PanelDoubleClicked);

  pmnuStatusBar = Named(new QMenu(this), QStringLiteral("pmnuStatusBar"));
  auto panel = [this] { return StatusBar1->PressedPanel(); };
  Named(
      pmnuStatusBar->addAction(QStringLiteral("Open"), this, [this, panel] { PanelOpen(panel()); }),
      QStringLiteral("mnuSBOpen"));
  Named(pmnuStatusBar->addAction(QStringLiteral("Close"), this,
                                 [this, panel] { PanelClose(panel()); }),
        QStringLiteral("mnuSBClose"));
  Named(pmnuStatusBar->addAction(QStringLiteral("Settings"), this,
                                 [this, panel] {
                                   if (panel() >= 1) {
                                     TSetCommDlg::Edit(this, context_.channels, panel() - 1);
                                   }
                                   RefreshChannelStatus();
                                 }),
        QStringLiteral("mnuSBSettings"));
  QMenu* baud = pmnuStatusBar->addMenu(QStringLiteral("Baud rate"));
  baud->setObjectName(QStringLiteral("mnuSBBaudRate"));
  for (const int rate : kBaudRates) {
    Named(baud->addAction(QString::number(rate), this,
                          [this, panel, rate] { PanelSetBaud(panel(), rate); }),
          QStringLiteral("mnuSBBaud%1").arg(rate));
  }
  Named(pmnuStatusBar->addAction(QStringLiteral("Set Active"), this,
                                 [this, panel] {
                                   if (panel() >= 1) {
                                     Diagnostics->cmbSendChannel->setCurrentIndex(panel() - 1);
                                   }
                                   RefreshChannelStatus();
                                 }),
        QStringLiteral("mnuSBSetActive"));
  connect(StatusBar1, &ChannelStatusBar::panelMenuRequested, this,
          [this](int, const QPoint& pos) { pmnuStatusBar->popup(pos); });
}

// ---------------------------------------------------------------- settings

void TForm1::ApplySettingsToControls() {
  setWindowTitle(settings_.String(Setting::Title));
  TagsSeen->ApplySettings(SeenSettingsFrom(settings_));
  Diagnostics->readerControl->LoadFromSettings(settings_);
  RWCommander->LoadFromSettings(settings_);
  cmbQ2DChannel->setCurrentIndex(
      std::clamp(settings_.Integer(Setting::Q2CommandChan), 0, kChannelCount - 1));
  speQ2DReaderID->setValue(settings_.Integer(Setting::Q2CommandReaderID));
  for (const SpinBinding& binding : spinBindings_) {
    binding.spin->setValue(settings_.Integer(binding.key));
  }
  for (const CheckBinding& binding : checkBindings_) {
    binding.check->setChecked(settings_.Bool(binding.key));
  }
  Diagnostics->ShowWaitTime(context_.tagTable.settings().waitTime);
  TagNames->SetRegistrationFileName(
      ResolveStoredPath(settings_.String(Setting::RegistrationFileName), settings_.applicationDir));
  mnuSaveFilteredData->setChecked(context_.logWriter.IsLogging());
}

void TForm1::StoreControlsToSettings() {
  StoreSeenSettings();
  Diagnostics->readerControl->StoreToSettings(settings_);
  RWCommander->StoreToSettings(settings_);
  for (const SpinBinding& binding : spinBindings_) {
    settings_.SetInteger(binding.key, binding.spin->value());
  }
  for (const CheckBinding& binding : checkBindings_) {
    settings_.SetBool(binding.key, binding.check->isChecked());
  }
}

void TForm1::StoreSeenSettings() {
  const SeenViewSettings seen = TagsSeen->CurrentSettings();
  settings_.SetInteger(Setting::NumToShow, seen.numToShow);
  settings_.SetInteger(Setting::ShowTimeout, seen.showTimeoutSec);
  settings_.SetInteger(Setting::ShowSeenWhat, static_cast<int>(seen.showWhat));
}

// ---------------------------------------------------------------- linked selection

void TForm1::AddLinkedChannelControl(QComboBox* combo) {
  linkedChannels_.push_back(combo);
  connect(combo, &QComboBox::currentIndexChanged, this,
          [this, combo](int index) { ChannelChosen(combo, index); });
}

void TForm1::AddLinkedReaderIdControl(QSpinBox* spin, bool commanderGroup) {
  linkedReaderIds_.emplace_back(spin, commanderGroup);
  connect(spin, &QSpinBox::valueChanged, this,
          [this, spin](int value) { ReaderIdChosen(spin, value); });
}

void TForm1::ChannelChosen(QComboBox*, int index) {
  if (linkBusy_) return;
  if (active_ && index >= 0 && mnuIdiotMode->isChecked()) ApplyChannel(index);
  RepaintStatusBar();
}

void TForm1::ReaderIdChosen(QSpinBox* source, int value) {
  if (linkBusy_ || !active_) return;
  if (mnuIdiotMode->isChecked()) {
    ApplyReaderId(value);
    return;
  }
  // Unlinked, the commander's reader IDs still agree among themselves.
  const bool commander =
      std::any_of(linkedReaderIds_.begin(), linkedReaderIds_.end(),
                  [source](const auto& e) { return e.first == source && e.second; });
  if (!commander) return;
  linkBusy_ = true;
  for (const auto& [spin, group] : linkedReaderIds_) {
    if (group) spin->setValue(value);
  }
  linkBusy_ = false;
}

void TForm1::ApplyChannel(int channel) {
  if (linkBusy_) return;
  linkBusy_ = true;
  for (QComboBox* combo : linkedChannels_) {
    if (channel < combo->count()) combo->setCurrentIndex(channel);
  }
  linkBusy_ = false;
  RepaintStatusBar();
}

void TForm1::ApplyReaderId(int readerId) {
  if (linkBusy_) return;
  linkBusy_ = true;
  for (const auto& entry : linkedReaderIds_) entry.first->setValue(readerId);
  linkBusy_ = false;
}

// ---------------------------------------------------------------- channels

void TForm1::RefreshChannelStatus() {
  context_.channels.RefreshStatus();
}

void TForm1::ChannelStatusRefreshed() {
  for (int ch = 0; ch < kChannelCount; ++ch) {
    const ChannelView& view = context_.channels.View(ch);
    CommsOpen[static_cast<size_t>(ch)]->setEnabled(view.openEnabled);
    CommsClose[static_cast<size_t>(ch)]->setEnabled(view.closeEnabled);
  }
  Diagnostics->ShowWaitTime(context_.tagTable.settings().waitTime);
  Diagnostics->lblLastError->setText(status_.lastError);
  RepaintStatusBar();
}

int TForm1::TabChannel(int channel) const {
  switch (static_cast<Page>(PageControl1->currentIndex())) {
    case Page::kFastMultiplex:
      return channel < kReaderChannelCount && ckbFMC[static_cast<size_t>(channel)]->isChecked();
    case Page::kQ2DataDisplay:
      return cmbQ2DChannel->currentIndex() == channel;
    default:
      return Diagnostics->cmbSendChannel->currentIndex() == channel;
  }
}

void TForm1::RepaintStatusBar() {
  const int send = Diagnostics->cmbSendChannel->currentIndex();
  for (int ch = 0; ch < kChannelCount; ++ch) {
    const ChannelView& view = context_.channels.View(ch);
    ChannelPanel panel;
    panel.text = view.panelText;
    panel.open = view.open;
    panel.sendChannel = send == ch;
    panel.tabChannel = TabChannel(ch) != 0;
    panel.receive = view.activity;
    panel.send = view.sendActivity;
    StatusBar1->SetPanel(ch, panel);
  }
}

void TForm1::PanelDoubleClicked(int panel, bool shift) {
  if (panel < 1 || panel > kChannelCount) return;
  const int channel = panel - 1;
  if (shift) {
    Diagnostics->cmbSendChannel->setCurrentIndex(channel);
    context_.channels.Open(channel);
  } else if (context_.channels.View(channel).open) {
    context_.channels.Close(channel);
  } else {
    context_.channels.Open(channel);
  }
  RepaintStatusBar();
}

void TForm1::PanelOpen(int panel) {
  if (panel >= 1) context_.channels.Open(panel - 1);
  RefreshChannelStatus();
}

void TForm1::PanelClose(int panel) {
  if (panel >= 1) context_.channels.Close(panel - 1);
  RefreshChannelStatus();
}

void TForm1::PanelSetBaud(int panel, int baud) {
  if (panel >= 1) {
    ChannelSettings settings = context_.channels.Settings(panel - 1);
    settings.baud = baud;
    context_.channels.ApplySettings(panel - 1, settings);
  }
  RefreshChannelStatus();
}

// ---------------------------------------------------------------- timers

void TForm1::Timer2Tick() {
  if (!active_) return;
  context_.Tick();
  Diagnostics->readerControl->Tick();
  TagsSeen->Tick();
  const QTime now = QTime::currentTime();
  const qint64 second = now.msecsSinceStartOfDay() / 1000;
  if (second != shownSecond_) {
    shownSecond_ = second;
    StatusBar1->SetTimeText(now.toString(QStringLiteral("HH:mm:ss")));
  }
}

void TForm1::Timer1Tick() {
  if (!active_) return;
  Diagnostics->ShowReadActivity(context_.tagTable.IdsThisSecond());
  context_.tagTable.ResetIdsThisSecond();
  Diagnostics->ShowCounters(context_.tagTable, status_.lastError);
  context_.channels.ClearActivityMarks();
}

void TForm1::showEvent(QShowEvent* event) {
  // Without a window manager activation may never come: the first show
  // starts the timers' work.
  if (!shutDown_) active_ = true;
  QMainWindow::showEvent(event);
}

void TForm1::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && !shutDown_) active_ = true;
  QMainWindow::changeEvent(event);
}

// ---------------------------------------------------------------- config observer

void TForm1::SeenViewLayoutChanged() {
  TagsSeen->ApplySettings(SeenSettingsFrom(settings_));
}

void TForm1::ControlGroupsChanged() {
  LogControls->Refresh();
  TagsSeen->bbtSound->setVisible(!settings_.Bool(Setting::ShowLogging));
}

void TForm1::OutputPortChanged(OutputPortUse) {}

void TForm1::ConfigureDisplay() {}

void TForm1::RecordOutgoingChanged(bool on) {
  context_.commands.SetRecordOutgoing(on);
}

void TForm1::LoggingSetupChanged() {
  Diagnostics->ShowWaitTime(context_.tagTable.settings().waitTime);
  LogControls->Refresh();
}

void TForm1::CheckTagIdCrc() {
  const char* id = TagsSeen->View().RowHexId(TagsSeen->grdTagsSeen->currentRow());
  if (id != nullptr) dlgCheckCRCFrm->Check(QString::fromLatin1(id));
}

// ---------------------------------------------------------------- shutdown

void TForm1::StopRunning() {
  shutDown_ = true;
  active_ = false;
  frmLoadLogFile->StopImport();
  Timer1->stop();
  Timer2->stop();
  context_.channels.CloseAll();
  RefreshChannelStatus();
  Warnings.HideNoReply();
  Warnings.HideChannelClosed();
  Warnings.HideBadCommand();
}

void TForm1::ShutDown() {
  if (shutDown_) return;
  StopRunning();
  frmConfig->hide();
  hide();

  StoreControlsToSettings();
  frmShuttingDown->Begin();
  session_.Shutdown([this](int value) { frmShuttingDown->SetProgress(value); });
  const QString path = session_.Location().path;
  const struct {
    const char* combo;
    int gauge;
  } kLastHistories[] = {
      {"cmbDownloadFilename", 85}, {"cmbSendOwnText", 90}, {"cmbRTFilename", 100}};
  for (const auto& history : kLastHistories) {
    const QString name = QString::fromLatin1(history.combo);
    SaveComboHistory(path, name, settings_.History(name));
    frmShuttingDown->SetProgress(history.gauge);
  }
  frmShuttingDown->End();
}

void TForm1::Exit() {
  ShutDown();
  QCoreApplication::exit(0);
}

void TForm1::Stop() {
  if (shutDown_) return;
  StopRunning();
  hide();
  session_.Abandon();
  QCoreApplication::exit(0);
}

void TForm1::closeEvent(QCloseEvent* event) {
  ShutDown();
  event->accept();
}

}  // namespace corvalis
