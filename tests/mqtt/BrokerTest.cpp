#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <chrono>
#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "app/AppContext.h"
#include "app/Settings.h"
#include "app/SettingsBinding.h"
#include "mqtt/MqttPublisher.h"
#include "mqtt/MqttStatusLine.h"
#include "mqtt/TestBroker.h"
#include "support/RecordingStatus.h"
#include "testkit/ReaderLines.h"

namespace corvalis {
namespace {

using namespace std::chrono_literals;
using testing::JsonField;
using testing::TestBroker;
using testing::TestConsumer;

std::set<std::string> PassIds(const TestConsumer& consumer, size_t* messages = nullptr) {
  std::set<std::string> ids;
  size_t count = 0;
  for (const auto& message : consumer.Messages()) {
    if (!message.topic.ends_with("/passes")) continue;
    ids.insert(JsonField(message.payload, "id"));
    ++count;
  }
  if (messages != nullptr) *messages = count;
  return ids;
}

MqttSettings BrokerSettings(int port, int qos = 1) {
  MqttSettings settings;
  settings.enabled = true;
  settings.host = "127.0.0.1";
  settings.port = port;
  settings.clientId = "gate-7";
  settings.topicPrefix = "site";
  settings.qos = qos;
  return settings;
}

class BrokerTest : public ::testing::Test {
 protected:
  void PassOf(MqttPublisher& publisher, int n) {
    TagRecord pass;
    std::snprintf(pass.hexId, sizeof pass.hexId, "%016X", n);
    pass.count = 3;
    pass.firstSeenSec = pass.lastSeenSec = 1'796'725'230 + n;
    publisher.PassCompleted({pass, "name", "Depot"});
  }
  std::string QueueFolder() const { return dir_.filePath("queue").toStdString(); }

  QTemporaryDir dir_;
  ManualClock clock_{WallTime{1'796'000'000, 0}};
};

TEST_F(BrokerTest, PassesFromTheReadersArriveOnceEachWithTheLogLineFields) {
  TestBroker broker;
  ASSERT_TRUE(broker.Start());
  TestConsumer consumer(broker.Port());
  ASSERT_TRUE(consumer.Connected());

  testing::RecordingStatus status;
  AppContext context(clock_, status);
  context.ApplySettings(Settings{});
  ASSERT_TRUE(context.StartMqtt(BrokerSettings(broker.Port(), 0), QueueFolder()));
  constexpr int kPasses = 40;
  for (int n = 0; n < kPasses; ++n) {
    const std::string line = testing::ReaderLine(1 + n % 2, static_cast<uint8_t>(0x41 + n), n);
    context.spine().framer.AppendTcp(0, line.data(), static_cast<int>(line.size()));
  }
  for (int t = 0; t < 20; ++t) {
    clock_.AdvanceMs(100);
    context.Tick();
  }
  ASSERT_TRUE(TestConsumer::WaitFor([&] { return PassIds(consumer).size() == kPasses; }, 10s));
  std::this_thread::sleep_for(300ms);
  size_t messages = 0;
  EXPECT_EQ(PassIds(consumer, &messages).size(), static_cast<size_t>(kPasses));
  EXPECT_EQ(messages, static_cast<size_t>(kPasses));

  const std::vector<testing::ReceivedMessage> received = consumer.Messages();
  const auto first = std::find_if(received.begin(), received.end(),
                                  [](const auto& m) { return m.topic == "site/Depot/passes"; });
  ASSERT_NE(first, received.end());
  EXPECT_EQ(JsonField(first->payload, "depot"), "Depot");
  EXPECT_EQ(JsonField(first->payload, "tagId"), "3031323334353641");
  EXPECT_EQ(JsonField(first->payload, "firstSeen"), "2026-12-08T10:20:30.000+00:00");
  EXPECT_EQ(JsonField(first->payload, "channel"), "1");
  EXPECT_EQ(JsonField(first->payload, "readerId"), "1");
  EXPECT_EQ(JsonField(first->payload, "count"), "3");
  EXPECT_EQ(JsonField(first->payload, "tamper"), "false");
  EXPECT_TRUE(JsonField(first->payload, "id").starts_with("gate-7-"));
  EXPECT_TRUE(TestConsumer::WaitFor([&] { return context.mqtt().Snapshot().queued == 0; }, 5s));

  // The console's state, retained, and its end said when it stops.
  EXPECT_TRUE(TestConsumer::WaitFor(
      [&] {
        for (const auto& m : consumer.Messages()) {
          if (m.topic == "site/Depot/status" && JsonField(m.payload, "connected") == "true")
            return true;
        }
        return false;
      },
      5s));
  context.mqtt().Stop();
  EXPECT_TRUE(TestConsumer::WaitFor(
      [&] {
        const auto all = consumer.Messages();
        return !all.empty() && all.back().topic == "site/Depot/status" &&
               JsonField(all.back().payload, "connected") == "false";
      },
      5s));
}

TEST_F(BrokerTest, ABrokerAwayForTenSecondsLosesNoPass) {
  TestBroker broker;
  ASSERT_TRUE(broker.Start());
  auto consumer = std::make_unique<TestConsumer>(broker.Port());
  ASSERT_TRUE(consumer->Connected());
  MqttPublisher publisher(clock_);
  ASSERT_TRUE(publisher.Start(BrokerSettings(broker.Port()), "Depot", QueueFolder()));
  ASSERT_TRUE(TestConsumer::WaitFor(
      [&] { return publisher.Snapshot().connection == MqttConnection::kConnected; }, 5s));

  constexpr int kPasses = 300;
  for (int n = 0; n < kPasses / 2; ++n) PassOf(publisher, n);
  broker.Stop();
  for (int n = kPasses / 2; n < kPasses; ++n) PassOf(publisher, n);
  ASSERT_TRUE(TestConsumer::WaitFor(
      [&] { return publisher.Snapshot().connection == MqttConnection::kDisconnected; }, 5s));
  std::this_thread::sleep_for(10s);
  const MqttStatusLine away = StatusLineFor(publisher.Snapshot());
  EXPECT_TRUE(away.alarm);
  EXPECT_NE(publisher.Snapshot().queued, 0u);

  ASSERT_TRUE(broker.Start());
  ASSERT_TRUE(TestConsumer::WaitFor([&] { return publisher.Snapshot().queued == 0; }, 20s));
  ASSERT_TRUE(TestConsumer::WaitFor([&] { return PassIds(*consumer).size() == kPasses; }, 10s));
  size_t messages = 0;
  EXPECT_EQ(PassIds(*consumer, &messages).size(), static_cast<size_t>(kPasses));
  // Repeats only of what was in flight when the broker went.
  EXPECT_LE(messages, kPasses + 2 * MqttPublisher::kInFlight);
  EXPECT_FALSE(StatusLineFor(publisher.Snapshot()).alarm);
}

TEST_F(BrokerTest, AConsoleStartedAgainSendsWhatItsQueueHeld) {
  TestBroker broker;
  {
    MqttPublisher publisher(clock_);
    ASSERT_TRUE(publisher.Start(BrokerSettings(broker.Port()), "Depot", QueueFolder()));
    for (int n = 0; n < 25; ++n) PassOf(publisher, n);
    EXPECT_EQ(publisher.Snapshot().queued, 25u);
  }
  ASSERT_TRUE(broker.Start());
  TestConsumer consumer(broker.Port());
  ASSERT_TRUE(consumer.Connected());
  MqttPublisher publisher(clock_);
  ASSERT_TRUE(publisher.Start(BrokerSettings(broker.Port()), "Depot", QueueFolder()));
  EXPECT_EQ(publisher.Snapshot().queued, 25u);
  ASSERT_TRUE(TestConsumer::WaitFor([&] { return PassIds(consumer).size() == 25; }, 10s));
  EXPECT_TRUE(TestConsumer::WaitFor([&] { return publisher.Snapshot().queued == 0; }, 5s));
}

TEST_F(BrokerTest, AWrongPasswordIsReportedPlainly) {
  TestBroker broker("gate", "right");
  ASSERT_TRUE(broker.Start());
  MqttSettings settings = BrokerSettings(broker.Port());
  settings.userName = "gate";
  settings.password = "wrong";
  MqttPublisher publisher(clock_);
  ASSERT_TRUE(publisher.Start(settings, "Depot", QueueFolder()));
  ASSERT_TRUE(TestConsumer::WaitFor(
      [&] { return publisher.Snapshot().connection == MqttConnection::kRefused; }, 5s));
  EXPECT_EQ(publisher.Snapshot().text,
            "Broker refused the connection: wrong user name or password");
  PassOf(publisher, 1);
  EXPECT_TRUE(StatusLineFor(publisher.Snapshot()).alarm);

  settings.password = "right";
  ASSERT_TRUE(publisher.Start(settings, "Depot", QueueFolder()));
  EXPECT_TRUE(TestConsumer::WaitFor([&] { return publisher.Snapshot().queued == 0; }, 5s));
}

TEST_F(BrokerTest, AFullQueueCountsThePassesItRefused) {
  MqttPublisher publisher(clock_);
  // Nothing listens on port 1 of the loopback.
  ASSERT_TRUE(publisher.Start(BrokerSettings(1), "Depot", QueueFolder(), 5));
  for (int n = 0; n < 8; ++n) PassOf(publisher, n);
  const MqttSnapshot snapshot = publisher.Snapshot();
  EXPECT_EQ(snapshot.queued, 5u);
  EXPECT_EQ(snapshot.notQueued, 3);
  const MqttStatusLine line = StatusLineFor(snapshot);
  EXPECT_TRUE(line.alarm);
  EXPECT_EQ(line.text.substr(0, 5), "MQTT:");
  EXPECT_NE(line.text.find("5 queued (queue full), 3 not queued"), std::string::npos) << line.text;
}

}  // namespace
}  // namespace corvalis
