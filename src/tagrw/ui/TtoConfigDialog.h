#pragma once

#include <QDialog>
#include <array>
#include <string>
#include <string_view>

#include "tagrw/TtoConfig.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;
class QSpinBox;

namespace corvalis {

// "Q2-TTO Configuration settings": page 15 taken apart into its trim,
// configuration word and lock mask, and the way the page CRCs are made.
class TtoConfigDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit TtoConfigDialog(QWidget* parent = nullptr);

  // The fields from the configuration page; a page that is not 16 hex digits
  // leaves them as they were.
  void TakeApart(std::string_view page);
  // The word, the trim, "00ffff" and the lock mask, lower case.
  std::string Compose() const;
  void SetCrcChoice(const PageCrcChoice& choice);
  PageCrcChoice CrcChoice() const;

 private:
  QSpinBox* speTrim;
  QLabel* lblTrimHexValue;
  QComboBox* cbxCmdTamper;
  QComboBox* cbxCmdDelay;
  QComboBox* cbxCmdTagTxRate;
  QSpinBox* speTTOStartPage;
  QSpinBox* speTTONumPages;
  std::array<QCheckBox*, 16> ckbLock{};
  QCheckBox* ckbShift;
  QRadioButton* rbtKVQ;
  QRadioButton* rbtR5180;
  QRadioButton* rbtCCITT;
};

}  // namespace corvalis
