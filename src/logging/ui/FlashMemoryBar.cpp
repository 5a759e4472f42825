#include "logging/ui/FlashMemoryBar.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace corvalis {

FlashMemoryBar::FlashMemoryBar(QWidget* parent) : QWidget(parent) {
  setMinimumHeight(20);
  setToolTip(
      tr("Grey: deleted, green: played, blue: not played yet, white: free. "
         "Drag the handle to move the played mark; double-click for the status."));
}

void FlashMemoryBar::SetParts(int dirty, int played, int unplayed) {
  dirty_ = std::max(0, dirty);
  played_ = std::max(0, played);
  unplayed_ = std::max(0, unplayed);
  dragOffset_ = 0;
  update();
}

void FlashMemoryBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const int w = std::max(0, PartsWidth());
  const int h = height();
  const int unplayedBase = std::min(unplayed_, std::max(0, w - dirty_ - played_));
  const int played = std::clamp(played_ + dragOffset_, 0, played_ + unplayedBase);
  const int unplayed = unplayedBase - (played - played_);
  int x = 0;
  painter.fillRect(x, 0, dirty_, h, Qt::gray);
  x += dirty_;
  painter.fillRect(x, 0, played, h, QColor(0, 170, 0));
  x += played;
  painter.fillRect(x, 0, kHandleWidth, h, Qt::black);
  x += kHandleWidth;
  painter.fillRect(x, 0, unplayed, h, QColor(40, 90, 220));
  x += unplayed;
  painter.fillRect(x, 0, width() - x, h, Qt::white);
  painter.setPen(Qt::darkGray);
  painter.drawRect(0, 0, width() - 1, h - 1);
}

void FlashMemoryBar::mousePressEvent(QMouseEvent* event) {
  const int x = static_cast<int>(event->position().x());
  const int left = HandleLeft();
  if (event->button() == Qt::LeftButton && x >= left - 2 && x <= left + kHandleWidth + 2) {
    dragging_ = true;
    dragStart_ = x;
  }
}

void FlashMemoryBar::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return;
  dragOffset_ = static_cast<int>(event->position().x()) - dragStart_;
  update();
}

void FlashMemoryBar::mouseReleaseEvent(QMouseEvent* event) {
  if (!dragging_) return;
  dragging_ = false;
  const int pixels = static_cast<int>(event->position().x()) - dragStart_;
  if (pixels != 0 && onDragged) onDragged(pixels);
}

void FlashMemoryBar::mouseDoubleClickEvent(QMouseEvent*) {
  if (onDoubleClicked) onDoubleClicked();
}

}  // namespace corvalis
