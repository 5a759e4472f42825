#include "app/ui/ChannelStatusBar.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

namespace corvalis {
namespace {

constexpr int kSquare = 10;
const QColor kOpenFill(128, 255, 255);
const QColor kOpenMark(128, 255, 128);

}  // namespace

PanelColours ColoursFor(const ChannelPanel& panel, const QColor& buttonFace) {
  PanelColours colours;
  colours.background = panel.open ? kOpenFill : buttonFace;
  colours.mark = panel.open ? kOpenMark : QColor(Qt::red);
  if (panel.sendChannel && panel.tabChannel) {
    colours.markUpper = colours.markLower = true;
  } else {
    colours.markUpper = panel.tabChannel;
    colours.markLower = panel.sendChannel;
  }
  return colours;
}

ChannelStatusBar::ChannelStatusBar(QWidget* parent) : QStatusBar(parent) {
  setObjectName(QStringLiteral("StatusBar1"));
  setSizeGripEnabled(false);
  const QFontMetrics metrics = fontMetrics();
  firstWidth_ =
      std::max(kFirstPanelWidth, metrics.horizontalAdvance(QStringLiteral("00:00:00")) + 8);
  channelWidth_ = std::max(
      kChannelPanelWidth,
      metrics.horizontalAdvance(QStringLiteral("Chan 0: 000.000.000.000 00000")) + kSquare + 6);
}

QRect ChannelStatusBar::PanelRect(int panel) const {
  if (panel == 0) return QRect(0, 0, firstWidth_, height());
  return QRect(firstWidth_ + (panel - 1) * channelWidth_, 0, channelWidth_, height());
}

void ChannelStatusBar::SetTimeText(const QString& text) {
  if (text == timeText_) return;
  timeText_ = text;
  update(PanelRect(0));
}

void ChannelStatusBar::SetPanel(int channel, const ChannelPanel& panel) {
  ChannelPanel& mine = panels_[channel];
  if (mine.text == panel.text && mine.open == panel.open && mine.sendChannel == panel.sendChannel &&
      mine.tabChannel == panel.tabChannel && mine.receive == panel.receive &&
      mine.send == panel.send) {
    return;  // the idle console repaints nothing
  }
  mine = panel;
  update(PanelRect(channel + 1));
}

QString ChannelStatusBar::PanelText(int panel) const {
  if (panel == 0) return timeText_;
  if (panel < 0 || panel >= kPanelCount) return {};
  return panels_[panel - 1].text;
}

int ChannelStatusBar::PanelAt(int x) const {
  if (x < 0) return -1;
  if (x < firstWidth_) return 0;
  const int panel = 1 + (x - firstWidth_) / channelWidth_;
  return panel < kPanelCount ? panel : -1;
}

QSize ChannelStatusBar::sizeHint() const {
  const int height = fontMetrics().height() + 6;
  return QSize(firstWidth_ + kChannelCount * channelWidth_, height);
}

void ChannelStatusBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QColor face = palette().color(QPalette::Button);
  const int h = height();
  painter.fillRect(rect(), face);
  painter.setPen(palette().color(QPalette::WindowText));
  const QRect first = PanelRect(0);
  painter.drawText(first.adjusted(2, 1, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, timeText_);

  for (int ch = 0; ch < kChannelCount; ++ch) {
    const ChannelPanel& panel = panels_[ch];
    const QRect r = PanelRect(ch + 1);
    const PanelColours colours = ColoursFor(panel, face);
    painter.fillRect(r, colours.background);
    const int half = h / 2;
    if (colours.markUpper) painter.fillRect(QRect(r.left(), 0, r.width(), half), colours.mark);
    if (colours.markLower) {
      painter.fillRect(QRect(r.left(), half, r.width(), h - half), colours.mark);
    }
    const int squareLeft = r.right() - kSquare;
    if (panel.receive != 0) {
      painter.fillRect(QRect(squareLeft, 0, kSquare, half),
                       panel.receive > 1 ? QColor(Qt::red) : QColor(0, 255, 255));
    }
    if (panel.send != 0) {
      painter.fillRect(QRect(squareLeft, half, kSquare, h - half),
                       panel.send > 1 ? QColor(Qt::red) : QColor(0, 255, 0));
    }
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(Qt::black);
    painter.drawText(r.adjusted(2, 1, -kSquare, 0), Qt::AlignLeft | Qt::AlignVCenter, panel.text);
  }
}

void ChannelStatusBar::mousePressEvent(QMouseEvent* event) {
  pressedPanel_ = PanelAt(event->position().toPoint().x());
  QStatusBar::mousePressEvent(event);
}

void ChannelStatusBar::mouseDoubleClickEvent(QMouseEvent* event) {
  pressedPanel_ = PanelAt(event->position().toPoint().x());
  if (pressedPanel_ >= 0) {
    Q_EMIT panelDoubleClicked(pressedPanel_, event->modifiers().testFlag(Qt::ShiftModifier));
  }
}

void ChannelStatusBar::contextMenuEvent(QContextMenuEvent* event) {
  pressedPanel_ = PanelAt(event->pos().x());
  if (pressedPanel_ >= 1) Q_EMIT panelMenuRequested(pressedPanel_, event->globalPos());
}

bool ChannelStatusBar::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const QString text = PanelText(PanelAt(help->pos().x()));
    if (text.isEmpty()) {
      QToolTip::hideText();
    } else {
      QToolTip::showText(help->globalPos(), text, this);
    }
    return true;
  }
  return QStatusBar::event(event);
}

}  // namespace corvalis
