#include "tags/ui/DisplayWindow.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/ui/Named.h"

namespace corvalis {

DisplayWindow::DisplayWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("frmWindowDisp"));
  setWindowTitle(QStringLiteral("Display"));
  text_ = Named(new QLabel(this), "memDisplay");
  text_->setTextFormat(Qt::PlainText);
  text_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  text_->setAutoFillBackground(true);
  text_->setStyleSheet(QStringLiteral("background: black; color: #ffb000; padding: 6px"));
  clearButton_ = Named(new QPushButton(tr("Clear"), this), "btnClear");
  connect(clearButton_, &QPushButton::clicked, this, [this] {
    if (clear_) clear_();
  });
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(text_, 1);
  layout->addWidget(clearButton_, 0, Qt::AlignRight);
}

QString DisplayWindow::Text() const {
  return text_->text();
}

void DisplayWindow::ApplyLayout(const DisplaySettings& settings, bool shown) {
  QFont font(QString::fromStdString(settings.fontName), std::max(settings.fontSize, 1));
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setBold(settings.fontBold);
  text_->setFont(font);
  const QFontMetrics metrics(font);
  const int width = metrics.horizontalAdvance(QString(settings.windowCols, QLatin1Char('W')));
  text_->setFixedSize(width + 12, metrics.lineSpacing() * settings.windowRows + 12);
  adjustSize();
  setVisible(shown);
}

void DisplayWindow::ShowRows(const std::vector<std::string>& rows) {
  QStringList lines;
  for (const std::string& row : rows) lines << QString::fromLatin1(row);
  text_->setText(lines.join(QLatin1Char('\n')));
}

void DisplayWindow::closeEvent(QCloseEvent* event) {
  // It shows while the display type is "Window"; the setup decides that.
  event->ignore();
}

}  // namespace corvalis
