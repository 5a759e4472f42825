#pragma once

#include <QObject>

#include <utility>
#include <vector>

class QComboBox;
class QSpinBox;

namespace corvalis {

// One channel and one reader ID for all the pages' controls while linking is
// on ("&Idiot Mode"). Nothing links before the window is active, and a change
// this class makes itself never links again. With linking off, the channels
// and the reader IDs of the commander group still agree among themselves.
class LinkedSelection final : public QObject {
  Q_OBJECT

 public:
  explicit LinkedSelection(QObject* parent = nullptr);

  void AddChannelControl(QComboBox* combo, bool commanderGroup = false);
  void AddReaderIdControl(QSpinBox* spin, bool commanderGroup);

  void SetLinked(bool on) { linked_ = on; }
  bool Linked() const { return linked_; }
  void SetActive(bool on) { active_ = on; }

  // Every channel control to `channel` (those that have that item).
  void ApplyChannel(int channel);
  // Every reader ID control to `readerId`.
  void ApplyReaderId(int readerId);

 Q_SIGNALS:
  // A channel control changed: the status bar marks the channels.
  void channelsChanged();

 private:
  void ChannelChosen(QComboBox* source, int index);
  void ReaderIdChosen(QSpinBox* source, int value);

  std::vector<std::pair<QComboBox*, bool>> channels_;
  std::vector<std::pair<QSpinBox*, bool>> readerIds_;
  bool linked_ = true;
  bool active_ = false;
  bool busy_ = false;
};

}  // namespace corvalis
