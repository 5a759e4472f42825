#include "control/ui/ReaderSmallDialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "common/ui/Named.h"

namespace corvalis {
namespace {

QDialogButtonBox* OkCancel(QDialog* dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  Named(buttons->button(QDialogButtonBox::Ok), "btnOK");
  Named(buttons->button(QDialogButtonBox::Cancel), "btnCancel");
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

std::string Text(const QLineEdit* edit) {
  return edit->text().trimmed().toStdString();
}

}  // namespace

ValueDialog::ValueDialog(const char* name, const QString& caption, const QString& label,
                         const char* spinName, int minimum, int maximum, QWidget* parent)
    : QDialog(parent), spin_(Named(new QSpinBox(this), spinName)) {
  setObjectName(QLatin1String(name));
  setWindowTitle(caption);
  spin_->setRange(minimum, maximum);
  auto* form = new QFormLayout(this);
  form->addRow(label, spin_);
  form->addRow(OkCancel(this));
}

void ValueDialog::SetValue(int value) {
  spin_->setValue(value);
}

int ValueDialog::Value() const {
  return spin_->value();
}

TagSelectDialog::TagSelectDialog(QWidget* parent)
    : QDialog(parent),
      edtSelectPattern(Named(new QLineEdit(this), "edtSelectPattern")),
      edtSelectMask(Named(new QLineEdit(this), "edtSelectMask")),
      edtRejectPattern(Named(new QLineEdit(this), "edtRejectPattern")),
      edtRejectMask(Named(new QLineEdit(this), "edtRejectMask")),
      lblProblem(Named(new QLabel(this), "lblProblem")) {
  setObjectName(QStringLiteral("frmSetTagSelect"));
  setWindowTitle(QStringLiteral("Tag Select Patterns and Masks"));
  auto* form = new QFormLayout(this);
  for (QLineEdit* edit : {edtSelectPattern, edtSelectMask, edtRejectPattern, edtRejectMask}) {
    edit->setMaxLength(16);
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QString(18, QLatin1Char('0'))));
  }
  form->addRow(QStringLiteral("Select pattern"), edtSelectPattern);
  form->addRow(QStringLiteral("Select mask"), edtSelectMask);
  form->addRow(QStringLiteral("Reject pattern"), edtRejectPattern);
  form->addRow(QStringLiteral("Reject mask"), edtRejectMask);
  auto* all = Named(new QPushButton(QStringLiteral("All"), this), "btnAll");
  all->setToolTip(QStringLiteral("Accept all tags"));
  connect(all, &QPushButton::clicked, this, [this] { SetValues(FilterValues{}); });
  form->addRow(all);
  lblProblem->setStyleSheet(QStringLiteral("color: red"));
  form->addRow(lblProblem);
  form->addRow(OkCancel(this));
  SetValues(FilterValues{});
}

void TagSelectDialog::SetValues(const FilterValues& values) {
  edtSelectPattern->setText(QString::fromStdString(values.selectPattern));
  edtSelectMask->setText(QString::fromStdString(values.selectMask));
  edtRejectPattern->setText(QString::fromStdString(values.rejectPattern));
  edtRejectMask->setText(QString::fromStdString(values.rejectMask));
  lblProblem->clear();
}

FilterValues TagSelectDialog::Values() const {
  return {Text(edtSelectPattern), Text(edtSelectMask), Text(edtRejectPattern), Text(edtRejectMask)};
}

QString TagSelectDialog::Problem() const {
  return QString::fromStdString(SendAllPatterns(Values()).message);
}

void TagSelectDialog::accept() {
  const QString problem = Problem();
  lblProblem->setText(problem);
  if (problem.isEmpty()) QDialog::accept();
}

}  // namespace corvalis
