#include "control/ui/RfControlsBox.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include "app/AppContext.h"
#include "common/ui/ChannelCombo.h"
#include "common/ui/Named.h"

namespace corvalis {

namespace {
constexpr const char* kTxOn = "010601";
constexpr const char* kTxOff = "010600";
}  // namespace

RfControlsBox::RfControlsBox(AppContext& context, QWidget* parent)
    : QGroupBox(tr("RF"), parent), context_(context), burst_(context.commands()) {
  setObjectName(QStringLiteral("grpRfControls"));
  cmbRfChannel = NewChannelCombo("cmbRfChannel", this);
  speRfReaderID = Named(new QSpinBox(this), "speRfReaderID");
  speRfReaderID->setRange(0, 255);
  speTimedRF10ms = Named(new QSpinBox(this), "speTimedRF10ms");
  speTimedRF10ms->setRange(1, 10000);
  speTimedRF10ms->setValue(100);
  speTimedRF10ms->setSuffix(tr(" x10ms"));
  btnTimedRF = Named(new QPushButton(tr("Timed RF"), this), "btnTimedRF");
  btnRfTxOn = Named(new QPushButton(tr("RF Tx On"), this), "btnRfTxOn");
  btnRfTxOff = Named(new QPushButton(tr("RF Tx Off"), this), "btnRfTxOff");

  auto* layout = new QGridLayout(this);
  layout->addWidget(cmbRfChannel, 0, 0);
  layout->addWidget(new QLabel(tr("Reader ID"), this), 0, 1);
  layout->addWidget(speRfReaderID, 0, 2);
  layout->addWidget(btnRfTxOn, 0, 3);
  layout->addWidget(btnRfTxOff, 0, 4);
  layout->addWidget(speTimedRF10ms, 1, 0, 1, 3);
  layout->addWidget(btnTimedRF, 1, 3, 1, 2);

  auto send = [this](const char* body) {
    context_.commands().SendCommand(cmbRfChannel->currentIndex(), speRfReaderID->value(), body);
  };
  connect(btnRfTxOn, &QPushButton::clicked, this, [send] { send(kTxOn); });
  connect(btnRfTxOff, &QPushButton::clicked, this, [send] { send(kTxOff); });
  connect(btnTimedRF, &QPushButton::clicked, this, &RfControlsBox::TimedRfClicked);
  // The caption follows the burst the context's tick runs.
  auto* refresh = new QTimer(this);
  connect(refresh, &QTimer::timeout, this, &RfControlsBox::Refresh);
  refresh->start(100);
  context_.AddTickListener(&burst_);
  Refresh();
}

RfControlsBox::~RfControlsBox() {
  context_.RemoveTickListener(&burst_);
}

void RfControlsBox::TimedRfClicked() {
  if (burst_.Running()) {
    burst_.Cancel();
  } else {
    const int tenths = (speTimedRF10ms->value() + 9) / 10;
    burst_.Start(cmbRfChannel->currentIndex(), speRfReaderID->value(), tenths, true);
  }
  Refresh();
}

void RfControlsBox::Refresh() {
  if (burst_.Running()) {
    btnTimedRF->setText(tr("Cancel %1").arg(burst_.Remaining()));
    btnTimedRF->setToolTip(tr("Cancel the timed RF burst"));
  } else {
    btnTimedRF->setText(tr("Timed RF"));
    btnTimedRF->setToolTip(tr("Turn RF Tx On for the time selected beside it"));
  }
}

}  // namespace corvalis
