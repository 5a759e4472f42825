#pragma once

#include <QDialog>

#include "logging/LogSettings.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace corvalis {

class TagLogWriter;
struct TagTableSettings;

// "Logging Setup": the tag log's columns, separators, tamper texts, noise
// limit and wait time, with three presets. OK applies, Cancel discards.
class LoggingSetupDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit LoggingSetupDialog(QWidget* parent = nullptr);

  void ShowValues(const LogSettings& settings);
  // The controls' values; what the dialog does not edit (the log file, the
  // logging switch, ShowLogging) comes from `base`. The wait time is taken
  // as the box gives it: 0..9 become 10, -9..-1 become -10.
  LogSettings Values(const LogSettings& base) const;
  // Fills the controls as the preset says; OK is still needed.
  void ApplyPreset(LogPreset preset);

  // Shows the writer's settings, with the wait time and noise limit the tag
  // table works with.
  void Load(const TagLogWriter& writer, const TagTableSettings& table);
  // Gives the controls' values to the writer and the tag table.
  void Apply(TagLogWriter& writer, TagTableSettings& table) const;
  // Load, run modally, Apply on OK. True when applied.
  bool Execute(TagLogWriter& writer, TagTableSettings& table);

 private:
  QSpinBox* speNoiseLimit;
  QLineEdit* edtSeparator;
  QLineEdit* edtDepotName;
  QLineEdit* edtTamper;
  QLineEdit* edtNoTamper;
  QSpinBox* speWaitTime;
  QCheckBox* ckbLogDepot;
  QCheckBox* ckbLogSteppingNumber;
  QCheckBox* ckbLogTagID;
  QCheckBox* ckbLogTagName;
  QCheckBox* ckbLogTamper;
  QCheckBox* ckbLogFirstSeenDate;
  QCheckBox* ckbLogFirstSeenTime;
  QCheckBox* ckbFirstSeenIncludeMS;
  QCheckBox* ckbLogLastSeenDate;
  QCheckBox* ckbLogLastSeenTime;
  QCheckBox* ckbLastSeenIncludeMS;
  QCheckBox* ckbLogChannelNumber;
  QCheckBox* ckbLogReaderID;
  QCheckBox* ckbLogIQCount;
  QCheckBox* ckbLogICount;
  QCheckBox* ckbLogQCount;
  QCheckBox* ckbLogTTODataPages;
  QSpinBox* speNumTTOPages;
  QCheckBox* ckbOnlyLogNamedTags;
  QPushButton* btnRigWatch;
  QPushButton* btnStandard;
  QPushButton* btnStepping;
  QPushButton* btnOK;
  QPushButton* btnCancel;
};

}  // namespace corvalis
