#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct mosquitto;
struct mosquitto_message;

namespace corvalis::testing {

// A mosquitto broker of the test's own on 127.0.0.1, at a free port that it
// keeps across a stop and a start, with persistence so that a subscriber's
// session outlives a restart.
class TestBroker {
 public:
  // With a user name, only that user and password may connect.
  explicit TestBroker(const std::string& user = {}, const std::string& password = {});
  ~TestBroker();
  bool Start();
  void Stop();
  int Port() const { return port_; }

 private:
  QTemporaryDir dir_;
  QProcess process_;
  int port_ = 0;
};

struct ReceivedMessage {
  std::string topic;
  std::string payload;
  bool retained = false;
};

// A subscriber to every topic at QoS 1, with a persistent session.
class TestConsumer {
 public:
  explicit TestConsumer(int port);
  ~TestConsumer();
  bool Connected() const;
  std::vector<ReceivedMessage> Messages() const;
  // Polls `done` every 20 ms until it holds or `timeout` passes.
  static bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout);

 private:
  static void OnConnect(mosquitto* mosq, void* self, int rc);
  static void OnMessage(mosquitto* mosq, void* self, const mosquitto_message* message);
  mosquitto* mosq_ = nullptr;
  mutable std::mutex mutex_;
  bool connected_ = false;
  std::vector<ReceivedMessage> messages_;
};

// The value of a top-level string or number field of a flat JSON object, as
// written (a string without its quotes); empty when absent.
std::string JsonField(const std::string& json, const std::string& key);

}  // namespace corvalis::testing
