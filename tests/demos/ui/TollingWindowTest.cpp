#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTextBlock>
#include <QTimer>

#include <cstdio>
#include <string>
#include <vector>

#include "channels/ChannelTestSupport.h"
#include "common/ui/FindNamed.h"
#include "control/ui/RWCommanderPage.h"
#include "demos/ui/DemosPage.h"
#include "demos/ui/RaceWindow.h"
#include "demos/ui/TollingWindow.h"

namespace corvalis {
namespace {

using testing::FindNamed;

// The LRC summed here by hand: the characters after the two-letter prefix.
std::string WithLrc(const std::string& text, bool good = true) {
  unsigned sum = 0;
  for (size_t i = 2; i < text.size(); ++i) sum += static_cast<unsigned char>(text[i]);
  char lrc[3];
  std::snprintf(lrc, sizeof lrc, "%02x", (sum + (good ? 0 : 1)) & 0xFF);
  return text + lrc;
}

// Channel 1: the tolling simulator on a socat pty, transmitter off until
// told. Channel 2: a pty whose reader end the test writes itself. The
// console's 100 ms tick runs and channel 1 records what is sent.
class TollingWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!simPty.Start(false) || !testPty.Start(true)) GTEST_SKIP() << "socat is not available";
    ASSERT_EQ(
        testing::StartSimulator(sim, {"--serial", simPty.ReaderEnd(), "--tolling", "--tags", "2",
                                      "--rate", "20", "--reads-per-pass", "2", "--rf-off"}),
        0);
    const QString ini = dir.filePath("Corvalis.ini");
    for (int ch = 0; ch < kChannelCount; ++ch) {
      ChannelSettings settings;
      settings.open = ch < 2;
      if (ch == 0) settings.name = simPty.ConsoleEnd();
      if (ch == 1) settings.name = testPty.ConsoleEnd();
      WriteChannelSettings(ini, ch, settings);
    }
    ASSERT_TRUE(context.recordings().Open(0, dir.path().toStdString()));
    context.channels().SetSettingsPath(ini);
    context.channels().Start();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return context.channels().IsOpen(0) && context.channels().IsOpen(1); }, 3000));
    QObject::connect(&tick, &QTimer::timeout, [this] { context.Tick(); });
    tick.start(100);
    window.show();
  }
  void TearDown() override {
    tick.stop();
    context.channels().CloseAll();
    sim.terminate();
    sim.waitForFinished(3000);
  }

  template <class T>
  T* Find(const char* name) {
    return FindNamed<T>(window, name);
  }
  QString Text(const char* label) { return Find<QLabel>(label)->text(); }
  WaitResult Click(const char* button) {
    Find<QPushButton>(button)->click();
    return context.commands().WaitForReply();
  }
  WaitResult DoubleClick(const char* group) {
    QTest::mouseDClick(Find<QGroupBox>(group), Qt::LeftButton);
    return context.commands().WaitForReply();
  }
  // The last line channel 1 recorded as sent.
  std::string LastSent() {
    QFile file(dir.filePath("logger1.log"));
    if (!file.open(QIODevice::ReadOnly)) return "<no recording>";
    std::string last;
    for (const QByteArray& line : file.readAll().split('\n')) {
      if (line.startsWith("> ")) last = line.mid(2).trimmed().toStdString();
    }
    return last;
  }
  // A line from the test's own reader on channel 2.
  void Receive(const std::string& line) { testPty.Send(line + "\r\n"); }
  bool WaitFor(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 3000); }

  testing::PtyPair simPty;
  testing::PtyPair testPty;
  QProcess sim;
  QTemporaryDir dir;
  SystemClock clock;
  testing::RecordingStatus status;
  AppContext context{clock, status};
  QTimer tick;
  TollingWindow window{context};
};

TEST_F(TollingWindowTest, EachButtonSendsItsLineAndTheReaderAnswersIt) {
  const std::vector<std::pair<const char*, std::string>> buttons = {
      {"btnModeOff", "015900"},
      {"btnModeToll", "015901"},
      {"btnModeSetCredit", "055902000186a0"},
      {"btnModeAddCredit", "055903000186a0"},
      {"btnModeRegister", "015904"},
      {"btnModeReport", "015905"},
      {"btnP1", "092e010000000000010000"},
      {"btnP2", "092e020000ff0186A00000"},
      {"btnSendReadpoint", "02580201"},
      {"btnSendTariffs", "0b570503e807d00bb80fa01388"},
      {"btnGetTimeouts", "ff24"},
      {"btnSendTimeouts", "06240ac805640402"},  // what Get read back
      {"btnSetCrc", "0228000e"},
      {"btnSave", "0027"},
      {"btnTxOff", "010600"},
  };
  for (const auto& [button, body] : buttons) {
    // Every one is answered with its own code, never an error reply.
    EXPECT_EQ(Click(button), WaitResult::kReplied) << button;
    EXPECT_EQ(LastSent(), WithLrc("ab00" + body)) << button;
  }
  EXPECT_EQ(Text("pnlMode"), "Current mode: Report");
  const std::vector<std::pair<const char*, std::string>> groups = {
      {"grpReadpoint", "ff58"}, {"grpTariffs", "ff57"}, {"grpSetMode", "ff59"}};
  for (const auto& [group, body] : groups) {
    EXPECT_EQ(DoubleClick(group), WaitResult::kReplied) << group;
    EXPECT_EQ(LastSent(), WithLrc("ab00" + body)) << group;
  }

  // The reader ID and channel chosen here address the command.
  Find<QSpinBox>("speReaderID")->setValue(7);
  Find<QPushButton>("btnModeToll")->click();
  EXPECT_EQ(LastSent(), WithLrc("ab07015901"));

  // A page that is not 16 hex digits is not sent.
  Find<QLineEdit>("edtP1")->setText("00000 00");
  Find<QPushButton>("btnP1")->click();
  EXPECT_EQ(LastSent(), WithLrc("ab07015901"));
  EXPECT_EQ(status.lastError, "P1 needs 16 hex digits");
}

TEST_F(TollingWindowTest, CreditAndClassFollowThePagesAndReadBacksFillTheFields) {
  auto* credit = Find<QSpinBox>("speCredit");
  credit->setValue(5);
  credit->setValue(100000);
  EXPECT_EQ(Find<QLineEdit>("edtP2")->text(), "0000ff0186A00000");
  Find<QSpinBox>("speClass")->setValue(0);
  EXPECT_EQ(Text("lblClass"), "VIP");
  EXPECT_EQ(Find<QLineEdit>("edtP1")->text(), "0000000000000000");

  // The reader's own settings come back into the fields.
  ASSERT_EQ(DoubleClick("grpTariffs"), WaitResult::kReplied);
  EXPECT_EQ(Find<QSpinBox>("speClass1")->value(), 500);
  EXPECT_EQ(Find<QSpinBox>("speClass5")->value(), 2500);
  ASSERT_EQ(DoubleClick("grpReadpoint"), WaitResult::kReplied);
  EXPECT_EQ(Find<QSpinBox>("speReadpoint")->value(), 1);
  EXPECT_EQ(Find<QSpinBox>("speFOCReadpoint")->value(), 255);

  // The ff24 reply (code 36) reaches the tolling window and the RW
  // Commander, whose own handling stays.
  RWCommanderPage commander(context);
  ASSERT_EQ(Click("btnGetTimeouts"), WaitResult::kReplied);
  EXPECT_EQ(Find<QSpinBox>("speCmdDataTimeout")->value(), 200);
  EXPECT_EQ(Find<QSpinBox>("speCmdRdRetryLimit")->value(), 2);
  EXPECT_EQ(FindNamed<QSpinBox>(commander, "speCmdDataTimeout")->value(), 200);

  // The mode read-back carries the credit while it is set.
  credit->setValue(12345);
  ASSERT_EQ(Click("btnModeSetCredit"), WaitResult::kReplied);
  credit->setValue(0);
  EXPECT_EQ(Text("pnlMode"), "Current mode: Set Credit");
  ASSERT_EQ(DoubleClick("grpSetMode"), WaitResult::kReplied);
  EXPECT_EQ(credit->value(), 12345);
  EXPECT_EQ(Find<QLineEdit>("edtP2")->text(), "0000ff0030390000");
  ASSERT_EQ(Click("btnModeToll"), WaitResult::kReplied);
  ASSERT_EQ(DoubleClick("grpSetMode"), WaitResult::kReplied);
  EXPECT_EQ(Text("pnlMode"), "Current mode: Tolling");
  EXPECT_EQ(credit->value(), 12345);
}

TEST_F(TollingWindowTest, TheSimulatorsReportsFillTheWindowAndTheTagTable) {
  ASSERT_EQ(Click("btnModeToll"), WaitResult::kReplied);
  ASSERT_EQ(Click("btnTxOn"), WaitResult::kReplied);
  ASSERT_TRUE(WaitFor([&] { return context.tagTable().SeenLength() == 2; }));
  EXPECT_EQ(Text("pnlID").size(), 16);
  EXPECT_NE(Text("pnlP2Old"), "not seen");
  const QString result = Text("lblResult");
  EXPECT_TRUE(result == "VIP_PASSED       " || result == "DEDUCTED_POS_BAL ")
      << result.toStdString();
  EXPECT_EQ(Text("lblReadpoint"), "1");
  EXPECT_EQ(Text("pnlMode"), "Current mode: Tolling");

  Find<QPushButton>("btnShowIncoming")->click();
  EXPECT_TRUE(Find<QPlainTextEdit>("memoIncoming")->isVisible());
  EXPECT_EQ(Find<QPushButton>("btnShowIncoming")->text(), "Hide incoming data");
  ASSERT_TRUE(WaitFor([&] { return Find<QPlainTextEdit>("memoIncoming")->blockCount() >= 3; }));
  if (qEnvironmentVariableIsSet("CORVALIS_SCREENSHOTS"))
    window.grab().save(QStringLiteral(CORVALIS_SOURCE_DIR "/docs/screenshots/tolling.png"));
  Find<QPushButton>("btnShowIncoming")->click();
  EXPECT_FALSE(Find<QPlainTextEdit>("memoIncoming")->isVisible());
  EXPECT_EQ(window.height(), 487);
}

TEST_F(TollingWindowTest, ReportsAndRepliesFromAPtyWhateverTheyHold) {
  const std::string id = "0123456789abcdef";
  const std::string p1 = "0000000000020000";
  Receive(WithLrc("a1010b07" + id + p1 + "0000030001f40000" + "0000020003e80000"));
  ASSERT_TRUE(WaitFor([&] { return Text("pnlID") == QString::fromStdString(id); }));
  EXPECT_EQ(Text("pnlResult"), "11");
  EXPECT_EQ(Text("lblInfo"), "07");
  EXPECT_EQ(Text("lblClass"), "Class 2");
  EXPECT_EQ(Text("lblBalance"), "500");
  EXPECT_EQ(Text("lblOldBalance"), "1000");
  EXPECT_EQ(Text("lblOldReadpoint"), "2");
  // The report reached the multi-ID decoder too.
  ASSERT_TRUE(WaitFor([&] { return context.tagTable().SeenLength() == 1; }));

  // A bad LRC changes the result label only.
  Receive(WithLrc("a1010c00fedcba9876543210", false));
  ASSERT_TRUE(WaitFor([&] { return Text("lblResult") == "LRC error"; }));
  EXPECT_EQ(Text("pnlID"), QString::fromStdString(id));
  EXPECT_EQ(Text("lblBalance"), "500");

  // The ID alone; then a negative balance.
  Receive(WithLrc("a1050000fedcba9876543210"));
  ASSERT_TRUE(WaitFor([&] { return Text("pnlP1") == "not seen"; }));
  EXPECT_EQ(Text("pnlP2"), "not seen");
  EXPECT_EQ(Text("pnlP2Old"), "not seen");
  EXPECT_EQ(Text("lblBalance"), "");
  EXPECT_EQ(Text("pnlMode"), "Current mode: Report");
  Receive(WithLrc("a1010c00" + id + p1 + "000001ff9a700000"));
  ASSERT_TRUE(WaitFor([&] { return Text("lblBalance") == "-26000"; }));
  EXPECT_EQ(Text("lblResult"), "DEDUCTED_NEG_BAL ");

  // Garbage "a1" lines and replies too short for their code change nothing.
  const std::string garbage[] = {"a1",
                                 "a1z",
                                 "a1\x01\xff",
                                 WithLrc("a1"),
                                 WithLrc("a1 01 0b"),
                                 "a1" + std::string(600, '7'),
                                 WithLrc("a1" + std::string(1000, 'f'))};
  for (const std::string& line : garbage) Receive(line);
  Receive(
      WithLrc("ab000157"
              "05"));
  Receive(
      WithLrc("ab000158"
              "09"));
  Receive(
      WithLrc("ab000b57"
              "05"));  // claims eleven bytes
  Receive(WithLrc("a1000000" + id));
  ASSERT_TRUE(WaitFor([&] { return Text("lblResult") == "Not Tolling"; }));
  EXPECT_EQ(Find<QSpinBox>("speVTypes")->value(), 5);
  EXPECT_EQ(Find<QSpinBox>("speClass1")->value(), 1000);
  EXPECT_EQ(Find<QSpinBox>("speReadpoint")->value(), 2);

  // The pane keeps the newest 100 reports, newest on top.
  Find<QPushButton>("btnClearIncoming")->click();
  for (int i = 0; i < 105; ++i) {
    char info[3];
    std::snprintf(info, sizeof info, "%02x", i);
    Receive(WithLrc(std::string("a10000") + info + id));
  }
  auto* memo = Find<QPlainTextEdit>("memoIncoming");
  ASSERT_TRUE(WaitFor([&] { return Text("lblInfo") == "68"; }));
  EXPECT_EQ(memo->blockCount(), 100);
  EXPECT_TRUE(memo->document()->firstBlock().text().startsWith("a1000068"));
  EXPECT_TRUE(memo->document()->lastBlock().text().startsWith("a1000005"));
}

TEST(TollingWindowModesTest, OpeningTollingClosesTheOtherDemosAndClosingSwitchesItOff) {
  SystemClock clock;
  testing::RecordingStatus status;
  AppContext context{clock, status};
  QWidget main;
  DemosPage page(context, &main);
  FindNamed<QPushButton>(page, "btnRaceSimultaneous")->click();
  EXPECT_TRUE(page.simultaneousRace()->isVisible());
  FindNamed<QPushButton>(page, "btnTolling")->click();
  EXPECT_TRUE(context.specialModes().IsOn(SpecialMode::Tolling));
  EXPECT_FALSE(page.simultaneousRace()->isVisible());
  page.tolling()->close();
  EXPECT_FALSE(context.specialModes().AnyOn());
}

}  // namespace
}  // namespace corvalis
