#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <fstream>
#include <map>
#include <memory>

#include "BootLoader.h"
#include "app/AppContext.h"
#include "app/MemoStatus.h"
#include "app/Startup.h"
#include "app/ui/MainWindow.h"
#include "channels/ChannelSettings.h"
#include "script/firmware/HexRecord.h"

namespace corvalis {
namespace {

constexpr int kConsoleBaud = 19200;

// The running console with channel 1 on the simulator's pty at 19200 baud
// and the Download page shown.
class DownloadWindowTest : public ::testing::Test {
 protected:
  ~DownloadWindowTest() override {
    window_.reset();
    if (sim_.state() != QProcess::NotRunning) {
      sim_.terminate();
      if (!sim_.waitForFinished(2000)) sim_.kill();
      sim_.waitForFinished(2000);
    }
  }

  void Start(const QStringList& simulatorArguments) {
    sim_.start(READERSIM_EXECUTABLE,
               QStringList{"--pty", "--rate", "4", "--reads-per-pass", "1"} + simulatorArguments);
    ASSERT_TRUE(sim_.waitForStarted(3000));
    const QRegularExpression ptyLine("pty: (\\S+)");
    QRegularExpressionMatch match;
    while (!(match = ptyLine.match(simOut_)).hasMatch() && sim_.waitForReadyRead(3000))
      simOut_ += QString::fromLocal8Bit(sim_.readAllStandardOutput());
    ASSERT_TRUE(match.hasMatch()) << simOut_.toStdString();

    const QString ini = dir_.filePath("Corvalis.ini");
    for (int ch = 0; ch < kChannelCount; ++ch) {
      ChannelSettings s;
      s.open = ch == 0;
      s.name = match.captured(1);
      s.baud = kConsoleBaud;
      WriteChannelSettings(ini, ch, s);
    }
    session_.Start(dir_.path(), {QStringLiteral("corvalis"), QStringLiteral("-i=") + ini});
    window_ = std::make_unique<MainWindow>(session_, context_, status_);
    window_->SetMessageBoxSink([](QMessageBox::Icon, const QString&, const QString&) {});
    window_->show();
    window_->ShowPage(Page::kDownload);
    tab_ = window_->PageWidget(Page::kDownload)->findChild<QWidget*>("tbsDownload");
    ASSERT_NE(tab_, nullptr);
    ASSERT_TRUE(context_.channels().IsOpen(0));
    ASSERT_EQ(context_.channels().LineBaud(0), kConsoleBaud);
  }

  // 200 records: an extended address, 198 data records of 1 to 16 bytes (some
  // with a comment), the end record.
  QString WriteHexFile() {
    std::string text = FormatHexRecord(0, 4, std::array<uint8_t, 2>{0, 0}.data(), 2) + "\n";
    uint32_t address = 0x0100;
    for (int i = 0; i < 198; ++i) {
      std::array<uint8_t, 16> data{};
      const int count = 1 + (i * 5) % 16;
      for (int b = 0; b < count; ++b)
        data[static_cast<size_t>(b)] = static_cast<uint8_t>(i * 17 + b);
      text += FormatHexRecord(static_cast<uint16_t>(address), 0, data.data(), count);
      text += i % 3 == 0 ? " ; comment\n" : "\n";
      for (int b = 0; b < count; ++b)
        expected_[address + static_cast<uint32_t>(b)] = data[static_cast<size_t>(b)];
      address += static_cast<uint32_t>(count);
    }
    text += ":00000001FF\n";
    const QString path = dir_.filePath("firmware.hex");
    std::ofstream(path.toStdString()) << text;
    return path;
  }

  template <class T>
  T* Find(const char* name) {
    T* found = tab_->findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  void Click(const char* name) { Find<QPushButton>(name)->click(); }
  QString Statuses() { return Find<QPlainTextEdit>("memStatusMessages")->toPlainText(); }

  // Waits for the simulator's report of what its loader holds.
  QString LoadedReport() {
    const QRegularExpression loaded("loaded \\d+ records, \\d+ bytes, digest [0-9a-f]{8}");
    const bool reported = QTest::qWaitFor(
        [&] {
          simOut_ += QString::fromLocal8Bit(sim_.readAllStandardOutput());
          return loaded.match(simOut_).hasMatch();
        },
        5000);
    return reported ? loaded.match(simOut_).captured(0) : simOut_;
  }
  QString ExpectedReport(int records) const {
    return QString("loaded %1 records, %2 bytes, digest %3")
        .arg(records)
        .arg(expected_.size())
        .arg(readersim::ImageDigest(expected_), 8, 16, QLatin1Char('0'));
  }

  void SaveScreenshot(const char* file) {
    const QByteArray dir = qgetenv("CORVALIS_SCREENSHOT_DIR");
    if (dir.isEmpty()) return;
    window_->resize(1100, 720);
    window_->grab().save(QDir(QString::fromLocal8Bit(dir)).filePath(file));
  }

  QTemporaryDir dir_;
  SystemClock clock_;
  MemoStatus status_;
  AppContext context_{clock_, status_};
  AppSession session_{context_};
  std::unique_ptr<MainWindow> window_;
  QWidget* tab_ = nullptr;
  QProcess sim_;
  QString simOut_;
  std::map<uint32_t, uint8_t> expected_;
};

TEST_F(DownloadWindowTest, AFileReachesTheLoaderWholeAtNineThousandSixHundredBaud) {
  Start({});
  Find<QComboBox>("cmbDownloadFilename")->setCurrentText(WriteHexFile());
  Click("btnBootI");
  Click("btnDownloadSend");
  EXPECT_EQ(Find<QPushButton>("btnDownloadSend")->text(), "&Stop Sending");
  EXPECT_EQ(Find<QLabel>("lblFileStatus")->text(), "Open - at BOF");
  ASSERT_TRUE(QTest::qWaitFor([this] { return Statuses().endsWith("Done!"); }, 30000))
      << Statuses().toStdString();

  EXPECT_EQ(LoadedReport(), ExpectedReport(200));
  EXPECT_TRUE(simOut_.contains("baud 9600")) << simOut_.toStdString();
  EXPECT_FALSE(simOut_.contains(QString("baud %1").arg(kConsoleBaud))) << simOut_.toStdString();
  EXPECT_EQ(Find<QLabel>("lblSendCount")->text(), "200");
  EXPECT_EQ(Statuses().count("OK"), 199);
  EXPECT_EQ(Find<QPushButton>("btnDownloadSend")->text(), "&Send");
  EXPECT_EQ(Find<QLabel>("lblFileStatus")->text(), "Not Open");
  EXPECT_FALSE(context_.download().ReceiveMode());
  // The loader's speed was only borrowed: the line and its settings are back.
  EXPECT_EQ(context_.channels().LineBaud(0), kConsoleBaud);
  EXPECT_EQ(context_.channels().Settings(0).baud, kConsoleBaud);
  const QString incoming = Find<QPlainTextEdit>("memIncoming")->toPlainText();
  EXPECT_TRUE(incoming.endsWith("O\nZ\n")) << incoming.right(40).toStdString();
  // The new firmware streams tags again, and they reach the tag table.
  const int readsBefore = context_.tagTable().ReadsSeen(0);
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return context_.tagTable().ReadsSeen(0) > readsBefore; }, 3000));
  SaveScreenshot("download-tab.png");
}

TEST_F(DownloadWindowTest, BootCaptureAndLoaderFaultsWithXonLineEnds) {
  Start({"--loader-fault", "3:S:2", "--loader-fault", "10:silence", "--loader-xon"});
  Find<QComboBox>("cmbDownloadFilename")->setCurrentText(WriteHexFile());
  Click("btnBoot");
  EXPECT_EQ(Find<QPushButton>("btnCapture")->text(), "Stop Capture");
  // A second of "LO" keep-awake lines, which the loader ignores.
  QTest::qWait(1000);
  Click("btnDownloadSend");
  EXPECT_EQ(Find<QPushButton>("btnCapture")->text(), "Capture");
  ASSERT_TRUE(QTest::qWaitFor([this] { return Statuses().endsWith("Done!"); }, 30000))
      << Statuses().toStdString();

  EXPECT_EQ(LoadedReport(), ExpectedReport(200));
  EXPECT_EQ(Statuses().count("Checksum Error"), 2);
  // Two resends of record 3 and one after the silence.
  EXPECT_EQ(Find<QLabel>("lblSendCount")->text(), "203");
  EXPECT_EQ(context_.channels().LineBaud(0), kConsoleBaud);
}

TEST_F(DownloadWindowTest, RepeatedChecksumErrorsBeyondTheLimitAbort) {
  Start({"--loader-fault", "5:S:3"});
  Find<QComboBox>("cmbDownloadFilename")->setCurrentText(WriteHexFile());
  Find<QSpinBox>("speRetryLimit")->setValue(2);
  Click("btnBootQ");
  Click("btnDownloadSend");
  ASSERT_TRUE(
      QTest::qWaitFor([this] { return Statuses().endsWith("Too Many Retries - Aborting"); }, 10000))
      << Statuses().toStdString();
  EXPECT_EQ(Statuses().count("Checksum Error"), 3);
  EXPECT_EQ(Find<QLabel>("lblSendCount")->text(), "7");
  EXPECT_FALSE(context_.download().Sending());
  EXPECT_EQ(context_.channels().LineBaud(0), kConsoleBaud);
}

}  // namespace
}  // namespace corvalis
