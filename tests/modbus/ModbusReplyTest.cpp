#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTest>

#include "modbus/ModbusExchange.h"
#include "modbus/ModbusTestSupport.h"

namespace corvalis {
namespace {

using test::RecordingModbusView;
using test::RecordingPassOn;
using test::SocketModbusLink;

constexpr int kChannel = SocketModbusLink::kChannel;

QByteArray IdReply(const char* idHex) {
  return QByteArray::fromHex("00000000000b010408") + QByteArray::fromHex(idHex);
}

// The reader's network module played by a QTcpServer of the test, so it can
// answer in ways a standard server never would.
class ModbusFakePeerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.listen(QHostAddress::LocalHost, 0));
    exchange_.SetView(&view_);
    exchange_.SetPassOn(&passOn_);
    link_.Bind(exchange_, passOn_);
    link_.socket.connectToHost(QHostAddress::LocalHost, server_.serverPort());
    ASSERT_TRUE(link_.socket.waitForConnected(3000));
    ASSERT_TRUE(QTest::qWaitFor([this] { return server_.hasPendingConnections(); }, 3000));
    peer_ = server_.nextPendingConnection();
  }

  // Presses "Read an ID" and waits until the peer holds the request.
  void PollAndReceiveRequest() {
    ASSERT_TRUE(exchange_.Press(ModbusOp::kReadId, kChannel, 1, {}));
    ASSERT_TRUE(QTest::qWaitFor([this] { return peer_->bytesAvailable() >= 12; }, 3000));
    EXPECT_EQ(peer_->readAll().toHex(), "000000000006010400010004");
  }

  void PeerSends(const QByteArray& bytes) {
    peer_->write(bytes);
    peer_->flush();
  }

  bool WaitFor(const std::function<bool()>& done) { return QTest::qWaitFor(done, 3000); }

  ManualClock clock_;
  SocketModbusLink link_;
  ModbusExchange exchange_{clock_, link_};
  RecordingModbusView view_;
  RecordingPassOn passOn_;
  QTcpServer server_;
  QTcpSocket* peer_ = nullptr;
};

TEST_F(ModbusFakePeerTest, ExceptionReplyEndsTheRequestAndTagLinesFollow) {
  PollAndReceiveRequest();
  PeerSends(QByteArray::fromHex("000000000003018402"));
  ASSERT_TRUE(WaitFor([this] { return !exchange_.Outstanding(); }));
  ASSERT_FALSE(view_.statuses.empty());
  EXPECT_EQ(view_.statuses.back(), "Modbus exception 2 (illegal data address)");
  EXPECT_EQ(view_.response, "00 00 00 00 00 03 01 84 02 ");

  PeerSends("aa0011\r\n");
  ASSERT_TRUE(WaitFor([this] { return passOn_.text == "aa0011\r\n"; }));
}

TEST_F(ModbusFakePeerTest, SplitReplyIsGatheredToItsLength) {
  PollAndReceiveRequest();
  const QByteArray reply = IdReply("1122334455667788");
  PeerSends(reply.left(5));
  ASSERT_TRUE(WaitFor([this] { return exchange_.Held() == 5; }));
  EXPECT_TRUE(exchange_.Outstanding());
  PeerSends(reply.mid(5));
  ASSERT_TRUE(WaitFor([this] { return !exchange_.Outstanding(); }));
  EXPECT_EQ(exchange_.TagLines(), (std::vector<std::string>{"22:13:20 1122334455667788"}));
  EXPECT_EQ(exchange_.Held(), 0);
  EXPECT_TRUE(passOn_.text.empty());
}

TEST_F(ModbusFakePeerTest, GarbageStaysBoundedAndTagsPassAfterTheTimeOut) {
  PollAndReceiveRequest();
  QByteArray garbage;
  for (int i = 0; i < 100; ++i) garbage += static_cast<char>(i % 3 == 0 ? 0 : (i * 37 + 1) & 0xff);
  garbage += QByteArray(100, '\0');
  PeerSends(garbage);
  ASSERT_TRUE(WaitFor([this] { return passOn_.text.size() >= 190; }));
  EXPECT_LE(exchange_.Held(), kModbusReplyMax);
  EXPECT_TRUE(exchange_.TagLines().empty());

  for (int tick = 0; tick < kModbusReplyTicks; ++tick) exchange_.Tick();
  EXPECT_FALSE(exchange_.Outstanding());
  EXPECT_EQ(view_.statuses.back(), "No Modbus reply");
  EXPECT_EQ(passOn_.text.size(), 200u);  // every byte went back to the line path

  passOn_.text.clear();
  PeerSends("aa0102030405060708\r\n");
  ASSERT_TRUE(WaitFor([this] { return passOn_.text == "aa0102030405060708\r\n"; }));
}

TEST_F(ModbusFakePeerTest, TagLinesAfterAReplyGoOnToTheLinePath) {
  PollAndReceiveRequest();
  PeerSends(IdReply("0000000000000abc") + "aa01\r\naa02\r\n");
  ASSERT_TRUE(WaitFor([this] { return passOn_.text.size() == 12; }));
  EXPECT_EQ(passOn_.text, "aa01\r\naa02\r\n");
  EXPECT_EQ(exchange_.UniqueTags(), (std::vector<std::string>{"0000000000000abc"}));
}

// Exchanges fed directly, for the state that needs no socket.
struct NullLink final : ModbusLink {
  bool WriteModbus(int, const uint8_t*, int) override { return open; }
  std::string ChannelText(int) const override { return "COM3"; }
  bool open = true;
};

class ModbusExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    exchange_.SetView(&view_);
    exchange_.SetPassOn(&passOn_);
  }
  void Feed(const QByteArray& bytes) {
    exchange_.Receive(2, bytes.constData(), static_cast<int>(bytes.size()));
  }

  ManualClock clock_;
  NullLink link_;
  ModbusExchange exchange_{clock_, link_};
  RecordingModbusView view_;
  RecordingPassOn passOn_;
};

TEST_F(ModbusExchangeTest, APressEmptiesLeftoversSoTheNextReplyAligns) {
  ASSERT_TRUE(exchange_.Press(ModbusOp::kReadId, 2, 1, {}));
  Feed(IdReply("1111111111111111").left(9));
  ASSERT_TRUE(exchange_.Press(ModbusOp::kReadId, 2, 1, {}));
  EXPECT_EQ(exchange_.Held(), 0);
  EXPECT_TRUE(view_.response.empty());
  Feed(IdReply("2222222222222222"));
  EXPECT_EQ(exchange_.UniqueTags(), (std::vector<std::string>{"2222222222222222"}));
}

TEST_F(ModbusExchangeTest, TimeOutEndsTheRequestAfterTwoSeconds) {
  ASSERT_TRUE(exchange_.Press(ModbusOp::kBeepOn, 2, 1, {}));
  for (int tick = 1; tick < kModbusReplyTicks; ++tick) exchange_.Tick();
  EXPECT_TRUE(exchange_.WantsBytes(2));
  exchange_.Tick();
  EXPECT_FALSE(exchange_.WantsBytes(2));
  EXPECT_EQ(view_.statuses, (std::vector<std::string>{"No Modbus reply"}));
}

TEST_F(ModbusExchangeTest, RepeatedIdsListTwiceButOnceAsUnique) {
  for (const char* id : {"00000000000000a1", "0000000000000000", "00000000000000a1"}) {
    ASSERT_TRUE(exchange_.Press(ModbusOp::kReadId, 2, 1, {}));
    Feed(IdReply(id));
  }
  EXPECT_EQ(exchange_.TagLines().size(), 2u);
  EXPECT_EQ(exchange_.UniqueTags().size(), 1u);
  EXPECT_EQ(view_.empties, 1);
  EXPECT_EQ(exchange_.EmptyReplies(2), 0);
}

TEST_F(ModbusExchangeTest, ClosedChannelLeavesNothingOutstanding) {
  link_.open = false;
  EXPECT_FALSE(exchange_.Press(ModbusOp::kReadId, 2, 1, {}));
  EXPECT_FALSE(exchange_.WantsBytes(2));
  Feed("aa\r\n");
  EXPECT_EQ(passOn_.text, "aa\r\n");
}

TEST_F(ModbusExchangeTest, DoItNeedsBothNetworkWrites) {
  exchange_.Press(ModbusOp::kWriteIpAddress, 2, 1, {});
  EXPECT_FALSE(exchange_.DoItEnabled());
  exchange_.Press(ModbusOp::kWriteIpPort, 2, 1, {});
  EXPECT_TRUE(exchange_.DoItEnabled());
  exchange_.Press(ModbusOp::kDoIt, 2, 1, {});
  EXPECT_FALSE(exchange_.DoItEnabled());
  exchange_.Press(ModbusOp::kWriteIpBoth, 2, 1, {});
  EXPECT_TRUE(exchange_.DoItEnabled());
}

TEST_F(ModbusExchangeTest, EavesdropParsesEveryChannelAndResynchronises) {
  exchange_.SetEavesdrop(true, 3);
  Feed(IdReply("00000000000000b2").left(10));
  for (int tick = 0; tick < 3; ++tick) exchange_.Tick();
  EXPECT_EQ(exchange_.Held(), 0);
  Feed(IdReply("00000000000000b3"));
  EXPECT_EQ(exchange_.UniqueTags(), (std::vector<std::string>{"00000000000000b3"}));
  exchange_.Press(ModbusOp::kExitModbusMode, 2, 1, {});
  EXPECT_FALSE(exchange_.Eavesdrop());
}

}  // namespace
}  // namespace corvalis
