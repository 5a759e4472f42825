#pragma once

#include <QColor>
#include <QStatusBar>
#include <QString>

#include <array>

#include "common/ChannelIndex.h"

namespace corvalis {

// What one channel panel shows.
struct ChannelPanel {
  QString text;
  bool open = false;
  bool sendChannel = false;  // the channel commands go to
  bool tabChannel = false;   // the channel the active page works with
  int receive = 0;           // activity since the last second; above 1: an error
  int send = 0;
};

// The colours of a channel panel, worked out apart from the painting.
struct PanelColours {
  QColor background;
  QColor mark;  // the send/tab channel marks
  bool markUpper = false;
  bool markLower = false;
};
PanelColours ColoursFor(const ChannelPanel& panel, const QColor& buttonFace);

// The channel status bar: panel 0 (the time of day) and one drawn panel per
// channel, light cyan while open, with the send channel marked in the lower
// half, the active page's channel in the upper half, and two activity
// squares at the right end. The mouse commands are the window's part: the
// bar only tells which panel was hit.
class ChannelStatusBar final : public QStatusBar {
  Q_OBJECT

 public:
  static constexpr int kPanelCount = kChannelCount + 1;
  // The narrowest panels; they widen so that a whole TCP address fits.
  static constexpr int kFirstPanelWidth = 55;
  static constexpr int kChannelPanelWidth = 115;

  explicit ChannelStatusBar(QWidget* parent = nullptr);

  void SetTimeText(const QString& text);
  void SetPanel(int channel, const ChannelPanel& panel);
  const ChannelPanel& Panel(int channel) const { return panels_[channel]; }
  // Panel 0 and the channel panels' texts, as the hint shows them.
  QString PanelText(int panel) const;
  // The panel at x (0 = the time, n = channel n), or -1 right of them.
  int PanelAt(int x) const;
  // The panel under the last mouse press.
  int PressedPanel() const { return pressedPanel_; }

  QSize sizeHint() const override;

 Q_SIGNALS:
  void panelDoubleClicked(int panel, bool shift);
  void panelMenuRequested(int panel, const QPoint& globalPos);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool event(QEvent* event) override;

 private:
  QRect PanelRect(int panel) const;

  int firstWidth_ = kFirstPanelWidth;
  int channelWidth_ = kChannelPanelWidth;
  QString timeText_;
  std::array<ChannelPanel, kChannelCount> panels_{};
  int pressedPanel_ = -1;
};

}  // namespace corvalis
