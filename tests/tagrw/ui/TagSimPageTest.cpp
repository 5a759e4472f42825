#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <string>
#include <vector>

#include "channels/ChannelTestSupport.h"
#include "common/ui/FindNamed.h"
#include "tagrw/ui/TagSimPage.h"

namespace corvalis {
namespace {

using testing::FindNamed;

constexpr int kSimulatorAddress = 5;

// What goes out on the line and what comes back.
class LineLog final : public SentLineRecorder, public MessageObserver {
 public:
  bool IsRecording() const override { return true; }
  void RecordSentLine(int, const char* text, int length) override {
    sent.emplace_back(text, static_cast<size_t>(length));
  }
  void ObserveMessage(int, const char* text, int length) override {
    received.emplace_back(text, static_cast<size_t>(length));
  }
  bool SentStartingWith(const std::string& prefix) const {
    for (const std::string& line : sent)
      if (line.rfind(prefix, 0) == 0) return true;
    return false;
  }
  std::vector<std::string> sent;
  std::vector<std::string> received;
};

// The tab on channel 1, where the simulator has a tag simulator at address 5
// beside its reader; the tab sends to the broadcast address.
class TagSimPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QObject::connect(&tick, &QTimer::timeout, [this] { context.Tick(); });
    tick.start(100);
    ASSERT_TRUE(
        testing::OpenChannelOneOnSimulator(context, sim,
                                           {"--tcp", "0", "--rate", "1", "--reads-per-pass", "1",
                                            "--tagsim-id", QString::number(kSimulatorAddress)},
                                           dir.filePath("Corvalis.ini"), dir.path()));
    context.commands().SetSentLineRecorder(&log);
    context.dispatcher().AddObserver(&log);
    FindNamed<QSpinBox>(page, "speSimReaderID")->setValue(255);
    page.resize(900, 600);
    page.show();
  }
  void TearDown() override {
    context.dispatcher().RemoveObserver(&log);
    tick.stop();
    context.channels().CloseAll();
    sim.terminate();
    sim.waitForFinished(3000);
  }
  // Presses a button and waits for the simulator's acknowledgement.
  WaitResult Press(const char* button) {
    FindNamed<QPushButton>(page, button)->click();
    return context.commands().WaitForReply();
  }
  bool Acknowledged(const std::string& codeAndData) const {
    for (const std::string& line : log.received)
      if (line.find(codeAndData) == 6) return true;
    return false;
  }

  QTemporaryDir dir;
  SystemClock clock;
  testing::RecordingStatus status;
  AppContext context{clock, status};
  QProcess sim;
  QTimer tick;
  LineLog log;
  TagSimPage page{context};
};

TEST_F(TagSimPageTest, SendIdWithSeedReachesTheSimulatorAndIncrements) {
  context.SetCrcSeed(0x1234);
  FindNamed<QLineEdit>(page, "edtSimTagID")->setText("123456789abc");
  FindNamed<QLineEdit>(page, "edtSimCRCSeed")->setText("0xffff");
  FindNamed<QCheckBox>(page, "ckbTSInc")->setChecked(true);
  // A broadcast is answered by the device with its own address; that still
  // ends the wait.
  EXPECT_EQ(Press("btnSimSendID"), WaitResult::kReplied);
  EXPECT_TRUE(log.SentStartingWith("abff0811123456789abc1850")) << log.sent.back();
  EXPECT_TRUE(Acknowledged("11123456789abc1850"));
  EXPECT_EQ(FindNamed<QLineEdit>(page, "edtSimTagID")->text(), "123456789abd");
  // The seed typed for the simulator is its own: the program's stays.
  EXPECT_EQ(context.protocolSettings().crcSeed, 0x1234);

  FindNamed<QSpinBox>(page, "speTSDelay")->setValue(187);
  EXPECT_EQ(Press("btnSimSendDelay"), WaitResult::kReplied);
  EXPECT_TRUE(Acknowledged("16ff45"));
  FindNamed<QSpinBox>(page, "speTSDelay")->setValue(0);
  EXPECT_EQ(Press("btnSimSendDelay"), WaitResult::kReplied);
  EXPECT_TRUE(Acknowledged("16ffff"));
}

TEST_F(TagSimPageTest, BadIdOrSeedSendsNothing) {
  auto* id = FindNamed<QLineEdit>(page, "edtSimTagID");
  auto* seed = FindNamed<QLineEdit>(page, "edtSimCRCSeed");
  auto* statusLabel = FindNamed<QLabel>(page, "lblSimStatus");
  id->setText("12345678zz");
  FindNamed<QPushButton>(page, "btnSimSendID")->click();
  FindNamed<QPushButton>(page, "btnSimSetTag")->click();
  EXPECT_FALSE(statusLabel->text().isEmpty());
  id->setText("123456789abc");
  seed->setText("0x10000");
  FindNamed<QPushButton>(page, "btnSimSendID")->click();
  EXPECT_TRUE(statusLabel->text().contains("0xffff")) << statusLabel->text().toStdString();
  EXPECT_TRUE(log.sent.empty()) << log.sent.front();
  // Without a generated CRC, 16 digits as typed.
  FindNamed<QCheckBox>(page, "ckbSimGenerateCRC")->setChecked(false);
  id->setText("abc");
  EXPECT_EQ(Press("btnSimSendID"), WaitResult::kReplied);
  EXPECT_TRUE(log.SentStartingWith("abff0811abc0000000000000"));
}

TEST_F(TagSimPageTest, PresetAndTheOtherCommandsAreAcknowledged) {
  auto* type = FindNamed<QComboBox>(page, "cmbSimTagType");
  type->setCurrentIndex(3);
  Q_EMIT type->activated(3);  // "KVQ 256k"
  EXPECT_EQ(FindNamed<QSpinBox>(page, "speSimAlgorithmNumber")->value(), 5);
  EXPECT_EQ(FindNamed<QSpinBox>(page, "speSimPeriod_4")->value(), 2);
  EXPECT_EQ(FindNamed<QLineEdit>(page, "edtSimCRCSeed")->text(), "0xffff");
  EXPECT_EQ(FindNamed<QLineEdit>(page, "edtSimCRC")->text(), "1850");
  EXPECT_EQ(Press("btnSimSendAlgorithm"), WaitResult::kReplied);
  EXPECT_TRUE(Acknowledged("1305000200"));
  FindNamed<QSpinBox>(page, "speTSTagNo")->setValue(3);
  EXPECT_EQ(Press("btnSimSetTag"), WaitResult::kReplied);
  EXPECT_TRUE(Acknowledged("1503123456789abc1850"));
  for (const char* button : {"btnSimSendNumTags", "btnSimSendTTOPages", "btnSimSendRepeats",
                             "btnSimNewInc", "btnSimOldInc", "btnSimNVWrite", "btnSimTxOff"})
    EXPECT_EQ(Press(button), WaitResult::kReplied) << button;
  EXPECT_TRUE(Acknowledged("1d00"));
  EXPECT_TRUE(Acknowledged("1c01"));
  EXPECT_TRUE(Acknowledged("1e00"));
  EXPECT_TRUE(Acknowledged("0600"));
  EXPECT_FALSE(FindNamed<QPlainTextEdit>(page, "memSimIncoming")->toPlainText().isEmpty());
}

}  // namespace
}  // namespace corvalis
