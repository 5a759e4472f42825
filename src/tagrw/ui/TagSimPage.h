#pragma once

#include <QWidget>

#include <optional>
#include <string>
#include <string_view>

#include "protocol/MessageDispatcher.h"
#include "script/ScriptHost.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace corvalis {

class AppContext;
class Settings;

// The TagSim Controls tab: configures a tag simulator addressed like a
// reader on one of the channels (255 reaches every device). A command a
// script's button press makes goes to the script's tracked send instead.
class TagSimPage final : public QWidget, private MessageObserver {
  Q_OBJECT

 public:
  explicit TagSimPage(AppContext& context, QWidget* parent = nullptr);
  ~TagSimPage() override;

  void LoadFromSettings(const Settings& settings);
  void StoreToSettings(Settings& settings) const;

  // The buttons.
  void SendId();
  void SetTag();
  void SendNumTags();
  void SendAlgorithm();
  void SendDelay();
  void SendTtoPages();
  void SendRepeats();
  void SendIncrementRoutine(bool newer);
  void NvWrite();
  void Transmitter(bool on);

  // The TagSim... script statements; kNotAvailable for any other.
  TabOutcome RunStatement(std::string_view statement, std::string_view args);
  std::string TagIdText() const;

 private:
  void ObserveMessage(int channel, const char* text, int length) override;
  void Send(const std::string& body);
  void Refuse(const QString& text);
  // The CRC of the ID with the typed seed, or nothing (the status says why).
  std::optional<uint16_t> CurrentCrc();
  void UpdateCrc();
  void GenerateCrcToggled(bool on);
  void PresetChosen(int index);
  QWidget* BuildCommandsBox();

  AppContext& context_;
  QComboBox* cmbSimChannel;
  QSpinBox* speSimReaderID;
  QLineEdit* edtSimTagID;
  QCheckBox* ckbSimGenerateCRC;
  QLineEdit* edtSimCRC;
  QLineEdit* edtSimCRCSeed;
  QLabel* lblSimCRCSeed;
  QSpinBox* speTSTagNo;
  QCheckBox* ckbTSInc;
  QSpinBox* speSimAlgorithmNumber;
  QSpinBox* speSimPeriod_4;
  QComboBox* cmbSimTagType;
  QSpinBox* speTSDelay;
  QSpinBox* speTagSimNumTTOPages;
  QSpinBox* speTagSimNumRepeats;
  QLabel* lblSimStatus;
  QPlainTextEdit* memSimIncoming;
};

}  // namespace corvalis
