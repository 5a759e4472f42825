#pragma once

#include <QDialog>

#include "control/ReaderConfigBodies.h"

class QLabel;
class QLineEdit;
class QSpinBox;

namespace corvalis {

// One number with OK and Cancel: "Set Event Timeout" (seconds) and "Set
// Beep Time" (units of 10 ms).
class ValueDialog final : public QDialog {
  Q_OBJECT

 public:
  ValueDialog(const char* name, const QString& caption, const QString& label, const char* spinName,
              int minimum, int maximum, QWidget* parent = nullptr);
  void SetValue(int value);
  int Value() const;

 private:
  QSpinBox* spin_;
};

// "Tag Select Patterns and Masks": four 16-digit hexadecimal fields. OK
// keeps the dialog open with a message while a field is not 16 hex digits.
class TagSelectDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit TagSelectDialog(QWidget* parent = nullptr);
  void SetValues(const FilterValues& values);
  FilterValues Values() const;
  // Why OK refuses, or empty.
  QString Problem() const;

  void accept() override;

 private:
  QLineEdit* edtSelectPattern;
  QLineEdit* edtSelectMask;
  QLineEdit* edtRejectPattern;
  QLineEdit* edtRejectMask;
  QLabel* lblProblem;
};

}  // namespace corvalis
