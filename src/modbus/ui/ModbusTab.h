#pragma once

#include <QStringList>
#include <QWidget>

#include "modbus/ModbusExchange.h"
#include "modbus/ModbusPorts.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace corvalis {

class CommandSender;

// The "Modbus TCP" tab page: one button per request, the reply views, the tag
// lists, eavesdropping, the periodic read and the CSV log.
class ModbusTab final : public QWidget, public ModbusView {
  Q_OBJECT

 public:
  ModbusTab(ModbusExchange& exchange, ModbusTarget& target, const Clock& clock,
            QWidget* parent = nullptr);
  ~ModbusTab() override;

  // Optional collaborators: "Enter  Modbus mode" and the periodic read; the
  // buttons stay disabled until they are there.
  void SetCommandSender(CommandSender* sender);
  void SetPeriodicReadRunner(PeriodicReadRunner* runner);

  // The open reader channels, by their identifying text.
  void ShowOpenChannels(const QStringList& names);

  // Presses a request button (the buttons call this).
  void Press(ModbusOp op);
  void EnterModbusMode();

  // ModbusView
  void ShowRequest(std::string_view hex) override;
  void ShowResponse(std::string_view hex) override;
  void ShowTag(std::string_view line, std::string_view id, bool firstSeen) override;
  void ShowEmptyReply() override;
  void ShowReadBack(int registerAddress, int value) override;
  void ShowStatus(std::string_view text) override;

 private:
  QPushButton* RequestButton(const char* name, const char* caption, ModbusOp op);
  bool ReadFields(ModbusOp op, ModbusFields& fields);
  void ToggleLog(bool on);
  void UpdateCounts();

  QLineEdit* edtMdbIPaddress;
  QLineEdit* edtMdbIPport;
  QSpinBox* speMdbOnTime;
  QSpinBox* speMdbEventTime;
  QLineEdit* edtMdbOutput;
  QLineEdit* edtMdbResponse;
  QPlainTextEdit* memMdbTags;
  QPlainTextEdit* memMdbUniqueTags;
  QLabel* lblMdbTagsSeen;
  QLabel* lblMdbUniqueTags;
  QLabel* lblMdbLastTag;
  QLabel* lblMdbStatus;
  QCheckBox* ckbMdbEavesdrop;
  QSpinBox* speMdbDelay;
  QGroupBox* grpMdbPeriodic;
  QCheckBox* ckbMdbLog;
  QLineEdit* edtMdbLogFilename;
  QSpinBox* speMdbNewFileTime;
  QCheckBox* ckbMdbNewFile;
  QLabel* lblMdbRecording;
  QPushButton* btnMdbDoIt;
  QLabel* lblMdbChannels;
  QPushButton* btnDebEnterModbus;
  QPushButton* btnMdbStartRead;
  QPushButton* btnMdbStopRead;

  ModbusExchange& exchange_;
  ModbusTarget& target_;
  const Clock& clock_;
  CommandSender* commands_ = nullptr;
  PeriodicReadRunner* runner_ = nullptr;
};

}  // namespace corvalis
