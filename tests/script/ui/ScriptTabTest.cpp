#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <memory>

#include "app/AppContext.h"
#include "app/MemoStatus.h"
#include "app/Startup.h"
#include "app/ui/MainWindow.h"
#include "channels/ChannelTestSupport.h"
#include "common/ui/FindNamed.h"
#include "control/ui/HistoryCombo.h"
#include "script/ui/ScriptTab.h"

namespace corvalis {
namespace {

using testing::FindNamed;

// The running main window with channel 1 open over TCP to the bundled
// reader simulator; the RT tab is driven through its controls.
class ScriptTabTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const QString ini = dir_.filePath("Corvalis.ini");
    const int port = testing::StartSimulator(sim_, {"--tcp", "0", "--passes", "1", "--tags", "1"});
    ASSERT_GT(port, 0);
    testing::WriteSimulatorChannels(ini, port);
    session_.Start(dir_.path(), {QStringLiteral("corvalis"), QStringLiteral("-i=") + ini});
    window_ = std::make_unique<MainWindow>(session_, context_, status_);
    window_->SetMessageBoxSink([](QMessageBox::Icon, const QString&, const QString&) {});
    window_->ShowPage(Page::kReaderTester);
    window_->show();
    tab_ = FindNamed<ScriptTab>(window_.get(), "ScriptTab");
    ASSERT_NE(tab_, nullptr);
    tab_->SetBoxSink([this](const QString& title, const QString& text) {
      boxes_ << title + QStringLiteral(": ") + text;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return context_.channels().IsOpen(0); }, 5000));
  }
  void TearDown() override {
    window_.reset();
    sim_.terminate();
    sim_.waitForFinished(3000);
  }

  template <class T>
  T* Control(const char* name) {
    return FindNamed<T>(tab_, name);
  }
  QString Text(const char* label) { return Control<QLabel>(label)->text(); }
  QString Caption(const char* button) { return Control<QPushButton>(button)->text(); }
  QPlainTextEdit* Memo() { return Control<QPlainTextEdit>("redRTCommands"); }
  void Click(const char* button) {
    QTest::mouseClick(Control<QPushButton>(button), Qt::LeftButton);
  }
  // The window's 100 ms tick, with the network serviced in between.
  void Tick() {
    QTest::qWait(10);
    window_->Tick();
  }
  void TickUntilStopped(int ticks = 100) {
    for (int i = 0; i < ticks && context_.interpreter().Running(); ++i) Tick();
  }
  void TypeFileName(const QString& name) {
    auto* combo = Control<QComboBox>("cmbRTFilename");
    combo->setEditText(name);
    Q_EMIT combo->lineEdit()->editingFinished();
  }

  QTemporaryDir dir_;
  QProcess sim_;
  SystemClock clock_;
  MemoStatus status_;
  AppContext context_{clock_, status_};
  AppSession session_{context_};
  std::unique_ptr<MainWindow> window_;
  ScriptTab* tab_ = nullptr;
  QStringList boxes_;
};

constexpr char kTwoQueries[] = "reply 1\ntimeout 20\nbuildCommand 0060\nbuildCommand 0060\nstop";

TEST_F(ScriptTabTest, SendRunsTheMemoAgainstTheReaderAndShowsItsProgress) {
  Memo()->setPlainText(QString::fromLatin1(kTwoQueries));
  Click("btnRTSend");
  EXPECT_EQ(Caption("btnRTSend"), "&Stop Sending");
  EXPECT_EQ(Text("lblRTLineNo"), "3");  // waiting on the first query
  TickUntilStopped();

  EXPECT_FALSE(context_.interpreter().Running());
  EXPECT_EQ(Caption("btnRTSend"), "&Send");
  EXPECT_EQ(Text("lblRTLinesSent"), "2");
  EXPECT_EQ(Text("lblRTTimeouts"), "0");
  EXPECT_EQ(Text("lblRTErrors"), "0");
  EXPECT_TRUE(Text("pnlRTSentMessage").startsWith("ab000060"))
      << Text("pnlRTSentMessage").toStdString();
  // Two equal answers: the second is counted, not repeated.
  EXPECT_EQ(Control<QPlainTextEdit>("memRTStatusMessages")->toPlainText(),
            "OK\n  - previous message repeated once.");
  const QString incoming = Control<QPlainTextEdit>("memRTIncoming")->toPlainText();
  EXPECT_EQ(incoming.count(QStringLiteral("ab00006026 | ab00")), 2) << incoming.toStdString();
  // The end of the memo rewinds to its first line.
  EXPECT_EQ(Text("lblRTLineNo"), "1");

  Click("btnRTClearM");
  EXPECT_EQ(Text("lblRTLinesSent"), "0");
  EXPECT_TRUE(Control<QPlainTextEdit>("memRTStatusMessages")->toPlainText().isEmpty());
}

// The documentation's picture, taken only when asked for: a script running
// against the simulator, waiting after two answered commands.
TEST_F(ScriptTabTest, Screenshot) {
  const char* shot = std::getenv("CORVALIS_RT_SCREENSHOT");
  if (shot == nullptr) GTEST_SKIP() << "CORVALIS_RT_SCREENSHOT names the picture to write";
  window_->resize(1180, 720);
  Memo()->setPlainText(
      QStringLiteral("# Two status queries, then a pause\nreply 1\ntimeout 20\nbuildCommand 0060\n"
                     "buildCommand 0044\nwait 50\nstop"));
  Click("btnRTSend");
  for (int i = 0; i < 50 && context_.interpreter().WaitTicks() == 0; ++i) Tick();
  for (int i = 0; i < 5; ++i) Tick();
  ASSERT_TRUE(context_.interpreter().Running());
  EXPECT_TRUE(window_->grab().save(QString::fromLocal8Bit(shot)));
}

TEST_F(ScriptTabTest, SendOneStepsToTheNextCommandAndWaitsForItsReply) {
  Memo()->setPlainText(QString::fromLatin1(kTwoQueries));
  Click("btnRTSendOne");
  EXPECT_EQ(Caption("btnRTSendOne"), "Abort One");
  EXPECT_EQ(Text("lblRTLinesSent"), "1");
  for (int i = 0; i < 50 && context_.interpreter().SingleStepping(); ++i) Tick();
  EXPECT_EQ(Caption("btnRTSendOne"), "Send &One");
  EXPECT_EQ(Text("lblRTLineNo"), "4");  // the next line to run
  for (int i = 0; i < 10; ++i) Tick();
  EXPECT_EQ(Text("lblRTLinesSent"), "1");  // nothing more without a press

  Click("btnRTSendOne");
  for (int i = 0; i < 50 && context_.interpreter().SingleStepping(); ++i) Tick();
  EXPECT_EQ(Text("lblRTLinesSent"), "2");
  EXPECT_EQ(Text("lblRTTimeouts"), "0");
}

TEST_F(ScriptTabTest, FileSourceRefusesAnUnreadableFileAndRunsAReadableOne) {
  QTest::mouseClick(Control<QRadioButton>("rbtRTFile"), Qt::LeftButton);
  EXPECT_TRUE(Control<QLabel>("lblRTFileStatus")->isVisibleTo(tab_));
  EXPECT_FALSE(Control<QComboBox>("cmbRTStdTests")->isVisibleTo(tab_));

  TypeFileName(dir_.filePath("missing.txt"));
  EXPECT_EQ(Text("lblRTFileStatus"), "Not Open");
  Click("btnRTSend");
  EXPECT_EQ(boxes_, QStringList{"File Open Error: Unable to open file for reading"});
  EXPECT_FALSE(context_.interpreter().Running());
  EXPECT_EQ(Caption("btnRTSend"), "&Send");
  EXPECT_EQ(Text("lblRTFileStatus"), "Closed");

  const QString path = dir_.filePath("query.txt");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("reply 1\ntimeout 20\nbuildCommand 0060\n");
  file.close();
  TypeFileName(path);
  Click("btnRTReopen");
  EXPECT_EQ(Text("lblRTFileStatus"), "Open - at BOF");
  EXPECT_EQ(Caption("btnRTReopen"), "Close");
  EXPECT_EQ(HistoryItems(Control<QComboBox>("cmbRTFilename")).first(), path);

  Click("btnRTSend");
  TickUntilStopped();
  EXPECT_EQ(Text("lblRTLinesSent"), "1");
  // The end of the file closed it.
  EXPECT_EQ(Text("lblRTFileStatus"), "Not Open");
  EXPECT_EQ(Caption("btnRTReopen"), "Open");
}

TEST_F(ScriptTabTest, RecordingTakesConsoleCommandsButNotTheScriptsOwn) {
  Memo()->clear();
  QTest::mouseClick(FindNamed<QCheckBox>(tab_, "ckbRTRecording"), Qt::LeftButton);

  auto* ownText = FindNamed<QComboBox>(window_.get(), "cmbSendOwnText");
  ownText->setEditText(QStringLiteral("ab0001060188"));
  QTest::keyClick(ownText->lineEdit(), Qt::Key_Return);
  auto* sendChannel = FindNamed<QComboBox>(window_.get(), "cmbSendChannel");
  sendChannel->setCurrentIndex(1);
  sendChannel->setCurrentIndex(2);
  EXPECT_EQ(Memo()->toPlainText(), "ab0001060188\nsetChannel 3");
  // The tab follows the send channel while it tracks the other tabs.
  EXPECT_EQ(Control<QComboBox>("cmbRTChan")->currentIndex(), 2);
  sendChannel->setCurrentIndex(0);

  const QString recorded = Memo()->toPlainText();
  EXPECT_EQ(recorded, "ab0001060188\nsetChannel 1");
  Click("btnRTSend");
  TickUntilStopped();
  EXPECT_EQ(Text("lblRTLinesSent"), "1");
  EXPECT_EQ(Memo()->toPlainText(), recorded);
}

TEST_F(ScriptTabTest, InsertMenuAndBuiltInTestsWriteTheMemo) {
  auto* menu = FindNamed<QMenu>(tab_, "pmnuRTCommands");
  ASSERT_EQ(menu->actions().size(), 90);
  Memo()->clear();
  for (QAction* item : menu->actions()) {
    if (item->text() == "wait") item->trigger();
  }
  EXPECT_EQ(Memo()->toPlainText(), "wait 5\n");

  auto* tests = Control<QComboBox>("cmbRTStdTests");
  ASSERT_EQ(tests->count(), 4);
  EXPECT_EQ(tests->currentText(), "Discover reader baud rate");
  tests->setCurrentIndex(3);
  Click("btnRTLoadStandardTest");
  EXPECT_TRUE(Memo()->toPlainText().startsWith("# Writes 1111111111111111 to page 1"));
  EXPECT_EQ(Text("lblRTLineNo"), "1");
}

}  // namespace
}  // namespace corvalis
