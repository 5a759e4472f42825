#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include "modbus/ModbusExchange.h"
#include "modbus/ModbusTestSupport.h"

namespace corvalis {
namespace {

using test::RecordingModbusView;
using test::RecordingPassOn;
using test::SocketModbusLink;

constexpr int kChannel = SocketModbusLink::kChannel;
constexpr int kUnit = 1;

int FreePort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}

// The exchange against libmodbus's server with the network module's map; the
// server prints every request it received.
class ModbusServerTest : public ::testing::Test {
 protected:
  void StartServer(const QStringList& ids) {
    const int port = FreePort();
    server_.start(MODBUS_TEST_SERVER, QStringList{QString::number(port)} + ids);
    ASSERT_TRUE(server_.waitForStarted(3000));
    ASSERT_TRUE(QTest::qWaitFor([this] { return server_.canReadLine(); }, 3000));
    ASSERT_EQ(server_.readLine(), "ready\n");
    exchange_.SetView(&view_);
    exchange_.SetPassOn(&passOn_);
    link_.Bind(exchange_, passOn_);
    link_.socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
    ASSERT_TRUE(link_.socket.waitForConnected(3000));
  }

  void TearDown() override {
    link_.socket.abort();
    if (!server_.waitForFinished(2000)) {
      server_.kill();
      server_.waitForFinished(2000);
    }
  }

  // Presses a button and waits for the complete reply; returns the request
  // as the server received it.
  std::string Exchange(ModbusOp op) {
    if (!exchange_.Press(op, kChannel, kUnit, fields_)) return "<not sent>";
    if (!QTest::qWaitFor([this] { return !exchange_.Outstanding(); }, 3000)) return "<no reply>";
    if (!QTest::qWaitFor([this] { return server_.canReadLine(); }, 3000)) return "<not seen>";
    return server_.readLine().trimmed().toStdString();
  }

  QProcess server_;
  ManualClock clock_;
  SocketModbusLink link_;
  ModbusExchange exchange_{clock_, link_};
  RecordingModbusView view_;
  RecordingPassOn passOn_;
  ModbusFields fields_;
};

TEST_F(ModbusServerTest, EveryRequestReachesTheServerExactlyAndIsAnswered) {
  StartServer({});
  fields_.port = 503;
  const struct {
    ModbusOp op;
    const char* received;
  } cases[] = {
      {ModbusOp::kReadId, "000000000006010400010004"},
      {ModbusOp::kRfTxOn, "000000000006010503e9ff00"},
      {ModbusOp::kWriteIpAddress, "00000000000b011007d1000204c0a8021f"},
      {ModbusOp::kReadLastId, "000000000006010400110004"},
      {ModbusOp::kRfTxOff, "000000000006010503e90000"},
      {ModbusOp::kBeepOn, "000000000006010503eaff00"},
      {ModbusOp::kBeepOff, "000000000006010503ea0000"},
      {ModbusOp::kWriteIpPort, "000000000009011007d30001020 1f7"},
      {ModbusOp::kWriteIpBoth, "00000000000d011007d1000306c0a8021f01f7"},
      {ModbusOp::kWriteRfOnTime, "0000000000060106 03eb0003"},
      {ModbusOp::kReadRfOnTime, "000000000006010303eb0001"},
      {ModbusOp::kWriteEventTime, "000000000006010603ec00ff"},
      {ModbusOp::kReadEventTime, "000000000006010303ec0001"},
      {ModbusOp::kStationDefaults, "00000000000601060777 0111"},
      {ModbusOp::kWideDefaults, "0000000000060106077 70222"},
      {ModbusOp::kDoIt, "000000000006010606660333"},
      {ModbusOp::kExitModbusMode, "000000000006010603330555"},
  };
  for (const auto& c : cases) {
    std::string expected = c.received;
    std::erase(expected, ' ');
    EXPECT_EQ(Exchange(c.op), expected);
    EXPECT_EQ(view_.response.find(" 8"), std::string::npos) << "exception for " << expected;
  }
  EXPECT_TRUE(view_.statuses.empty());
  EXPECT_TRUE(passOn_.text.empty());
}

TEST_F(ModbusServerTest, ReadBacksFillTheirFieldsAndTheNextReadStillWorks) {
  StartServer({"00000000000000c4"});
  EXPECT_EQ(Exchange(ModbusOp::kReadRfOnTime), "000000000006010303eb0001");
  EXPECT_EQ(Exchange(ModbusOp::kReadEventTime), "000000000006010303ec0001");
  EXPECT_EQ(Exchange(ModbusOp::kReadId), "000000000006010400010004");
  EXPECT_EQ(view_.readBacks, (std::vector<std::pair<int, int>>{{1003, 7}, {1004, 42}}));
  EXPECT_EQ(exchange_.UniqueTags(), (std::vector<std::string>{"00000000000000c4"}));
  EXPECT_TRUE(view_.statuses.empty());
}

TEST_F(ModbusServerTest, ThreeEmptyPollsThenATagLogOneRepeatedLine) {
  QTemporaryDir dir;
  const std::string path = dir.filePath("MdbLog.csv").toStdString();
  StartServer({"0000000000000000", "0000000000000000", "0000000000000000", "a1b2c3d4e5f60718"});
  ASSERT_TRUE(exchange_.Log().Open(path, clock_.Now()));
  for (int poll = 0; poll < 4; ++poll)
    ASSERT_EQ(Exchange(ModbusOp::kReadId), "000000000006010400010004");
  exchange_.Log().Close();

  QFile file(QString::fromStdString(path));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const std::string prefix = "127.0.0.1, 2023-11-14, 22:13:20, 00 00 00 00 00 0B 01 04 08 ";
  EXPECT_EQ(file.readAll().toStdString(),
            prefix + "00 00 00 00 00 00 00 00 , repeated 3 times\r\n" + prefix +
                "A1 B2 C3 D4 E5 F6 07 18 , a1b2c3d4e5f60718\r\n");
  EXPECT_EQ(exchange_.EmptyReplies(kChannel), 0);
}

}  // namespace
}  // namespace corvalis
