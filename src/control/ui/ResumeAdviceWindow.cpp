#include "control/ui/ResumeAdviceWindow.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace corvalis {

ResumeAdviceWindow::ResumeAdviceWindow(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmResumeAdvice"));
  setWindowTitle(QStringLiteral("Listening for a Suspended tag?"));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(
      QStringLiteral("Sending a resume command to a specific tag is not very useful."), this));
  layout->addWidget(new QLabel(QStringLiteral("If the tag is suspended then the reader will never "
                                              "get the trigger to send the RESUME command."),
                               this));
  ckbDontShowAgain = new QCheckBox(QStringLiteral("Don't Show This Message Again"), this);
  ckbDontShowAgain->setObjectName(QStringLiteral("ckbDontShowAgain"));
  layout->addWidget(ckbDontShowAgain);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);
}

void ResumeAdviceWindow::SetDontShowAgain(bool on) {
  ckbDontShowAgain->setChecked(on);
}

bool ResumeAdviceWindow::DontShowAgain() const {
  return ckbDontShowAgain->isChecked();
}

}  // namespace corvalis
