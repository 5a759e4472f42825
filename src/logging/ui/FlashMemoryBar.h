#pragma once

#include <QWidget>
#include <functional>

namespace corvalis {

// The flash memory as one bar: dirty, played, recorded but not played, and
// free, left to right. The handle between played and not played can be
// dragged; on release the bar reports the pixels it moved.
class FlashMemoryBar final : public QWidget {
 public:
  static constexpr int kHandleWidth = 6;

  explicit FlashMemoryBar(QWidget* parent = nullptr);

  // Parts in pixels of the width without the handle.
  void SetParts(int dirty, int played, int unplayed);
  // The width the parts share.
  int PartsWidth() const { return width() - kHandleWidth; }

  std::function<void(int pixels)> onDragged;
  std::function<void()> onDoubleClicked;

  QSize sizeHint() const override { return {400, 28}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  int HandleLeft() const { return dirty_ + played_ + dragOffset_; }

  int dirty_ = 0;
  int played_ = 0;
  int unplayed_ = 0;
  bool dragging_ = false;
  int dragStart_ = 0;
  int dragOffset_ = 0;
};

}  // namespace corvalis
