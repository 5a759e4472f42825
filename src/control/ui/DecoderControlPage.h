#pragma once

#include <QWidget>

#include <array>
#include <functional>

#include "control/ReaderConfiguration.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace corvalis {

class AppContext;

// The Decoder Control tab: the decoder FPGA's status, error counts and
// configuration, on the commander's channel and reader ID. Replies 0x2b,
// 0x3b and 0x45 come through the reader configuration logic; the tab shows
// what each holds and hides what a decoder generation does not have.
class DecoderControlPage final : public QWidget, public ReaderConfigListener {
  Q_OBJECT

 public:
  DecoderControlPage(AppContext& context, std::function<int()> channel,
                     std::function<int()> readerId, QWidget* parent = nullptr);
  ~DecoderControlPage() override;

  // The configuration the "FPGA Configuration" group shows.
  DecoderConfig ConfigShown() const;
  void SendConfig();

  // ReaderConfigListener
  void DecoderReplyTaken(int code) override;

 private:
  QGroupBox* BuildStatus();
  QGroupBox* BuildConfiguration();
  QGroupBox* BuildErrorCounts();
  void ShowStatus(const DecoderStatus& status);
  void ShowConfig(const DecoderConfig& config);
  void ShowErrorCounts(const std::array<int, 6>& counts);
  void RelabelModeBoxes(bool relabelled);
  void ShowZoom();
  void Target();

  ReaderConfiguration& config_;
  std::function<int()> channel_;
  std::function<int()> readerId_;

  QSpinBox* speDCUpdateInterval;
  QPushButton* btnDCSendConfig;
  QLabel* lblDCErrors;
  QLabel* lblDCOverruns;
  QLabel* lblDCUnsupportedCommand;
  QWidget* statusFields_;
  QWidget* counters_;
  QLabel* lblDCFPGAVersion;
  QCheckBox* ckbDCTimeout;
  QCheckBox* ckbDCBufferOverrun;
  QCheckBox* ckbDCEdgeCountFull;
  QCheckBox* ckbDCCRCCountFull;
  std::array<QLabel*, 4> edges_{};
  std::array<QLabel*, 4> crcs_{};
  std::array<QLabel*, 2> levels_{};
  std::array<QWidget*, 4> channel34_{};  // the channel 3 and 4 labels and values
  QLabel* lblDCConfig;
  QLabel* lblDCControl;
  QLabel* lblDCIOsVal;
  QCheckBox* ckbDCTxOff;
  QCheckBox* ckbDCModulate;
  QCheckBox* ckbDCReset;
  QRadioButton* rbtDCZoomEdges;
  QRadioButton* rbtDCZoomCRC;
  QRadioButton* rbtDCZoomLevel;
  QLabel* lblDCZoom1;
  QLabel* lblDCZoom2;

  QGroupBox* configGroup_;
  QCheckBox* ckbDCInvert;
  QCheckBox* ckbDCFilterBypass;
  QComboBox* cmbDCTagBaud;
  QCheckBox* ckbDCTxOffInvert;
  QCheckBox* ckbDCSynth;
  QCheckBox* ckbDCDutyCycle;
  QCheckBox* ckbDCMode;
  QLabel* lblDCAttenuation;
  QSpinBox* speDCAttenuation;
  QCheckBox* ckbUseSpecificMode;
  QComboBox* cmbDCRWTimeout;
  QComboBox* cmbDCRWAddressMode;
  QSpinBox* speDCExpectedTTOPages;

  QGroupBox* errorGroup_;
  std::array<QLabel*, 6> errorCounts_{};
};

}  // namespace corvalis
