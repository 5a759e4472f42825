#include "logging/ui/TimingWindow.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>
#include <QTableWidget>
#include <QVBoxLayout>

#include "protocol/MessageDispatcher.h"

namespace corvalis {

namespace {

constexpr int kMinimumRankRows = 6;

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

TimingWindow::TimingWindow(SpecialMode mode, SpecialModes& modes, MessageDispatcher& dispatcher,
                           const ChannelFormats& formats, TagNameLookup* names,
                           StatusReporter& status, QWidget* parent)
    : QWidget(parent, Qt::Window),
      modes_(modes),
      dispatcher_(dispatcher),
      tap_(mode, modes, formats, names, status) {
  const bool ranking = mode == SpecialMode::MsTimingRanking;
  setObjectName(ranking ? QStringLiteral("frmTiming_ms") : QStringLiteral("frmRawTiming_ms"));
  setWindowTitle(tr("ms Timing"));

  auto* channels = new QGroupBox(tr("Input channels"));
  auto* channelRow = new QHBoxLayout(channels);
  for (int i = 0; i < 4; ++i) {
    ckbChannel[i] = new QCheckBox(QString::number(i + 1));
    ckbChannel[i]->setObjectName(QStringLiteral("ckbChannel%1").arg(i + 1));
    channelRow->addWidget(ckbChannel[i]);
    connect(ckbChannel[i], &QCheckBox::toggled, this,
            [this, i](bool on) { tap_.SetChannelSelected(i, on); });
  }
  edtFileName = new QLineEdit(QStringLiteral("timing.txt"));
  edtFileName->setObjectName(QStringLiteral("edtFileName"));
  btnRecord = new QPushButton(tr("Record"));
  btnRecord->setObjectName(QStringLiteral("btnRecord"));
  btnClear = new QPushButton(tr("Clear"));
  btnClear->setObjectName(QStringLiteral("btnClear"));
  lstTimes = new QListWidget;
  lstTimes->setObjectName(QStringLiteral("lstTimes"));
  lstTimes->setFont(QFont(QStringLiteral("Monospace")));

  auto* controls = new QHBoxLayout;
  controls->addWidget(channels);
  controls->addWidget(edtFileName, 1);
  controls->addWidget(btnRecord);
  controls->addWidget(btnClear);
  auto* top = new QVBoxLayout(this);
  top->addLayout(controls);
  if (ranking) {
    stgRanking = new QTableWidget(kMinimumRankRows, 4);
    stgRanking->setObjectName(QStringLiteral("stgRanking"));
    stgRanking->setHorizontalHeaderLabels({tr("Place"), tr("NAME"), tr("TIME"), tr("Delta")});
    stgRanking->verticalHeader()->hide();
    stgRanking->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    lblLost = new QLabel;
    lblLost->setObjectName(QStringLiteral("lblLost"));
    lblError = new QLabel;
    lblError->setObjectName(QStringLiteral("lblError"));
    auto* labels = new QHBoxLayout;
    labels->addWidget(lblLost);
    labels->addWidget(lblError, 1);
    top->addWidget(stgRanking, 2);
    top->addLayout(labels);
  }
  top->addWidget(lstTimes, 1);
  resize(760, ranking ? 520 : 360);

  tap_.SetView(this);
  modes_.Register(mode, this);
  dispatcher_.AddObserver(&tap_);
  connect(btnRecord, &QPushButton::clicked, this, [this] { ToggleRecording(); });
  connect(btnClear, &QPushButton::clicked, this, [this] { ClearAll(); });
}

TimingWindow::~TimingWindow() {
  dispatcher_.RemoveObserver(&tap_);
  modes_.SwitchOff(tap_.Mode());
  modes_.Unregister(tap_.Mode(), this);
}

void TimingWindow::AddRfControls(QWidget* controls) {
  if (auto* top = qobject_cast<QVBoxLayout*>(layout())) top->insertWidget(1, controls);
}

void TimingWindow::AddListLine(std::string_view line) {
  lstTimes->addItem(ToQString(line));
}

void TimingWindow::RankingChanged() {
  if (stgRanking == nullptr) return;
  const TimingRanking& ranking = tap_.Ranking();
  stgRanking->setRowCount(std::max(kMinimumRankRows, ranking.TagCount()));
  stgRanking->clearContents();
  for (int place = 0; place < ranking.TagCount(); ++place) {
    const RankRow row = ranking.Row(place);
    const QString cells[] = {QString::number(row.place), ToQString(row.name),
                             ToQString(row.timeText), ToQString(row.deltaText)};
    for (int column = 0; column < 4; ++column) {
      stgRanking->setItem(place, column, new QTableWidgetItem(cells[column]));
    }
  }
  lblLost->setText(ToQString(ranking.LostText()));
  lblError->setText(ToQString(ranking.ErrorText()));
}

void TimingWindow::SpecialModeSwitchedOff(SpecialMode) {
  // Another mode took over: this window no longer taps, so it closes.
  hide();
}

// Minimising and restoring (spontaneous events) keep the mode as it is.
void TimingWindow::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) modes_.SwitchOn(tap_.Mode());
  QWidget::showEvent(event);
}

void TimingWindow::hideEvent(QHideEvent* event) {
  if (!event->spontaneous()) modes_.SwitchOff(tap_.Mode());
  QWidget::hideEvent(event);
}

void TimingWindow::ToggleRecording() {
  if (tap_.IsRecording()) {
    tap_.StopRecording();
    btnRecord->setText(tr("Record"));
    return;
  }
  std::string error;
  if (tap_.StartRecording(edtFileName->text().toStdString(), error)) {
    btnRecord->setText(tr("Stop Recording"));
  } else {
    QMessageBox::warning(this, windowTitle(), QString::fromStdString(error));
  }
}

void TimingWindow::ClearAll() {
  lstTimes->clear();
  tap_.Clear();
}

}  // namespace corvalis
