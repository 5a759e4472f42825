#include "tagrw/ui/TTOProgrammerPage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "common/ui/Named.h"
#include "tagrw/ui/TtoConfigDialog.h"

namespace corvalis {
namespace {

constexpr int kMemoMaxLines = 100;
const QColor kInvertedIdColour(176, 255, 176);

// A panel that reports double-clicks.
class ClickPanel final : public QLabel {
 public:
  explicit ClickPanel(std::function<void()> onDoubleClick)
      : onDoubleClick_(std::move(onDoubleClick)) {}

 protected:
  void mouseDoubleClickEvent(QMouseEvent*) override { onDoubleClick_(); }

 private:
  std::function<void()> onDoubleClick_;
};

// Setting a style sheet parses it again and restyles the widget, even when
// nothing changed.
void SetStyle(QLabel* label, const QString& style) {
  if (label->styleSheet() != style) label->setStyleSheet(style);
}

QString PanelStyle(const QColor& background, const QColor& text = QColor(Qt::black)) {
  if (!background.isValid()) return QStringLiteral("QLabel { border: 1px solid gray; }");
  return QStringLiteral("QLabel { background: %1; color: %2; border: 1px solid gray; }")
      .arg(background.name(), text.name());
}

QLineEdit* HexField(const char* name) {
  auto* field = Named(new QLineEdit, name);
  field->setMaxLength(16);
  field->setFont(QFont(QStringLiteral("Monospace")));
  field->setMinimumWidth(170);
  return field;
}

QLabel* Panel(QLabel* panel, const char* name) {
  Named(panel, name);
  panel->setFont(QFont(QStringLiteral("Monospace")));
  panel->setMinimumWidth(170);
  panel->setStyleSheet(PanelStyle({}));
  return panel;
}

TtoConfig ConfigFieldsOf(const CommandWordFields& f) {
  TtoConfig c;
  c.tamper = f.tamper;
  c.delay = f.delay;
  c.txRate = f.txRate;
  c.startPage = f.startPage;
  c.numPages = f.numPages;
  return c;
}

}  // namespace

QColor TTOProgrammerPage::BandColour(RateBand band) {
  switch (band) {
    case RateBand::kRed:
      return QColor(255, 0, 0);
    case RateBand::kTarget:
      return QColor(0, 255, 0);
    case RateBand::kHigh:
      return QColor(255, 255, 0);
    case RateBand::kLow:
      break;
  }
  return {};
}

TTOProgrammerPage::TTOProgrammerPage(AppContext& context,
                                     std::function<RWTagTestPage::Target()> target,
                                     std::function<CommandWordFields()> commanderFields,
                                     QWidget* parent)
    : QWidget(parent),
      context_(context),
      tto_(context.tto()),
      target_(std::move(target)),
      commanderFields_(std::move(commanderFields)),
      runDialog_([](QDialog& dialog) { return dialog.exec(); }),
      configDialog_(std::make_unique<TtoConfigDialog>()) {
  auto* layout = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  left->addWidget(BuildFields());
  left->addWidget(BuildButtons());
  left->addStretch();
  layout->addLayout(left);
  auto* right = new QVBoxLayout;
  memPrgIncoming = Named(new QPlainTextEdit, "memPrgIncoming");
  memPrgIncoming->setReadOnly(true);
  memPrgIncoming->setMaximumBlockCount(kMemoMaxLines);
  ckbPrgShowIncoming = Named(new QCheckBox(QStringLiteral("show")), "ckbPrgShowIncoming");
  ckbPrgShowIncoming->setChecked(true);
  lsbPrgTagsList = Named(new QListWidget, "lsbPrgTagsList");
  right->addWidget(ckbPrgShowIncoming);
  right->addWidget(memPrgIncoming, 2);
  right->addWidget(lsbPrgTagsList, 1);
  layout->addLayout(right, 1);

  tto_.SetHost(this);
  context_.tagRw().SetTtoSink(this);
  context_.spine().dispatcher.AddObserver(this);
  Refresh();
}

TTOProgrammerPage::~TTOProgrammerPage() {
  context_.spine().dispatcher.RemoveObserver(this);
  context_.tagRw().SetTtoSink(nullptr);
  tto_.SetHost(nullptr);
}

QWidget* TTOProgrammerPage::BuildFields() {
  auto* box = new QGroupBox(QStringLiteral("Tag"));
  auto* grid = new QGridLayout(box);
  edtPrgID = HexField("edtPrgID");
  edtPrgConfig = HexField("edtPrgConfig");
  pnlPrgID = Panel(new QLabel, "pnlPrgID");
  pnlPrgConfig = Panel(new ClickPanel([this] {
                         TakeTarget();
                         tto_.TakeConfigReadBack(commanderFields_().total);
                       }),
                       "pnlPrgConfig");
  lblPrgRate = Named(new QLabel, "lblPrgRate");
  lblPrgRate->setMinimumWidth(110);
  lblPrgRate->setAlignment(Qt::AlignCenter);
  QFont rateFont = lblPrgRate->font();
  rateFont.setPointSize(rateFont.pointSize() * 2);
  rateFont.setBold(true);
  lblPrgRate->setFont(rateFont);
  connect(edtPrgID, &QLineEdit::textEdited, this,
          [this](const QString& text) { tto_.SetId(text.trimmed().toStdString()); });
  connect(edtPrgConfig, &QLineEdit::textEdited, this,
          [this](const QString& text) { tto_.SetConfig(text.trimmed().toStdString()); });
  grid->addWidget(new QLabel(QStringLiteral("ID")), 0, 0);
  grid->addWidget(edtPrgID, 0, 1);
  grid->addWidget(pnlPrgID, 0, 2);
  grid->addWidget(new QLabel(QStringLiteral("Config")), 1, 0);
  grid->addWidget(edtPrgConfig, 1, 1);
  grid->addWidget(pnlPrgConfig, 1, 2);
  grid->addWidget(new QLabel(QStringLiteral("Rate")), 0, 3);
  grid->addWidget(lblPrgRate, 1, 3);
  return box;
}

QPushButton* TTOProgrammerPage::Button(const char* name, const QString& caption,
                                       std::function<void()> action) {
  auto* button = Named(new QPushButton(caption), name);
  connect(button, &QPushButton::clicked, this, [this, action = std::move(action)] {
    TakeTarget();
    action();
    Refresh();
  });
  return button;
}

QWidget* TTOProgrammerPage::BuildButtons() {
  TagRwTest& test = context_.tagRw();
  auto* box = new QWidget;
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(0, 0, 0, 0);

  auto* tag = new QGroupBox(QStringLiteral("New tag"));
  auto* tagRow = new QHBoxLayout(tag);
  tagRow->addWidget(Button("btnPrgSetup", QStringLiteral("Set&up"), [this] { tto_.Setup(); }));
  tagRow->addWidget(Button("btnPrgNext", QStringLiteral("&Next"), [this] {
    tto_.Next();
    emit idPageUsed();
  }));
  tagRow->addWidget(Button("btnPrgAgain", QStringLiteral("&Again"), [this] {
    tto_.Again();
    emit idPageUsed();
  }));
  tagRow->addWidget(
      Button("btnPrgTest", QStringLiteral("&Test"), [this] { tto_.Test(tto_.ChosenPeriod4()); }));
  tagRow->addWidget(
      Button("btnPrgProgram", QStringLiteral("&Program"), [this] { tto_.Program(); }));
  grid->addWidget(tag, 0, 0, 1, 2);

  auto* id = new QGroupBox(QStringLiteral("ID"));
  auto* idRow = new QHBoxLayout(id);
  idRow->addWidget(Button("btnPrgWriteID", QStringLiteral("&Write"), [this] { tto_.WriteId(); }));
  idRow->addWidget(Button("btnPrgReadID", QStringLiteral("&Read"), [this] { tto_.ReadId(); }));
  grid->addWidget(id, 1, 0);

  auto* config = new QGroupBox(QStringLiteral("Configuration"));
  auto* configGrid = new QGridLayout(config);
  configGrid->addWidget(
      Button("btnPrgWriteConfig", QStringLiteral("Wr&ite"), [this] { tto_.WriteConfig(); }), 0, 0);
  configGrid->addWidget(
      Button("btnPrgReadConfig", QStringLiteral("R&ead"), [this] { tto_.ReadConfig(); }), 0, 1);
  configGrid->addWidget(Button("btnPrgLoad", QStringLiteral("&Load "),
                               [this] { tto_.Load(ConfigFieldsOf(commanderFields_())); }),
                        0, 2);
  configGrid->addWidget(Button("btnPrgSet", QStringLiteral("Set"), [this] { EditConfiguration(); }),
                        0, 3);
  auto* bias = Button("btnPrgBias", QStringLiteral("<&Bias"), [this] { tto_.CopyBias(); });
  bias->setToolTip(QStringLiteral("Copy bias value from actual to config"));
  configGrid->addWidget(bias, 1, 0);
  configGrid->addWidget(
      Button("btnPrgFaster", QStringLiteral("&Faster"), [this] { tto_.Faster(); }), 1, 1);
  configGrid->addWidget(
      Button("btnPrgSlower", QStringLiteral("&Slower"), [this] { tto_.Slower(); }), 1, 2);
  grid->addWidget(config, 1, 1);

  auto* reader = new QGroupBox(QStringLiteral("Reader"));
  auto* readerRow = new QHBoxLayout(reader);
  readerRow->addWidget(
      Button("btnPrgSuspend", QStringLiteral("Suspend"), [&test] { test.SendSuspend(); }));
  readerRow->addWidget(
      Button("btnPrgResume", QStringLiteral("Resume"), [&test] { test.SendResume(); }));
  readerRow->addWidget(Button("btnPrgTxOn", QStringLiteral("TX On"), [&test] { test.RfOn(); }));
  readerRow->addWidget(Button("btnPrgTxOff", QStringLiteral("TX Off"), [&test] { test.RfOff(); }));
  readerRow->addWidget(Button("btnPrgStop", QStringLiteral("&Stop"), [&test] { test.Stop(); }));
  grid->addWidget(reader, 2, 0, 1, 2);
  return box;
}

void TTOProgrammerPage::TakeTarget() {
  const RWTagTestPage::Target t = target_();
  context_.tagRw().SetTarget(t.channel, t.readerId, t.tagId.trimmed().toStdString());
}

void TTOProgrammerPage::EditConfiguration() {
  configDialog_->TakeApart(tto_.Config());
  configDialog_->SetCrcChoice(tto_.crcChoice());
  if (runDialog_(*configDialog_) != QDialog::Accepted) return;
  // Only composed here: "Wr&ite" sends it.
  tto_.SetConfig(configDialog_->Compose());
  tto_.crcChoice() = configDialog_->CrcChoice();
}

void TTOProgrammerPage::Refresh() {
  const QString id = QString::fromStdString(tto_.Id());
  const QString config = QString::fromStdString(tto_.Config());
  if (edtPrgID->text() != id) edtPrgID->setText(id);
  if (edtPrgConfig->text() != config) edtPrgConfig->setText(config);

  ShowLastIdSeen();
  ListLastIdSeen();

  const RwPage& page15 = context_.tagRw().pages()[15];
  pnlPrgConfig->setText(QString::fromStdString(page15.readBack));
  SetStyle(pnlPrgConfig, PanelStyle(page15.writing ? QColor(0, 255, 255)
                                                   : RWTagTestPage::ResultColour(page15.result)));

  const QColor face = palette().color(QPalette::Button);
  lblPrgRate->setText(QString::fromStdString(FormatRate(tto_.Rate())));
  if (tto_.HasRate()) {
    const QColor band = BandColour(tto_.Band());
    SetStyle(lblPrgRate, PanelStyle(band.isValid() ? band : face));
  } else {
    SetStyle(lblPrgRate, PanelStyle(face, QColor(128, 128, 128)));
  }
}

void TTOProgrammerPage::TtoIdSeen() {
  ListLastIdSeen();
  // Busy readers see thousands of tags a second: a hidden tab draws the
  // panel when it is shown, and the rest of the tab stays as it is.
  if (isVisible()) ShowLastIdSeen();
}

void TTOProgrammerPage::ShowLastIdSeen() {
  pnlPrgID->setText(QString::fromStdString(tto_.LastIdSeen()));
  switch (tto_.LastIdMatch()) {
    case TtoProgrammer::IdMatch::kOwnId:
      SetStyle(pnlPrgID, PanelStyle(QColor(0, 255, 0)));
      break;
    case TtoProgrammer::IdMatch::kInverted:
      SetStyle(pnlPrgID, PanelStyle(kInvertedIdColour));
      break;
    case TtoProgrammer::IdMatch::kOther:
    case TtoProgrammer::IdMatch::kNone:
      SetStyle(pnlPrgID, PanelStyle({}));
      break;
  }
}

void TTOProgrammerPage::ListLastIdSeen() {
  const std::string& seen = tto_.LastIdSeen();
  if (seen.empty() || !listedIds_.Insert(seen)) return;
  lsbPrgTagsList->addItem(QString::fromStdString(seen));
}

void TTOProgrammerPage::ClearTagsAndMemo() {
  context_.tagTable().ClearSeenTable();
  memPrgIncoming->clear();
  lsbPrgTagsList->clear();
  listedIds_.Clear();
}

void TTOProgrammerPage::ObserveMessage(int channel, const char* text, int length) {
  if (!isVisible() || !ckbPrgShowIncoming->isChecked()) return;
  if (channel != context_.tagRw().Channel()) return;
  memPrgIncoming->appendPlainText(QString::fromLatin1(text, length).trimmed());
}

void TTOProgrammerPage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Refresh();
}

void TTOProgrammerPage::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  tto_.Leave();
  Refresh();
}

}  // namespace corvalis
