#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "common/Clock.h"
#include "logging/PassOutputs.h"
#include "mqtt/DiskQueue.h"
#include "mqtt/MqttSettings.h"

struct mosquitto;

namespace corvalis {

enum class MqttConnection { kOff, kConnecting, kConnected, kRefused, kDisconnected };

// What the status bar shows, taken under the publisher's lock.
struct MqttSnapshot {
  MqttConnection connection = MqttConnection::kOff;
  std::string text;       // "Connected to host:1883", the refusal, the failure
  size_t queued = 0;      // passes waiting on disk, those in flight included
  size_t limit = 0;       // the queue's bound
  int64_t notQueued = 0;  // passes refused by a full queue or a failed write
  int64_t published = 0;  // passes the broker took (QoS 1) or that were sent (QoS 0)
};

// Publishes each completed pass as JSON on "<prefix>/<depot>/passes" and the
// console's state, retained, on "<prefix>/<depot>/status" (with a last will
// saying it went away).
//
// Threads: the GUI thread only calls PassCompleted and SetConsoleState,
// which append to the disk queue under the lock and wake the sender; neither
// waits for the network. The sender thread makes the connection (name look-
// up and connect block) and hands queued passes to libmosquitto in order,
// at most kInFlight at a time; libmosquitto's own network thread
// (mosquitto_loop_start) talks to the broker, reconnects and calls back. A
// pass leaves the disk queue once the broker acknowledged it (QoS 1) or it
// was written to the socket (QoS 0). On a lost connection everything in
// flight is sent again after the reconnect, so a consumer may see a pass
// twice and drops the repeat by its "id".
class MqttPublisher final : public PassObserver {
 public:
  static constexpr size_t kDefaultQueueLimit = 100000;
  static constexpr size_t kInFlight = 256;

  explicit MqttPublisher(const Clock& clock);
  ~MqttPublisher() override;
  MqttPublisher(const MqttPublisher&) = delete;
  MqttPublisher& operator=(const MqttPublisher&) = delete;

  // Stops what runs, then, when the settings enable it, opens the queue in
  // `queueFolder` and starts connecting. False, with the reason in the
  // snapshot's text, when the queue cannot be opened.
  // `depot` names the status topic; each pass carries its own.
  bool Start(const MqttSettings& settings, const std::string& depot, const std::string& queueFolder,
             size_t queueLimit = kDefaultQueueLimit);
  // Says "gone" on the status topic, disconnects and joins both threads.
  // What was not delivered stays on disk for the next start.
  void Stop();
  bool Running() const { return mosq_ != nullptr; }

  void PassCompleted(const CompletedPass& completed) override;
  // Once a second from the console's tick: published when it changed.
  void SetConsoleState(int channelsOpen, int readRate);

  MqttSnapshot Snapshot() const;

 private:
  struct InFlight {
    int mid = 0;
    bool delivered = false;
  };
  static void OnConnect(mosquitto* mosq, void* self, int rc);
  static void OnDisconnect(mosquitto* mosq, void* self, int rc);
  static void OnPublish(mosquitto* mosq, void* self, int mid);

  void SenderLoop();
  bool ConnectOnce();
  void PublishStatus();
  bool PublishNextPass();
  void Delivered(int mid);
  std::string StatusJson(bool connected) const;
  std::string Endpoint() const;

  const Clock& clock_;
  MqttSettings settings_;
  std::string clientId_;
  std::string statusTopic_;
  std::string idPrefix_;
  uint64_t sequence_ = 0;

  mosquitto* mosq_ = nullptr;
  std::thread sender_;
  bool loopStarted_ = false;

  // Held by the sender across each mosquitto_publish and by the delivery
  // callback, so that an acknowledgement never arrives before its mid is
  // recorded.
  std::mutex publishMutex_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  DiskQueue queue_;
  std::deque<InFlight> inFlight_;  // the queue's first records, in order
  uint64_t generation_ = 0;        // moves on when the in-flight list is dropped
  bool stopping_ = false;
  bool connected_ = false;
  bool statusDirty_ = false;
  bool reportedFull_ = false;
  int channelsOpen_ = 0;
  int readRate_ = 0;
  MqttSnapshot state_;
};

}  // namespace corvalis
