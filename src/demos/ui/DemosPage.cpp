#include "demos/ui/DemosPage.h"

#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "control/ui/RfControlsBox.h"
#include "demos/ui/DemoWidgets.h"
#include "demos/ui/IndividualRaceWindow.h"
#include "demos/ui/PlugTestWindow.h"
#include "demos/ui/RaceWindow.h"
#include "demos/ui/TollingWindow.h"
#include "logging/ui/TimingWindow.h"

namespace corvalis {

namespace {

// Shows `window` in front; showing it switches its mode on.
void Open(QWidget* window) {
  window->show();
  window->raise();
  window->activateWindow();
}

QGroupBox* Group(const QString& title, std::initializer_list<QPushButton*> buttons) {
  auto* group = new QGroupBox(title);
  auto* layout = new QVBoxLayout(group);
  for (QPushButton* button : buttons) layout->addWidget(button);
  layout->addStretch(1);
  return group;
}

}  // namespace

DemosPage::DemosPage(AppContext& context, QWidget* windowParent, QWidget* parent)
    : QWidget(parent) {
  simultaneousRace_ =
      new SimultaneousRaceWindow(context.specialModes(), context.clock(), context.dispatcher(),
                                 context.tagTable(), windowParent);
  individualRace_ =
      new IndividualRaceWindow(context.specialModes(), context.clock(), context.dispatcher(),
                               context.tagTable(), windowParent);
  plugTest_ = new PlugTestWindow(context, windowParent);
  timingRanking_ =
      new TimingWindow(SpecialMode::MsTimingRanking, context.specialModes(), context.dispatcher(),
                       context.formats(), &context.tagNames(), context.status(), windowParent);
  timingRaw_ =
      new TimingWindow(SpecialMode::MsTimingRaw, context.specialModes(), context.dispatcher(),
                       context.formats(), &context.tagNames(), context.status(), windowParent);
  timingRaw_->AddRfControls(new RfControlsBox(context));
  tolling_ = new TollingWindow(context, windowParent);

  btnRaceSimultaneous = NamedButton(tr("Race Timing Simultaneous Start"), "btnRaceSimultaneous");
  btnRaceIndividual = NamedButton(tr("Race Timing Individual Start"), "btnRaceIndividual");
  btnPlugTest = NamedButton(tr("RFID Plugtest"), "btnPlugTest");
  btnMsTiming = NamedButton(tr("ms Timing (ranking)"), "btnMsTiming");
  btnMsTimingRaw = NamedButton(tr("ms Timing (raw)"), "btnMsTimingRaw");
  connect(btnRaceSimultaneous, &QPushButton::clicked, this, [this] { Open(simultaneousRace_); });
  connect(btnRaceIndividual, &QPushButton::clicked, this, [this] { Open(individualRace_); });
  connect(btnPlugTest, &QPushButton::clicked, this, [this] { Open(plugTest_); });
  connect(btnMsTiming, &QPushButton::clicked, this, [this] { Open(timingRanking_); });
  connect(btnMsTimingRaw, &QPushButton::clicked, this, [this] { Open(timingRaw_); });
  btnTolling = NamedButton(tr("Tolling"), "btnTolling");
  connect(btnTolling, &QPushButton::clicked, this, [this] { Open(tolling_); });

  auto* columns = new QHBoxLayout;
  columns->addWidget(Group(tr("Race timing"), {btnRaceSimultaneous, btnRaceIndividual}));
  columns->addWidget(Group(tr("Reader testing"), {btnPlugTest}));
  columns->addWidget(Group(tr("Millisecond timing"), {btnMsTiming, btnMsTimingRaw}));
  columns->addWidget(Group(tr("Road tolling"), {btnTolling}));
  columns->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns);
  layout->addStretch(1);
}

}  // namespace corvalis
