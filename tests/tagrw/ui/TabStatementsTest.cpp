#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>

#include <memory>
#include <string>
#include <vector>

#include "app/MemoStatus.h"
#include "app/Startup.h"
#include "app/ui/MainWindow.h"
#include "app/ui/PageTable.h"
#include "channels/ChannelTestSupport.h"
#include "protocol/Checksums.h"
#include "script/ui/ScriptTab.h"
#include "tagrw/ui/MultiPagePage.h"

namespace corvalis {
namespace {

// Everything on the line in order: "> " sent, "< " received.
class LineLog final : public SentLineRecorder, public MessageObserver {
 public:
  bool IsRecording() const override { return true; }
  void RecordSentLine(int channel, const char* text, int length) override {
    std::string line(text, static_cast<size_t>(length));
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    events.push_back("> " + line);
    channels.push_back(channel);
  }
  void ObserveMessage(int channel, const char* text, int length) override {
    events.push_back("< " + std::string(text, static_cast<size_t>(length)));
    channels.push_back(channel);
  }
  std::vector<std::string> Sent(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& e : events)
      if (e.rfind("> " + prefix, 0) == 0) out.push_back(e.substr(2));
    return out;
  }
  std::vector<std::string> events;
  std::vector<int> channels;
};

// The whole console with channel 1 on the simulator, which has a tag
// simulator at address 5 beside its reader and read/write controller.
class ConsoleOnSimulator : public ::testing::Test {
 protected:
  void SetUp() override {
    const QString ini = dir.filePath("Corvalis.ini");
    const int port = testing::StartSimulator(
        sim, {"--tcp", "0", "--rate", "1", "--reads-per-pass", "1", "--tagsim-id", "5"});
    ASSERT_GT(port, 0);
    testing::WriteSimulatorChannels(ini, port);
    session.Start(dir.path(), {QStringLiteral("corvalis"), QStringLiteral("-i=") + ini});
    window = std::make_unique<MainWindow>(session, context, status);
    window->SetMessageBoxSink([](QMessageBox::Icon, const QString&, const QString&) {});
    // The tabs the tests drive are hidden (and so disabled) by default.
    auto* tabs = Find<QTabWidget>(window.get(), "PageControl1");
    for (Page page : {Page::kTagSimControls, Page::kRWCommander, Page::kRWTagTest,
                      Page::kReaderTester, Page::kMultiPage}) {
      tabs->setTabEnabled(static_cast<int>(page), true);
      tabs->setTabVisible(static_cast<int>(page), true);
    }
    window->resize(1280, 860);
    window->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return context.channels().IsOpen(0); }, 3000));
    context.commands().SetSentLineRecorder(&log);
    context.dispatcher().AddObserver(&log);
    Rt()->SetBoxSink([this](const QString& title, const QString& text) {
      boxes.push_back((title + ": " + text).toStdString());
    });
  }
  void TearDown() override {
    context.dispatcher().RemoveObserver(&log);
    window.reset();
    context.channels().CloseAll();
    sim.terminate();
    sim.waitForFinished(3000);
  }
  template <class T>
  T* Find(const QObject* parent, const QString& name) {
    T* found = parent->findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
  }
  ScriptTab* Rt() { return window->findChild<ScriptTab*>(QStringLiteral("ScriptTab")); }
  MultiPagePage* Mp() { return window->findChild<MultiPagePage*>(QStringLiteral("MultiPagePage")); }
  QPlainTextEdit* RtMemo() { return Find<QPlainTextEdit>(Rt(), "redRTCommands"); }
  bool ScriptEnds(int ms = 15000) {
    return QTest::qWaitFor([&] { return !Rt()->ScriptBusy(); }, ms);
  }
  void ShowPage(Page page) {
    Find<QTabWidget>(window.get(), "PageControl1")->setCurrentIndex(static_cast<int>(page));
  }
  void RunScript(const QString& text) {
    RtMemo()->setPlainText(text);
    Find<QPushButton>(Rt(), "btnRTSend")->click();
  }
  void Screenshot(QWidget* widget, const char* name) {
    if (qEnvironmentVariableIsSet("CORVALIS_SCREENSHOTS"))
      widget->grab().save(QStringLiteral(CORVALIS_SOURCE_DIR "/docs/screenshots/") + name);
  }
  static std::string PageData(int page) {
    return "0123456789ab" + std::string(3, "0123456789abcdef"[page & 15]) + "0";
  }

  QTemporaryDir dir;
  SystemClock clock;
  MemoStatus status;
  AppContext context{clock, status};
  AppSession session{context};
  std::unique_ptr<MainWindow> window;
  QProcess sim;
  LineLog log;
  std::vector<std::string> boxes;
};

TEST_F(ConsoleOnSimulator, MultiPageSendGetAndWriteReachTheTag) {
  MultiPagePage* mp = Mp();
  ShowPage(Page::kMultiPage);
  RtMemo()->setPlainText(QStringLiteral("# the operator's own script"));
  Find<QComboBox>(Rt(), "cmbRTChan")->setCurrentIndex(2);
  Find<QSpinBox>(mp, "speMPStartPage")->setValue(3);
  Find<QSpinBox>(mp, "speMPNumPages")->setValue(5);
  for (int row = 1; row <= 5; ++row) {
    Find<QComboBox>(mp, QStringLiteral("cmbMPData%1").arg(row))
        ->setEditText(QString::fromStdString(PageData(row + 2)));
  }
  Find<QPushButton>(mp, "btnMPSend")->click();
  ASSERT_TRUE(ScriptEnds());
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return Find<QLabel>(mp, "lblMPProgress")->text().endsWith("done"); }, 1000));

  // Five loads on the tab's own channel, each sent after the previous one's
  // acknowledgement, with correct LRCs.
  std::vector<std::string> order;
  for (size_t i = 0; i < log.events.size(); ++i) {
    const std::string& e = log.events[i];
    if (e.rfind("> ab00092e", 0) == 0 || e.rfind("< ab00012e", 0) == 0) {
      order.push_back(e.substr(0, 12));
      EXPECT_EQ(log.channels[i], 0) << e;
    }
  }
  const std::vector<std::string> expected = {
      "> ab00092e03", "< ab00012e03", "> ab00092e04", "< ab00012e04", "> ab00092e05",
      "< ab00012e05", "> ab00092e06", "< ab00012e06", "> ab00092e07", "< ab00012e07"};
  EXPECT_EQ(order, expected);
  for (const std::string& line : log.Sent("ab00092e")) {
    EXPECT_TRUE(CheckLrc(line.data() + 2, static_cast<int>(line.size()) - 2)) << line;
    const int page = std::stoi(line.substr(8, 2), nullptr, 16);
    EXPECT_EQ(line.substr(10, 16), PageData(page));
  }
  EXPECT_EQ(Find<QLabel>(mp, "lblMPProgress")->text(), "Send: 5 of 5 pages done");
  // The operator's memo comes back with Undo; the RT tab took the channel.
  EXPECT_EQ(Find<QComboBox>(Rt(), "cmbRTChan")->currentIndex(), 0);
  RtMemo()->document()->undo();
  EXPECT_EQ(RtMemo()->toPlainText(), "# the operator's own script");

  // Get shows the controller's buffer in the Read column.
  Find<QPushButton>(mp, "btnMPGet")->click();
  ASSERT_TRUE(ScriptEnds());
  for (int row = 1; row <= 5; ++row) {
    EXPECT_EQ(Find<QLabel>(mp, QStringLiteral("lblMPRead%1").arg(row))->text().toStdString(),
              PageData(row + 2));
  }

  // The RW Commander's transmit and the Multi Page Write count in one
  // sequence.
  Find<QPushButton>(window.get(), "btnCmdTransmit")->click();
  ASSERT_EQ(context.commands().WaitForReply(), WaitResult::kReplied);
  Find<QCheckBox>(mp, "ckbMPAutoSusp")->setChecked(false);
  Find<QPushButton>(mp, "btnMPWrite")->click();
  ASSERT_EQ(context.commands().WaitForReply(), WaitResult::kReplied);
  ASSERT_EQ(log.Sent("ab00032d").size(), 1u);
  EXPECT_EQ(log.Sent("ab00032d")[0].substr(0, 14), "ab00032d013562");
  EXPECT_EQ(Find<QLabel>(mp, "lblMPSuccess")->text(), "Acknowledged");
  Screenshot(mp, "multi_page.png");

  // The read/write tag test reads the written pages back from the tag.
  TagRwTest& test = context.tagRw();
  test.SetTarget(0, 0, "");
  test.options().secondGen = true;
  for (int page = 3; page <= 7; ++page) {
    RwPage& p = test.pages()[static_cast<size_t>(page)];
    p.data = PageData(page);
    p.read = true;
    ASSERT_TRUE(test.StartPage(page));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !test.Running(); }, 8000));
    EXPECT_EQ(p.readBack, PageData(page));
  }

  Find<QSpinBox>(mp, "speMPStartPage")->setValue(1);
  Find<QSpinBox>(mp, "speMPNumPages")->setValue(9);
  Find<QPushButton>(mp, "btnMPWrite")->click();
  ASSERT_EQ(context.commands().WaitForReply(), WaitResult::kReplied);
  // The five reads' transmits took numbers 2 to 6 of the same sequence.
  ASSERT_EQ(log.Sent("ab00032d").size(), 2u);
  EXPECT_EQ(log.Sent("ab00032d")[1].substr(0, 14), "ab00032d071962");
}

TEST_F(ConsoleOnSimulator, MultiPageLeavesARunningScriptAlone) {
  RunScript(QStringLiteral("wait 50\n"));
  ASSERT_TRUE(Rt()->ScriptBusy());
  Find<QPushButton>(Mp(), "btnMPSend")->click();
  EXPECT_TRUE(Find<QLabel>(Mp(), "lblMPStatus")->text().contains("running"));
  EXPECT_EQ(RtMemo()->toPlainText(), "wait 50\n");
  Find<QPushButton>(Rt(), "btnRTSend")->click();  // stops it
  EXPECT_TRUE(log.Sent("ab00092e").empty());
}

TEST_F(ConsoleOnSimulator, UseTextFillsTheMultiPageAndTagTestPages) {
  MultiPagePage* mp = Mp();
  auto* text = Find<QComboBox>(mp, "cmbMPText");
  text->setEditText(QStringLiteral("Hello"));
  Find<QPushButton>(mp, "btnMPUseText")->click();
  EXPECT_EQ(mp->StoredPage(1), "48656c6c6f000000");
  EXPECT_EQ(Find<QComboBox>(mp, "cmbMPData1")->currentText(), "48656c6c6f000000");
  EXPECT_EQ(context.tagRw().pages()[1].data, "48656c6c6f000000");

  // Too long, or beyond Latin-1: refused with a reason, nothing changed.
  for (const QString& bad :
       {QString(113, QLatin1Char('x')), QStringLiteral("Gr\u00fc\u00df \u20ac")}) {
    text->setEditText(bad);
    Find<QPushButton>(mp, "btnMPUseText")->click();
    EXPECT_FALSE(Find<QLabel>(mp, "lblMPStatus")->text().isEmpty());
    EXPECT_EQ(mp->StoredPage(1), "48656c6c6f000000");
    EXPECT_EQ(mp->StoredPage(2), "00000000ffff0000");
  }
  text->setEditText(QStringLiteral("Gr\u00fc\u00df"));
  Find<QPushButton>(mp, "btnMPUseText")->click();
  EXPECT_EQ(mp->StoredPage(1), "4772fcdf00000000");
}

TEST_F(ConsoleOnSimulator, ScriptStatementsDriveEachTab) {
  ShowPage(Page::kTagSimControls);
  RunScript(
      QStringLiteral("setReaderID 5\n"
                     "TagSimSetCRC 1\n"
                     "TagSimSetID 123456789abc\n"
                     "TagSimSetCRCSeed 0x10000\n"
                     "TagSimSetCRCSeed 0xffff\n"
                     "TagSimSendID\n"
                     "TagSimIncID\n"
                     "message ${TagSimTagID}\n"
                     "TagSimSetDelay 70000\n"
                     "TagSimSetDelay 187\n"
                     "TagSimSendDelay\n"
                     "TagSimSetAlgorithm 5\n"
                     "TagSimSetPeriod 2\n"
                     "TagSimSendAlgorithm\n"
                     "TagSimSetTagNo 3\n"
                     "TagSimSendNumTags\n"
                     "TagSimSendTagsNo\n"
                     "TagSimNVWrite\n"
                     "setReaderID 0\n"
                     "RWCmdrSetManual 0\n"
                     "RWCmdrSetCommand Write\n"
                     "RWCmdrSetStartPage 2\n"
                     "RWCmdrSetNumPages 1\n"
                     "RWCmdrSetTarget Addressed\n"
                     "RWCmdrSetConfigDelay 16k\n"
                     "RWCmdrSetConfigTamper 9\n"
                     "RWCmdrSetData 0123456789abcdef\n"
                     "RWCmdrDataSend\n"
                     "RWCmdrCommandSend\n"
                     "RWCmdrSetTagID 00000000000000zz\n"
                     "setAllRWData 1111222233334444\n"
                     "RWTTIncData0\n"
                     "recordPrefix run\n"
                     "recordNumber 7\n"
                     "clearTagsSeen\n"
                     "Push TxOn\n"
                     "stop\n"));
  ASSERT_TRUE(ScriptEnds(20000));

  // What reached the simulator from each tab, each line once: every press
  // waited for its acknowledgement instead of being resent.
  std::string all;
  for (const std::string& e : log.events) all += e + "\n";
  const char* sent[] = {
      "ab050811123456789abc1850", "ab050216ff45", "ab05041305000200",         "ab05011503",
      "ab05091503123456789abd",   "ab05001b",     "ab0008210123456789abcdef", "ab0003200021"};
  for (const char* prefix : sent) EXPECT_EQ(log.Sent(prefix).size(), 1u) << prefix << "\n" << all;
  EXPECT_FALSE(log.Sent("ab00010601").empty());  // Push TxOn, the reader control's button

  const std::vector<std::string> expectedBoxes = {
      "Syntax Error: Data must be a hexadecimal number between 0 and 0xffff: \"0x10000\"",
      ": 123456789abd",
      "Syntax Error: Delay must be between 0 and 65535: \"70000\"",
      "Syntax Error: Illegal tamper configuration option: \"9\"",
      "Syntax Error: ID must be 16 hexadecimal characters: \"00000000000000zz\"",
  };
  EXPECT_EQ(boxes, expectedBoxes);
  EXPECT_EQ(Find<QComboBox>(window.get(), "cbxCmdDelay")->currentText(), "16k");
  EXPECT_EQ(context.tagRw().pages()[0].data, "1111222233334445");
  EXPECT_EQ(context.tagRw().pages()[14].data, "1111222233334444");
  EXPECT_EQ(Find<QLineEdit>(window.get(), "edtNamePrefix")->text(), "run");
  EXPECT_EQ(Find<QSpinBox>(window.get(), "speNameSuffix")->value(), 7);
  const QString messages = Find<QPlainTextEdit>(Rt(), "memRTStatusMessages")->toPlainText();
  EXPECT_FALSE(messages.contains("not available")) << messages.toStdString();
  Screenshot(window->findChild<QWidget*>(QStringLiteral("TagSimPage")), "tagsim_controls.png");
}

}  // namespace
}  // namespace corvalis
