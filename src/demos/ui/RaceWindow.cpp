#include "demos/ui/RaceWindow.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "demos/ui/DemoWidgets.h"
#include "protocol/MessageDispatcher.h"
#include "tags/TagTable.h"

namespace corvalis {

SimultaneousRaceWindow::SimultaneousRaceWindow(SpecialModes& modes, const Clock& clock,
                                               MessageDispatcher& dispatcher, TagTable& table,
                                               QWidget* parent)
    : QWidget(parent, Qt::Window),
      modes_(modes),
      dispatcher_(dispatcher),
      table_(table),
      race_(modes, clock, *this),
      timer_(new QTimer(this)) {
  setObjectName(QStringLiteral("frmTempolinkDemo"));
  setWindowTitle(tr("Tempolink Demo"));

  stgRaceTimes = new QTableWidget(kRacePlaces, 5);
  stgRaceTimes->setObjectName(QStringLiteral("stgRaceTimes"));
  stgRaceTimes->setHorizontalHeaderLabels(
      {tr("Place"), tr("NAME"), tr("TIME"), tr("Delta"), tr("Target Delta")});
  stgRaceTimes->verticalHeader()->hide();
  stgRaceTimes->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
  lblElapsedTime = new QLabel(QStringLiteral(" 00:00:00.0"));
  lblElapsedTime->setObjectName(QStringLiteral("lblElapsedTime"));
  lblElapsedTime->setStyleSheet(QStringLiteral("font-size: 28pt; font-weight: bold;"));
  pnlTargetDelta = new QLabel(QStringLiteral("+0000.0"));
  pnlTargetDelta->setObjectName(QStringLiteral("pnlTargetDelta"));
  pnlTargetDelta->setAlignment(Qt::AlignCenter);
  pnlTargetDelta->setAutoFillBackground(true);
  lblResult = new QLabel;
  lblResult->setObjectName(QStringLiteral("lblResult"));
  spnTargetHours = NamedSpinBox("spnTargetHours", 0, 24);
  spnTargetMinutes = NamedSpinBox("spnTargetMinutes", 0, 59);
  spnTargetSeconds = NamedSpinBox("spnTargetSeconds", 0, 59);
  btnStart = NamedButton(tr("&Start"), "btnStart");
  btnStart->setToolTip(tr("Use <Alt>S to simulate a Trigger event"));
  btnStop = NamedButton(tr("Stop"), "btnStop");
  btnClear = NamedButton(tr("Clear"), "btnClear");
  btnClearDontStop = NamedButton(tr("Clear Don't Stop timer"), "btnClearDontStop");
  btnRecord = NamedButton(tr("Record"), "btnRecord");

  auto* target = new QHBoxLayout;
  target->addWidget(new QLabel(tr("Target")));
  target->addWidget(spnTargetHours);
  target->addWidget(spnTargetMinutes);
  target->addWidget(spnTargetSeconds);
  target->addWidget(pnlTargetDelta, 1);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* button : {btnStart, btnStop, btnClear, btnClearDontStop, btnRecord}) {
    buttons->addWidget(button);
  }
  buttons->addWidget(lblResult, 1);
  auto* top = new QVBoxLayout(this);
  top->addWidget(lblElapsedTime);
  top->addLayout(target);
  top->addWidget(stgRaceTimes, 1);
  top->addLayout(buttons);
  resize(720, 620);

  modes_.Register(SpecialMode::RaceSimultaneousStart, this);
  dispatcher_.AddObserver(&race_);
  AddSightingListener(table_.hooks(), &race_);

  connect(btnStart, &QPushButton::clicked, this, [this] { race_.Start(); });
  connect(btnStop, &QPushButton::clicked, this, [this] { race_.Stop(); });
  connect(btnClear, &QPushButton::clicked, this, [this] { ClearResults(true); });
  connect(btnClearDontStop, &QPushButton::clicked, this, [this] { ClearResults(false); });
  connect(btnRecord, &QPushButton::clicked, this, [this] { Record(); });
  for (QSpinBox* box : {spnTargetHours, spnTargetMinutes, spnTargetSeconds}) {
    connect(box, &QSpinBox::valueChanged, this, [this] { ApplyTarget(); });
  }
  connect(timer_, &QTimer::timeout, this, [this] { RefreshClock(); });
}

SimultaneousRaceWindow::~SimultaneousRaceWindow() {
  RemoveSightingListener(table_.hooks(), &race_);
  dispatcher_.RemoveObserver(&race_);
  modes_.SwitchOff(SpecialMode::RaceSimultaneousStart);
  modes_.Unregister(SpecialMode::RaceSimultaneousStart, this);
}

void SimultaneousRaceWindow::RefreshClock() {
  lblElapsedTime->setText(ToQString(race_.ElapsedText()));
  pnlTargetDelta->setText(ToQString(race_.TargetPanelText()));
  pnlTargetDelta->setStyleSheet(TargetPanelStyle(race_.TargetPanelGreen()));
}

bool SimultaneousRaceWindow::ConfirmRestart() {
  return QMessageBox::question(
             this, tr("Race Already Started"),
             tr("The race has already been started  are you sure you want to reset the start "
                "time?"),
             QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void SimultaneousRaceWindow::ShowTooManyRunners() {
  QMessageBox::warning(this, tr("Limits exceeded"), tr("Too many runners"));
}

void SimultaneousRaceWindow::ShowResult(std::string_view text) {
  lblResult->setText(ToQString(text));
}

void SimultaneousRaceWindow::ClearTagsSeen() {
  table_.ClearSeenTable();
}

void SimultaneousRaceWindow::ResultsChanged() {
  stgRaceTimes->clearContents();
  for (int index = 0; index < race_.PlaceCount(); ++index) {
    const RacePlaceRow row = race_.Row(index);
    const std::string* cells[] = {&row.place, &row.name, &row.time, &row.delta, &row.targetDelta};
    for (int column = 0; column < 5; ++column) {
      stgRaceTimes->setItem(index, column, new QTableWidgetItem(ToQString(*cells[column])));
    }
  }
  RefreshClock();
}

void SimultaneousRaceWindow::SpecialModeSwitchedOff(SpecialMode) {
  hide();
}

void SimultaneousRaceWindow::showEvent(QShowEvent* event) {
  FollowVisibility(*event, modes_, SpecialMode::RaceSimultaneousStart, *timer_);
  QWidget::showEvent(event);
}

void SimultaneousRaceWindow::hideEvent(QHideEvent* event) {
  FollowVisibility(*event, modes_, SpecialMode::RaceSimultaneousStart, *timer_);
  QWidget::hideEvent(event);
}

void SimultaneousRaceWindow::ClearResults(bool stopClock) {
  if (race_.ClearNeedsConfirmation() &&
      QMessageBox::question(this, windowTitle(), QString::fromStdString(race_.ClearQuestion()),
                            QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
    return;
  }
  race_.Clear(stopClock);
}

void SimultaneousRaceWindow::Record() {
  std::string error;
  if (!race_.Record(std::string(), false, error)) {
    QMessageBox::warning(this, tr("File open error"), QString::fromStdString(error));
  }
}

void SimultaneousRaceWindow::ApplyTarget() {
  race_.SetTarget(spnTargetHours->value(), spnTargetMinutes->value(), spnTargetSeconds->value());
}

}  // namespace corvalis
