#include "control/ui/SteppingGroup.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>
#include <QTimer>

#include "app/AppContext.h"
#include "common/ChannelIndex.h"
#include "common/ui/Named.h"
#include "control/ReaderConfigBodies.h"

namespace corvalis {

SteppingGroup::SteppingGroup(AppContext& context, std::function<int()> channel,
                             std::function<int()> readerId, std::function<bool()> ensureLogging,
                             QWidget* parent)
    : QWidget(parent),
      context_(context),
      channel_(std::move(channel)),
      readerId_(std::move(readerId)),
      ensureLogging_(std::move(ensureLogging)),
      timer_(Named(new QTimer(this), "tmrStepping")) {
  setObjectName(QStringLiteral("pnlStepping"));
  speStepperInterval = Named(new QSpinBox(this), "speStepperInterval");
  speStepperInterval->setRange(10, 30000);
  speStepperInterval->setValue(1000);
  speStepperInterval->setSuffix(QStringLiteral(" ms"));
  shpStepping = Named(new QFrame(this), "shpStepping");
  shpStepping->setFixedSize(20, 20);
  shpStepping->setFrameShape(QFrame::Box);
  shpStepping->setAutoFillBackground(true);
  ckbDoStepping = Named(new QCheckBox(QStringLiteral("&Do Stepping"), this), "ckbDoStepping");
  speStepLimit = Named(new QSpinBox(this), "speStepLimit");
  speStepLimit->setRange(1, 100000);
  speStepLimit->setValue(360);
  lblCurrentStep = Named(new QLabel(QStringLiteral("Current: 0"), this), "lblCurrentStep");
  speEdge = Named(new QSpinBox(this), "speEdge");
  speEdge->setRange(0, 1);

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(Named(new QLabel(QStringLiteral("Period"), this), "lblStp1"), 0, 0);
  grid->addWidget(speStepperInterval, 0, 1);
  grid->addWidget(shpStepping, 0, 2);
  grid->addWidget(ckbDoStepping, 0, 3);
  grid->addWidget(Named(new QLabel(QStringLiteral("Steps"), this), "lblStp2"), 1, 0);
  grid->addWidget(speStepLimit, 1, 1);
  grid->addWidget(lblCurrentStep, 1, 3);
  grid->addWidget(Named(new QLabel(QStringLiteral("Edge"), this), "lblStp3"), 2, 0);
  grid->addWidget(speEdge, 2, 1);
  grid->addWidget(
      Named(new QLabel(QStringLiteral("Snapshot on the edge's level"), this), "lblStp4"), 2, 3);

  grid->setColumnStretch(4, 1);

  connect(ckbDoStepping, &QCheckBox::toggled, this, &SteppingGroup::DoSteppingToggled);
  connect(timer_, &QTimer::timeout, this, &SteppingGroup::Step);
}

void SteppingGroup::DoSteppingToggled(bool on) {
  if (!on) {
    if (run_.Running() || timer_->isActive()) Finish();
    return;
  }
  channelUsed_ = channel_();
  readerIdUsed_ = readerId_();
  // A cancelled file choice would leave the snapshots nowhere: no run then.
  const bool logging = IsValidChannel(channelUsed_) && ensureLogging_();
  if (!run_.Start(logging, speEdge->value(), speStepLimit->value())) {
    const QSignalBlocker block(ckbDoStepping);
    ckbDoStepping->setChecked(false);
    return;
  }
  Q_EMIT loggingChanged();
  lblCurrentStep->setText(QStringLiteral("Current: 0"));
  context_.readerConfig().Send(channelUsed_, readerIdUsed_, OutputLevelBody(1 - speEdge->value()));
  timer_->start(std::max(speStepperInterval->value() / 2, 1));
}

void SteppingGroup::Step() {
  bool snapshot = false;
  const int level = run_.Tick(snapshot);
  context_.readerConfig().Send(channelUsed_, readerIdUsed_, OutputLevelBody(level));
  QPalette palette = shpStepping->palette();
  palette.setColor(QPalette::Window, level == 1 ? Qt::red : QColor(0, 255, 0));
  shpStepping->setPalette(palette);
  if (snapshot) {
    context_.logWriter().SetStepNumber(run_.Steps() - 1);
    context_.tagTable().FlushPasses(true);
    lblCurrentStep->setText(QStringLiteral("Current: %1").arg(run_.Steps()));
  }
  if (!run_.Running()) {
    const QSignalBlocker block(ckbDoStepping);
    ckbDoStepping->setChecked(false);
    Finish();
  }
}

void SteppingGroup::Finish() {
  run_.Stop();
  timer_->stop();
  context_.logWriter().StopLogging();
  Q_EMIT loggingChanged();
}

}  // namespace corvalis
