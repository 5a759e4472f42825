#include "logging/ui/SportLoggingWindow.h"

#include <QActionGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBlock>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "channels/ui/CommPortSettingsDialog.h"
#include "common/ui/Named.h"
#include "control/CommandConsole.h"

namespace corvalis {
namespace {

constexpr int kBaudRates[] = {4800, 9600, 19200, 38400, 57600, 115200};
constexpr int kUpdateAfterOpenTicks = 10;
constexpr int kBlinkTicks = 5;
constexpr int kSportChannels = 4;

QString Text(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

SportLoggingWindow::SportLoggingWindow(AppContext& context, std::function<int()> sendChannel,
                                       QWidget* parent)
    : FlashLogWindow(context, SpecialMode::SportLogging, parent),
      sendChannel_(std::move(sendChannel)) {
  setObjectName(QStringLiteral("frmSportLogging"));
  setWindowTitle(tr("Sport Logging"));

  lblChannelState = Named(new QLabel, "lblChannelState");
  imgPower = Named(new QLabel, "imgPower");
  imgPower->setAlignment(Qt::AlignCenter);
  imgPower->setMinimumWidth(90);
  lblBatteryCaption = Named(new QLabel(tr("Battery")), "lblBatteryCaption");
  lblBattery = Named(new QLabel, "lblBattery");
  lblAntenna = Named(new QLabel, "lblAntenna");
  lblReaderType = Named(new QLabel(QStringLiteral("-")), "lblReaderType");
  lblReaderTime = Named(new QueryLabel(QStringLiteral("-")), "lblReaderTime");
  lblReaderTime->setToolTip(tr("Double-click to read the reader's clock"));
  lblReaderTime->onDoubleClicked = [this] { logger_.Send(flash_body::kTimeQuery); };
  pbrPlayback = Named(new QProgressBar, "pbrPlayback");
  lblElapsed = Named(new QLabel(QStringLiteral("-")), "lblElapsed");
  lblEstimate = Named(new QLabel(QStringLiteral("-")), "lblEstimate");

  btnRec = Button(tr("Rec"), "btnRec", [this] {
    logger_.Send(logger_.Status().Recording() ? flash_body::kRecordStop : flash_body::kRecordStart);
  });
  btnPlay = Button(tr("Play"), "btnPlay", [this] { PlayWithCapture(); });
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnRec);
  buttons->addWidget(btnPlay);
  buttons->addWidget(Button(tr("Stop"), "btnStop", [this] { logger_.StopPlayback(); }));
  buttons->addWidget(
      Button(tr("Rewind"), "btnRewind", [this] { logger_.Send(flash_body::kRewind); }));
  buttons->addWidget(Button(tr("Erase"), "btnErase", [this] { Erase(); }));
  buttons->addWidget(Button(tr("FMT"), "btnFMT", [this] { Format(); }));
  buttons->addWidget(Button(tr("Update"), "btnUpdate", [this] { Update(); }));
  buttons->addWidget(Button(tr("Save"), "btnSave", [this] { Save(); }));
  buttons->addWidget(Button(tr("Power Off"), "btnPowerOff", [this] { logger_.PowerOff(); }));

  auto* reader = new QGroupBox(tr("Reader"));
  auto* grid = new QGridLayout(reader);
  grid->addWidget(imgPower, 0, 0, 3, 1);
  grid->addWidget(new QLabel(tr("Type")), 0, 1);
  grid->addWidget(lblReaderType, 0, 2);
  grid->addWidget(lblBatteryCaption, 0, 3);
  grid->addWidget(lblBattery, 0, 4);
  grid->addWidget(new QLabel(tr("Clock")), 1, 1);
  grid->addWidget(lblReaderTime, 1, 2);
  grid->addWidget(Button(tr("Set Time"), "btnSetTime", [this] { SetTime(); }), 1, 3);
  grid->addWidget(lblAntenna, 1, 4);
  grid->setColumnStretch(5, 1);

  auto* playback = new QGroupBox(tr("Playback"));
  auto* playRow = new QHBoxLayout(playback);
  playRow->addWidget(pbrPlayback, 1);
  playRow->addWidget(new QLabel(tr("Elapsed time")));
  playRow->addWidget(lblElapsed);
  playRow->addWidget(new QLabel(tr("End in")));
  playRow->addWidget(lblEstimate);

  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(BuildMenus());
  layout->addWidget(lblChannelState);
  layout->addWidget(reader);
  layout->addLayout(buttons);
  layout->addWidget(StatusBox());
  layout->addWidget(playback);
  layout->addWidget(ModeBox());
  layout->addWidget(SerialBox());
  layout->addWidget(memIncoming, 1);
  ShowPower(false);
  resize(720, 680);
}

QMenuBar* SportLoggingWindow::BuildMenus() {
  auto* bar = Named(new QMenuBar(this), "mnuSLMenu");
  QMenu* menu = Named(bar->addMenu(tr("&Channel")), "mnuSLChannel");
  Named(menu->addAction(tr("&Open"), this,
                        [this] {
                          if (channel_ < 0) return;
                          context_.channels().Open(channel_);
                          updateTicks_ = kUpdateAfterOpenTicks;
                          ShowChannelState();
                        }),
        "mnuSLOpen");
  Named(menu->addAction(tr("&Close"), this,
                        [this] {
                          if (channel_ >= 0) context_.channels().Close(channel_);
                          ShowChannelState();
                        }),
        "mnuSLClose");
  Named(menu->addAction(tr("&Settings ..."), this,
                        [this] {
                          if (channel_ >= 0)
                            CommPortSettingsDialog::Edit(this, context_.channels(), channel_);
                          ShowChannelState();
                        }),
        "mnuSLSettings");
  QMenu* baud = Named(menu->addMenu(tr("&Baud rate")), "mnuSLBaudRate");
  for (const int rate : kBaudRates) {
    Named(baud->addAction(QString::number(rate), this,
                          [this, rate] {
                            if (channel_ < 0) return;
                            ChannelSettings settings = context_.channels().Settings(channel_);
                            settings.baud = rate;
                            context_.channels().ApplySettings(channel_, settings);
                            ShowChannelState();
                          }),
          QStringLiteral("mnuSLBaud%1").arg(rate));
  }
  QMenu* channels = Named(menu->addMenu(tr("C&hannel")), "mnuSLSelectChannel");
  auto* group = new QActionGroup(this);
  for (int ch = 0; ch < kSportChannels; ++ch) {
    QAction* item = Named(
        channels->addAction(tr("Channel %1").arg(ch + 1), this, [this, ch] { SelectChannel(ch); }),
        QStringLiteral("mnuSLChannel%1").arg(ch + 1));
    item->setCheckable(true);
    group->addAction(item);
    channelItems_[ch] = item;
  }
  return bar;
}

void SportLoggingWindow::SelectChannel(int channel) {
  if (!IsValidChannel(channel)) return;
  channel_ = channel;
  logger_.SetTarget(channel, 0);
  if (channel < kSportChannels) channelItems_[channel]->setChecked(true);
  ShowChannelState();
}

void SportLoggingWindow::showEvent(QShowEvent* event) {
  if (channel_ < 0) SelectChannel(sendChannel_ ? sendChannel_() : 0);
  FlashLogWindow::showEvent(event);
  ShowChannelState();
}

void SportLoggingWindow::ShowChannelState() {
  if (channel_ < 0) return;
  QString text = tr("Channel %1").arg(channel_ + 1);
  const ReaderCommandSender& sender = context_.commands();
  if (sender.ExpectedChannel() == channel_ && sender.WarningCountdown() > 0 && sender.Awaiting())
    text += QStringLiteral("   No Reply");
  if (!context_.channels().IsOpen(channel_)) {
    text += QStringLiteral(" Closed");
  } else {
    const ChannelSettings& s = context_.channels().Settings(channel_);
    text += s.port ? QStringLiteral(" %1 %2").arg(s.name).arg(s.baud)
                   : QStringLiteral(" %1:%2").arg(s.ipAddress).arg(s.ipPort);
  }
  lblChannelState->setText(text);
}

void SportLoggingWindow::Update() {
  logger_.Send(SportUpdateSequence());
}

void SportLoggingWindow::SetTime() {
  if (!context_.channels().IsOpen(channel_)) {
    ShowPowerOff();
    return;
  }
  context_.console().SendPredefinedCommand(channel_, 0, kSetDateTime);
}

void SportLoggingWindow::Save() {
  QString path;
  TextFile::Mode mode = TextFile::Mode::Overwrite;
  if (!ChooseOutputFile(tr("Save to"), path, mode)) return;
  TextFile file;
  if (!file.Open(path.toStdString(), mode)) {
    Prompts().inform(windowTitle(), tr("Could not open file for output!"));
    return;
  }
  // The memo's first line is the one the window starts with.
  for (QTextBlock block = memIncoming->document()->firstBlock().next(); block.isValid();
       block = block.next()) {
    file.Write(block.text().toStdString() + "\n");
  }
}

void SportLoggingWindow::ShowPower(bool on) {
  imgPower->setText(on ? tr("Power ON") : tr("Power OFF"));
  imgPower->setStyleSheet(on ? QStringLiteral("background: #2a2; color: white; padding: 8px")
                             : QStringLiteral("background: #777; color: white; padding: 8px"));
}

void SportLoggingWindow::ShowReaderType(std::string_view type, ReaderKind kind) {
  lblReaderType->setText(Text(type));
  ShowPower(kind.handheld);
  lblBatteryCaption->setVisible(kind.handheld);
  lblBattery->setVisible(kind.handheld);
  lblAntenna->setVisible(kind.antenna);
}

void SportLoggingWindow::ShowBattery(std::string_view volts) {
  lblBattery->setText(Text(volts) + QStringLiteral(" V"));
}

void SportLoggingWindow::ShowAntenna(bool detected) {
  lblAntenna->setText(detected ? tr("Antenna detected") : tr("Antenna NOT detected"));
  lblAntenna->setStyleSheet(detected ? QStringLiteral("color: green")
                                     : QStringLiteral("color: red"));
}

void SportLoggingWindow::ShowReaderTime(std::string_view text) {
  lblReaderTime->setText(Text(text));
}

void SportLoggingWindow::ShowPlayback(const PlaybackProgress& progress) {
  pbrPlayback->setMaximum(static_cast<int>(std::min<int64_t>(progress.maximum, INT32_MAX)));
  pbrPlayback->setValue(
      static_cast<int>(std::min<int64_t>(progress.position, pbrPlayback->maximum())));
  lblElapsed->setText(QString::fromStdString(progress.elapsed));
  lblEstimate->setText(QString::fromStdString(progress.estimate));
}

void SportLoggingWindow::PlaybackEnded() {
  lblEstimate->setText(QStringLiteral("0 s"));
}

void SportLoggingWindow::ShowPowerOff() {
  ShowPower(false);
}

void SportLoggingWindow::CloseChannel() {
  if (channel_ >= 0) context_.channels().Close(channel_);
  ShowChannelState();
}

void SportLoggingWindow::TimerTick() {
  if (updateTicks_ > 0 && --updateTicks_ == 0) Update();
  if (++blinkTicks_ >= kBlinkTicks) {
    blinkTicks_ = 0;
    const LoggingStatus& status = logger_.Status();
    const bool lit = btnRec->styleSheet().isEmpty() && btnPlay->styleSheet().isEmpty();
    btnRec->setStyleSheet(status.Recording() && lit ? QStringLiteral("color: red") : QString());
    btnPlay->setStyleSheet(status.Replaying() && lit ? QStringLiteral("color: green") : QString());
    ShowChannelState();
  }
}

}  // namespace corvalis
