#include "control/ui/HoppingPage.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "common/ChannelIndex.h"
#include "common/ui/ChannelCombo.h"
#include "common/ui/Named.h"

namespace corvalis {
namespace {

const char kTimingQuestion[] =
    "KELVO ARM-based readers require\n a dealy of 15 and an off time of 14.\n Are you sure you "
    "want to set no-standard values?";

struct FixedChoice {
  const char* name;
  const char* caption;
  int khz;
};
const FixedChoice kFcc[] = {{"rbtHopFccUpper", "Upper", 920100},
                            {"rbtHopFccMiddle", "Middle", 910200},
                            {"rbtHopFccLower", "Lower", 902800}};
const FixedChoice kCe[] = {{"rbtHopCE4", "CH4", 865700},
                           {"rbtHopCE7", "CH7", 866300},
                           {"rbtHopCE10", "CH10", 866900},
                           {"rbtHopCE13", "CH13", 867500}};
constexpr int kFccHopping = 3;
constexpr int kCeHopping = 4;
const int kSweepSteps[] = {50, 100, 125, 250, 500, 1000, 2500, 5000, 10000};

QSpinBox* Spin(const char* name, int minimum, int maximum, int value, QWidget* parent) {
  auto* spin = Named(new QSpinBox(parent), name);
  spin->setRange(minimum, maximum);
  spin->setValue(value);
  return spin;
}

QRadioButton* Radio(QButtonGroup* group, int id, const char* name, const char* caption,
                    QWidget* parent) {
  auto* radio = Named(new QRadioButton(QString::fromLatin1(caption), parent), name);
  group->addButton(radio, id);
  return radio;
}

}  // namespace

HoppingPage::HoppingPage(AppContext& context, int maxHoppingSpaces, QWidget* parent)
    : QWidget(parent), config_(context.readerConfig()) {
  cmbHopChannel = NewChannelCombo("cmbHopChannel", this);
  speHopReaderID = Spin("speHopReaderID", 0, 255, 0, this);
  plan_ = new QButtonGroup(this);
  auto* planRow = new QHBoxLayout;
  planRow->addWidget(new QLabel(QStringLiteral("Channel"), this));
  planRow->addWidget(cmbHopChannel);
  planRow->addWidget(new QLabel(QStringLiteral("Reader ID"), this));
  planRow->addWidget(speHopReaderID);
  planRow->addSpacing(20);
  planRow->addWidget(Radio(plan_, 0, "rbtHopPlanFcc", "Fcc", this));
  planRow->addWidget(Radio(plan_, 1, "rbtHopPlanCE", "CE", this));
  planRow->addWidget(Radio(plan_, 2, "rbtHopPlanCustom", "Custom", this));
  plan_->button(2)->setChecked(true);
  btnHopSend = Named(new QPushButton(QStringLiteral("Send"), this), "btnHopSend");
  auto* getSetup = Named(new QPushButton(QStringLiteral("Get Setup"), this), "btnHopGetSetup");
  planRow->addWidget(btnHopSend);
  planRow->addWidget(getSetup);
  planRow->addStretch();
  lblHopStatus = Named(new QLabel(this), "lblHopStatus");

  auto* plans = new QHBoxLayout;
  plans->addWidget(BuildFixed());
  plans->addWidget(BuildCustom(maxHoppingSpaces));
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(planRow);
  layout->addLayout(plans);
  layout->addWidget(BuildSweep());
  layout->addWidget(lblHopStatus);
  layout->addStretch();

  connect(btnHopSend, &QPushButton::clicked, this, &HoppingPage::Send);
  connect(getSetup, &QPushButton::clicked, this, &HoppingPage::GetSetup);
  connect(cmbHopChannel, &QComboBox::currentIndexChanged, this, &HoppingPage::UpdateTarget);
  connect(speHopReaderID, &QSpinBox::valueChanged, this, &HoppingPage::UpdateTarget);
  config_.AddListener(this);
  config_.SetTimingQuestion(this);
  SyncPlan();
  UpdateTarget();
  SweepBandChanged();
}

HoppingPage::~HoppingPage() {
  config_.SetTimingQuestion(nullptr);
  config_.RemoveListener(this);
}

QWidget* HoppingPage::BuildFixed() {
  auto* box = new QWidget(this);
  auto* column = new QVBoxLayout(box);
  column->setContentsMargins(0, 0, 0, 0);
  auto* fccGroup = Named(new QGroupBox(QStringLiteral("FCC"), box), "grpHopFcc");
  fcc_ = new QButtonGroup(fccGroup);
  auto* fccLayout = new QVBoxLayout(fccGroup);
  for (int i = 0; i < 3; ++i) {
    fccLayout->addWidget(Radio(fcc_, i, kFcc[i].name, kFcc[i].caption, fccGroup));
  }
  fccLayout->addWidget(Radio(fcc_, kFccHopping, "rbtHopFccHopping", "Hopping", fccGroup));
  fcc_->button(kFccHopping)->setChecked(true);

  auto* ceGroup = Named(new QGroupBox(QStringLiteral("CE"), box), "grpHopCE");
  ce_ = new QButtonGroup(ceGroup);
  auto* ceLayout = new QGridLayout(ceGroup);
  for (int i = 0; i < 4; ++i) {
    ceLayout->addWidget(Radio(ce_, i, kCe[i].name, kCe[i].caption, ceGroup), i / 2, i % 2);
  }
  ceLayout->addWidget(Radio(ce_, kCeHopping, "rbtHopCEHop", "CE HOP", ceGroup), 2, 0);
  ce_->button(kCeHopping)->setChecked(true);
  speHopDwellCE = Spin("speHopDwellCE", 36, 255, 36, ceGroup);
  speHopOffDelayCE = Spin("speHopOffDelayCE", 0, 15, 15, ceGroup);
  speHopOffTimeCE = Spin("speHopOffTimeCE", 0, 15, 14, ceGroup);
  ceLayout->addWidget(new QLabel(QStringLiteral("Dwell"), ceGroup), 3, 0);
  ceLayout->addWidget(speHopDwellCE, 3, 1);
  ceLayout->addWidget(new QLabel(QStringLiteral("Off delay"), ceGroup), 4, 0);
  ceLayout->addWidget(speHopOffDelayCE, 4, 1);
  ceLayout->addWidget(new QLabel(QStringLiteral("Off time"), ceGroup), 5, 0);
  ceLayout->addWidget(speHopOffTimeCE, 5, 1);
  column->addWidget(fccGroup);
  column->addWidget(ceGroup);
  return box;
}

QWidget* HoppingPage::BuildCustom(int maxHoppingSpaces) {
  auto* group = Named(new QGroupBox(QStringLiteral("Custom"), this), "grpHopCustom");
  edtHopStartFreq = Named(new QLineEdit(QStringLiteral("915.3"), group), "edtHopStartFreq");
  edtHopStartFreq->setToolTip(QStringLiteral("Starting frequency in MHz, 840 to 960"));
  cmbHopChannels = Named(new QComboBox(group), "cmbHopChannels");
  for (int n = 1; n <= 255; ++n) cmbHopChannels->addItem(QString::number(n));
  cmbHopSpaces = Named(new QComboBox(group), "cmbHopSpaces");
  for (int n = 1; n <= std::max(maxHoppingSpaces, 1); ++n)
    cmbHopSpaces->addItem(QString::number(n));
  width_ = new QButtonGroup(group);
  auto* widths = new QHBoxLayout;
  for (const int khz : {50, 100, 125, 250}) {
    const QByteArray name = QStringLiteral("rbtHopChanWidth%1").arg(khz).toLatin1();
    auto* radio =
        Named(new QRadioButton(QStringLiteral("%1 kHz").arg(khz), group), name.constData());
    width_->addButton(radio, khz);
    widths->addWidget(radio);
  }
  width_->button(100)->setChecked(true);
  speHopDwell = Spin("speHopDwell", 0, 255, 36, group);
  speHopOffTime = Spin("speHopOffTime", 0, 15, 14, group);
  speHopOffDelay = Spin("speHopOffDelay", 0, 15, 15, group);
  auto* form = new QFormLayout(group);
  form->addRow(QStringLiteral("Start (MHz)"), edtHopStartFreq);
  form->addRow(QStringLiteral("Channels"), cmbHopChannels);
  form->addRow(QStringLiteral("Spaces"), cmbHopSpaces);
  form->addRow(QStringLiteral("Width"), widths);
  form->addRow(QStringLiteral("Dwell"), speHopDwell);
  form->addRow(QStringLiteral("Off time"), speHopOffTime);
  form->addRow(QStringLiteral("Off delay"), speHopOffDelay);

  connect(edtHopStartFreq, &QLineEdit::textChanged, this, [this](const QString& text) {
    SyncPlan();
    Q_EMIT startFrequencyChanged(text);
  });
  connect(cmbHopChannels, &QComboBox::currentIndexChanged, this, &HoppingPage::SyncPlan);
  connect(cmbHopSpaces, &QComboBox::currentIndexChanged, this, &HoppingPage::SyncPlan);
  connect(width_, &QButtonGroup::idClicked, this, &HoppingPage::SyncPlan);
  for (QSpinBox* spin : {speHopDwell, speHopOffTime, speHopOffDelay}) {
    connect(spin, &QSpinBox::valueChanged, this, &HoppingPage::SyncPlan);
  }
  return group;
}

QWidget* HoppingPage::BuildSweep() {
  auto* group = Named(new QGroupBox(QStringLiteral("Sweep"), this), "grpHopSweep");
  speHopBot = Spin("speHopBot", 840, 960, 840, group);
  speHopTop = Spin("speHopTop", 840, 960, 960, group);
  cmbHopSweepSteps = Named(new QComboBox(group), "cmbHopSweepSteps");
  for (const int step : kSweepSteps) cmbHopSweepSteps->addItem(QString::number(step));
  cmbHopSweepSteps->setCurrentIndex(1);
  trbHopSweep = Named(new QSlider(Qt::Horizontal, group), "trbHopSweep");
  trbHopSweep->setTickPosition(QSlider::TicksBelow);
  speHopInterval = Spin("speHopInterval", 0, 36000, 0, group);
  speHopInterval->setToolTip(QStringLiteral("Ticks of 100 ms between steps; 0 = no change"));
  ckbHopSweepDown = Named(new QCheckBox(QStringLiteral("Sweep Down"), group), "ckbHopSweepDown");
  ckbHopAutoReverse = Named(new QCheckBox(QStringLiteral("Auto Rev"), group), "ckbHopAutoReverse");
  ckbHopAutoReverse->setToolTip(QStringLiteral("Change direction of sweep when limit is reached"));
  ckbHopLoop = Named(new QCheckBox(QStringLiteral("Loop"), group), "ckbHopLoop");
  ckbHopLoop->setToolTip(QStringLiteral("Wrap when a limit is reached"));

  auto* player = Named(new QWidget(group), "mplHopSweep");
  auto* buttons = new QHBoxLayout(player);
  buttons->setContentsMargins(0, 0, 0, 0);
  HoppingSweep& sweep = config_.sweep();
  const struct {
    const char* name;
    const char* caption;
    std::function<void()> run;
  } kPlayer[] = {
      {"btnHopPlay", "Play",
       [this, &sweep] {
         sweep.SetInterval(sweep.Interval() == 0 ? 10 : sweep.Interval());
         speHopInterval->setValue(sweep.Interval());
       }},
      {"btnHopPause", "Pause", [&sweep] { sweep.Pause(); }},
      {"btnHopStop", "Stop",
       [this] {
         speHopInterval->setValue(0);
         config_.sweep().SetInterval(0);
       }},
      {"btnHopPrev", "Prev", [this] { SliderMoved(0); }},
      {"btnHopBack", "Back", [this] { SliderMoved(std::max(config_.sweep().Position() - 1, 0)); }},
      {"btnHopStep", "Step",
       [this] { SliderMoved(std::min(config_.sweep().Position() + 1, config_.sweep().Max())); }},
      {"btnHopNext", "Next", [this] { SliderMoved(config_.sweep().Max()); }},
  };
  for (const auto& item : kPlayer) {
    auto* button = Named(new QPushButton(QString::fromLatin1(item.caption), player), item.name);
    connect(button, &QPushButton::clicked, this, item.run);
    buttons->addWidget(button);
  }

  auto* grid = new QGridLayout(group);
  grid->addWidget(new QLabel(QStringLiteral("Bottom (MHz)"), group), 0, 0);
  grid->addWidget(speHopBot, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("Top (MHz)"), group), 0, 2);
  grid->addWidget(speHopTop, 0, 3);
  grid->addWidget(new QLabel(QStringLiteral("Step (kHz)"), group), 0, 4);
  grid->addWidget(cmbHopSweepSteps, 0, 5);
  grid->addWidget(trbHopSweep, 1, 0, 1, 6);
  grid->addWidget(new QLabel(QStringLiteral("Interval"), group), 2, 0);
  grid->addWidget(speHopInterval, 2, 1);
  grid->addWidget(ckbHopSweepDown, 2, 2);
  grid->addWidget(ckbHopAutoReverse, 2, 3);
  grid->addWidget(ckbHopLoop, 2, 4);
  grid->addWidget(player, 3, 0, 1, 6);

  connect(speHopBot, &QSpinBox::valueChanged, this, [this](int bottom) {
    if (bottom >= 840) SweepBandChanged();
  });
  connect(speHopTop, &QSpinBox::valueChanged, this, &HoppingPage::SweepBandChanged);
  connect(cmbHopSweepSteps, &QComboBox::activated, this, &HoppingPage::SweepStepChosen);
  connect(trbHopSweep, &QSlider::valueChanged, this, &HoppingPage::SliderMoved);
  connect(speHopInterval, &QSpinBox::valueChanged, this,
          [this](int ticks) { config_.sweep().SetInterval(ticks); });
  connect(ckbHopSweepDown, &QCheckBox::toggled, this,
          [this](bool on) { config_.sweep().SetDown(on); });
  connect(ckbHopAutoReverse, &QCheckBox::toggled, this, [this](bool on) {
    config_.sweep().SetAutoReverse(on);
    if (on) ckbHopLoop->setChecked(false);
  });
  connect(ckbHopLoop, &QCheckBox::toggled, this, [this](bool on) {
    config_.sweep().SetLoop(on);
    if (on) ckbHopAutoReverse->setChecked(false);
  });
  return group;
}

int HoppingPage::WidthKhz() const {
  const int id = width_->checkedId();
  return id > 0 ? id : 100;
}

void HoppingPage::SyncPlan() {
  CustomHopPlan& plan = config_.hopPlan();
  plan.startMhz = edtHopStartFreq->text().trimmed().toStdString();
  plan.channels = cmbHopChannels->currentIndex() + 1;
  plan.spaces = cmbHopSpaces->currentIndex() + 1;
  plan.maxSpaces = cmbHopSpaces->count();
  plan.widthKhz = WidthKhz();
  plan.dwell = speHopDwell->value();
  plan.offTime = speHopOffTime->value();
  plan.offDelay = speHopOffDelay->value();
}

void HoppingPage::UpdateTarget() {
  const int channel = cmbHopChannel->currentIndex();
  config_.SetHopTarget(IsValidChannel(channel) ? channel : -1, speHopReaderID->value());
}

void HoppingPage::Send() {
  UpdateTarget();
  SyncPlan();
  const int channel = cmbHopChannel->currentIndex();
  const int readerId = speHopReaderID->value();
  std::string message;
  switch (plan_->checkedId()) {
    case 0: {
      const int fixed = fcc_->checkedId();
      if (fixed == kFccHopping) {
        if (!config_.StartSequence(channel, readerId, FccHoppingBodies())) {
          message = "A command sequence is still running";
        }
      } else {
        const BuiltBodies built = FixedFrequencyBodies(kFcc[fixed].khz);
        if (!config_.StartSequence(channel, readerId, built.bodies)) message = built.message;
      }
      break;
    }
    case 1: {
      const int fixed = ce_->checkedId();
      if (fixed == kCeHopping) {
        askingCe_ = true;
        message = config_.SendCePlan(speHopDwellCE->value(), speHopOffDelayCE->value(),
                                     speHopOffTimeCE->value());
        askingCe_ = false;
      } else {
        const BuiltBodies built = FixedFrequencyBodies(kCe[fixed].khz);
        if (!config_.StartSequence(channel, readerId, built.bodies)) message = built.message;
      }
      break;
    }
    default:
      message = config_.SendCustomPlan();
      break;
  }
  // Disabled while the plan runs; SequenceEnded gives it back.
  btnHopSend->setEnabled(!config_.sequence().Running());
  Report(message);
}

void HoppingPage::GetSetup() {
  UpdateTarget();
  if (!config_.StartSequence(cmbHopChannel->currentIndex(), speHopReaderID->value(),
                             GetHoppingSetupBodies())) {
    Report("A command sequence is still running");
  }
}

void HoppingPage::Report(const std::string& message) {
  if (message.empty()) return;
  const QString text = QString::fromStdString(message);
  lblHopStatus->setText(text);
  if (showMessage_) {
    showMessage_(text);
  } else {
    QMessageBox::warning(this, QStringLiteral("Hopping"), text);
  }
}

TimingAnswer HoppingPage::AskNonStandardTiming() {
  TimingAnswer answer = TimingAnswer::kKeep;
  if (askTiming_) {
    answer = askTiming_();
  } else {
    const auto button = QMessageBox::warning(
        this, QStringLiteral("Hopping"), QString::fromLatin1(kTimingQuestion),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel);
    answer = button == QMessageBox::Yes  ? TimingAnswer::kKeep
             : button == QMessageBox::No ? TimingAnswer::kUseStandard
                                         : TimingAnswer::kCancel;
  }
  if (answer == TimingAnswer::kUseStandard) {
    QSpinBox* delay = askingCe_ ? speHopOffDelayCE : speHopOffDelay;
    QSpinBox* time = askingCe_ ? speHopOffTimeCE : speHopOffTime;
    delay->setValue(15);
    time->setValue(14);
  }
  return answer;
}

void HoppingPage::SequenceEnded(const std::string& status) {
  btnHopSend->setEnabled(true);
  lblHopStatus->setText(QString::fromStdString(status));
}

void HoppingPage::SweepBandChanged() {
  const int step = kSweepSteps[std::max(cmbHopSweepSteps->currentIndex(), 0)];
  config_.sweep().SetBand(speHopBot->value(), speHopTop->value(), step);
  moving_ = true;
  trbHopSweep->setRange(0, config_.sweep().Max());
  trbHopSweep->setTickInterval(config_.sweep().Max() >= 20 ? 5 : 1);
  trbHopSweep->setValue(config_.sweep().Position());
  moving_ = false;
}

void HoppingPage::SweepStepChosen(int index) {
  const int step = kSweepSteps[index];
  const int width = step <= 250 ? step : 100;
  width_->button(width)->setChecked(true);
  edtHopStartFreq->setText(QStringLiteral("840.0"));
  SweepBandChanged();
}

void HoppingPage::SliderMoved(int position) {
  if (moving_) return;
  moving_ = true;
  SyncPlan();
  UpdateTarget();
  const std::string message = config_.SweepTo(position);
  moving_ = false;
  ShowSweepPosition();
  // A sweep step is not worth a box; the label says why nothing went out.
  if (!message.empty()) lblHopStatus->setText(QString::fromStdString(message));
}

void HoppingPage::SweepStepped() {
  ShowSweepPosition();
}

void HoppingPage::ShowSweepPosition() {
  const bool wasMoving = moving_;
  moving_ = true;
  trbHopSweep->setValue(config_.sweep().Position());
  ckbHopSweepDown->setChecked(config_.sweep().Down());
  const QString text = QString::fromStdString(config_.sweep().FrequencyText());
  if (edtHopStartFreq->text() != text) edtHopStartFreq->setText(text);
  moving_ = wasMoving;
}

}  // namespace corvalis
