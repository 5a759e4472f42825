#include "tagrw/ui/RWTagTestPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "control/ui/HistoryCombo.h"
#include "tagrw/TtoConfig.h"

namespace corvalis {
namespace {

template <class T>
T* Named(T* object, const QString& name) {
  object->setObjectName(name);
  return object;
}

// A read panel that reports double-clicks.
class ReadPanel final : public QLabel {
 public:
  explicit ReadPanel(std::function<void()> onDoubleClick)
      : onDoubleClick_(std::move(onDoubleClick)) {}

 protected:
  void mouseDoubleClickEvent(QMouseEvent*) override { onDoubleClick_(); }

 private:
  std::function<void()> onDoubleClick_;
};

// A counter panel that reports clicks.
class CounterPanel final : public QLabel {
 public:
  explicit CounterPanel(std::function<void()> onClick) : onClick_(std::move(onClick)) {}

 protected:
  void mousePressEvent(QMouseEvent*) override {
    if (onClick_) onClick_();
  }

 private:
  std::function<void()> onClick_;
};

void Paint(QLabel* label, const QColor& colour) {
  if (!colour.isValid()) {
    label->setStyleSheet(QStringLiteral("QLabel { border: 1px solid gray; }"));
    return;
  }
  label->setStyleSheet(
      QStringLiteral("QLabel { background: %1; border: 1px solid gray; }").arg(colour.name()));
}

}  // namespace

QColor RWTagTestPage::ResultColour(PageResult result) {
  switch (result) {
    case PageResult::kExact:
      return QColor(0, 255, 0);  // lime
    case PageResult::kFirstDiffers:
      return QColor(0, 128, 0);  // green
    case PageResult::kFirstTwoDiffer:
      return QColor(0, 128, 128);  // teal
    case PageResult::kDiffers:
      return QColor(255, 255, 0);
    case PageResult::kNoData:
      return QColor(255, 0, 0);
    case PageResult::kNone:
      break;
  }
  return {};
}

RWTagTestPage::RWTagTestPage(AppContext& context, std::function<Target()> target, QWidget* parent)
    : QWidget(parent), context_(context), test_(context.tagRw()), target_(std::move(target)) {
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(BuildGrid());
  layout->addWidget(BuildControls(), 1);
  test_.SetView(this);
  Refresh();
}

RWTagTestPage::~RWTagTestPage() {
  test_.SetView(nullptr);
}

QWidget* RWTagTestPage::BuildGrid() {
  auto* box = new QGroupBox(QStringLiteral("Pages"));
  auto* grid = new QGridLayout(box);
  grid->setVerticalSpacing(2);
  grid->addWidget(new QLabel(QStringLiteral("Page")), 0, 0);
  grid->addWidget(new QLabel(QStringLiteral("Data")), 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("W")), 0, 2);
  grid->addWidget(new QLabel(QStringLiteral("R")), 0, 3);
  grid->addWidget(new QLabel(QStringLiteral("Read back")), 0, 4);
  for (int n = 0; n < kTagPages; ++n) {
    const auto i = static_cast<size_t>(n);
    const int row = n + 1;
    grid->addWidget(new QLabel(QString::number(n)), row, 0);
    cmbRWData[i] = Named(new QComboBox, QStringLiteral("cmbRWData%1").arg(n));
    cmbRWData[i]->setEditable(true);
    cmbRWData[i]->setMinimumWidth(170);
    connect(cmbRWData[i], &QComboBox::editTextChanged, this, [this, i](const QString& text) {
      if (!refreshing_) test_.pages()[i].data = text.trimmed().toStdString();
    });
    grid->addWidget(cmbRWData[i], row, 1);
    ckbRWWrite[i] = Named(new QCheckBox, QStringLiteral("ckbRWWrite%1").arg(n));
    connect(ckbRWWrite[i], &QCheckBox::toggled, this, [this, i](bool on) {
      if (!refreshing_) test_.pages()[i].write = on;
    });
    grid->addWidget(ckbRWWrite[i], row, 2);
    ckbRWRead[i] = Named(new QCheckBox, QStringLiteral("ckbRWRead%1").arg(n));
    connect(ckbRWRead[i], &QCheckBox::toggled, this, [this, i](bool on) {
      if (!refreshing_) test_.pages()[i].read = on;
    });
    grid->addWidget(ckbRWRead[i], row, 3);
    auto* panel = new ReadPanel([this, i, n] {
      RwPage& page = test_.pages()[i];
      page.data = page.readBack;
      cmbRWData[i]->addItem(QString::fromStdString(page.readBack));
      if (n == 0) emit tagIdChosen(QString::fromStdString(page.readBack));
      Refresh();
    });
    pnlRWRead[i] = Named<QLabel>(panel, QStringLiteral("pnlRWRead%1").arg(n));
    pnlRWRead[i]->setMinimumWidth(150);
    pnlRWRead[i]->setFont(QFont(QStringLiteral("Monospace")));
    grid->addWidget(pnlRWRead[i], row, 4);
  }
  auto* tools = new QHBoxLayout;
  tools->addWidget(Button("btnRWCopyReads", QStringLiteral("<<"), [this] {
    test_.CopyReadsToData();
    for (int n = 0; n < kTagPages; ++n)
      cmbRWData[static_cast<size_t>(n)]->addItem(
          QString::fromStdString(test_.pages()[static_cast<size_t>(n)].data));
  }));
  tools->addWidget(Button("btnRWToggleWrite", QStringLiteral("0/1 W"),
                          [this] { test_.SetAllWrite(!test_.pages()[0].write); }));
  tools->addWidget(Button("btnRWToggleRead", QStringLiteral("0/1 R"),
                          [this] { test_.SetAllRead(!test_.pages()[0].read); }));
  tools->addWidget(
      Button("btnRWClearReads", QStringLiteral("Clear"), [this] { test_.ClearReads(); }));
  grid->addLayout(tools, kTagPages + 1, 0, 1, 5);
  grid->setRowStretch(kTagPages + 2, 1);
  return box;
}

void RWTagTestPage::AddPageToHistory(int page) {
  Refresh();
  AddToHistory(cmbRWData[static_cast<size_t>(page)]);
}

QPushButton* RWTagTestPage::Button(const char* name, const QString& caption,
                                   std::function<void()> action) {
  auto* button = Named(new QPushButton(caption), QString::fromLatin1(name));
  connect(button, &QPushButton::clicked, this, [this, action = std::move(action)] {
    TakeTarget();
    action();
    Refresh();
  });
  return button;
}

QCheckBox* RWTagTestPage::Option(const char* name, const QString& caption,
                                 bool RwTestOptions::*field) {
  auto* box = Named(new QCheckBox(caption), QString::fromLatin1(name));
  connect(box, &QCheckBox::toggled, this, [this, field](bool on) {
    if (!refreshing_) test_.options().*field = on;
  });
  options_.emplace_back(box, field);
  return box;
}

void RWTagTestPage::TakeTarget() {
  const Target t = target_();
  test_.SetTarget(t.channel, t.readerId, t.tagId.trimmed().toStdString());
}

void RWTagTestPage::SetTtoControlsShown(bool shown) {
  for (QWidget* control : ttoControls_) control->setVisible(shown);
}

QWidget* RWTagTestPage::BuildControls() {
  auto* column = new QWidget;
  auto* v = new QVBoxLayout(column);

  auto* run = new QGroupBox(QStringLiteral("Test"));
  auto* runGrid = new QGridLayout(run);
  btnRWExecute = Button("btnRWExecute", QStringLiteral("All"), [this] { test_.StartAll(); });
  speRWPageNo = Named(new QSpinBox, QStringLiteral("speRWPageNo"));
  speRWPageNo->setRange(0, kTagPages - 1);
  btnRWPage = Button("btnRWPage", QStringLiteral("Page"),
                     [this] { test_.StartPage(speRWPageNo->value()); });
  btnRWStop = Button("btnRWStop", QStringLiteral("Stop"), [this] { test_.Stop(); });
  btnRWSuspend = Button("btnRWSuspend", QStringLiteral("Suspend"), [this] { test_.SendSuspend(); });
  btnRWResume = Button("btnRWResume", QStringLiteral("Resume"), [this] { test_.SendResume(); });
  runGrid->addWidget(btnRWExecute, 0, 0);
  runGrid->addWidget(btnRWPage, 0, 1);
  runGrid->addWidget(speRWPageNo, 0, 2);
  runGrid->addWidget(btnRWStop, 0, 3);
  runGrid->addWidget(btnRWSuspend, 1, 0);
  runGrid->addWidget(btnRWResume, 1, 1);
  auto* pgm = Button("btnRWPgm", QStringLiteral("Pgm"), [this] { emit programRequested(); });
  runGrid->addWidget(pgm, 1, 2);
  // The trim arrows: Faster and Slower of the TTO programmer.
  auto* arrows = Named(new QWidget, QStringLiteral("udRWChangeRate"));
  auto* arrowColumn = new QVBoxLayout(arrows);
  arrowColumn->setContentsMargins(0, 0, 0, 0);
  arrowColumn->setSpacing(0);
  auto* up = Button("btnRWRateUp", QStringLiteral("\u25b2"), [this] { context_.tto().Faster(); });
  auto* down =
      Button("btnRWRateDown", QStringLiteral("\u25bc"), [this] { context_.tto().Slower(); });
  for (QPushButton* arrow : {up, down}) {
    arrow->setMaximumHeight(14);
    arrowColumn->addWidget(arrow);
  }
  runGrid->addWidget(arrows, 1, 3);
  v->addWidget(run);

  auto* options = new QGroupBox(QStringLiteral("Options"));
  auto* optionGrid = new QGridLayout(options);
  optionGrid->addWidget(
      Option("ckbRWContinuous", QStringLiteral("Continuous"), &RwTestOptions::continuous), 0, 0);
  optionGrid->addWidget(Option("ckbRWTestBed", QStringLiteral("Test Bed"), &RwTestOptions::testBed),
                        0, 1);
  optionGrid->addWidget(Option("ckbRWInc", QStringLiteral("inc"), &RwTestOptions::inc), 0, 2);
  optionGrid->addWidget(Option("ckbRWSusp", QStringLiteral("susp"), &RwTestOptions::susp), 0, 3);
  optionGrid->addWidget(Option("ckbRWSkipRed", QStringLiteral("X"), &RwTestOptions::skipRedWrites),
                        1, 0);
  optionGrid->addWidget(
      Option("ckbRWUncheckGreen", QStringLiteral("Uncheck green"), &RwTestOptions::uncheckGreen), 1,
      1);
  optionGrid->addWidget(
      Option("ckbRWUncheckYellow", QStringLiteral("Uncheck yellow"), &RwTestOptions::uncheckYellow),
      1, 2);
  optionGrid->addWidget(Option("ckbRWUseID", QStringLiteral("use ID"), &RwTestOptions::useId), 1,
                        3);
  optionGrid->addWidget(Option("ckbRW2G", QStringLiteral("2G"), &RwTestOptions::secondGen), 2, 0);
  ckbRWColourMemo =
      Named(new QCheckBox(QStringLiteral("Colour")), QStringLiteral("ckbRWColourMemo"));
  connect(ckbRWColourMemo, &QCheckBox::toggled, this, [this] { Refresh(); });
  optionGrid->addWidget(ckbRWColourMemo, 2, 1);
  v->addWidget(options);

  auto* presets = new QGroupBox(QStringLiteral("Presets"));
  auto* presetRow = new QHBoxLayout(presets);
  presetRow->addWidget(Button("btnRWIDPreset", QStringLiteral("ID"), [this] { test_.IdPreset(); }));
  presetRow->addWidget(Button("btnRWLearn", QStringLiteral("Learn"), [this] { test_.Learn(); }));
  presetRow->addWidget(
      Button("btnRWReadPreset", QStringLiteral("Read"), [this] { test_.ReadPreset(); }));
  presetRow->addWidget(
      Button("btnRWWritePreset", QStringLiteral("Write"), [this] { test_.WritePreset(); }));
  presetRow->addWidget(
      Button("btnRWWE", QStringLiteral("WE"), [this] { test_.WriteEnablePreset(); }));
  v->addWidget(presets);

  auto* dataBox = new QGroupBox(QStringLiteral("Data"));
  auto* dataRow = new QHBoxLayout(dataBox);
  for (const char digit : {'0', 'F', 'A', '5'}) {
    const QString caption(QChar::fromLatin1(digit));
    dataRow->addWidget(Button(QStringLiteral("btnRWFill%1").arg(caption).toLatin1().constData(),
                              caption, [this, digit] { test_.FillPages(digit); }));
  }
  dataRow->addWidget(
      Button("btnRWCopyDown", QStringLiteral("Copy 0 down"), [this] { test_.CopyPageZeroDown(); }));
  dataRow->addWidget(
      Button("btnRWFillByPage", QStringLiteral("0-e"), [this] { test_.FillByPageNumber(); }));
  dataRow->addWidget(Button("btnRWInc", QStringLiteral("Inc"), [this] { test_.IncrementPages(); }));
  dataRow->addWidget(
      Button("btnRWCRC", QStringLiteral("CRC"), [this] { context_.tto().RecomputeCrcs(); }));
  v->addWidget(dataBox);

  auto* rates = new QGroupBox(QStringLiteral("Rate"));
  auto* rateRow = new QHBoxLayout(rates);
  TtoProgrammer& tto = context_.tto();
  rateRow->addWidget(Button("btnRW4k", QStringLiteral("4k"), [&tto] { tto.SelectRate(205); }));
  rateRow->addWidget(Button("btnRW16k", QStringLiteral("16k"), [&tto] { tto.SelectRate(45); }));
  auto* ut = Button("btnRWUT", QStringLiteral("ut"), [&tto] {
    tto.SelectRate(TtoProgrammer::kUntrimmedPeriod4, TtoProgrammer::kTagBaud128k);
  });
  auto* normal = Button("btnRWNormal", QStringLiteral("nor"), [&tto] {
    tto.SelectRate(TtoProgrammer::kNormalPeriod4, TtoProgrammer::kTagBaud256k);
  });
  rateRow->addWidget(ut);
  rateRow->addWidget(normal);
  ttoControls_ = {arrows, pgm, ut, normal};
  v->addWidget(rates);

  auto* counters = new QGroupBox(QStringLiteral("Results"));
  auto* counterRow = new QHBoxLayout(counters);
  auto counter = [&](const char* name, const QColor& colour, std::function<void()> click) {
    auto* label = Named<QLabel>(new CounterPanel(std::move(click)), QString::fromLatin1(name));
    label->setMinimumWidth(50);
    label->setAlignment(Qt::AlignCenter);
    Paint(label, colour);
    counterRow->addWidget(label);
    return label;
  };
  lblNumGreen = counter("lblNumGreen", ResultColour(PageResult::kExact),
                        [this] { test_.UncheckByResult(false); });
  lblNumDarkGreen = counter("lblNumDarkGreen", ResultColour(PageResult::kFirstDiffers),
                            [this] { test_.UncheckByResult(false); });
  lblNumYellow = counter("lblNumYellow", ResultColour(PageResult::kDiffers),
                         [this] { test_.UncheckByResult(true); });
  lblNumRed = counter("lblNumRed", ResultColour(PageResult::kNoData), nullptr);
  lblNumTot = counter("lblNumTot", {}, nullptr);
  v->addWidget(counters);

  lsbRWTagsList = Named(new QListWidget, QStringLiteral("lsbRWTagsList"));
  v->addWidget(lsbRWTagsList, 1);
  return column;
}

void RWTagTestPage::Refresh() {
  refreshing_ = true;
  for (int n = 0; n < kTagPages; ++n) {
    const auto i = static_cast<size_t>(n);
    const RwPage& page = test_.pages()[i];
    const QString pageData = QString::fromStdString(page.data);
    if (cmbRWData[i]->currentText() != pageData) cmbRWData[i]->setEditText(pageData);
    ckbRWWrite[i]->setChecked(page.write);
    ckbRWRead[i]->setChecked(page.read);
    pnlRWRead[i]->setText(QString::fromStdString(page.readBack));
    Paint(pnlRWRead[i], page.writing ? QColor(0, 255, 255) : ResultColour(page.result));
  }
  for (auto& [box, field] : options_) box->setChecked(test_.options().*field);
  const RwCounters& c = test_.counters();
  lblNumGreen->setText(QString::number(c.lime));
  lblNumDarkGreen->setText(QString::number(c.darkGreen));
  lblNumYellow->setText(QString::number(c.yellow));
  lblNumRed->setText(QString::number(c.red));
  lblNumTot->setText(QString::number(c.Total()));
  const bool locked = test_.Running() && test_.options().continuous;
  btnRWExecute->setEnabled(!locked);
  btnRWPage->setEnabled(!locked);
  btnRWSuspend->setEnabled(!locked);
  btnRWResume->setEnabled(!locked);
  btnRWStop->setEnabled(test_.Running());
  if (ckbRWColourMemo->isChecked()) {
    PageResult last = PageResult::kNone;
    for (const RwPage& page : test_.pages())
      if (page.result != PageResult::kNone) last = page.result;
    const QColor colour = ResultColour(last);
    lsbRWTagsList->setStyleSheet(
        colour.isValid() ? QStringLiteral("QListWidget { background: %1; }").arg(colour.name())
                         : QString());
  } else {
    lsbRWTagsList->setStyleSheet({});
  }
  refreshing_ = false;
}

void RWTagTestPage::ShowCrcReminder() {
  if (crcReminderOff_) return;
  auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("R/W Tag Test"),
                              QStringLiteral("Remember to set the reader to ignore CRCs when using "
                                             "these functions."),
                              QMessageBox::Ok, this);
  box->setObjectName(QStringLiteral("CrcReminder"));
  auto* dontShow = new QCheckBox(QStringLiteral("Don't Show This Message Again"));
  box->setCheckBox(dontShow);
  box->setAttribute(Qt::WA_DeleteOnClose);
  connect(box, &QMessageBox::finished, this,
          [this, dontShow] { crcReminderOff_ = dontShow->isChecked(); });
  box->setWindowModality(Qt::ApplicationModal);
  box->open();
}

}  // namespace corvalis
