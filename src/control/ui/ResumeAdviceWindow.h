#pragma once

#include <QDialog>

class QCheckBox;

namespace corvalis {

// Advice before a Resume is sent to anything but the immediate target.
class ResumeAdviceWindow final : public QDialog {
  Q_OBJECT

 public:
  explicit ResumeAdviceWindow(QWidget* parent = nullptr);

  // "Don't show this again": cleared before each showing, read after it.
  void SetDontShowAgain(bool on);
  bool DontShowAgain() const;

 private:
  QCheckBox* ckbDontShowAgain;
};

}  // namespace corvalis
