#pragma once

#include <QWidget>

#include <functional>

#include "tags/display/ExternalDisplay.h"

class QLabel;
class QPushButton;

namespace corvalis {

// The on-screen display (frmWindowDisp): a borderless text area of the
// configured rows, columns and font that imitates a sign. The user cannot
// close it; its Clear button clears the display.
class DisplayWindow final : public QWidget, public DisplayWindowView {
  Q_OBJECT

 public:
  explicit DisplayWindow(QWidget* parent = nullptr);

  // The Clear button's action (the display's "Clear Display").
  void SetClearAction(std::function<void()> clear) { clear_ = std::move(clear); }
  QString Text() const;

  // DisplayWindowView
  void ApplyLayout(const DisplaySettings& settings, bool shown) override;
  void ShowRows(const std::vector<std::string>& rows) override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QLabel* text_;
  QPushButton* clearButton_;
  std::function<void()> clear_;
};

}  // namespace corvalis
