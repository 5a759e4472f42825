#pragma once

#include <QDialog>

#include <array>

#include "tags/display/DisplaySettings.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QTableWidget;

namespace corvalis {

// "Display Setup" (dlgDisplaySetup): every setting of the external display.
// The type buttons show only the fields of the chosen type; "Defaults" puts
// every field back to its default; the font button picks the on-screen
// display's font. OK refuses a byte field that is not 0 to 255 (decimal or
// "0x" hex) and says which.
class DisplaySetupDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit DisplaySetupDialog(QWidget* parent = nullptr);

  void Load(const DisplaySettings& settings);
  // The fields as settings; false with `problem` naming the first bad field.
  bool Read(DisplaySettings& settings, QString& problem) const;

  // Shows the dialog modally with `settings`; true and the new settings
  // after OK.
  bool Edit(DisplaySettings& settings);

  void accept() override;

 private:
  struct ByteFields {
    QLineEdit* signAddress;
    QLineEdit* serst;
    QLineEdit* pageNumber;
    QLineEdit* tempo;
    QLineEdit* function;
    QLineEdit* pageStatus;
  };
  QGroupBox* BuildSignGroup();
  void ShowFieldsOfType();
  void SetWindowRows(int rows);
  DisplayType ChosenType() const;
  void ShowFont();

  DisplaySettings loaded_;
  QRadioButton* rbtMessageBoard;
  QRadioButton* rbtPolycomp16x1;
  QRadioButton* rbtPolycomp16x5;
  QRadioButton* rbtWindow;
  QButtonGroup* typeGroup_;
  QGroupBox* grpMessageBoard;
  QGroupBox* grpPolycomp;
  QGroupBox* grpWindow;
  QSpinBox* speDisplayAddress;
  QLineEdit* edtMessageID;
  QSpinBox* speDisplayWidth;
  QSpinBox* speLifetime;
  QLineEdit* edtMessagePrefix;
  QLineEdit* edtMessageSuffix;
  QLineEdit* edtIdleMessage;
  QSpinBox* speIdleLifetime;
  ByteFields normal_;
  ByteFields idle_;
  QLabel* lblPoly16x1Line;
  QLineEdit* edtPoly16x1Line;
  std::array<QLabel*, kPolycomp16x5Lines> lblPoly16x5Line_;
  std::array<QLineEdit*, kPolycomp16x5Lines> edtPoly16x5Line_;
  QSpinBox* speWindowCols;
  QSpinBox* speWindowRows;
  QTableWidget* stgWindowLines;
  QLabel* lblFont;
  QCheckBox* ckbFontBold;
  QLabel* lblProblem;
  QString fontName_;
  int fontSize_ = 16;
};

}  // namespace corvalis
