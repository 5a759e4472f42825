#include "mqtt/TestBroker.h"

#include <mosquitto.h>
#include <pwd.h>
#include <unistd.h>

#include <QFile>
#include <QTcpServer>
#include <QThread>

#include <thread>

namespace corvalis::testing {
namespace {

int FreePort() {
  QTcpServer server;
  if (!server.listen(QHostAddress::LocalHost, 0)) return 0;
  return server.serverPort();
}

bool PortAnswers(int port) {
  QTcpServer probe;
  // Taken means the broker listens.
  return !probe.listen(QHostAddress::LocalHost, static_cast<quint16>(port));
}

}  // namespace

TestBroker::TestBroker(const std::string& user, const std::string& password) : port_(FreePort()) {
  QByteArray config = "listener " + QByteArray::number(port_) + " 127.0.0.1\n";
  // As root the broker would drop to the "mosquitto" user, which cannot read
  // the test's folder.
  if (const passwd* me = getpwuid(getuid())) config += QByteArray("user ") + me->pw_name + "\n";
  config += "persistence true\npersistence_location " + dir_.path().toUtf8() + "/\n";
  if (user.empty()) {
    config += "allow_anonymous true\n";
  } else {
    const QString file = dir_.filePath("passwords");
    QProcess::execute(MOSQUITTO_PASSWD, {"-c", "-b", file, QString::fromStdString(user),
                                         QString::fromStdString(password)});
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    config += "allow_anonymous false\npassword_file " + file.toUtf8() + "\n";
  }
  QFile out(dir_.filePath("broker.conf"));
  if (out.open(QIODevice::WriteOnly)) out.write(config);
  process_.setProcessChannelMode(QProcess::MergedChannels);
  process_.setStandardOutputFile(dir_.filePath("broker.log"), QIODevice::Append);
}

TestBroker::~TestBroker() {
  Stop();
}

bool TestBroker::Start() {
  if (port_ == 0) return false;
  process_.start(MOSQUITTO_BROKER, {"-c", dir_.filePath("broker.conf")});
  if (!process_.waitForStarted(5000)) return false;
  return TestConsumer::WaitFor([this] { return PortAnswers(port_); }, std::chrono::seconds(5));
}

void TestBroker::Stop() {
  if (process_.state() == QProcess::NotRunning) return;
  process_.terminate();
  if (!process_.waitForFinished(5000)) {
    process_.kill();
    process_.waitForFinished(2000);
  }
}

TestConsumer::TestConsumer(int port) {
  mosquitto_lib_init();
  mosq_ = mosquitto_new("test-consumer", false, this);
  mosquitto_connect_callback_set(mosq_, &TestConsumer::OnConnect);
  mosquitto_message_callback_set(mosq_, &TestConsumer::OnMessage);
  mosquitto_reconnect_delay_set(mosq_, 1, 1, false);
  mosquitto_connect(mosq_, "127.0.0.1", port, 10);
  mosquitto_loop_start(mosq_);
  WaitFor([this] { return Connected(); }, std::chrono::seconds(5));
}

TestConsumer::~TestConsumer() {
  mosquitto_disconnect(mosq_);
  mosquitto_loop_stop(mosq_, false);
  mosquitto_destroy(mosq_);
}

bool TestConsumer::Connected() const {
  std::lock_guard lock(mutex_);
  return connected_;
}

std::vector<ReceivedMessage> TestConsumer::Messages() const {
  std::lock_guard lock(mutex_);
  return messages_;
}

bool TestConsumer::WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

void TestConsumer::OnConnect(mosquitto* mosq, void* self, int rc) {
  if (rc != 0) return;
  mosquitto_subscribe(mosq, nullptr, "#", 1);
  auto* consumer = static_cast<TestConsumer*>(self);
  std::lock_guard lock(consumer->mutex_);
  consumer->connected_ = true;
}

void TestConsumer::OnMessage(mosquitto*, void* self, const mosquitto_message* message) {
  auto* consumer = static_cast<TestConsumer*>(self);
  std::lock_guard lock(consumer->mutex_);
  consumer->messages_.push_back({message->topic,
                                 std::string(static_cast<const char*>(message->payload),
                                             static_cast<size_t>(message->payloadlen)),
                                 message->retain});
}

std::string JsonField(const std::string& json, const std::string& key) {
  const std::string marker = "\"" + key + "\":";
  const size_t at = json.find(marker);
  if (at == std::string::npos) return {};
  size_t start = at + marker.size();
  if (start < json.size() && json[start] == '"') {
    const size_t end = json.find('"', start + 1);
    return json.substr(start + 1, end - start - 1);
  }
  const size_t end = json.find_first_of(",}", start);
  return json.substr(start, end - start);
}

}  // namespace corvalis::testing
