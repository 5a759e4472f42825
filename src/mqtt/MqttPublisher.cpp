#include "mqtt/MqttPublisher.h"

#include <mosquitto.h>
#include <unistd.h>

#include <QString>
#include <QSysInfo>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "mqtt/PassJson.h"

namespace corvalis {
namespace {

constexpr int kKeepAliveSeconds = 30;
constexpr auto kConnectRetry = std::chrono::seconds(2);
// Between a record's topic and its JSON; neither holds a raw tab.
constexpr char kTopicSeparator = '\t';

void InitialiseLibrary() {
  static std::once_flag once;
  std::call_once(once, [] { mosquitto_lib_init(); });
}

std::string RefusalText(int rc) {
  switch (rc) {
    case 1:
      return "Broker refused the connection: protocol version not accepted";
    case 2:
      return "Broker refused the connection: client ID not accepted";
    case 3:
      return "Broker refused the connection: broker unavailable";
    case 4:
    case 5:
      return "Broker refused the connection: wrong user name or password";
    default:
      return std::string("Broker refused the connection: ") + mosquitto_connack_string(rc);
  }
}

}  // namespace

MqttPublisher::MqttPublisher(const Clock& clock) : clock_(clock) {}

MqttPublisher::~MqttPublisher() {
  Stop();
}

std::string MqttPublisher::Endpoint() const {
  return settings_.host + ":" + std::to_string(settings_.port);
}

bool MqttPublisher::Start(const MqttSettings& settings, const std::string& depot,
                          const std::string& queueFolder, size_t queueLimit) {
  Stop();
  std::lock_guard lock(mutex_);
  settings_ = settings;
  settings_.qos = std::clamp(settings.qos, 0, 1);
  state_ = MqttSnapshot{};
  if (!settings.enabled) return true;

  const QueueOpenResult opened = queue_.Open(queueFolder, queueLimit);
  state_.limit = queue_.Limit();
  if (!opened.ok) {
    state_.text = opened.problem;
    std::fprintf(stderr, "MQTT: %s\n", opened.problem.c_str());
    return false;
  }
  if (opened.damaged > 0) {
    std::fprintf(stderr, "MQTT: %d damaged records skipped in %s\n", opened.damaged,
                 queueFolder.c_str());
  }
  state_.queued = queue_.Size();

  clientId_ = settings.clientId.empty() ? "corvalis-" + QSysInfo::machineHostName().toStdString()
                                        : settings.clientId;
  statusTopic_ = StatusTopic(settings_, depot);
  const WallTime now = clock_.Now();
  idPrefix_ = clientId_ + "-" + std::to_string(int64_t{now.sec} * 1000 + now.ms) + "-";
  sequence_ = 0;

  InitialiseLibrary();
  mosq_ = mosquitto_new(clientId_.c_str(), true, this);
  if (mosq_ == nullptr) {
    state_.text = "Cannot create the MQTT client";
    queue_.Close();
    return false;
  }
  mosquitto_connect_callback_set(mosq_, &MqttPublisher::OnConnect);
  mosquitto_disconnect_callback_set(mosq_, &MqttPublisher::OnDisconnect);
  mosquitto_publish_callback_set(mosq_, &MqttPublisher::OnPublish);
  mosquitto_reconnect_delay_set(mosq_, 1, 10, true);
  mosquitto_int_option(mosq_, MOSQ_OPT_SEND_MAXIMUM, static_cast<int>(kInFlight));
  const std::string gone = StatusJson(false);
  mosquitto_will_set(mosq_, statusTopic_.c_str(), static_cast<int>(gone.size()), gone.data(), 1,
                     true);
  if (!settings.userName.empty()) {
    mosquitto_username_pw_set(mosq_, settings.userName.c_str(),
                              settings.password.empty() ? nullptr : settings.password.c_str());
  }
  if (settings.tls) {
    const int rc = mosquitto_tls_set(
        mosq_, settings.caFile.empty() ? nullptr : settings.caFile.c_str(),
        settings.caFile.empty() ? "/etc/ssl/certs" : nullptr, nullptr, nullptr, nullptr);
    if (rc != MOSQ_ERR_SUCCESS) {
      state_.text = std::string("TLS set-up failed: ") + mosquitto_strerror(rc);
      mosquitto_destroy(mosq_);
      mosq_ = nullptr;
      queue_.Close();
      return false;
    }
  }
  stopping_ = false;
  connected_ = false;
  state_.connection = MqttConnection::kConnecting;
  state_.text = "Connecting to " + Endpoint();
  sender_ = std::thread(&MqttPublisher::SenderLoop, this);
  return true;
}

void MqttPublisher::Stop() {
  if (mosq_ == nullptr) return;
  bool wasConnected = false;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    wasConnected = connected_;
  }
  wake_.notify_all();
  if (sender_.joinable()) sender_.join();
  if (loopStarted_) {
    if (wasConnected) {
      // A clean disconnect sends no will: the status says so itself.
      const std::string gone = StatusJson(false);
      mosquitto_publish(mosq_, nullptr, statusTopic_.c_str(), static_cast<int>(gone.size()),
                        gone.data(), 0, true);
    }
    mosquitto_disconnect(mosq_);
    mosquitto_loop_stop(mosq_, !wasConnected);
    loopStarted_ = false;
  }
  mosquitto_destroy(mosq_);
  mosq_ = nullptr;
  std::lock_guard lock(mutex_);
  inFlight_.clear();
  queue_.Close();
  connected_ = false;
  state_.connection = MqttConnection::kOff;
  state_.text.clear();
}

void MqttPublisher::PassCompleted(const CompletedPass& completed) {
  if (mosq_ == nullptr) return;
  std::string record = PassesTopic(settings_, completed.depot);
  record += kTopicSeparator;
  {
    std::lock_guard lock(mutex_);
    record += EncodePassJson(completed, idPrefix_ + std::to_string(++sequence_));
    const QueueAppend appended = queue_.Append(record);
    state_.queued = queue_.Size();
    if (appended != QueueAppend::kQueued) {
      ++state_.notQueued;
      if (!reportedFull_) {
        std::fprintf(stderr, "MQTT: %s; passes are not queued\n",
                     appended == QueueAppend::kFull ? "queue full" : "queue write failed");
        reportedFull_ = true;
      }
      return;
    }
    reportedFull_ = false;
  }
  wake_.notify_one();
}

void MqttPublisher::SetConsoleState(int channelsOpen, int readRate) {
  if (mosq_ == nullptr) return;
  {
    std::lock_guard lock(mutex_);
    if (channelsOpen == channelsOpen_ && readRate == readRate_) return;
    channelsOpen_ = channelsOpen;
    readRate_ = readRate;
    statusDirty_ = true;
  }
  wake_.notify_one();
}

MqttSnapshot MqttPublisher::Snapshot() const {
  std::lock_guard lock(mutex_);
  return state_;
}

std::string MqttPublisher::StatusJson(bool connected) const {
  std::string json = "{\"connected\":";
  json += connected ? "true" : "false";
  if (connected) {
    json += ",\"channelsOpen\":" + std::to_string(channelsOpen_);
    json += ",\"readRate\":" + std::to_string(readRate_);
    json += ",\"queued\":" + std::to_string(queue_.Size());
  }
  json += ",\"clientId\":";
  AppendJsonString(json, clientId_);
  json += '}';
  return json;
}

// The first connection is made here, since a failed one is not retried by
// libmosquitto's loop; once made, the loop keeps reconnecting by itself.
bool MqttPublisher::ConnectOnce() {
  const int rc =
      mosquitto_connect_async(mosq_, settings_.host.c_str(), settings_.port, kKeepAliveSeconds);
  if (rc == MOSQ_ERR_SUCCESS) return mosquitto_loop_start(mosq_) == MOSQ_ERR_SUCCESS;
  std::lock_guard lock(mutex_);
  state_.connection = MqttConnection::kDisconnected;
  state_.text = "Cannot reach " + Endpoint() + ": " +
                (rc == MOSQ_ERR_ERRNO ? std::string(std::strerror(errno)) : mosquitto_strerror(rc));
  return false;
}

void MqttPublisher::SenderLoop() {
  while (!loopStarted_) {
    if (ConnectOnce()) {
      loopStarted_ = true;
      break;
    }
    std::unique_lock lock(mutex_);
    if (wake_.wait_for(lock, kConnectRetry, [this] { return stopping_; })) return;
  }
  for (;;) {
    bool status = false;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] {
        return stopping_ || (connected_ && (statusDirty_ || (inFlight_.size() < queue_.Size() &&
                                                             inFlight_.size() < kInFlight)));
      });
      if (stopping_) return;
      status = statusDirty_;
      statusDirty_ = false;
    }
    if (status) PublishStatus();
    while (PublishNextPass()) {
    }
  }
}

void MqttPublisher::PublishStatus() {
  std::string json;
  {
    std::lock_guard lock(mutex_);
    json = StatusJson(true);
  }
  mosquitto_publish(mosq_, nullptr, statusTopic_.c_str(), static_cast<int>(json.size()),
                    json.data(), 1, true);
}

// Hands the next queued pass to libmosquitto; false when none may go now.
bool MqttPublisher::PublishNextPass() {
  std::lock_guard publishing(publishMutex_);
  std::string record;
  uint64_t generation = 0;
  {
    std::lock_guard lock(mutex_);
    const size_t next = inFlight_.size();
    if (stopping_ || !connected_ || next >= queue_.Size() || next >= kInFlight) return false;
    record = queue_.At(next);
    generation = generation_;
  }
  const size_t split = record.find(kTopicSeparator);
  const std::string topic = record.substr(0, split);
  const char* payload = record.data() + split + 1;
  const int length = static_cast<int>(record.size() - split - 1);
  int mid = 0;
  const int rc =
      mosquitto_publish(mosq_, &mid, topic.c_str(), length, payload, settings_.qos, false);
  std::lock_guard lock(mutex_);
  if (rc != MOSQ_ERR_SUCCESS || generation != generation_) return false;
  inFlight_.push_back({mid, false});
  return true;
}

void MqttPublisher::Delivered(int mid) {
  std::lock_guard publishing(publishMutex_);
  std::lock_guard lock(mutex_);
  auto found = std::find_if(inFlight_.begin(), inFlight_.end(),
                            [mid](const InFlight& f) { return f.mid == mid && !f.delivered; });
  if (found == inFlight_.end()) return;  // the status, or a copy sent before a reconnect
  found->delivered = true;
  size_t done = 0;
  while (done < inFlight_.size() && inFlight_[done].delivered) ++done;
  if (done == 0) return;
  inFlight_.erase(inFlight_.begin(), inFlight_.begin() + static_cast<std::ptrdiff_t>(done));
  queue_.PopFront(done);
  state_.queued = queue_.Size();
  state_.published += static_cast<int64_t>(done);
  wake_.notify_one();
}

void MqttPublisher::OnConnect(mosquitto*, void* self, int rc) {
  auto* publisher = static_cast<MqttPublisher*>(self);
  {
    std::lock_guard lock(publisher->mutex_);
    if (rc == 0) {
      publisher->connected_ = true;
      publisher->statusDirty_ = true;
      publisher->state_.connection = MqttConnection::kConnected;
      publisher->state_.text = "Connected to " + publisher->Endpoint();
    } else {
      publisher->state_.connection = MqttConnection::kRefused;
      publisher->state_.text = RefusalText(rc);
    }
  }
  publisher->wake_.notify_one();
}

void MqttPublisher::OnDisconnect(mosquitto*, void* self, int) {
  auto* publisher = static_cast<MqttPublisher*>(self);
  std::lock_guard lock(publisher->mutex_);
  publisher->connected_ = false;
  // What was in flight goes again from the front after the reconnect.
  publisher->inFlight_.clear();
  ++publisher->generation_;
  if (publisher->state_.connection != MqttConnection::kRefused) {
    publisher->state_.connection = MqttConnection::kDisconnected;
    publisher->state_.text = "Disconnected from " + publisher->Endpoint() + ", retrying";
  }
}

void MqttPublisher::OnPublish(mosquitto*, void* self, int mid) {
  static_cast<MqttPublisher*>(self)->Delivered(mid);
}

}  // namespace corvalis
