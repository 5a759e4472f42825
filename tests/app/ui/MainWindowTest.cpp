#include "app/ui/MainWindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "app/AppContext.h"
#include "app/MemoStatus.h"
#include "app/Startup.h"
#include "app/ui/ChannelStatusBar.h"
#include "app/ui/DiagnosticsPage.h"
#include "app/ui/ShuttingDown.h"
#include "channels/ChannelSettings.h"
#include "channels/ChannelTestSupport.h"
#include "control/ui/RWCommanderPage.h"
#include "tags/ui/TagsSeenPage.h"

namespace corvalis {
namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One run of the console on a settings file in a temporary folder: every
// channel closed unless the test writes its section, no message box shown.
class Console {
 public:
  Console(const QString& dir, const QString& ini) {
    session.Start(dir, {QStringLiteral("corvalis"), QStringLiteral("-i=") + ini});
    window = std::make_unique<MainWindow>(session, context, status);
    window->SetMessageBoxSink(
        [this](QMessageBox::Icon, const QString& title, const QString&) { boxes << title; });
  }
  ~Console() { window.reset(); }

  template <class T>
  T* Find(const char* name) {
    T* found = window->findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QAction* Action(const char* name) { return Find<QAction>(name); }
  QTabWidget* Tabs() { return Find<QTabWidget>("PageControl1"); }

  SystemClock clock;
  MemoStatus status;
  AppContext context{clock, status};
  AppSession session{context};
  std::unique_ptr<MainWindow> window;
  QStringList boxes;
};

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    ini_ = dir_.filePath("Corvalis.ini");
    for (int ch = 0; ch < kChannelCount; ++ch) {
      ChannelSettings closed;
      closed.open = false;
      WriteChannelSettings(ini_, ch, closed);
    }
  }
  void AppendMode(const QString& lines) {
    QFile file(ini_);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(("[MODE]\n" + lines + "\n").toLatin1());
  }
  std::unique_ptr<Console> Start() { return std::make_unique<Console>(dir_.path(), ini_); }

  QTemporaryDir dir_;
  QString ini_;
};

TEST_F(MainWindowTest, TagsSeenCannotBeHiddenOtherPagesCan) {
  auto console = Start();
  MainWindow& w = *console->window;
  w.show();
  QAction* hideTab = console->Action("mnuHideTab");
  EXPECT_FALSE(hideTab->isEnabled());
  console->Action("mnuHideActiveTab")->trigger();
  EXPECT_TRUE(w.PageShown(Page::kTagsSeen));
  EXPECT_EQ(console->Tabs()->currentIndex(), 0);

  console->Action("mnuDiagnosticsTab")->trigger();
  EXPECT_EQ(console->Tabs()->currentIndex(), static_cast<int>(Page::kDiagnostics));
  EXPECT_TRUE(hideTab->isEnabled());
  EXPECT_EQ(hideTab->text(), "Hide the \"Diagnostics\" tab");
  hideTab->trigger();
  EXPECT_FALSE(w.PageShown(Page::kDiagnostics));
  EXPECT_FALSE(console->Tabs()->isTabEnabled(static_cast<int>(Page::kDiagnostics)));
  EXPECT_EQ(console->Tabs()->currentIndex(), 0);
  EXPECT_FALSE(hideTab->isEnabled());
  EXPECT_FALSE(console->session.settings().Bool(Setting::ShowDiagnostics));
}

TEST_F(MainWindowTest, HiddenRwCommanderIsSavedAndStaysHiddenAfterRestart) {
  AppendMode("ShowQ2CommandTab=1");
  {
    auto console = Start();
    MainWindow& w = *console->window;
    w.show();
    EXPECT_TRUE(w.PageShown(Page::kRWCommander));
    EXPECT_TRUE(console->Action("mnuQ2CommanderTab")->isVisible());
    console->Tabs()->setCurrentIndex(static_cast<int>(Page::kRWCommander));
    console->Action("mnuHideTab")->trigger();
    console->Action("mnuExit")->trigger();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(console->Find<QProgressBar>("Gauge1")->value(), 100);
  }
  const QByteArray saved = ReadAll(ini_);
  EXPECT_TRUE(saved.contains("ShowQ2CommandTab=0")) << saved.constData();
  EXPECT_TRUE(saved.contains("[cmbSendOwnText]"));

  auto again = Start();
  EXPECT_FALSE(again->window->PageShown(Page::kRWCommander));
  EXPECT_FALSE(again->Action("mnuQ2CommanderTab")->isVisible());
  EXPECT_TRUE(again->window->PageShown(Page::kDiagnostics));
}

TEST_F(MainWindowTest, CommandConsolesAreHostedAndKeepTheirHistoriesAcrossARestart) {
  {
    auto console = Start();
    MainWindow& w = *console->window;
    w.show();
    // The Diagnostics tab's reader control group is the window's send channel.
    auto* ownText = console->Find<QComboBox>("cmbSendOwnText");
    EXPECT_NE(
        console->Find<DiagnosticsPage>("DiagnosticsPage")->findChild<QComboBox*>("cmbSendChannel"),
        nullptr);
    EXPECT_NE(
        console->Find<RWCommanderPage>("RWCommanderPage")->findChild<QComboBox*>("cmbCmdChannel"),
        nullptr);
    ownText->setEditText("ab00ff11");
    QTest::keyClick(ownText->lineEdit(), Qt::Key_Return);  // to a closed channel: kept all the same
    console->Find<QComboBox>("cmbSendChannel")->setCurrentIndex(2);
    console->Action("mnuExit")->trigger();
  }
  auto again = Start();
  auto* ownText = again->Find<QComboBox>("cmbSendOwnText");
  ASSERT_GT(ownText->count(), 0);
  EXPECT_EQ(ownText->itemText(0), "ab00ff11");
  EXPECT_EQ(again->Find<QComboBox>("cmbSendChannel")->currentIndex(), 2);
}

TEST_F(MainWindowTest, DisplayAllTabsLeavesTtoProgrammerAndDebugAsTheyWere) {
  auto console = Start();
  MainWindow& w = *console->window;
  for (const Page page : {Page::kDownload, Page::kRWCommander, Page::kQ2DataDisplay,
                          Page::kMultiPage, Page::kTTOProgrammer, Page::kDebugTab}) {
    EXPECT_FALSE(w.PageShown(page)) << static_cast<int>(page);
  }
  EXPECT_FALSE(console->Action("mnuDownloadTab")->isVisible());
  console->Action("mnuDisplayAllTabs")->trigger();
  for (const Page page :
       {Page::kDiagnostics, Page::kDownload, Page::kTagSimControls, Page::kRWCommander,
        Page::kRWTagTest, Page::kFastMultiplex, Page::kQ2DataDisplay, Page::kReaderTester,
        Page::kMultiPage, Page::kTagNames}) {
    EXPECT_TRUE(w.PageShown(page)) << static_cast<int>(page);
  }
  EXPECT_FALSE(w.PageShown(Page::kTTOProgrammer));
  EXPECT_FALSE(w.PageShown(Page::kDebugTab));
  EXPECT_TRUE(console->Action("mnuDownloadTab")->isVisible());
  EXPECT_TRUE(console->session.settings().Bool(Setting::ShowQ2DTab));
  EXPECT_FALSE(console->session.settings().Bool(Setting::ShowTTOPrgTab));
}

TEST_F(MainWindowTest, TtoProgrammerWarnsOnFirstVisitOnly) {
  AppendMode("ShowTTOPrgTab=1");
  auto console = Start();
  console->Tabs()->setCurrentIndex(static_cast<int>(Page::kTTOProgrammer));
  console->Tabs()->setCurrentIndex(0);
  console->Tabs()->setCurrentIndex(static_cast<int>(Page::kTTOProgrammer));
  EXPECT_EQ(console->boxes, QStringList{"TTO Programmer"});
}

TEST_F(MainWindowTest, TtoProgrammerTabKeepsItsCrcChoiceAndStatusPanelToggles) {
  AppendMode("ShowTTOPrgTab=1\nTTOPageCrc=2\nTTOPageCrcShift=1");
  {
    auto console = Start();
    MainWindow& w = *console->window;
    w.show();
    EXPECT_TRUE(console->Find<QWidget>("TTOProgrammerPage")
                    ->isAncestorOf(console->Find<QLineEdit>("edtPrgConfig")));
    EXPECT_FALSE(console->Find<QWidget>("btnRWPgm")->isHidden());
    const PageCrcChoice crc = console->context.tto().crcChoice();
    EXPECT_TRUE(crc.ccitt);
    EXPECT_TRUE(crc.shift);
    console->context.tto().crcChoice() = PageCrcChoice{};  // shift off, KVQ

    // Next and Again put the new ID page at the top of page 0's history, once.
    console->context.tto().SetId("0000000000090000");
    console->Find<QPushButton>("btnPrgNext")->click();
    auto* page0 = console->Find<QComboBox>("cmbRWData0");
    const QString id = QString::fromStdString(console->context.tto().Id());
    EXPECT_TRUE(id.startsWith(QStringLiteral("00000000000a"))) << id.toStdString();
    EXPECT_EQ(page0->itemText(0), id);
    const int items = page0->count();
    console->Find<QPushButton>("btnPrgAgain")->click();
    EXPECT_EQ(page0->count(), items);
    EXPECT_EQ(page0->itemText(0), id);

    QAction* statusPanel = console->Action("mnuRWStatusPanel");
    EXPECT_TRUE(statusPanel->isEnabled());
    statusPanel->trigger();
    QWidget* rwStatus = console->Find<QWidget>("frmRWStatus");
    EXPECT_TRUE(rwStatus->isVisible());
    statusPanel->trigger();
    EXPECT_FALSE(rwStatus->isVisible());
    statusPanel->trigger();
    console->Action("mnuExit")->trigger();
    EXPECT_FALSE(rwStatus->isVisible());
  }
  const QByteArray saved = ReadAll(ini_);
  EXPECT_TRUE(saved.contains("TTOPageCrc=0")) << saved.constData();
  EXPECT_TRUE(saved.contains("TTOPageCrcShift=0"));

  QByteArray edited = saved;
  edited.replace("ShowTTOPrgTab=1", "ShowTTOPrgTab=0");
  QFile file(ini_);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(edited);
  file.close();
  auto again = Start();
  again->window->show();
  EXPECT_TRUE(again->Find<QWidget>("btnRWPgm")->isHidden());
}

TEST_F(MainWindowTest, LinkedSelectionSharesChannelAndReaderIdWhileOn) {
  auto console = Start();
  MainWindow& w = *console->window;
  QComboBox* send = console->Find<QComboBox>("cmbSendChannel");
  QSpinBox* readerId = console->Find<QSpinBox>("speReaderID");
  QComboBox* rwDataChannel = console->Find<QComboBox>("cmbQ2DChannel");
  QSpinBox* rwDataReaderId = console->Find<QSpinBox>("speQ2DReaderID");

  // Nothing is linked before the window is shown.
  rwDataChannel->setCurrentIndex(1);
  EXPECT_EQ(send->currentIndex(), 0);

  w.show();
  rwDataChannel->setCurrentIndex(2);
  EXPECT_EQ(send->currentIndex(), 2);
  EXPECT_TRUE(console->Find<ChannelStatusBar>("StatusBar1")->Panel(2).sendChannel);
  send->setCurrentIndex(3);
  EXPECT_EQ(rwDataChannel->currentIndex(), 3);
  rwDataReaderId->setValue(7);
  EXPECT_EQ(readerId->value(), 7);

  console->Action("mnuIdiotMode")->trigger();
  EXPECT_FALSE(console->Action("mnuIdiotMode")->isChecked());
  rwDataChannel->setCurrentIndex(1);
  EXPECT_EQ(send->currentIndex(), 3);
  rwDataReaderId->setValue(9);
  EXPECT_EQ(readerId->value(), 7);
}

TEST_F(MainWindowTest, CycleDoublesTheRowsAndWrapsAbove32) {
  auto console = Start();
  QAction* cycle = console->Action("mnuCycle");
  auto* tagsSeen = console->Find<TagsSeenPage>("TagsSeenPage");
  EXPECT_EQ(cycle->shortcut(), QKeySequence(Qt::ALT | Qt::Key_0));
  console->Action("mnu8Tags")->trigger();
  EXPECT_EQ(tagsSeen->CurrentSettings().numToShow, 8);
  for (const auto& [from, to] : {std::pair{32, 1}, std::pair{3, 6}, std::pair{16, 32}}) {
    tagsSeen->SetNumToShow(from);
    cycle->trigger();
    EXPECT_EQ(tagsSeen->CurrentSettings().numToShow, to) << from;
    EXPECT_EQ(console->session.settings().Integer(Setting::NumToShow), to);
  }
}

TEST_F(MainWindowTest, StopLeavesTheSettingsFileByteIdentical) {
  AppendMode("ShowQ2CommandTab=1\nNumToShow=8");
  const QByteArray before = ReadAll(ini_);
  auto console = Start();
  MainWindow& w = *console->window;
  w.show();
  console->Tabs()->setCurrentIndex(static_cast<int>(Page::kRWCommander));
  console->Action("mnuHideTab")->trigger();
  console->Action("mnuCycle")->trigger();
  console->Action("mnuStop")->trigger();
  EXPECT_FALSE(w.isVisible());
  // The application's end runs the shutdown again; it must not save now.
  w.ShutDown();
  console.reset();
  EXPECT_EQ(ReadAll(ini_), before);
}

// A settings file whose name leaves no room for the temporary file a save
// writes first: every save fails, even for root, as on a full disk.
TEST_F(MainWindowTest, SettingsThatCannotBeSavedAreReportedAndTheFileKept) {
  const QString unsavable = dir_.filePath(QString(250, QLatin1Char('s')));
  {
    QFile file(unsavable);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(ReadAll(ini_));
  }
  const QByteArray before = ReadAll(unsavable);
  ASSERT_FALSE(before.isEmpty());

  {
    Console console(dir_.path(), unsavable);
    console.window->show();
    console.Action("mnuExit")->trigger();
    EXPECT_EQ(console.boxes, QStringList{"Save Failure"});
  }
  EXPECT_EQ(ReadAll(unsavable), before);

  // Ending on a signal: nobody may be there to answer a box.
  Console console(dir_.path(), unsavable);
  ::testing::internal::CaptureStderr();
  console.window->ExitOnSignal();
  const std::string errors = ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(console.boxes.isEmpty());
  EXPECT_NE(errors.find("Unable to save the settings to " + unsavable.toStdString()),
            std::string::npos)
      << errors;
  EXPECT_EQ(ReadAll(unsavable), before);
}

TEST_F(MainWindowTest, StatusPanelsTellTransportAndState) {
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
  ChannelSettings tcp;
  tcp.open = true;
  tcp.port = false;
  tcp.ipAddress = "127.0.0.1";
  tcp.ipPort = server.serverPort();
  WriteChannelSettings(ini_, 0, tcp);
  ChannelSettings serial;
  serial.open = false;
  serial.name = "/dev/corvalis-none";
  WriteChannelSettings(ini_, 1, serial);
  ChannelSettings tcpClosed = tcp;
  tcpClosed.open = false;
  WriteChannelSettings(ini_, 2, tcpClosed);

  auto console = Start();
  MainWindow& w = *console->window;
  w.show();
  ChannelStatusBar& bar = *console->Find<ChannelStatusBar>("StatusBar1");
  ASSERT_TRUE(QTest::qWaitFor([&] { return bar.Panel(0).open; }, 3000));
  EXPECT_EQ(bar.PanelText(1), QStringLiteral("Chan 1: 127.0.0.1 %1").arg(tcp.ipPort));
  EXPECT_EQ(bar.PanelText(2), "Chan 2: /dev/corvalis-none Closed");
  EXPECT_EQ(bar.PanelText(3), "Chan 3: Closed");
  EXPECT_EQ(bar.PanelText(5), "Out1: COM1 Closed");
  EXPECT_FALSE(console->Action("CommsOpen1")->isEnabled());
  EXPECT_TRUE(console->Action("CommsClose1")->isEnabled());

  // Double-clicking panel 0 touches no channel; panel 1 toggles channel 1.
  const QByteArray before = ReadAll(ini_);
  w.PanelDoubleClicked(0, false);
  EXPECT_EQ(ReadAll(ini_), before);
  EXPECT_TRUE(bar.Panel(0).open);
  w.PanelDoubleClicked(1, false);
  EXPECT_EQ(bar.PanelText(1), "Chan 1: Closed");
  EXPECT_FALSE(ReadChannelSettings(ini_, 0).open);
  EXPECT_TRUE(console->Action("CommsOpen1")->isEnabled());

  testing::PtyPair pty;
  if (!pty.Start()) GTEST_SKIP() << "socat is needed for the serial panel";
  serial.name = pty.ConsoleEnd();
  serial.baud = 19200;
  console->context.channels().ApplySettings(1, serial);
  // The panel menu acts on the panel pressed, not on the send channel.
  int panelTwoX = 0;
  while (bar.PanelAt(panelTwoX) != 2) ++panelTwoX;
  QTest::mousePress(&bar, Qt::RightButton, {}, QPoint(panelTwoX + 2, bar.height() / 2));
  console->Action("mnuSBOpen")->trigger();
  EXPECT_EQ(bar.PanelText(2), QStringLiteral("Chan 2: %1 19200").arg(pty.ConsoleEnd()));
  console->Action("mnuSBBaud57600")->trigger();
  EXPECT_EQ(bar.PanelText(2), QStringLiteral("Chan 2: %1 57600").arg(pty.ConsoleEnd()));
  EXPECT_EQ(console->context.channels().Settings(0).baud, tcp.baud);
  console->Action("mnuSBClose")->trigger();
  EXPECT_EQ(bar.PanelText(2), QStringLiteral("Chan 2: %1 Closed").arg(pty.ConsoleEnd()));
}

TEST(ChannelPanelColours, OpenMarksGreenClosedRedHalvesBySendAndTabChannel) {
  const QColor face(200, 200, 200);
  ChannelPanel panel;
  panel.open = true;
  panel.sendChannel = panel.tabChannel = true;
  PanelColours c = ColoursFor(panel, face);
  EXPECT_EQ(c.background, QColor(128, 255, 255));
  EXPECT_EQ(c.mark, QColor(128, 255, 128));
  EXPECT_TRUE(c.markUpper && c.markLower);

  panel.open = false;
  panel.sendChannel = false;
  c = ColoursFor(panel, face);
  EXPECT_EQ(c.background, face);
  EXPECT_EQ(c.mark, QColor(Qt::red));
  EXPECT_TRUE(c.markUpper);
  EXPECT_FALSE(c.markLower);
}

TEST(StartupTest, RecordingFileRetriedUntilTheOperatorCancels) {
  QTemporaryDir dir;
  // A folder where the first recording file should be: it cannot be opened.
  ASSERT_TRUE(QDir(dir.path()).mkdir("logger1.log"));
  SystemClock clock;
  MemoStatus status;
  AppContext context(clock, status);
  AppSession session(context);
  QStringList asked;
  session.Start(dir.path(), {"corvalis", "-i=" + dir.filePath("Corvalis.ini")},
                [&](const QString& name) {
                  asked << name;
                  return asked.size() < 3;
                });
  EXPECT_EQ(asked, QStringList({"logger1.log", "logger1.log", "logger1.log"}));
  EXPECT_TRUE(session.Problems().isEmpty());
  EXPECT_EQ(NormaliseWaitTime(0), 10);
  EXPECT_EQ(NormaliseWaitTime(-9), -10);
  EXPECT_EQ(NormaliseWaitTime(500), 500);
  session.Abandon();
  context.channels().CloseAll();
}

}  // namespace
}  // namespace corvalis
