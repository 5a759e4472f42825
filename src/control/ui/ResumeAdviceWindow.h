#pragma once

#include <QDialog>

class QCheckBox;

namespace corvalis {

// Advice before a Resume is sent to anything but the immediate target.
class TfrmResumeAdvice final : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmResumeAdvice(QWidget* parent = nullptr);
  QCheckBox* ckbDontShowAgain;
};

}  // namespace corvalis
