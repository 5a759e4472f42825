#include "demos/ui/IndividualRaceWindow.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QLabel>
#include <QMessageBox>
#include <QShowEvent>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "demos/ui/DemoWidgets.h"
#include "protocol/MessageDispatcher.h"
#include "tags/TagTable.h"

namespace corvalis {

namespace {
constexpr int kColumns = 6;
}  // namespace

IndividualRaceWindow::IndividualRaceWindow(SpecialModes& modes, const Clock& clock,
                                           MessageDispatcher& dispatcher, TagTable& table,
                                           QWidget* parent)
    : QWidget(parent, Qt::Window),
      modes_(modes),
      dispatcher_(dispatcher),
      table_(table),
      race_(modes, clock, *this),
      timer_(new QTimer(this)) {
  setObjectName(QStringLiteral("frmTempolinkDemo2"));
  setWindowTitle(tr("Tempolink Demo 2"));

  stgRaceTimes = new QTableWidget(kRaceRunners, kColumns);
  stgRaceTimes->setObjectName(QStringLiteral("stgRaceTimes"));
  stgRaceTimes->setHorizontalHeaderLabels(
      {tr("NAME"), tr("Laps"), tr("Start"), tr("Last"), tr("Lap"), tr("Target Delta")});
  stgRaceTimes->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  stgRaceTimes->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lblElapsedTime = new QLabel(QStringLiteral(" 00:00:00.0"));
  lblElapsedTime->setObjectName(QStringLiteral("lblElapsedTime"));
  lblElapsedTime->setStyleSheet(QStringLiteral("font-size: 28pt; font-weight: bold;"));
  pnlTargetDelta = new QLabel(QStringLiteral("+0000.0"));
  pnlTargetDelta->setObjectName(QStringLiteral("pnlTargetDelta"));
  pnlTargetDelta->setAlignment(Qt::AlignCenter);
  lblResult = new QLabel;
  lblResult->setObjectName(QStringLiteral("lblResult"));
  spnTargetHours = NamedSpinBox("spnTargetHours", 0, 24);
  spnTargetMinutes = NamedSpinBox("spnTargetMinutes", 0, 59);
  spnTargetSeconds = NamedSpinBox("spnTargetSeconds", 0, 59);
  spnMinLapTime = NamedSpinBox("spnMinLapTime", 5, 3600, 40);
  spnNumLaps = NamedSpinBox("spnNumLaps", 1, kMaxLaps, 1);
  ckbUseReaderTime = new QCheckBox(tr("Use Reader Time"));
  ckbUseReaderTime->setObjectName(QStringLiteral("ckbUseReaderTime"));
  ckbUseReaderTime->setToolTip(tr("Use reader time (DO NOT change during a race)."));
  btnStart = NamedButton(tr("&Start"), "btnStart");
  btnStart->setToolTip(tr("Use <Alt>S to simulate a Trigger event"));
  btnStop = NamedButton(tr("Stop"), "btnStop");
  btnClear = NamedButton(tr("Clear"), "btnClear");
  btnClearDontStop = NamedButton(tr("Clear Don't Stop timer"), "btnClearDontStop");
  btnRecord = NamedButton(tr("Record"), "btnRecord");
  btnRecord->setToolTip(tr("Write times to RaceTiming.csv, use [SHIFT} to record all lap times."));

  auto* settings = new QGridLayout;
  settings->addWidget(new QLabel(tr("Target")), 0, 0);
  settings->addWidget(spnTargetHours, 0, 1);
  settings->addWidget(spnTargetMinutes, 0, 2);
  settings->addWidget(spnTargetSeconds, 0, 3);
  settings->addWidget(pnlTargetDelta, 0, 4, 1, 2);
  settings->addWidget(new QLabel(tr("Minimum Lap time")), 1, 0);
  settings->addWidget(spnMinLapTime, 1, 1);
  settings->addWidget(new QLabel(tr("Nmber of laps")), 1, 2);
  settings->addWidget(spnNumLaps, 1, 3);
  settings->addWidget(ckbUseReaderTime, 1, 4, 1, 2);
  settings->setColumnStretch(5, 1);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* button : {btnStart, btnStop, btnClear, btnClearDontStop, btnRecord}) {
    buttons->addWidget(button);
  }
  buttons->addWidget(lblResult, 1);
  auto* top = new QVBoxLayout(this);
  top->addWidget(lblElapsedTime);
  top->addLayout(settings);
  top->addWidget(stgRaceTimes, 1);
  top->addLayout(buttons);
  resize(820, 680);

  modes_.Register(SpecialMode::RaceIndividualStart, this);
  dispatcher_.AddObserver(&race_);
  AddSightingListener(table_.hooks(), &race_);

  connect(btnStart, &QPushButton::clicked, this, [this] { race_.Start(); });
  connect(btnStop, &QPushButton::clicked, this, [this] { race_.Stop(); });
  connect(btnClear, &QPushButton::clicked, this, [this] { ClearResults(true); });
  connect(btnClearDontStop, &QPushButton::clicked, this, [this] { ClearResults(false); });
  connect(btnRecord, &QPushButton::clicked, this,
          [this] { Record(QGuiApplication::keyboardModifiers().testFlag(Qt::ShiftModifier)); });
  for (QSpinBox* box : {spnTargetHours, spnTargetMinutes, spnTargetSeconds}) {
    connect(box, &QSpinBox::valueChanged, this, [this] { ApplyTarget(); });
  }
  connect(spnMinLapTime, &QSpinBox::valueChanged, this,
          [this](int seconds) { race_.SetMinimumLapSeconds(seconds); });
  connect(spnNumLaps, &QSpinBox::valueChanged, this,
          [this](int laps) { race_.SetNumberOfLaps(laps); });
  connect(ckbUseReaderTime, &QCheckBox::toggled, this,
          [this](bool on) { race_.SetUseReaderTime(on); });
  connect(timer_, &QTimer::timeout, this, [this] { RefreshClock(); });
  race_.SetMinimumLapSeconds(spnMinLapTime->value());
  race_.SetNumberOfLaps(spnNumLaps->value());
}

IndividualRaceWindow::~IndividualRaceWindow() {
  RemoveSightingListener(table_.hooks(), &race_);
  dispatcher_.RemoveObserver(&race_);
  modes_.SwitchOff(SpecialMode::RaceIndividualStart);
  modes_.Unregister(SpecialMode::RaceIndividualStart, this);
}

void IndividualRaceWindow::RefreshClock() {
  lblElapsedTime->setText(ToQString(race_.ElapsedText()));
  pnlTargetDelta->setText(ToQString(race_.TargetPanelText()));
  pnlTargetDelta->setStyleSheet(TargetPanelStyle(race_.TargetPanelGreen()));
}

bool IndividualRaceWindow::Ask(const QString& title, const QString& text) {
  if (ask_) return ask_(title, text);
  return QMessageBox::question(this, title, text, QMessageBox::Yes | QMessageBox::No) ==
         QMessageBox::Yes;
}

void IndividualRaceWindow::Warn(const QString& title, const QString& text) {
  if (warn_) {
    warn_(title, text);
    return;
  }
  QMessageBox::warning(this, title, text);
}

bool IndividualRaceWindow::ConfirmRestart() {
  return Ask(tr("Race Already Started"),
             tr("The race has already been started  are you sure you want to reset the start "
                "time?"));
}

void IndividualRaceWindow::ShowTooManyRunners() {
  Warn(tr("Limits exceeded"), tr("Too many runners"));
}

void IndividualRaceWindow::ShowResult(std::string_view text) {
  lblResult->setText(ToQString(text));
}

void IndividualRaceWindow::ClearTagsSeen() {
  table_.ClearSeenTable();
}

void IndividualRaceWindow::ResultsChanged() {
  stgRaceTimes->clearContents();
  for (int index = 0; index < race_.RunnerCount(); ++index) {
    const RaceRunnerRow row = race_.Row(index);
    const std::string* cells[] = {&row.name, &row.laps, &row.start,
                                  &row.last, &row.lap,  &row.targetDelta};
    for (int column = 0; column < kColumns; ++column) {
      stgRaceTimes->setItem(index, column, new QTableWidgetItem(ToQString(*cells[column])));
    }
  }
  RefreshClock();
}

void IndividualRaceWindow::UseReaderTimeChosen() {
  ckbUseReaderTime->setChecked(true);
}

void IndividualRaceWindow::SpecialModeSwitchedOff(SpecialMode) {
  hide();
}

void IndividualRaceWindow::showEvent(QShowEvent* event) {
  FollowVisibility(*event, modes_, SpecialMode::RaceIndividualStart, *timer_);
  QWidget::showEvent(event);
}

void IndividualRaceWindow::hideEvent(QHideEvent* event) {
  FollowVisibility(*event, modes_, SpecialMode::RaceIndividualStart, *timer_);
  QWidget::hideEvent(event);
}

void IndividualRaceWindow::ClearResults(bool stopClock) {
  if (race_.ClearNeedsConfirmation() &&
      !Ask(windowTitle(), QString::fromStdString(race_.ClearQuestion()))) {
    return;
  }
  race_.Clear(stopClock);
}

void IndividualRaceWindow::Record(bool allLaps) {
  std::string error;
  if (!race_.Record(folder_, allLaps, error)) {
    Warn(tr("File open error"), QString::fromStdString(error));
  }
}

void IndividualRaceWindow::ApplyTarget() {
  race_.SetTarget(spnTargetHours->value(), spnTargetMinutes->value(), spnTargetSeconds->value());
}

}  // namespace corvalis
