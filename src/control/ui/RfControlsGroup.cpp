#include "control/ui/RfControlsGroup.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include "app/AppContext.h"
#include "common/ChannelIndex.h"
#include "common/ui/Named.h"

namespace corvalis {
namespace {

const char kTimedRfHint[] = "Turn RF Tx On for the number of seconds selected in the control below";
const char kMultiplexHint[] = "Multiplex RF Tx between readers on all open ports ";

}  // namespace

RfControlsGroup::RfControlsGroup(AppContext& context, std::function<int()> channel,
                                 std::function<int()> readerId, QWidget* parent)
    : QWidget(parent),
      context_(context),
      config_(context.readerConfig()),
      channel_(std::move(channel)),
      readerId_(std::move(readerId)) {
  rf_ = Named(new QWidget(this), "pnlRFControls");
  auto* txOn = Named(new QPushButton(QStringLiteral("RF Tx On"), rf_), "btnTxOn1");
  auto* txOff = Named(new QPushButton(QStringLiteral("RF Tx Off"), rf_), "btnTxOff1");
  btnTimedRF = Named(new QPushButton(QStringLiteral("Timed RF"), rf_), "btnTimedRF");
  btnTimedRF->setToolTip(QString::fromLatin1(kTimedRfHint));
  speTimedRFTime = Named(new QSpinBox(rf_), "speTimedRFTime");
  speTimedRFTime->setRange(1, 1000);
  speTimedRFTime->setValue(10);
  ckbTimed100ms = Named(new QCheckBox(QStringLiteral("x100ms"), rf_), "ckbTimed100ms");
  auto* rfRow = new QHBoxLayout(rf_);
  rfRow->setContentsMargins(0, 0, 0, 0);
  for (QWidget* w :
       std::initializer_list<QWidget*>{txOn, txOff, btnTimedRF, speTimedRFTime, ckbTimed100ms}) {
    rfRow->addWidget(w);
  }

  multiplex_ = Named(new QWidget(this), "pnlMultiplexControls");
  btnMultiplex = Named(new QPushButton(QStringLiteral("&Multiplex"), multiplex_), "btnMultiplex");
  btnMultiplex->setToolTip(QString::fromLatin1(kMultiplexHint));
  speMultiplexTime = Named(new QSpinBox(multiplex_), "speMultiplexTime");
  speMultiplexTime->setRange(1, 1000);
  speMultiplexTime->setValue(10);
  speMultiplexTime->setToolTip(QStringLiteral("Time each reader has RF, units of 100 ms"));
  lblMultiplex = Named(new QLabel(QStringLiteral("x 100 ms"), multiplex_), "lblMultiplex");
  auto* mpxRow = new QHBoxLayout(multiplex_);
  mpxRow->setContentsMargins(0, 0, 0, 0);
  mpxRow->addWidget(btnMultiplex);
  mpxRow->addWidget(speMultiplexTime);
  mpxRow->addWidget(lblMultiplex);

  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(rf_);
  row->addSpacing(16);
  row->addWidget(multiplex_);
  row->addStretch();

  connect(txOn, &QPushButton::clicked, this, [this] {
    if (IsValidChannel(channel_()))
      context_.console().SendPredefinedCommand(channel_(), readerId_(), kRfOn);
  });
  connect(txOff, &QPushButton::clicked, this, [this] {
    if (IsValidChannel(channel_()))
      context_.console().SendPredefinedCommand(channel_(), readerId_(), kRfOff);
  });
  connect(btnTimedRF, &QPushButton::clicked, this, &RfControlsGroup::TimedRfPressed);
  connect(btnMultiplex, &QPushButton::clicked, this, &RfControlsGroup::MultiplexPressed);
  config_.AddListener(this);
}

RfControlsGroup::~RfControlsGroup() {
  config_.RemoveListener(this);
}

void RfControlsGroup::SetRfShown(bool shown) {
  rf_->setVisible(shown);
}

void RfControlsGroup::SetMultiplexShown(bool shown) {
  multiplex_->setVisible(shown);
}

void RfControlsGroup::TimedRfPressed() {
  TimedRf& burst = config_.timedRf();
  if (burst.Running()) {
    burst.Cancel();
    return;
  }
  if (!IsValidChannel(channel_())) return;
  burst.Start(channel_(), readerId_(), speTimedRFTime->value(), ckbTimed100ms->isChecked());
  btnTimedRF->setText(QStringLiteral("Cancel"));
  btnTimedRF->setToolTip(QStringLiteral("Cancel the timed RF burst"));
}

void RfControlsGroup::MultiplexPressed() {
  RfMultiplex& mux = config_.multiplex();
  if (mux.Running()) {
    mux.Stop();
  } else {
    mux.Start(speMultiplexTime->value());
  }
  ShowMultiplex();
}

void RfControlsGroup::RfStateChanged() {
  ShowTimedRf();
  ShowMultiplex();
}

void RfControlsGroup::ShowTimedRf() {
  const TimedRf& burst = config_.timedRf();
  if (burst.Running()) {
    btnTimedRF->setText(QString::number(burst.Remaining()));
    return;
  }
  btnTimedRF->setText(QStringLiteral("Timed RF"));
  btnTimedRF->setToolTip(QString::fromLatin1(kTimedRfHint));
}

void RfControlsGroup::ShowMultiplex() {
  const RfMultiplex& mux = config_.multiplex();
  if (!mux.Running()) {
    btnMultiplex->setText(QStringLiteral("&Multiplex"));
    btnMultiplex->setToolTip(QString::fromLatin1(kMultiplexHint));
    return;
  }
  btnMultiplex->setToolTip(QStringLiteral("Cancel the multiplexing RF sequence"));
  // The first period reads "C&ancel"; each switch adds the channel it gave RF to.
  btnMultiplex->setText(mux.Switched() ? QStringLiteral("C&ancel %1").arg(mux.CurrentChannel() + 1)
                                       : QStringLiteral("C&ancel"));
}

}  // namespace corvalis
