#include "mqtt/ui/MqttStatusLabel.h"

#include <QTimer>

#include "mqtt/MqttPublisher.h"
#include "mqtt/MqttStatusLine.h"

namespace corvalis {
namespace {

constexpr int kRefreshMs = 250;

}  // namespace

MqttStatusLabel::MqttStatusLabel(const MqttPublisher& publisher, QWidget* parent)
    : QLabel(parent), publisher_(publisher), timer_(new QTimer(this)) {
  setObjectName(QStringLiteral("lblMqttStatus"));
  connect(timer_, &QTimer::timeout, this, &MqttStatusLabel::Refresh);
  timer_->start(kRefreshMs);
  Refresh();
}

void MqttStatusLabel::Refresh() {
  const MqttStatusLine line = StatusLineFor(publisher_.Snapshot());
  const QString text = QString::fromStdString(line.text);
  if (text != this->text()) setText(text);
  setToolTip(QString::fromStdString(line.detail));
  const QString style = line.alarm ? QStringLiteral("color: red; font-weight: bold;") : QString();
  if (style != styleSheet()) setStyleSheet(style);
  if (line.shown != isVisibleTo(parentWidget())) setVisible(line.shown);
}

}  // namespace corvalis
