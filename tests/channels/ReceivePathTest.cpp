// The hooks of the receive path, the same over a serial port and a TCP
// connection.
#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>

#include <map>
#include <string>
#include <vector>

#include "channels/ChannelTestSupport.h"

namespace corvalis {
namespace {

// Every hook at once, writing what it gets to one trace.
class TracingHooks final : public ModbusReceiver,
                           public RawReceiver,
                           public RawRecorder,
                           public ScriptReceiver {
 public:
  bool WantsBytes(int) const override { return modbusWaiting; }
  void TakeModbusBytes(int, const char* bytes, int count) override { Add("modbus", bytes, count); }
  bool IsBoundTo(int) const override { return true; }
  void TakeRawBytes(int, const char* bytes, int count) override { Add("raw", bytes, count); }
  bool IsRecording(int) const override { return true; }
  void RecordBytes(int, const char* bytes, int count) override { Add("record", bytes, count); }
  bool IsWaitingOn(int) const override { return true; }
  void AppendReceiveText(int, const char* bytes, int count) override {
    Add("script", bytes, count);
  }
  bool IsMachineRunning() const override { return true; }
  void RunMachineOnce() override { order.push_back("machine"); }

  // Which hooks ran, in the order they first ran in.
  std::vector<std::string> FirstOrder() const {
    std::vector<std::string> first;
    for (const std::string& hook : order) {
      if (std::find(first.begin(), first.end(), hook) == first.end()) first.push_back(hook);
    }
    return first;
  }

  bool modbusWaiting = false;
  std::map<std::string, std::string> got;
  std::vector<std::string> order;

 private:
  void Add(const char* hook, const char* bytes, int count) {
    got[hook].append(bytes, static_cast<size_t>(count));
    order.push_back(hook);
  }
};

class ReceivePathTest : public ::testing::TestWithParam<bool>, public testing::ConsoleFixture {
 protected:
  void SetUp() override {
    ChannelHooks& hooks = context->channels().Hooks();
    hooks.modbus = &trace;
    hooks.recorder = &trace;
    hooks.script = &trace;
    hooks.rawReceivers.push_back(&trace);
    ChannelSettings s;
    s.open = true;
    if (Serial()) {
      if (!pty.Start()) GTEST_SKIP() << "socat is not available";
      s.name = pty.ConsoleEnd();
    } else {
      ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
      s.port = false;
      s.ipAddress = "127.0.0.1";
      s.ipPort = server.serverPort();
    }
    WriteSection(0, s);
    context->channels().Start();
    if (!Serial()) {
      ASSERT_TRUE(server.waitForNewConnection(3000));
      peer = server.nextPendingConnection();
    }
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return context->channels().IsOpen(0) && context->channels().View(0).closeEnabled; },
        3000));
  }
  bool Serial() const { return GetParam(); }
  void Send(const std::string& bytes) {
    if (Serial()) {
      pty.Send(bytes);
    } else {
      peer->write(bytes.data(), static_cast<qint64>(bytes.size()));
      peer->flush();
    }
  }

  TracingHooks trace;
  testing::PtyPair pty;
  QTcpServer server;
  QTcpSocket* peer = nullptr;
};

TEST_P(ReceivePathTest, ScriptTabsAndRecordingGetCopiesInOneOrder) {
  const std::string line = testing::ReaderLine(1, 0x41, 0);
  Send(line);
  ASSERT_TRUE(QTest::qWaitFor([&] { return context->tagTable().ReadsSeen(0) == 1; }, 3000));
  EXPECT_EQ(trace.got["script"], line);
  EXPECT_EQ(trace.got["raw"], line);
  EXPECT_EQ(trace.got["record"], line);
  EXPECT_EQ(trace.got.count("modbus"), 0u);
  EXPECT_EQ(trace.FirstOrder(), (std::vector<std::string>{"script", "raw", "record", "machine"}));
  EXPECT_EQ(trace.order.back(), "machine");
}

TEST_P(ReceivePathTest, ModbusTakesTheBytesWhileItWaits) {
  trace.modbusWaiting = true;
  const std::string line = testing::ReaderLine(1, 0x41, 0);
  Send(line);
  ASSERT_TRUE(QTest::qWaitFor([&] { return trace.got["modbus"].size() == line.size(); }, 3000));
  QTest::qWait(50);
  EXPECT_EQ(trace.got["modbus"], line);
  EXPECT_EQ(context->tagTable().ReadsSeen(0), 0);
  EXPECT_EQ(trace.got.count("raw"), 0u);
  EXPECT_EQ(trace.got.count("script"), 0u);
  EXPECT_EQ(context->channels().View(0).activity, kMarkReceive);

  // Once it is done, the stream goes to the framer again.
  trace.modbusWaiting = false;
  Send(line);
  EXPECT_TRUE(QTest::qWaitFor([&] { return context->tagTable().ReadsSeen(0) == 1; }, 3000));
}

INSTANTIATE_TEST_SUITE_P(Transports, ReceivePathTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& param) {
                           return param.param ? "Serial" : "Tcp";
                         });

}  // namespace
}  // namespace corvalis
