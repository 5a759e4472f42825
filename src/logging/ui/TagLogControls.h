#pragma once

#include <QWidget>

#include <array>
#include <functional>

#include "logging/TagLogWriter.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace corvalis {

class TagTable;

// The logging strip of the Tags Seen tab: the Record controls (shown while
// ShowLogging is on), the logging status label and the manual-recording
// warning. The controls edit the writer's RecordControls directly, so the
// script commands and this strip share one test name and number.
class TagLogControls final : public QWidget {
  Q_OBJECT

 public:
  TagLogControls(TagLogWriter& writer, TagTable& table, QWidget* parent = nullptr);

  // What the Tags Seen view currently shows for a tag; Record writes that
  // label. Without it, tags are recorded by hex ID.
  void SetSeenLabelSource(std::function<SeenLabel()> source) { seenLabel_ = std::move(source); }

  // Re-reads the writer: Record controls' values and visibility, the status
  // text, the warning. Call after logging is switched, after ShowLogging
  // changes and after a script sets the test name or number.
  void Refresh();
  // Each tick: the status text follows a run of write failures (in red, with
  // the lines lost) and its end.
  void ShowWriteState();

  // The Record button: a snapshot of the seen table under the table lock,
  // then the optional clear. A write failure reaches the operator through
  // the writer's status reporter.
  RecordResult RecordNow();

 private:
  QPushButton* btnRecord;
  QLineEdit* edtNamePrefix;
  QSpinBox* speNameSuffix;
  std::array<QRadioButton*, 4> rbtLayout{};  // rbt1 .. rbt4
  QCheckBox* ckbClear;
  QLabel* lblNotLogging;
  QLabel* lblManualWarning;
  TagLogWriter& writer_;
  TagTable& table_;
  std::function<SeenLabel()> seenLabel_;
};

}  // namespace corvalis
