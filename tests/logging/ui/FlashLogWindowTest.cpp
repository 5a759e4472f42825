#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/AppContext.h"
#include "app/MemoStatus.h"
#include "app/Startup.h"
#include "app/ui/MainWindow.h"
#include "channels/ChannelSettings.h"
#include "common/ui/FindNamed.h"
#include "logging/ui/FlashMemoryBar.h"
#include "logging/ui/LoggingControlWindow.h"
#include "logging/ui/SportLoggingWindow.h"

namespace corvalis {
namespace {

using testing::FindNamed;

// Every line the sender sends and every reply it takes, in order.
class Exchange final : public TextMemo {
 public:
  int LineCount() const override { return static_cast<int>(lines.size()); }
  void RemoveOldestLines(int) override {}
  void AppendLine(std::string_view line) override { lines.emplace_back(line); }
  // The sent bodies ("ab" rid body LRC CR LF shown as ".."), in order.
  std::vector<std::string> Sent() const {
    std::vector<std::string> bodies;
    for (const std::string& line : lines) {
      if (line.size() > 10 && line.substr(line.size() - 2) == "..")
        bodies.push_back(line.substr(4, line.size() - 8));
    }
    return bodies;
  }
  std::vector<std::string> lines;
};

// The running console with channel 1 on a handheld simulator's pty.
class FlashLogWindowTest : public ::testing::Test {
 protected:
  ~FlashLogWindowTest() override {
    window_.reset();
    if (sim_.state() != QProcess::NotRunning) {
      sim_.terminate();
      if (!sim_.waitForFinished(2000)) sim_.kill();
      sim_.waitForFinished(2000);
    }
  }

  void Start(const QStringList& handheld) {
    sim_.start(READERSIM_EXECUTABLE, QStringList{"--pty", "--rf-off", "--tags", "4"} + handheld);
    ASSERT_TRUE(sim_.waitForStarted(3000));
    const QRegularExpression ptyLine("pty: (\\S+)");
    QString out;
    QRegularExpressionMatch match;
    while (!(match = ptyLine.match(out)).hasMatch() && sim_.waitForReadyRead(3000))
      out += QString::fromLocal8Bit(sim_.readAllStandardOutput());
    ASSERT_TRUE(match.hasMatch()) << out.toStdString();
    const QString ini = dir_.filePath("Corvalis.ini");
    for (int ch = 0; ch < kChannelCount; ++ch) {
      ChannelSettings s;
      s.open = ch == 0;
      s.name = match.captured(1);
      s.baud = 19200;
      WriteChannelSettings(ini, ch, s);
    }
    session_.Start(dir_.path(), {QStringLiteral("corvalis"), QStringLiteral("-i=") + ini});
    window_ = std::make_unique<MainWindow>(session_, context_, status_);
    window_->SetMessageBoxSink([](QMessageBox::Icon, const QString&, const QString&) {});
    window_->show();
    ASSERT_TRUE(context_.channels().IsOpen(0));
    context_.commands().SetInformationMemo(&exchange_);
  }

  template <class Window>
  Window* Open(const char* menuItem, const char* name) {
    FindNamed<QAction>(window_.get(), menuItem)->trigger();
    auto* window = FindNamed<Window>(window_.get(), name);
    if (window == nullptr) return nullptr;
    FlashPrompts& prompts = window->Prompts();
    prompts.confirm = [this](const QString&, const QString& text) {
      questions_ << text;
      return confirm_;
    };
    prompts.inform = [this](const QString& title, const QString& text) {
      messages_ << title + ": " + text;
    };
    prompts.chooseSaveFile = [this](const QString&) { return dir_.filePath("capture.txt"); };
    prompts.fileExists = [](const QString&) { return FlashPrompts::Exists::kOverwrite; };
    return window;
  }

  static QString Text(QWidget* window, const char* label) {
    return FindNamed<QLabel>(window, label)->text();
  }
  bool WaitForText(QWidget* window, const char* label, const QString& text, int ms = 5000) {
    return QTest::qWaitFor([&] { return Text(window, label) == text; }, ms);
  }
  static void Shoot(QWidget* widget, const char* file) {
    if (const char* dir = std::getenv("CORVALIS_SCREENSHOTS"))
      widget->grab().save(QDir(QString::fromLocal8Bit(dir)).filePath(QLatin1String(file)));
  }

  QTemporaryDir dir_;
  QProcess sim_;
  SystemClock clock_;
  MemoStatus status_;
  AppContext context_{clock_, status_};
  AppSession session_{context_};
  std::unique_ptr<MainWindow> window_;
  Exchange exchange_;
  QStringList questions_;
  QStringList messages_;
  bool confirm_ = true;
};

TEST_F(FlashLogWindowTest, SportPlaysBackIntoTheCaptureFileAndQueriesTheHandheld) {
  Start({"--handheld", "FIT HH 2.1", "--flash-records", "24"});
  auto* sport = Open<SportLoggingWindow>("mnuSportLogging", "frmSportLogging");
  ASSERT_NE(sport, nullptr);
  EXPECT_TRUE(context_.specialModes().IsOn(SpecialMode::SportLogging));

  // Update; the FIT type brings the battery and antenna queries.
  FindNamed<QPushButton>(sport, "btnUpdate")->click();
  ASSERT_TRUE(WaitForText(sport, "lblAntenna", "Antenna detected"));
  EXPECT_EQ(Text(sport, "lblReaderType"), "FIT HH 2.1");
  EXPECT_EQ(Text(sport, "lblBattery"), "3.7 V");
  EXPECT_EQ(Text(sport, "lblRecordedRecords"), "24");
  EXPECT_EQ(Text(sport, "imgPower"), "Power ON");
  EXPECT_EQ(exchange_.Sent(),
            (std::vector<std::string>{"ff65", "ff4b", "ff09", "0002", "0066", "0055", "0064"}));

  // Play with capture: the start sequence, one command after each reply.
  exchange_.lines.clear();
  FindNamed<QPushButton>(sport, "btnPlay")->click();
  QStringList estimates;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        const QString estimate = Text(sport, "lblEstimate");
        if (estimates.isEmpty() || estimates.back() != estimate) estimates << estimate;
        return !sport->Logger().Capturing() && sport->Logger().Queue().Empty() &&
               !context_.commands().Awaiting();
      },
      15000));
  EXPECT_EQ(estimates.value(1), "???") << estimates.join(" | ").toStdString();
  const std::vector<std::string> sent = exchange_.Sent();
  const std::vector<std::string> expected = {"024b0000", "024b0101", "014b02", "034b070105",
                                             "024b0100", "024b0001", "014b02", "034b07000a"};
  EXPECT_EQ(sent, expected);
  // Each command after the first waited for the reply to the one before.
  int sends = 0;
  bool repliedSinceSend = true;
  for (const std::string& line : exchange_.lines) {
    if (line.size() > 10 && line.substr(line.size() - 2) == "..") {
      EXPECT_TRUE(repliedSinceSend) << "sent before a reply: " << line;
      repliedSinceSend = false;
      ++sends;
    } else if (line.rfind("ab", 0) == 0 && line.substr(6, 2) == "4b") {
      repliedSinceSend = true;
    }
  }
  EXPECT_EQ(sends, 8);

  std::stringstream capture;
  capture << std::ifstream(dir_.filePath("capture.txt").toStdString(), std::ios::binary).rdbuf();
  const std::string text = capture.str();
  // Every line of the channel, each ended with CR LF; the 24 tag lines among
  // the status reports.
  int tagLines = 0;
  size_t from = 0;
  for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', from)) {
    EXPECT_EQ(text[end - 1], '\r');
    if (text.compare(from, 2, "aa") == 0) ++tagLines;
    from = end + 1;
  }
  EXPECT_EQ(from, text.size());
  EXPECT_EQ(tagLines, 24);
  EXPECT_EQ(Text(sport, "lblPlayedRecords"), "0");  // the end sequence rewinds
  Shoot(sport, "sport-logging.png");

  // A second plain serial number is refused by the reader with f7: the
  // window says so, the sender shows no bad-command window.
  FindNamed<QLineEdit>(sport, "edtSerialNumber")->setText("HH0042");
  FindNamed<QPushButton>(sport, "btnSetSerial")->click();
  ASSERT_TRUE(WaitForText(sport, "lblSerialNumber", "HH0042"));
  FindNamed<QPushButton>(sport, "btnSetSerial")->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !messages_.isEmpty(); }, 3000));
  EXPECT_EQ(messages_, QStringList{"Set Serial number error: Reader already has a serial number"});
  EXPECT_EQ(context_.commands().WarningCountdown(), 0);
  // Changing it asks first.
  FindNamed<QLineEdit>(sport, "edtSerialNumber")->setText("HH0043");
  FindNamed<QPushButton>(sport, "btnChangeSerial")->click();
  ASSERT_TRUE(WaitForText(sport, "lblSerialNumber", "HH0043"));
  EXPECT_EQ(questions_, QStringList{"The currently recorded serial number will be changed"});
}

TEST_F(FlashLogWindowTest, LoggingControlWithNoFlashWarnsOnceAndCancelSendsNothing) {
  Start({"--handheld", "HH 1.0", "--flash-blocks", "0", "--flash-records", "0"});
  auto* control = Open<LoggingControlWindow>("mnuLoggingControl", "frmLoggingControl");
  ASSERT_NE(control, nullptr);
  EXPECT_TRUE(context_.specialModes().IsOn(SpecialMode::LoggingControl));

  // A reader with no flash at all: counters 0, bar and drag without a crash.
  FindNamed<QPushButton>(control, "btnUpdate")->click();
  ASSERT_TRUE(WaitForText(control, "lblTotalRecords", "0"));
  auto* bar = FindNamed<FlashMemoryBar>(control, "pnlMemory");
  bar->onDragged(25);
  bar->onDragged(-25);
  QTest::qWait(300);
  EXPECT_EQ(exchange_.Sent(), std::vector<std::string>{"ff4b"});

  // Record and replay both on: the warning once while both stay on.
  FindNamed<QPushButton>(control, "btnRecStart")->click();
  FindNamed<QPushButton>(control, "btnPlayStart")->click();
  FindNamed<QPushButton>(control, "btnUpdate")->click();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return exchange_.Sent().size() == 4 && !context_.commands().Awaiting(); }, 5000));
  EXPECT_EQ(Text(control, "lblRecording"), "Recording");
  const QString warning =
      "Warning: If \"Record\" and \"Replay\" are both on then new records will be played back "
      "immediately after they have been recorded.";
  EXPECT_EQ(messages_, QStringList{warning});

  // Cancel at any confirmation sends nothing.
  confirm_ = false;
  for (const char* button : {"btnErase", "btnFlush", "btnFormat"})
    FindNamed<QPushButton>(control, button)->click();
  QTest::qWait(300);
  EXPECT_EQ(exchange_.Sent().size(), 4u);
  EXPECT_EQ(questions_, (QStringList{"Recorded records will no longer be accessible",
                                     "Already replayed records will no longer be accessible",
                                     "Recorded records will no longer be accessible"}));
  Shoot(control, "logging-control.png");
}

}  // namespace
}  // namespace corvalis
