#pragma once

#include <QLabel>

class QTimer;

namespace corvalis {

class MqttPublisher;

// The status bar's MQTT field ("lblMqttStatus"): connection state and queue
// length, red while passes wait with no broker or were refused. It asks the
// publisher four times a second, on the GUI thread; hidden while publishing
// is off.
class MqttStatusLabel final : public QLabel {
  Q_OBJECT

 public:
  explicit MqttStatusLabel(const MqttPublisher& publisher, QWidget* parent = nullptr);
  void Refresh();

 private:
  const MqttPublisher& publisher_;
  QTimer* timer_;
};

}  // namespace corvalis
