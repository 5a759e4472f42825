#include "logging/ui/LoggingControlWindow.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "common/ui/ChannelCombo.h"
#include "common/ui/Named.h"

namespace corvalis {

LoggingControlWindow::LoggingControlWindow(AppContext& context, QWidget* parent)
    : FlashLogWindow(context, SpecialMode::LoggingControl, parent) {
  setObjectName(QStringLiteral("frmLoggingControl"));
  setWindowTitle(tr("Logging Control"));

  cmbLCChannel = NewChannelCombo("cmbLCChannel");
  speLCReaderID = Named(new QSpinBox, "speLCReaderID");
  speLCReaderID->setRange(0, 255);
  connect(cmbLCChannel, &QComboBox::currentIndexChanged, this, [this] { TargetChanged(); });
  connect(speLCReaderID, &QSpinBox::valueChanged, this, [this] { TargetChanged(); });
  TargetChanged();

  FlashLogger& log = logger_;
  auto* buttons = new QGridLayout;
  const auto send = [&log](std::string_view body) { return [&log, body] { log.Send(body); }; };
  QPushButton* row[][6] = {
      {Button(tr("Rec"), "btnRecStart", send(flash_body::kRecordStart)),
       Button(tr("Stop Rec"), "btnRecStop", send(flash_body::kRecordStop)),
       Button(tr("Play"), "btnPlayStart", send(flash_body::kPlayStart)),
       Button(tr("Pause"), "btnPlayStop", send(flash_body::kPlayStop)),
       Button(tr("One"), "btnOne", send(flash_body::kOne)),
       Button(tr("Rewind"), "btnRewind", send(flash_body::kRewind))},
      {Button(tr("Stats"), "btnStats", send(flash_body::kStats)),
       Button(tr("Update"), "btnUpdate", send(flash_body::kStatus)),
       Button(tr("Flush"), "btnFlush", [this] { Flush(); }),
       Button(tr("Erase"), "btnErase", [this] { Erase(); }),
       Button(tr("Format"), "btnFormat", [this] { Format(); }), nullptr},
  };
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 6; ++c) {
      if (row[r][c] != nullptr) buttons->addWidget(row[r][c], r, c);
    }
  }

  auto* target = new QHBoxLayout;
  target->addWidget(new QLabel(tr("Channel")));
  target->addWidget(cmbLCChannel);
  target->addWidget(new QLabel(tr("Reader ID")));
  target->addWidget(speLCReaderID);
  target->addStretch(1);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(target);
  layout->addLayout(buttons);
  layout->addWidget(StatusBox());
  layout->addWidget(ModeBox());
  layout->addWidget(SerialBox());
  layout->addWidget(memIncoming, 1);
  resize(640, 600);
}

void LoggingControlWindow::TargetChanged() {
  logger_.SetTarget(cmbLCChannel->currentIndex(), speLCReaderID->value());
}

}  // namespace corvalis
