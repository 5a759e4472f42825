#include "app/ui/ShuttingDown.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

namespace corvalis {

ShuttingDownWindow::ShuttingDownWindow(QWidget* parent)
    : QWidget(parent, Qt::Dialog), Gauge1(new QProgressBar) {
  setObjectName(QStringLiteral("frmShuttingDown"));
  setWindowTitle(QStringLiteral("Corvalis is Shutting Down"));
  Gauge1->setObjectName(QStringLiteral("Gauge1"));
  Gauge1->setRange(0, 100);
  Gauge1->setValue(0);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Saving the settings ...")));
  layout->addWidget(Gauge1);
  setFixedSize(320, 90);
}

ShuttingDownWindow::~ShuttingDownWindow() {
  if (cursorSet_) QApplication::restoreOverrideCursor();
}

void ShuttingDownWindow::Begin() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
  }
  Gauge1->setValue(0);
  if (!cursorSet_) QApplication::setOverrideCursor(Qt::WaitCursor);
  cursorSet_ = true;
  show();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ShuttingDownWindow::SetProgress(int value) {
  Gauge1->setValue(value);
  if (isVisible()) Gauge1->repaint();
}

void ShuttingDownWindow::End() {
  hide();
  if (cursorSet_) QApplication::restoreOverrideCursor();
  cursorSet_ = false;
}

}  // namespace corvalis
