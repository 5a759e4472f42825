#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <string>

#include "ReadStream.h"
#include "app/AppContext.h"
#include "app/MemoStatus.h"
#include "app/Startup.h"
#include "app/ui/DiagnosticsPage.h"
#include "app/ui/MainWindow.h"
#include "channels/ChannelSettings.h"
#include "testkit/ReaderLines.h"

namespace corvalis {
namespace {

constexpr int kChannel = 1;  // "Chan 2"

// The running console with the Modbus TCP page shown, its send channel a TCP
// connection to a peer on 127.0.0.1 that the test starts first.
class ModbusWindowTest : public ::testing::Test {
 protected:
  ~ModbusWindowTest() override {
    window_.reset();
    if (server_.state() != QProcess::NotRunning) {
      server_.kill();
      server_.waitForFinished(2000);
    }
  }

  void StartConsole(int port) {
    const QString ini = dir_.filePath("Corvalis.ini");
    for (int ch = 0; ch < kChannelCount; ++ch) {
      ChannelSettings s;
      s.open = ch == kChannel;
      s.port = ch != kChannel;
      s.ipAddress = "127.0.0.1";
      s.ipPort = port;
      WriteChannelSettings(ini, ch, s);
    }
    session_.Start(dir_.path(), {QStringLiteral("corvalis"), QStringLiteral("-i=") + ini});
    window_ = std::make_unique<MainWindow>(session_, context_, status_);
    window_->SetMessageBoxSink([](QMessageBox::Icon, const QString&, const QString&) {});
    window_->show();
    window_->ShowPage(Page::kModbusTCP);
    auto* diagnostics = window_->findChild<DiagnosticsPage*>("DiagnosticsPage");
    ASSERT_NE(diagnostics, nullptr);
    diagnostics->findChild<QComboBox*>("cmbSendChannel")->setCurrentIndex(kChannel);
    diagnostics->findChild<QSpinBox*>("speReaderID")->setValue(1);
    tab_ = window_->PageWidget(Page::kModbusTCP)->findChild<QWidget*>("tbsModbus");
    ASSERT_NE(tab_, nullptr);
  }

  // libmodbus's server with the network module's map, then the console on it.
  void StartServerAndConsole(const QStringList& ids) {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const int port = probe.serverPort();
    probe.close();
    server_.start(MODBUS_TEST_SERVER, QStringList{QString::number(port)} + ids);
    ASSERT_TRUE(server_.waitForStarted(3000));
    ASSERT_TRUE(QTest::qWaitFor([this] { return server_.canReadLine(); }, 3000));
    ASSERT_EQ(server_.readLine(), "ready\n");
    StartConsole(port);
    ASSERT_TRUE(QTest::qWaitFor(
        [this] { return server_.readAllStandardError().contains("connected"); }, 3000));
  }

  template <class T>
  T* Find(const char* name) {
    T* found = tab_->findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QString Text(const char* name) { return Find<QLineEdit>(name)->text(); }
  QString Memo(const char* name) { return Find<QPlainTextEdit>(name)->toPlainText(); }

  // Clicks a request button; the request as the server received it once the
  // reply is in.
  std::string Request(const char* button) {
    Find<QPushButton>(button)->click();
    if (!context_.modbus().Outstanding()) return "<not sent>";
    if (!QTest::qWaitFor([this] { return !context_.modbus().Outstanding(); }, 3000))
      return "<no reply>";
    if (!QTest::qWaitFor([this] { return server_.canReadLine(); }, 3000)) return "<not seen>";
    return server_.readLine().trimmed().toStdString();
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
  QProcess server_;
};

TEST_F(ModbusWindowTest, EveryButtonSendsItsFrameToTheServerAndIsAnswered) {
  StartServerAndConsole({});
  Find<QLineEdit>("edtMdbIPport")->setText("503");
  const struct {
    const char* button;
    const char* received;
  } cases[] = {
      {"btnMdbReadId", "000000000006010400010004"},
      {"btnMdbReadLastId", "000000000006010400110004"},
      {"btnMdbRfOff", "000000000006010503e90000"},
      {"btnMdbRfOn", "000000000006010503e9ff00"},
      {"btnMdbBeepOn", "000000000006010503eaff00"},
      {"btnMdbBeepOff", "000000000006010503ea0000"},
      {"btnMdbWriteIp", "00000000000b011007d1000204c0a8021f"},
      {"btnMdbWritePort", "000000000009011007d300010201f7"},
      {"btnMdbWriteBoth", "00000000000d011007d1000306c0a8021f01f7"},
      {"btnMdbOnTime", "000000000006010603eb0003"},
      {"btnMdbReadOnTime", "000000000006010303eb0001"},
      {"btnMdbEventTime", "000000000006010603ec00ff"},
      {"btnMdbReadEventTime", "000000000006010303ec0001"},
      {"btnMdbStation", "000000000006010607770111"},
      {"btnMdbWide", "000000000006010607770222"},
      {"btnMdbDoIt", "000000000006010606660333"},
      {"btnMdbExit", "000000000006010603330555"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Request(c.button), c.received) << c.button;
    EXPECT_TRUE(Find<QLabel>("lblMdbStatus")->text().isEmpty()) << c.button;
  }
  EXPECT_EQ(Find<QLabel>("lblMdbChannels")->text(), "127.0.0.1");
  // A reply that is not an exception: its function code has no top bit.
  EXPECT_EQ(Text("edtMdbResponse"), "00 00 00 00 00 06 01 06 03 33 05 55 ");
  EXPECT_EQ(Text("edtMdbOutput"), "00 00 00 00 00 06 01 06 03 33 05 55 ");
}

TEST_F(ModbusWindowTest, EmptyPollsThenTagsFillTheListsAndTheLogCompressesTheEmpties) {
  StartServerAndConsole({"0000000000000000", "0000000000000000", "0000000000000000",
                         "a1b2c3d4e5f60718", "a1b2c3d4e5f60718"});
  Find<QLineEdit>("edtMdbLogFilename")->setText(dir_.filePath("Mdb%d.csv"));
  Find<QCheckBox>("ckbMdbLog")->setChecked(true);
  const QString recording = Find<QLabel>("lblMdbRecording")->text();
  ASSERT_TRUE(recording.startsWith("Rec ")) << recording.toStdString();
  const QString logName = recording.mid(4);
  EXPECT_FALSE(logName.contains("%d"));

  for (int poll = 0; poll < 3; ++poll)
    ASSERT_EQ(Request("btnMdbReadId"), "000000000006010400010004");
  EXPECT_EQ(context_.modbus().EmptyReplies(kChannel), 3);
  EXPECT_TRUE(Memo("memMdbTags").isEmpty());
  for (int poll = 0; poll < 2; ++poll)
    ASSERT_EQ(Request("btnMdbReadId"), "000000000006010400010004");

  const QStringList tags = Memo("memMdbTags").split('\n');
  ASSERT_EQ(tags.size(), 2);
  EXPECT_TRUE(tags[0].endsWith(" a1b2c3d4e5f60718")) << tags[0].toStdString();
  EXPECT_EQ(Memo("memMdbUniqueTags"), "a1b2c3d4e5f60718");
  EXPECT_EQ(Find<QLabel>("lblMdbTagsSeen")->text(), "Tags seen 2");
  EXPECT_EQ(Find<QLabel>("lblMdbUniqueTags")->text(), "1 Unique tags");

  SaveScreenshot("modbus-tab.png");
  Find<QCheckBox>("ckbMdbLog")->setChecked(false);
  QFile file(logName);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << logName.toStdString();
  const QList<QByteArray> lines = file.readAll().split('\n');
  ASSERT_EQ(lines.size(), 4);  // three lines and the empty rest
  const QByteArray reply = "00 00 00 00 00 0B 01 04 08 ";
  EXPECT_TRUE(lines[0].startsWith("127.0.0.1, ")) << lines[0].toStdString();
  EXPECT_TRUE(lines[0].endsWith(reply + "00 00 00 00 00 00 00 00 , repeated 3 times\r"))
      << lines[0].toStdString();
  for (int i = 1; i < 3; ++i) {
    EXPECT_TRUE(lines[i].endsWith(reply + "A1 B2 C3 D4 E5 F6 07 18 , a1b2c3d4e5f60718\r"))
        << lines[i].toStdString();
  }
}

TEST_F(ModbusWindowTest, ReadBacksFillTheirFieldsAndTheNextReadStillWorks) {
  StartServerAndConsole({"00000000000000c4"});
  EXPECT_EQ(Request("btnMdbReadOnTime"), "000000000006010303eb0001");
  EXPECT_EQ(Find<QSpinBox>("speMdbOnTime")->value(), 7);
  EXPECT_EQ(Request("btnMdbReadEventTime"), "000000000006010303ec0001");
  EXPECT_EQ(Find<QSpinBox>("speMdbEventTime")->value(), 42);
  EXPECT_EQ(Request("btnMdbReadId"), "000000000006010400010004");
  EXPECT_EQ(Memo("memMdbUniqueTags"), "00000000000000c4");
  EXPECT_TRUE(Find<QLabel>("lblMdbStatus")->text().isEmpty());
}

// Start has the RT tab run a program that presses "Read an ID" every delay;
// Stop ends it.
TEST_F(ModbusWindowTest, PeriodicReadRepeatsTheReadIdRequestUntilStopped) {
  StartServerAndConsole({});
  auto* group = Find<QGroupBox>("grpMdbPeriodic");
  ASSERT_NE(group, nullptr);
  Find<QSpinBox>("speMdbDelay")->setValue(2);  // 200 ms
  auto* start = Find<QPushButton>("btnMdbStartRead");
  ASSERT_TRUE(start->isEnabled());

  auto* script = window_->findChild<QWidget*>("ScriptTab");
  ASSERT_NE(script, nullptr);
  script->findChild<QRadioButton*>("rbtRTFile")->click();  // Start takes the memo back

  QElapsedTimer elapsed;
  elapsed.start();
  start->click();
  EXPECT_EQ(group->title(), "Periodic read (running)");
  EXPECT_EQ(script->findChild<QPlainTextEdit*>("redRTCommands")->toPlainText(),
            ":loop\nreply 0\npush MODBUS_Read_ID\nwait 2\ngoto loop\n");
  EXPECT_TRUE(script->findChild<QRadioButton*>("rbtRTMemo")->isChecked());
  EXPECT_TRUE(context_.interpreter().Running());

  int requests = 0;
  while (requests < 4 && elapsed.elapsed() < 5000) {
    if (!QTest::qWaitFor([this] { return server_.canReadLine(); }, 2000)) break;
    EXPECT_EQ(server_.readLine().trimmed(), "000000000006010400010004");
    ++requests;
  }
  ASSERT_EQ(requests, 4);
  // Three delays between the first and the fourth, none skipped.
  EXPECT_GE(elapsed.elapsed(), 3 * 200 - 50);
  EXPECT_TRUE(Find<QLabel>("lblMdbStatus")->text().isEmpty());

  Find<QPushButton>("btnMdbStopRead")->click();
  EXPECT_EQ(group->title(), "Periodic read");
  EXPECT_FALSE(context_.interpreter().Running());
  ASSERT_TRUE(QTest::qWaitFor([this] { return !context_.modbus().Outstanding(); }, 3000));
  QTest::qWait(100);
  server_.readAll();  // a request already on the wire when Stop came
  QTest::qWait(700);
  EXPECT_FALSE(server_.canReadLine());

  // The RT tab still answers its own statements.
  window_->ShowPage(Page::kReaderTester);
  auto* track = script->findChild<QCheckBox*>("ckbRTTrack");
  track->setChecked(false);
  script->findChild<QPlainTextEdit*>("redRTCommands")->setPlainText("SetRTTrack 1\n");
  script->findChild<QPushButton*>("btnRTRewind")->click();
  script->findChild<QPushButton*>("btnRTSend")->click();
  EXPECT_TRUE(QTest::qWaitFor([track] { return track->isChecked(); }, 2000));
}

// A reader peer of our own that answers in Modbus and in ASCII on one socket.
class FakePeerWindowTest : public ModbusWindowTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(peer_.listen(QHostAddress::LocalHost, 0));
    StartConsole(peer_.serverPort());
    ASSERT_TRUE(QTest::qWaitFor([this] { return peer_.hasPendingConnections(); }, 3000));
    socket_ = peer_.nextPendingConnection();
  }
  void Send(const QByteArray& bytes) {
    socket_->write(bytes);
    socket_->flush();
  }
  bool AwaitRequest() {
    return QTest::qWaitFor([this] { return socket_->bytesAvailable() >= 12; }, 3000) &&
           socket_->readAll().size() == 12;
  }

  QTcpServer peer_;
  QTcpSocket* socket_ = nullptr;
};

TEST_F(FakePeerWindowTest, TagLinesAfterAReplyOrAnExceptionReachTheTagTable) {
  const std::string line1 = testing::ReaderLine(1, 0x41, 10);
  const std::string line2 = testing::ReaderLine(1, 0x42, 20);

  Find<QPushButton>("btnMdbReadId")->click();
  ASSERT_TRUE(AwaitRequest());
  Send(QByteArray::fromHex("00000000000b010408a1b2c3d4e5f60718") +
       QByteArray::fromStdString(line1));
  ASSERT_TRUE(QTest::qWaitFor([this] { return context_.tagTable().SeenLength() == 1; }, 3000));
  EXPECT_EQ(Memo("memMdbUniqueTags"), "a1b2c3d4e5f60718");

  Find<QPushButton>("btnMdbReadLastId")->click();
  ASSERT_TRUE(AwaitRequest());
  Send(QByteArray::fromHex("000000000003018402") + QByteArray::fromStdString(line2));
  ASSERT_TRUE(QTest::qWaitFor([this] { return context_.tagTable().SeenLength() == 2; }, 3000));
  EXPECT_FALSE(context_.modbus().Outstanding());
  EXPECT_EQ(Find<QLabel>("lblMdbStatus")->text(), "Modbus exception 2 (illegal data address)");
}

TEST_F(FakePeerWindowTest, ASilentPeerTimesOutAndHeldBytesGoBackToTheLinePath) {
  const std::string line = testing::ReaderLine(1, 0x43, 30);
  Find<QPushButton>("btnMdbReadId")->click();
  ASSERT_TRUE(AwaitRequest());
  // Two zero bytes look like the start of a reply; the line is held with them
  // until the time-out gives it back.
  Send(QByteArray(2, '\0'));
  ASSERT_TRUE(QTest::qWaitFor([this] { return context_.modbus().Held() == 2; }, 3000));
  ASSERT_TRUE(QTest::qWaitFor([this] { return !context_.modbus().Outstanding(); }, 4000));
  EXPECT_EQ(Find<QLabel>("lblMdbStatus")->text(), "No Modbus reply");
  Send(QByteArray::fromStdString(line));
  ASSERT_TRUE(QTest::qWaitFor([this] { return context_.tagTable().SeenLength() == 1; }, 3000));
}

// The reader simulator's network module: reader commands and Modbus on one
// socket.
class HybridModuleWindowTest : public ModbusWindowTest {
 protected:
  void SetUp() override {
    sim_.start(READERSIM_EXECUTABLE,
               {"--tcp", "0", "--tags", "2", "--rate", "8", "--reader-id", "1"});
    ASSERT_TRUE(sim_.waitForStarted(3000));
    const QRegularExpression listening("listening on 127\\.0\\.0\\.1:(\\d+)");
    QString out;
    QRegularExpressionMatch match;
    while (!(match = listening.match(out)).hasMatch() && sim_.waitForReadyRead(3000))
      out += QString::fromLocal8Bit(sim_.readAllStandardOutput());
    ASSERT_TRUE(match.hasMatch()) << out.toStdString();
    StartConsole(match.captured(1).toInt());
    ASSERT_TRUE(QTest::qWaitFor([this] { return context_.channels().IsOpen(kChannel); }, 3000));
  }
  void TearDown() override {
    window_.reset();
    sim_.terminate();
    if (!sim_.waitForFinished(2000)) sim_.kill();
  }
  bool AwaitTagReads() {
    const int before = context_.tagTable().ReadsSeen(kChannel);
    return QTest::qWaitFor([&] { return context_.tagTable().ReadsSeen(kChannel) > before; }, 3000);
  }
  std::string TagId(int tag) const {
    readersim::ReadEncoder encoder(2, 1);
    std::string hex;
    for (uint8_t b : encoder.Id(tag)) hex += QString::asprintf("%02x", b).toStdString();
    return hex;
  }
  bool Polled(const char* button) {
    Find<QPushButton>(button)->click();
    return QTest::qWaitFor([this] { return !context_.modbus().Outstanding(); }, 3000) &&
           Find<QLabel>("lblMdbStatus")->text().isEmpty();
  }

  QProcess sim_;
};

TEST_F(HybridModuleWindowTest, EnterPollAndExitModbusOnTheReadersOwnSocket) {
  ASSERT_TRUE(AwaitTagReads());  // the reader streams its tag lines
  Find<QPushButton>("btnDebEnterModbus")->click();
  ASSERT_TRUE(QTest::qWaitFor([this] { return !context_.commands().Awaiting(); }, 3000));
  QTest::qWait(300);  // lines already on their way before the switch

  ASSERT_TRUE(Polled("btnMdbReadId"));
  ASSERT_TRUE(Polled("btnMdbReadId"));
  ASSERT_TRUE(Polled("btnMdbReadId"));
  EXPECT_EQ(Memo("memMdbUniqueTags").toStdString(), TagId(0) + "\n" + TagId(1));
  EXPECT_EQ(Find<QLabel>("lblMdbTagsSeen")->text(), "Tags seen 3");
  ASSERT_TRUE(Polled("btnMdbRfOff"));
  ASSERT_TRUE(Polled("btnMdbReadId"));
  EXPECT_EQ(Find<QLabel>("lblMdbTagsSeen")->text(), "Tags seen 3");  // no tag with RF off
  ASSERT_TRUE(Polled("btnMdbRfOn"));

  // While the module talks Modbus the reader sends no tag lines.
  const int reads = context_.tagTable().ReadsSeen(kChannel);
  QTest::qWait(500);
  EXPECT_EQ(context_.tagTable().ReadsSeen(kChannel), reads);

  ASSERT_TRUE(Polled("btnMdbExit"));
  EXPECT_TRUE(AwaitTagReads());
}

}  // namespace
}  // namespace corvalis
