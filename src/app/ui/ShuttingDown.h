#pragma once

#include <QWidget>

class QProgressBar;

namespace corvalis {

// "Corvalis is Shutting Down": shown in the screen centre with an hour-glass
// cursor while the settings are saved; the gauge runs from 0 to 100.
class TfrmShuttingDown final : public QWidget {
  Q_OBJECT

 public:
  explicit TfrmShuttingDown(QWidget* parent = nullptr);
  ~TfrmShuttingDown() override;

  void Begin();
  // Moves the gauge and lets the window paint it.
  void SetProgress(int value);
  void End();

  QProgressBar* Gauge1;

 private:
  bool cursorSet_ = false;
};

}  // namespace corvalis
