#pragma once

#include <QWidget>

class QProgressBar;

namespace corvalis {

// "Corvalis is Shutting Down": shown in the screen centre with an hour-glass
// cursor while the settings are saved; the gauge runs from 0 to 100.
class ShuttingDownWindow final : public QWidget {
  Q_OBJECT

 public:
  explicit ShuttingDownWindow(QWidget* parent = nullptr);
  ~ShuttingDownWindow() override;

  void Begin();
  // Moves the gauge and lets the window paint it.
  void SetProgress(int value);
  void End();

 private:
  QProgressBar* Gauge1;
  bool cursorSet_ = false;
};

}  // namespace corvalis
