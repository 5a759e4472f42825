#include "control/ui/ReaderControlPanel.h"
#include "common/ui/ChannelCombo.h"
#include "common/ui/Named.h"

#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "app/AppContext.h"
#include "app/Settings.h"
#include "control/ui/DecoderCommsSettingsDialog.h"
#include "control/ui/HistoryCombo.h"
#include "control/ui/ModifierButton.h"

namespace corvalis {
namespace {

const char* const kMessageCaptions[kMessageListItems] = {
    "Get Date/Time",
    "Set Date/Time",
    "Get Stats",
    "Set Configuration ...",
    "Set CRC for R5180",
    "Set CRC for Qn tags",
    "Ignore CRC",
    "Try Both CRCs",
    "Normal CRC checking",
    "Set ASCII mode, 9600 baud",
    "Set ASCII mode, 19200 baud",
    "Set Binary mode, 9600 baud",
    "Set Binary mode, 19200 baud",
    "ASCII, 9600, Xon/Xoff",
    "Set Synth 0",
    "Set Synth 1",
    "Set Synth 2",
    "Set Synth 3",
    "Xon",
    "Xoff",
};

}  // namespace

ReaderControlPanel::ReaderControlPanel(AppContext& context, QWidget* parent)
    : QGroupBox(QStringLiteral("Reader control"), parent), context_(context) {
  setObjectName(QStringLiteral("grpReaderControl"));
  cmbSendChannel = NewChannelCombo("cmbSendChannel", this);
  cmbSendOwnText = new QComboBox(this);
  SetUpHistoryCombo(cmbSendOwnText, QStringLiteral("cmbSendOwnText"));
  cmbSendOwnText->setMinimumContentsLength(24);
  btnSend = Named(new ModifierButton(QStringLiteral("&Send"), this), "btnSend");
  cmbMessage = Named(new QComboBox(this), "cmbMessage");
  for (const char* caption : kMessageCaptions) cmbMessage->addItem(QLatin1String(caption));
  btnSendCommand = Named(new QPushButton(QStringLiteral("S&end"), this), "btnSendCommand");
  btnTxOn = Named(new QPushButton(QStringLiteral("Tx On"), this), "btnTxOn");
  btnTxOff = Named(new QPushButton(QStringLiteral("Tx Off"), this), "btnTxOff");
  btnAuxOn = Named(new QPushButton(QStringLiteral("Aux On"), this), "btnAuxOn");
  btnAuxOff = Named(new QPushButton(QStringLiteral("Aux Off"), this), "btnAuxOff");
  btnXon = Named(new ModifierButton(QStringLiteral("Xon"), this), "btnXon");
  btnXoff = Named(new QPushButton(QStringLiteral("Xoff"), this), "btnXoff");
  speUpdateInterval = Named(new QSpinBox(this), "speUpdateInterval");
  speUpdateInterval->setRange(0, 3600);
  speUpdateInterval->setSuffix(QStringLiteral(" s"));
  btnUpdate = Named(new QPushButton(QStringLiteral("&Update"), this), "btnUpdate");
  speReaderID = Named(new QSpinBox(this), "speReaderID");
  speReaderID->setRange(0, 255);
  commsDialog_ = new DecoderCommsSettingsDialog(this);

  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(QStringLiteral("Channel"), this), 0, 0);
  grid->addWidget(cmbSendChannel, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("Reader ID"), this), 0, 2);
  grid->addWidget(speReaderID, 0, 3);
  grid->addWidget(cmbSendOwnText, 1, 0, 1, 3);
  grid->addWidget(btnSend, 1, 3);
  grid->addWidget(cmbMessage, 2, 0, 1, 3);
  grid->addWidget(btnSendCommand, 2, 3);
  grid->addWidget(btnTxOn, 3, 0);
  grid->addWidget(btnTxOff, 3, 1);
  grid->addWidget(btnAuxOn, 3, 2);
  grid->addWidget(btnAuxOff, 3, 3);
  grid->addWidget(btnXon, 4, 0);
  grid->addWidget(btnXoff, 4, 1);
  grid->addWidget(speUpdateInterval, 4, 2);
  grid->addWidget(btnUpdate, 4, 3);

  connect(btnSend, &QPushButton::clicked, this, [this] { SendOwnText(btnSend->ShiftHeld()); });
  cmbSendOwnText->lineEdit()->installEventFilter(this);
  connect(btnSendCommand, &QPushButton::clicked, this, &ReaderControlPanel::SendChosenCommand);
  connect(cmbMessage, &QComboBox::activated, this, [this](int index) {
    if (index == kSetConfiguration) ChooseCommsSettings();
  });
  connect(btnTxOn, &QPushButton::clicked, this, [this] { SendFramed("010601"); });
  connect(btnTxOff, &QPushButton::clicked, this, [this] { SendFramed("010600"); });
  connect(btnAuxOn, &QPushButton::clicked, this, [this] { SendFramed("010701"); });
  connect(btnAuxOff, &QPushButton::clicked, this, [this] { SendFramed("010700"); });
  connect(btnXon, &QPushButton::clicked, this, [this] { SendXon(btnXon->ShiftHeld()); });
  connect(btnXoff, &QPushButton::clicked, this, &ReaderControlPanel::SendXoff);
  connect(speUpdateInterval, &QSpinBox::valueChanged, this,
          [this](int seconds) { context_.SetStatusUpdateInterval(seconds); });
  connect(btnUpdate, &QPushButton::clicked, this, [this] { context_.UpdateStatusNow(); });
  // The automatic update asks the reader this panel addresses.
  connect(cmbSendChannel, &QComboBox::currentIndexChanged, this,
          &ReaderControlPanel::UpdateStatusTarget);
  connect(speReaderID, &QSpinBox::valueChanged, this, &ReaderControlPanel::UpdateStatusTarget);
  UpdateStatusTarget();
}

bool ReaderControlPanel::eventFilter(QObject* watched, QEvent* event) {
  // Enter is taken here: the line edit would also pass it on to the
  // drop-down, which hands it back, and the text would go out twice.
  if (watched == cmbSendOwnText->lineEdit() && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      SendOwnText(false);
      return true;
    }
  }
  return QGroupBox::eventFilter(watched, event);
}

void ReaderControlPanel::LoadFromSettings(const Settings& settings) {
  cmbSendChannel->setCurrentIndex(settings.Integer(Setting::SendChan));
  cmbMessage->setCurrentIndex(settings.Integer(Setting::SendMsgIndex));
  speReaderID->setValue(settings.Integer(Setting::ReaderID));
  const QStringList history = settings.History(QStringLiteral("cmbSendOwnText"));
  if (!history.isEmpty()) SetHistoryItems(cmbSendOwnText, history);
}

void ReaderControlPanel::StoreToSettings(Settings& settings) const {
  settings.SetInteger(Setting::SendChan, cmbSendChannel->currentIndex());
  settings.SetInteger(Setting::SendMsgIndex, cmbMessage->currentIndex());
  settings.SetInteger(Setting::ReaderID, speReaderID->value());
  settings.History(QStringLiteral("cmbSendOwnText")) = HistoryItems(cmbSendOwnText);
}

int ReaderControlPanel::SendChannel() const {
  const int channel = cmbSendChannel->currentIndex();
  return IsValidChannel(channel) ? channel : -1;
}

void ReaderControlPanel::SetSendChannel(int channel) {
  cmbSendChannel->setCurrentIndex(channel);
}

void ReaderControlPanel::SendOwnText(bool raw) {
  const int channel = SendChannel();
  if (channel < 0) return;
  // An empty field only brings back the last entry.
  const bool empty = cmbSendOwnText->currentText().isEmpty();
  AddToHistory(cmbSendOwnText);
  if (empty) return;
  const QByteArray typed = cmbSendOwnText->currentText().toLatin1();
  context_.console().SendFreeText(channel, std::string_view(typed.constData(), typed.size()), raw);
}

void ReaderControlPanel::SendChosenCommand() {
  const int channel = SendChannel();
  if (channel < 0) return;
  context_.console().SendPredefinedCommand(channel, speReaderID->value(),
                                           cmbMessage->currentIndex());
}

void ReaderControlPanel::SendXon(bool shifted) {
  const int channel = SendChannel();
  if (channel >= 0) context_.console().SendToChannel(channel, shifted ? "\x02" : "\x11");
}

void ReaderControlPanel::SendXoff() {
  const int channel = SendChannel();
  if (channel >= 0) context_.console().SendToChannel(channel, "\x13");
}

void ReaderControlPanel::SendFramed(const char* body) {
  const int channel = SendChannel();
  if (channel >= 0) context_.console().SendReaderCommand(channel, speReaderID->value(), body);
}

void ReaderControlPanel::ChooseCommsSettings() {
  commsDialog_->SetChoice(context_.console().commsChoice());
  const bool accepted =
      runDialog_ ? runDialog_(*commsDialog_) : commsDialog_->exec() == QDialog::Accepted;
  if (!accepted) return;
  const DecoderCommsChoice choice = commsDialog_->Choice();
  context_.ApplyDecoderComms(choice, SendChannel());
  Q_EMIT commsSettingsChosen(choice);
}

void ReaderControlPanel::UpdateStatusTarget() {
  context_.SetStatusUpdateTarget(SendChannel(), speReaderID->value());
}

}  // namespace corvalis
