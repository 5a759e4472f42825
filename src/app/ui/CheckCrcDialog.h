#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace corvalis {

// "Check CRC": the three CRCs a tag's last four digits may be, computed over
// its first 12 digits; the panel of the one that matches turns lime.
class CheckCrcDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit CheckCrcDialog(QWidget* parent = nullptr);

  // Shows `tagId` (16 hex digits from a tag list or grid cell) and puts its
  // first 12 digits into the code box.
  void ShowTagId(const QString& tagId);
  // ShowTagId, then runs the dialog modally ("Check ID CRC", "Check Cell CRC").
  void Check(const QString& tagId);

  // Whether the panel's CRC equals digits 13 to 16 of the shown ID.
  static bool Matches(const QLabel* panel);

 private:
  QLabel* pnlTagID;
  QLineEdit* edtTagCode;
  QLabel* lblCRC_KVQ;
  QLabel* lblCRC_R5180;
  QLabel* lblCRC_CCITT;
  QPushButton* btnOK;
  void UpdateCrcs();
};

}  // namespace corvalis
