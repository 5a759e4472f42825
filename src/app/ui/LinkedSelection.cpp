#include "app/ui/LinkedSelection.h"

#include <QComboBox>
#include <QSpinBox>

#include <algorithm>

namespace corvalis {

namespace {

template <class Control>
bool InCommanderGroup(const std::vector<std::pair<Control*, bool>>& controls,
                      const Control* source) {
  return std::any_of(controls.begin(), controls.end(),
                     [source](const auto& entry) { return entry.first == source && entry.second; });
}

}  // namespace

LinkedSelection::LinkedSelection(QObject* parent) : QObject(parent) {}

void LinkedSelection::AddChannelControl(QComboBox* combo, bool commanderGroup) {
  channels_.emplace_back(combo, commanderGroup);
  connect(combo, &QComboBox::currentIndexChanged, this,
          [this, combo](int index) { ChannelChosen(combo, index); });
}

void LinkedSelection::AddReaderIdControl(QSpinBox* spin, bool commanderGroup) {
  readerIds_.emplace_back(spin, commanderGroup);
  connect(spin, &QSpinBox::valueChanged, this,
          [this, spin](int value) { ReaderIdChosen(spin, value); });
}

void LinkedSelection::ChannelChosen(QComboBox* source, int index) {
  if (busy_) return;
  if (active_ && index >= 0 && linked_) {
    ApplyChannel(index);
    return;
  }
  if (active_ && index >= 0 && InCommanderGroup(channels_, source)) {
    busy_ = true;
    for (const auto& [combo, group] : channels_) {
      if (group && index < combo->count()) combo->setCurrentIndex(index);
    }
    busy_ = false;
  }
  Q_EMIT channelsChanged();
}

void LinkedSelection::ReaderIdChosen(QSpinBox* source, int value) {
  if (busy_ || !active_) return;
  if (linked_) {
    ApplyReaderId(value);
    return;
  }
  if (!InCommanderGroup(readerIds_, source)) return;
  busy_ = true;
  for (const auto& [spin, group] : readerIds_) {
    if (group) spin->setValue(value);
  }
  busy_ = false;
}

void LinkedSelection::ApplyChannel(int channel) {
  if (busy_) return;
  busy_ = true;
  for (const auto& entry : channels_) {
    if (channel < entry.first->count()) entry.first->setCurrentIndex(channel);
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
