#include "logging/ui/ImportProgressWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "logging/ImportPassCloser.h"
#include "tags/TagTable.h"

namespace corvalis {
namespace {

const char kFilter[] = "Log file (*.log);;Text file (*.txt);;All files (*)";

QString LineText(int64_t lines) {
  return QStringLiteral("Line: %1").arg(lines);
}

}  // namespace

ImportProgressWindow::ImportProgressWindow(QWidget* parent, MessageReceiver& receiver,
                                           TagTable& table, const Clock& clock)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      replay_(receiver),
      table_(table),
      clock_(clock) {
  setObjectName(QStringLiteral("frmLoadLogFile"));
  setWindowTitle(QStringLiteral("Loading Log File"));
  lblLineNo = new QLabel(QStringLiteral("LineNo: 0"), this);
  lblLineNo->setObjectName(QStringLiteral("lblLineNo"));
  cgLoadLogFileProgress = new QProgressBar(this);
  cgLoadLogFileProgress->setObjectName(QStringLiteral("cgLoadLogFileProgress"));
  cgLoadLogFileProgress->setRange(0, 100);
  cgLoadLogFileProgress->setValue(0);
  btnStop = new QPushButton(QStringLiteral("Stop Loading Log File"), this);
  btnStop->setObjectName(QStringLiteral("btnStop"));
  btnPause = new QPushButton(QStringLiteral("Pause"), this);
  btnPause->setObjectName(QStringLiteral("btnPause"));

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnStop);
  buttons->addWidget(btnPause);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblLineNo);
  layout->addWidget(cgLoadLogFileProgress);
  layout->addLayout(buttons);
  setMinimumWidth(320);

  connect(btnStop, &QPushButton::clicked, this, &ImportProgressWindow::StopImport);
  connect(btnPause, &QPushButton::clicked, this, &ImportProgressWindow::TogglePause);
}

void ImportProgressWindow::ImportLogFile() {
  if (running_) return;
  const QString path = prompts_.chooseFile
                           ? prompts_.chooseFile(parentWidget())
                           : QFileDialog::getOpenFileName(parentWidget(), QString(), QString(),
                                                          QString::fromLatin1(kFilter));
  if (path.isEmpty()) return;
  ReplayLogFile(path);
}

int ImportProgressWindow::ReplayLogFile(const QString& path) {
  if (running_) return 0;
  const std::string file = QFile::encodeName(path).toStdString();
  ImportPassCloser closer(table_, clock_);
  running_ = true;
  stop_ = false;
  pause_ = false;
  btnPause->setText(QStringLiteral("Pause"));
  lblLineNo->setText(QStringLiteral("LineNo: 0"));
  emit runningChanged(true);
  show();
  closer_ = &closer;
  const bool opened = replay_.Replay(file, *this, summary_);
  closer_ = nullptr;
  running_ = false;
  hide();
  emit runningChanged(false);
  if (!opened) {
    const QString title = QStringLiteral("Open Failure");
    const QString text = QString::fromStdString(LogReplay::OpenFailureText(file));
    if (prompts_.reportFailure) {
      prompts_.reportFailure(parentWidget(), title, text);
    } else {
      QMessageBox::warning(parentWidget(), title, text);
    }
    return 1;
  }
  QApplication::beep();
  QApplication::beep();
  return 0;
}

void ImportProgressWindow::StopImport() {
  stop_ = true;
  pause_ = false;
  btnPause->setText(QStringLiteral("Pause"));
}

void ImportProgressWindow::TogglePause() {
  pause_ = !pause_;
  btnPause->setText(pause_ ? QStringLiteral("Resume") : QStringLiteral("Pause"));
}

void ImportProgressWindow::AfterRecord(const ImportRecord&) {
  if (closer_ != nullptr) closer_->AfterRecord();
  QCoreApplication::processEvents();
}

void ImportProgressWindow::ShowProgress(int64_t lines, int percent) {
  lblLineNo->setText(LineText(lines));
  cgLoadLogFileProgress->setValue(percent);
}

void ImportProgressWindow::WaitWhilePaused(int64_t lines) {
  if (!pause_) return;
  lblLineNo->setText(LineText(lines));
  while (pause_ && !stop_) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void ImportProgressWindow::closeEvent(QCloseEvent* event) {
  // Only the import itself hides the window.
  if (running_) event->ignore();
}

}  // namespace corvalis
