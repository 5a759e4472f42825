#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <string>

#include "app/AppContext.h"
#include "app/MemoStatus.h"
#include "app/Startup.h"
#include "app/ui/ChannelStatusBar.h"
#include "app/ui/DiagnosticsPage.h"
#include "app/ui/MainWindow.h"
#include "app/ui/PageTable.h"
#include "channels/ChannelSettings.h"
#include "tags/ui/DisplayWindow.h"
#include "tags/ui/TagsSeenPage.h"
#include "testkit/ReaderLines.h"

namespace corvalis {
namespace {

// The console on a settings file whose channels are all closed; reads are
// fed straight into channel 1's receive path.
class WiredConsole : public ::testing::Test {
 protected:
  WiredConsole() {
    const QString ini = dir_.filePath("Corvalis.ini");
    for (int ch = 0; ch < kChannelCount; ++ch) {
      ChannelSettings closed;
      closed.open = false;
      WriteChannelSettings(ini, ch, closed);
    }
    session_.Start(dir_.path(), {QStringLiteral("corvalis"), QStringLiteral("-i=") + ini});
    window_ = std::make_unique<MainWindow>(session_, context_, status_);
    window_->SetMessageBoxSink([](QMessageBox::Icon, const QString&, const QString&) {});
    window_->show();
  }
  ~WiredConsole() override { window_.reset(); }

  template <class T>
  T* Find(QObject* parent, const char* name) {
    T* found = parent->findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  DiagnosticsPage* Diagnostics() { return Find<DiagnosticsPage>(window_.get(), "DiagnosticsPage"); }
  TagsSeenPage* TagsSeen() { return Find<TagsSeenPage>(window_.get(), "TagsSeenPage"); }
  void Receive(const std::string& bytes) {
    context_.spine().framer.AppendTcp(0, bytes.data(), static_cast<int>(bytes.size()));
  }
  void TickSecond() {
    for (int i = 0; i < AppContext::kTicksPerSecond; ++i) window_->Tick();
  }
  // A label's text, or a mark when the window has no such label.
  QString LabelText(const char* name) {
    const auto* label = window_->findChild<QLabel*>(QLatin1String(name));
    return label != nullptr ? label->text() : QStringLiteral("<no %1>").arg(name);
  }
  void SetLinking(bool on) { Find<QAction>(window_.get(), "mnuIdiotMode")->setChecked(on); }
  void ShowPage(Page page) {
    Find<QTabWidget>(window_.get(), "PageControl1")->setCurrentIndex(static_cast<int>(page));
  }

  QTemporaryDir dir_;
  SystemClock clock_;
  MemoStatus status_;
  AppContext context_{clock_, status_};
  AppSession session_{context_};
  std::unique_ptr<MainWindow> window_;
};

TEST_F(WiredConsole, SentCommandShowsInRawDataMemoAndLightsTransmitMark) {
  auto* ownText = Find<QComboBox>(window_.get(), "cmbSendOwnText");
  ownText->setEditText(QStringLiteral("ab0001060188"));
  QTest::keyClick(ownText->lineEdit(), Qt::Key_Return);

  // Shown whatever the "Show raw data" box says, also for a closed channel.
  const QString memo = Find<QPlainTextEdit>(Diagnostics(), "memRawData")->toPlainText();
  EXPECT_TRUE(memo.contains(QStringLiteral(" 1 ab0001060188"))) << memo.toStdString();
  EXPECT_NE(context_.channels().View(0).sendActivity, 0);
}

TEST_F(WiredConsole, TagsSeenClearEmptiesTheReceiveBuffers) {
  Receive(testing::ReaderLine(1, 0x41, 10));
  Receive("aa0130313233");  // half a line
  ASSERT_GT(context_.spine().framer.Buffer(0).length, context_.spine().framer.Buffer(0).start);
  window_->Tick();
  ASSERT_EQ(context_.tagTable().SeenLength(), 1);

  Find<QPushButton>(TagsSeen(), "btnClear")->click();
  EXPECT_EQ(context_.tagTable().SeenLength(), 0);
  const ChannelRxBuffer& buffer = context_.spine().framer.Buffer(0);
  EXPECT_EQ(buffer.length - buffer.start, 0);
}

TEST_F(WiredConsole, DiagnosticsClearZeroesTheTagCounters) {
  Receive(testing::ReaderLine(1, 0x41, 10));
  Receive(testing::ReaderLine(1, 0x42, 20));
  TickSecond();
  DiagnosticsPage* page = Diagnostics();
  EXPECT_EQ(Find<QLabel>(page, "lblReadsSeen1")->text(), "2");
  EXPECT_EQ(Find<QLabel>(page, "lblUniqueSeen1")->text(), "2");
  auto* unique = Find<QListWidget>(page, "lsbUniqueTags");
  ASSERT_EQ(unique->count(), 2);
  EXPECT_TRUE(unique->item(1)->text().startsWith("30 31 32 33 34 35 36 42 1"))
      << unique->item(1)->text().toStdString();
  ASSERT_GT(context_.tagTable().PassCount(), 0);

  Find<QPushButton>(page, "btnClearCounters")->click();
  EXPECT_EQ(context_.tagTable().ReadsSeen(0), 0);
  EXPECT_EQ(context_.tagTable().UniqueSeen(0), 0);
  EXPECT_EQ(context_.tagTable().PassCount(), 0);
  EXPECT_EQ(Find<QLabel>(page, "lblReadsSeen1")->text(), "0");
  EXPECT_EQ(Find<QLabel>(page, "lblUniqueSeen1")->text(), "0");
  EXPECT_TRUE(Find<QPlainTextEdit>(page, "Memo2")->toPlainText().isEmpty());
  EXPECT_EQ(unique->count(), 0);
}

TEST_F(WiredConsole, TypedWaitTimeSetsWaitTimeNormalisingSmallValues) {
  auto* box = Find<QLineEdit>(Diagnostics(), "edtWaitTime");
  EXPECT_FALSE(box->isReadOnly());
  auto type = [box](const char* text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, QLatin1String(text));
    QTest::keyClick(box, Qt::Key_Return);
  };
  type("800");
  EXPECT_EQ(context_.tagTable().settings().waitTime, 800);
  type("5");
  EXPECT_EQ(context_.tagTable().settings().waitTime, 10);
  EXPECT_EQ(box->text(), "10");
  type("-3");
  EXPECT_EQ(context_.tagTable().settings().waitTime, -10);

  Settings saved = session_.settings();
  context_.StoreSettings(saved);
  EXPECT_EQ(saved.Integer(Setting::WaitTime), -10);
}

TEST_F(WiredConsole, ChangedUpdatePeriodChangesTheNextRateShown) {
  Find<QSpinBox>(window_.get(), "speRRPeriod")->setValue(1);
  EXPECT_EQ(TagsSeen()->CurrentSettings().readRatePeriod, 1);
  Receive(testing::ReaderLine(1, 0x41, 10));  // I 2 + Q 1
  window_->Tick();
  // One bucket of one tick: 3 reads in 0.1 s; the default period would show
  // nothing new before its fifth tick.
  EXPECT_EQ(Find<QLabel>(TagsSeen(), "lblRRI")->text(), "30.0");
}

TEST_F(WiredConsole, TimeoutInUseIsTheOneTheBoxShows) {
  SeenViewSettings seen = TagsSeen()->CurrentSettings();
  seen.showTimeoutSec = 250000;  // as a hand-edited settings file may hold
  TagsSeen()->ApplySettings(seen);
  EXPECT_EQ(Find<QSpinBox>(TagsSeen(), "speTimeout")->value(), 99999);
  EXPECT_EQ(TagsSeen()->CurrentSettings().showTimeoutSec, 99999);
}

TEST_F(WiredConsole, CommsMessagesReachTheMemoOnlyWhileChosen) {
  auto* memo = Find<QPlainTextEdit>(Diagnostics(), "Memo2");
  Find<QRadioButton>(Diagnostics(), "rbtShowDecoderStats")->click();
  context_.status().DebugLog("RXCHAR SIGNAL quiet");
  EXPECT_FALSE(memo->toPlainText().contains("quiet"));
  EXPECT_TRUE(Find<QLabel>(Diagnostics(), "lblReadsSeen1")->isVisibleTo(Diagnostics()));

  Find<QRadioButton>(Diagnostics(), "rbtShowCommsMessages")->click();
  context_.status().DebugLog("RXCHAR SIGNAL shown");
  // Held while the tab is not on screen, shown together once it is.
  ShowPage(Page::kTagsSeen);
  QTest::qWait(300);
  EXPECT_FALSE(memo->toPlainText().contains("shown"));
  ShowPage(Page::kDiagnostics);
  EXPECT_TRUE(memo->toPlainText().contains("shown"));
  context_.status().DebugLog("RXCHAR SIGNAL later");
  EXPECT_TRUE(QTest::qWaitFor([&] { return memo->toPlainText().contains("later"); }, 2000));

  const QByteArray dir = qgetenv("CORVALIS_SCREENSHOT_DIR");
  if (!dir.isEmpty()) {
    Receive(testing::ReaderLine(1, 0x41, 10));
    Find<QTabWidget>(window_.get(), "PageControl1")
        ->setCurrentWidget(Diagnostics()->parentWidget());
    window_->resize(1100, 720);
    TickSecond();
    window_->grab().save(QDir(QString::fromLocal8Bit(dir)).filePath("diagnostics.png"));
  }
}

TEST_F(WiredConsole, WindowDisplayFollowsTheOutputPortAndShowsNames) {
  EXPECT_TRUE(Find<QPushButton>(window_.get(), "btnConfigure")->isEnabled());
  auto* display = Find<DisplayWindow>(window_.get(), "frmWindowDisp");
  EXPECT_FALSE(display->isVisible());

  Settings& settings = session_.settings();
  settings.SetString(Setting::DisplayType, QStringLiteral("window"));
  settings.SetInteger(Setting::WindowCols, 8);
  settings.SetDisplayWindowRow(4, QStringLiteral("TAG_NAME"));
  settings.SetOutputPort(OutputPortUse::kDisplay);
  window_->OutputPortChanged(OutputPortUse::kDisplay);
  EXPECT_TRUE(display->isVisible());
  context_.display().ShowOnDisplay("GATE 4");
  context_.display().ShowOnDisplay("GATE 5");
  EXPECT_EQ(display->Text(), "        \n        \n        \nGATE 4  \nGATE 5  ");

  // Clearing the Tags Seen table clears the display.
  Find<QPushButton>(TagsSeen(), "btnClear")->click();
  EXPECT_EQ(display->Text().trimmed(), "");

  settings.SetOutputPort(OutputPortUse::kNone);
  window_->OutputPortChanged(OutputPortUse::kNone);
  EXPECT_FALSE(display->isVisible());
}

TEST_F(WiredConsole, TtoDisplayTabHoldsThePageGridAndItsOptions) {
  auto* tabs = Find<QTabWidget>(window_.get(), "PageControl1");
  QWidget* page = window_->PageWidget(Page::kTTODisplay);
  tabs->setCurrentWidget(page);
  Receive(testing::ReaderLine(1, 0x41, 10));
  window_->Tick();
  auto* grid = Find<QTableWidget>(page, "stgTTODisplay");
  ASSERT_GE(grid->rowCount(), 2);
  EXPECT_EQ(grid->item(0, 1)->text(), "Page 1");  // TTODisplayFirstPage's default
  EXPECT_FALSE(grid->item(1, 0)->text().isEmpty());
  Find<QSpinBox>(page, "speTTOFirstPage")->setValue(14);
  EXPECT_EQ(session_.settings().Integer(Setting::TTODisplayFirstPage), 14);
  EXPECT_EQ(grid->item(0, 3)->text(), "Page 0");
  const QByteArray dir = qgetenv("CORVALIS_SCREENSHOT_DIR");
  if (!dir.isEmpty()) {
    window_->grab().save(QDir(QString::fromLocal8Bit(dir)).filePath("tto-display-tab.png"));
  }
}

// What a serial port reports in one bytes-waiting event.
class WaitingBytes final : public SerialByteSource {
 public:
  explicit WaitingBytes(int count) : left_(count) {}
  int Read(char* dest, int max) override {
    const int n = std::min(max, left_);
    std::fill(dest, dest + n, 'z');
    left_ -= n;
    return n;
  }
  void PurgeInput() override { left_ = 0; }
  std::string LastErrorText() const override { return {}; }

 private:
  int left_;
};

TEST_F(WiredConsole, DecoderStatisticsShowTheDecoderCountersAndTheLargestReceive) {
  std::string badLrc = testing::ReaderLine(1, 0x41, 10);
  badLrc[badLrc.size() - 3] = badLrc[badLrc.size() - 3] == '0' ? '1' : '0';
  Receive(badLrc);
  Receive(testing::ReaderLine(1, 0x42, 20));
  WaitingBytes overflow(9000);
  context_.spine().framer.AppendSerial(1, 9000, overflow);
  TickSecond();

  Find<QRadioButton>(Diagnostics(), "rbtShowDecoderStats")->click();
  EXPECT_EQ(LabelText("lblChecksumErrors1"), "1");
  EXPECT_EQ(LabelText("lblDataErrors1"), "0");
  EXPECT_EQ(LabelText("lblOverruns1"), "0");
  EXPECT_EQ(LabelText("lblOverruns2"), "1");
  EXPECT_EQ(LabelText("lblLargestReceive"), "9000");
  const auto* checksums = Find<QLabel>(Diagnostics(), "lblChecksumErrors1");
  ASSERT_NE(checksums, nullptr);
  EXPECT_TRUE(checksums->isVisibleTo(Diagnostics()));

  // The purged count shows in the window's own label.
  auto* purged = Find<QLabel>(Diagnostics(), "lblPurged");
  ShowPage(Page::kDiagnostics);
  EXPECT_TRUE(purged->isVisible());
  EXPECT_EQ(purged->text(), "809 chars purged");

  const QByteArray dir = qgetenv("CORVALIS_SCREENSHOT_DIR");
  if (!dir.isEmpty()) {
    window_->resize(1100, 720);
    TickSecond();
    window_->grab().save(
        QDir(QString::fromLocal8Bit(dir)).filePath("diagnostics-decoder-stats.png"));
  }

  Find<QPushButton>(Diagnostics(), "btnClearCounters")->click();
  EXPECT_EQ(LabelText("lblChecksumErrors1"), "0");
  EXPECT_EQ(LabelText("lblOverruns2"), "0");
  EXPECT_FALSE(purged->isVisible());
}

TEST_F(WiredConsole, SentCommandsAndRepliesReachTheReaderControlMemo) {
  auto* ownText = Find<QComboBox>(window_.get(), "cmbSendOwnText");
  ownText->setEditText(QStringLiteral("ab0001060188"));
  QTest::keyClick(ownText->lineEdit(), Qt::Key_Return);
  Receive("ab0001060188\r\n");
  const QStringList lines =
      Find<QPlainTextEdit>(window_.get(), "memInfo")->toPlainText().split(QLatin1Char('\n'));
  EXPECT_TRUE(lines.contains(QStringLiteral("ab0001060188.."))) << lines.join('|').toStdString();
  EXPECT_TRUE(lines.contains(QStringLiteral("ab0001060188"))) << lines.join('|').toStdString();
}

TEST_F(WiredConsole, CopyIdToRwCommanderFillsTheCommandersTagId) {
  Receive(testing::ReaderLine(1, 0x41, 10));
  window_->Tick();
  const QString hexId = QString::fromLatin1(TagsSeen()->View().RowHexId(0));
  ASSERT_EQ(hexId.size(), 16);
  Find<QTableWidget>(TagsSeen(), "grdTagsSeen")->setCurrentCell(0, 0);
  Find<QAction>(TagsSeen(), "mnuCopyIDToRWCommander")->trigger();
  EXPECT_EQ(Find<QComboBox>(window_.get(), "cmbCmdTagID")->currentText(), hexId);
  EXPECT_TRUE(
      Find<QLineEdit>(window_.get(), "edtCmdCommandString")->text().endsWith(hexId.right(12)));

  // The first generation takes the last 12 characters.
  Find<QCheckBox>(window_.get(), "ckbRWManual")->setChecked(true);
  Find<QComboBox>(window_.get(), "cmbCmdTagID")->setEditText(QStringLiteral("111111111111"));
  Find<QAction>(TagsSeen(), "mnuCopyIDToRWCommander")->trigger();
  EXPECT_EQ(Find<QComboBox>(window_.get(), "cmbCmdTagID")->currentText(), hexId.right(12));
}

TEST_F(WiredConsole, CommanderChannelStaysOneAcrossItsBoxesAndIsMarkedWithLinkingOff) {
  window_->DisplayAllTabs();
  SetLinking(false);
  auto* command = Find<QComboBox>(window_.get(), "cmbCmdChannel");
  auto* data = Find<QComboBox>(window_.get(), "cmbQ2DChannel");
  auto* send = Find<QComboBox>(window_.get(), "cmbSendChannel");
  command->setCurrentIndex(2);
  EXPECT_EQ(data->currentIndex(), 2);
  EXPECT_EQ(send->currentIndex(), 0);
  data->setCurrentIndex(3);
  EXPECT_EQ(command->currentIndex(), 3);
  EXPECT_EQ(send->currentIndex(), 0);

  ShowPage(Page::kRWCommander);
  auto* bar = Find<ChannelStatusBar>(window_.get(), "StatusBar1");
  EXPECT_TRUE(bar->Panel(3).tabChannel);
  EXPECT_FALSE(bar->Panel(0).tabChannel);
  EXPECT_TRUE(bar->Panel(0).sendChannel);
}

TEST_F(WiredConsole, CommanderPagesAreMirroredOnTheRwDataPage) {
  auto* start = Find<QSpinBox>(window_.get(), "speCmdStartPage");
  auto* count = Find<QSpinBox>(window_.get(), "speCmdNumPages");
  auto* dataStart = Find<QSpinBox>(window_.get(), "speDataFirstPage");
  auto* dataCount = Find<QSpinBox>(window_.get(), "speDataNumPages");
  start->setValue(4);
  count->setValue(0);
  EXPECT_EQ(dataStart->value(), 4);
  EXPECT_EQ(dataCount->value(), 0);
  dataCount->setValue(7);
  EXPECT_EQ(count->value(), 7);
  EXPECT_EQ(start->value(), 4);
}

TEST_F(WiredConsole, EnteringConfigureTagCopiesOnlyTheOptionsAndPages) {
  auto* tcCommand = Find<QSpinBox>(window_.get(), "speTCCommand");
  auto* tcTagId = Find<QComboBox>(window_.get(), "cmbTCTagID");
  tcCommand->setValue(1);  // Test
  tcTagId->setEditText(QStringLiteral("00000000000000aa"));
  Find<QSpinBox>(window_.get(), "speCmdCommand")->setValue(3);  // Write
  Find<QSpinBox>(window_.get(), "speCmdStartPage")->setValue(2);
  Find<QSpinBox>(window_.get(), "speCmdNumPages")->setValue(5);
  Find<QComboBox>(window_.get(), "cbxCmdDelay")->setCurrentIndex(3);
  Find<QCheckBox>(window_.get(), "ckbCmdTotal")->setChecked(true);
  Find<QCheckBox>(window_.get(), "ckbCmdEcho")->setChecked(true);
  Find<QComboBox>(window_.get(), "cmbCmdTagID")->setEditText(QStringLiteral("feedface00000001"));
  Find<QCheckBox>(window_.get(), "ckbCmdGenerateCRC")->setChecked(false);

  ShowPage(Page::kConfigureTag);
  EXPECT_EQ(Find<QSpinBox>(window_.get(), "speTCStartPage")->value(), 2);
  EXPECT_EQ(Find<QSpinBox>(window_.get(), "speTCNumPages")->value(), 5);
  EXPECT_EQ(Find<QComboBox>(window_.get(), "cbxTCDelay")->currentIndex(), 3);
  EXPECT_TRUE(Find<QCheckBox>(window_.get(), "ckbTCTotal")->isChecked());
  EXPECT_TRUE(Find<QCheckBox>(window_.get(), "ckbTCEcho")->isChecked());
  EXPECT_EQ(tcCommand->value(), 1);
  EXPECT_EQ(tcTagId->currentText(), "00000000000000aa");
  EXPECT_TRUE(Find<QCheckBox>(window_.get(), "ckbTCGenerateCRC")->isChecked());
}

}  // namespace
}  // namespace corvalis
