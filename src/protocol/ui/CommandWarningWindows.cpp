#include "protocol/ui/CommandWarningWindows.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

namespace corvalis {

WarningWindow::WarningWindow(const QString& caption, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
  setWindowTitle(caption);
  setAttribute(Qt::WA_ShowWithoutActivating);
  new QVBoxLayout(this);
}

QLabel* WarningWindow::AddLabel(const char* name, const QString& text) {
  auto* label = new QLabel(text, this);
  label->setObjectName(name);
  layout()->addWidget(label);
  return label;
}

void WarningWindow::ShowOnTop() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().topLeft());
  }
  show();
  raise();
}

void WarningWindow::HideIfVisible() {
  if (isVisible()) hide();
}

NoReplyWarning::NoReplyWarning(QWidget* parent)
    : WarningWindow("No Reply To Command", parent),
      lblNoReply(AddLabel("lblNoReply", "No reply was received to a transmitted command")),
      lblCheckReader(AddLabel("lblCheckReader", "Check reader ")),
      lblCheckChannel(AddLabel("lblCheckChannel", "Check Channel")),
      lblCheckCable(AddLabel("lblCheckCable", "Check serial cable")),
      lblCheckPort(AddLabel("lblCheckPort", "Check Serial Port")),
      lblCheckReaderId(AddLabel("lblCheckReaderId", "Check Reader ID")) {
  setObjectName("frmNoReplyToCommand");
}

ChannelClosedWarning::ChannelClosedWarning(QWidget* parent)
    : WarningWindow("The selected channel is closed", parent),
      lblChannelClosed(
          AddLabel("lblChannelClosed", "The channel selected for command output is closed")) {
  setObjectName("frmChannelClosed");
}

BadCommandWarning::BadCommandWarning(QWidget* parent)
    : WarningWindow("Bad Command", parent), lblErrorMessage(AddLabel("lblErrorMessage", "")) {
  setObjectName("frmBadCommand");
}

void BadCommandWarning::SetMessage(const QString& message) {
  lblErrorMessage->setText(message);
}

void CommandWarningWindows::ShowBadCommand(std::string_view message) {
  badCommand_.SetMessage(
      QString::fromLatin1(message.data(), static_cast<qsizetype>(message.size())));
  badCommand_.adjustSize();
  badCommand_.ShowOnTop();
}

}  // namespace corvalis
