#include "app/ui/LinkedSelection.h"

#include <QComboBox>
#include <QSpinBox>

#include <algorithm>

namespace corvalis {

LinkedSelection::LinkedSelection(QObject* parent) : QObject(parent) {}

void LinkedSelection::AddChannelControl(QComboBox* combo) {
  channels_.push_back(combo);
  connect(combo, &QComboBox::currentIndexChanged, this, &LinkedSelection::ChannelChosen);
}

void LinkedSelection::AddReaderIdControl(QSpinBox* spin, bool commanderGroup) {
  readerIds_.emplace_back(spin, commanderGroup);
  connect(spin, &QSpinBox::valueChanged, this,
          [this, spin](int value) { ReaderIdChosen(spin, value); });
}

void LinkedSelection::ChannelChosen(int index) {
  if (busy_) return;
  if (active_ && index >= 0 && linked_) ApplyChannel(index);
  Q_EMIT channelsChanged();
}

void LinkedSelection::ReaderIdChosen(QSpinBox* source, int value) {
  if (busy_ || !active_) return;
  if (linked_) {
    ApplyReaderId(value);
    return;
  }
  const bool commander =
      std::any_of(readerIds_.begin(), readerIds_.end(),
                  [source](const auto& entry) { return entry.first == source && entry.second; });
  if (!commander) return;
  busy_ = true;
  for (const auto& [spin, group] : readerIds_) {
    if (group) spin->setValue(value);
  }
  busy_ = false;
}

void LinkedSelection::ApplyChannel(int channel) {
  if (busy_) return;
  busy_ = true;
  for (QComboBox* combo : channels_) {
    if (channel < combo->count()) combo->setCurrentIndex(channel);
  }
  busy_ = false;
  Q_EMIT channelsChanged();
}

void LinkedSelection::ApplyReaderId(int readerId) {
  if (busy_) return;
  busy_ = true;
  for (const auto& entry : readerIds_) entry.first->setValue(readerId);
  busy_ = false;
}

}  // namespace corvalis
