#include "demos/ui/TollingWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShowEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "common/ui/Named.h"
#include "demos/tolling/TollingPages.h"
#include "demos/ui/DemoWidgets.h"

namespace corvalis {
namespace {

constexpr int kIncomingLines = 100;
constexpr int kDesignedHeight = 760;
constexpr int kShrunkHeight = 487;
constexpr int kWidth = 1180;
// The reader's transmitter, as the main window's command set sends it.
constexpr const char* kTxOn = "010601";
constexpr const char* kTxOff = "010600";

QLabel* Panel(const char* name, const QString& text = {}) {
  auto* label = Named(new QLabel(text), name);
  label->setFrameShape(QFrame::StyledPanel);
  label->setFrameShadow(QFrame::Sunken);
  label->setFont(QFont(QStringLiteral("Monospace"), 10));
  label->setMinimumWidth(150);
  return label;
}

QLabel* Label(const char* name) {
  auto* label = Named(new QLabel, name);
  label->setMinimumWidth(90);
  return label;
}

}  // namespace

TollingWindow::TollingWindow(AppContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context), monitor_(context.specialModes(), *this) {
  setObjectName(QStringLiteral("frmTolling"));
  setWindowTitle(tr("Tolling Demonstration"));

  cmbSendChannel = Named(new QComboBox, "cmbSendChannel");
  for (int i = 1; i <= 4; ++i) cmbSendChannel->addItem(QStringLiteral("Chan %1").arg(i));
  speReaderID = NamedSpinBox("speReaderID", 0, 255, 0);
  connect(cmbSendChannel, &QComboBox::currentIndexChanged, this, &TollingWindow::channelChosen);
  connect(speReaderID, &QSpinBox::valueChanged, this, &TollingWindow::readerIdChosen);
  ckbModeInMessage = Named(new QCheckBox(tr("Mode In Message")), "ckbModeInMessage");
  ckbModeInMessage->setChecked(monitor_.ModeInMessage());
  connect(ckbModeInMessage, &QCheckBox::toggled, this,
          [this](bool on) { monitor_.SetModeInMessage(on); });

  auto* target = new QHBoxLayout;
  target->addWidget(new QLabel(tr("Channel")));
  target->addWidget(cmbSendChannel);
  target->addWidget(new QLabel(tr("Reader ID")));
  target->addWidget(speReaderID);
  target->addStretch(1);
  target->addWidget(ckbModeInMessage);

  auto* left = new QVBoxLayout;
  left->addWidget(BuildModeGroup());
  left->addWidget(BuildPagesGroup());
  auto* middle = new QVBoxLayout;
  middle->addWidget(BuildReadPointGroup());
  middle->addWidget(BuildTariffGroup());
  middle->addWidget(BuildTimeoutGroup());
  middle->addStretch(1);
  left->addStretch(1);
  auto* right = new QVBoxLayout;
  right->addWidget(BuildDisplay());
  right->addWidget(BuildReaderGroup(), 0, Qt::AlignLeft);
  right->addStretch(1);
  auto* columns = new QHBoxLayout;
  columns->addLayout(left);
  columns->addLayout(middle);
  columns->addLayout(right, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(target);
  layout->addLayout(columns);
  layout->addWidget(BuildIncoming(), 1);
  ShowIncoming(false);

  context_.specialModes().Register(SpecialMode::Tolling, this);
  context_.dispatcher().AddObserver(&monitor_);
  for (const int code : TollingMonitor::kReplyCodes)
    context_.commands().AddReplyRoute(code, &monitor_);
}

TollingWindow::~TollingWindow() {
  for (const int code : TollingMonitor::kReplyCodes) {
    context_.commands().RemoveReplyRoute(code, &monitor_);
  }
  context_.dispatcher().RemoveObserver(&monitor_);
  context_.specialModes().SwitchOff(SpecialMode::Tolling);
  context_.specialModes().Unregister(SpecialMode::Tolling, this);
}

QWidget* TollingWindow::BuildModeGroup() {
  grpSetMode = Named(new QGroupBox(tr("[Set Mode]")), "grpSetMode");
  grpSetMode->setToolTip(tr("Double-click to read the mode back"));
  grpSetMode->installEventFilter(this);
  struct Button {
    const char* caption;
    const char* name;
    TollingMode mode;
  };
  const Button buttons[] = {
      {"Off", "btnModeOff", TollingMode::Off},
      {"Toll", "btnModeToll", TollingMode::Toll},
      {"Set Credit", "btnModeSetCredit", TollingMode::SetCredit},
      {"Add Credit", "btnModeAddCredit", TollingMode::AddCredit},
      {"Register", "btnModeRegister", TollingMode::Register},
      {"Report", "btnModeReport", TollingMode::Report},
  };
  auto* grid = new QGridLayout(grpSetMode);
  int i = 0;
  for (const Button& b : buttons) {
    auto* button = NamedButton(tr(b.caption), b.name);
    const TollingMode mode = b.mode;
    connect(button, &QPushButton::clicked, this, [this, mode] { SendMode(mode); });
    grid->addWidget(button, i / 3, i % 3);
    ++i;
  }
  pnlMode = Panel("pnlMode", QStringLiteral("Current mode: Off"));
  grid->addWidget(pnlMode, 2, 0, 1, 3);
  return grpSetMode;
}

QWidget* TollingWindow::BuildPagesGroup() {
  auto* group = Named(new QGroupBox(tr("Registration")), "grpRegistration");
  edtP1 = Named(new QLineEdit(QStringLiteral("0000000000010000")), "edtP1");
  edtP2 = Named(new QLineEdit(QStringLiteral("0000ff0186A00000")), "edtP2");
  for (QLineEdit* edit : {edtP1, edtP2}) {
    edit->setMaxLength(kTollingPageChars);
    edit->setFont(QFont(QStringLiteral("Monospace"), 10));
  }
  auto* btnP1 = NamedButton(QStringLiteral("P1"), "btnP1");
  auto* btnP2 = NamedButton(QStringLiteral("P2"), "btnP2");
  connect(btnP1, &QPushButton::clicked, this, [this] { SendPage(1); });
  connect(btnP2, &QPushButton::clicked, this, [this] { SendPage(2); });
  speCredit = NamedSpinBox("speCredit", 0, 900000, 100000);
  speClass = NamedSpinBox("speClass", 0, 5, 1);
  lblClass = Label("lblClass");
  lblClass->setText(QString::fromStdString(ClassLabel(1)));
  connect(speCredit, &QSpinBox::valueChanged, this, &TollingWindow::CreditChanged);
  connect(speClass, &QSpinBox::valueChanged, this, &TollingWindow::ClassChanged);
  auto* grid = new QGridLayout(group);
  grid->addWidget(btnP1, 0, 0);
  grid->addWidget(edtP1, 0, 1, 1, 3);
  grid->addWidget(btnP2, 1, 0);
  grid->addWidget(edtP2, 1, 1, 1, 3);
  grid->addWidget(new QLabel(tr("Credit")), 2, 0);
  grid->addWidget(speCredit, 2, 1);
  grid->addWidget(new QLabel(tr("Class")), 2, 2);
  grid->addWidget(speClass, 2, 3);
  grid->addWidget(lblClass, 3, 3);
  return group;
}

QWidget* TollingWindow::BuildReadPointGroup() {
  grpReadpoint = Named(new QGroupBox(tr("[Read point]")), "grpReadpoint");
  grpReadpoint->setToolTip(tr("Double-click to read the read points back"));
  grpReadpoint->installEventFilter(this);
  speReadpoint = NamedSpinBox("speReadpoint", 0, 254, 2);
  speFOCReadpoint = NamedSpinBox("speFOCReadpoint", 1, 255, 1);
  speFOCReadpoint->setToolTip(
      tr("The FOC readpoint. If the previous readpoint was this then no toll is levied."));
  auto* send = NamedButton(tr("Send"), "btnSendReadpoint");
  connect(send, &QPushButton::clicked, this,
          [this] { Send(TollingReadPointBody(speReadpoint->value(), speFOCReadpoint->value())); });
  auto* row = new QHBoxLayout(grpReadpoint);
  row->addWidget(new QLabel(tr("This")));
  row->addWidget(speReadpoint);
  row->addWidget(new QLabel(tr("FOC")));
  row->addWidget(speFOCReadpoint);
  row->addWidget(send);
  return grpReadpoint;
}

QWidget* TollingWindow::BuildTariffGroup() {
  grpTariffs = Named(new QGroupBox(tr("[Tariffs]")), "grpTariffs");
  grpTariffs->setToolTip(tr("Double-click to read the tariffs back"));
  grpTariffs->installEventFilter(this);
  auto* grid = new QGridLayout(grpTariffs);
  for (int i = 0; i < kTollingClasses; ++i) {
    const QByteArray name = QStringLiteral("speClass%1").arg(i + 1).toLatin1();
    speClassTariff[static_cast<size_t>(i)] =
        NamedSpinBox(name.constData(), 100, 30000, 1000 * (i + 1));
    grid->addWidget(new QLabel(tr("Class %1").arg(i + 1)), 0, i);
    grid->addWidget(speClassTariff[static_cast<size_t>(i)], 1, i);
  }
  speVTypes = NamedSpinBox("speVTypes", 1, 7, 5);
  auto* send = NamedButton(tr("Send"), "btnSendTariffs");
  connect(send, &QPushButton::clicked, this, [this] {
    std::array<int, kTollingClasses> tariffs{};
    for (size_t i = 0; i < tariffs.size(); ++i) tariffs[i] = speClassTariff[i]->value();
    Send(TollingTariffBody(speVTypes->value(), tariffs));
  });
  grid->addWidget(new QLabel(tr("Classes")), 2, 0);
  grid->addWidget(speVTypes, 2, 1);
  grid->addWidget(send, 2, 4);
  return grpTariffs;
}

QWidget* TollingWindow::BuildTimeoutGroup() {
  auto* group = Named(new QGroupBox(tr("Timeouts")), "grpTimeouts");
  struct Spin {
    const char* caption;
    const char* name;
    int minimum;
    int value;
  };
  const Spin spins[kTollingTimeouts] = {
      {"Command", "speCmdCommandTimeout", 0, 0}, {"Data", "speCmdDataTimeout", 0, 220},
      {"Redo (s)", "speCmdRedoTimeout", 0, 5},   {"Read delay", "speCmdReadDelay", 0, 109},
      {"Retries", "speCmdRetryLimit", 1, 5},     {"Read retries", "speCmdRdRetryLimit", 1, 3},
  };
  auto* grid = new QGridLayout(group);
  for (int i = 0; i < kTollingTimeouts; ++i) {
    const Spin& s = spins[i];
    speTimeout[static_cast<size_t>(i)] = NamedSpinBox(s.name, s.minimum, 255, s.value);
    grid->addWidget(new QLabel(tr(s.caption)), 2 * (i / 3), i % 3);
    grid->addWidget(speTimeout[static_cast<size_t>(i)], 2 * (i / 3) + 1, i % 3);
  }
  speTimeout[1]->setToolTip(tr("Units of 25.6 us"));
  speTimeout[3]->setToolTip(tr("Units of 25.6 us"));
  auto* get = NamedButton(tr("Get"), "btnGetTimeouts");
  auto* send = NamedButton(tr("Send"), "btnSendTimeouts");
  connect(get, &QPushButton::clicked, this, [this] { Send(kTollingTimeoutsQuery); });
  connect(send, &QPushButton::clicked, this, [this] {
    std::array<int, kTollingTimeouts> values{};
    for (size_t i = 0; i < values.size(); ++i) values[i] = speTimeout[i]->value();
    Send(TollingTimeoutsBody(values));
  });
  grid->addWidget(get, 1, 3);
  grid->addWidget(send, 3, 3);
  return group;
}

QWidget* TollingWindow::BuildReaderGroup() {
  auto* crc = NamedButton(tr("Set CRC gen/test"), "btnSetCrc");
  auto* save = NamedButton(tr("Save"), "btnSave");
  save->setToolTip(tr("Save all tolling parameters to non-volatile memory"));
  auto* txOn = NamedButton(tr("Tx O&n"), "btnTxOn");
  auto* txOff = NamedButton(tr("Tx O&ff"), "btnTxOff");
  connect(crc, &QPushButton::clicked, this, [this] { Send(kTollingCrcOn); });
  connect(save, &QPushButton::clicked, this, [this] { Send(kTollingSave); });
  connect(txOn, &QPushButton::clicked, this, [this] { Send(kTxOn); });
  connect(txOff, &QPushButton::clicked, this, [this] { Send(kTxOff); });
  auto* reader = Named(new QGroupBox(tr("Reader")), "grpReader");
  auto* row = new QGridLayout(reader);
  row->addWidget(crc, 0, 0);
  row->addWidget(save, 0, 1);
  row->addWidget(txOn, 1, 0);
  row->addWidget(txOff, 1, 1);
  return reader;
}

QWidget* TollingWindow::BuildDisplay() {
  auto* group = Named(new QGroupBox(tr("Last report")), "grpReport");
  pnlID = Panel("pnlID");
  pnlP1 = Panel("pnlP1");
  pnlP2 = Panel("pnlP2");
  pnlP2Old = Panel("pnlP2Old");
  pnlResult = Panel("pnlResult");
  pnlResult->setMinimumWidth(40);
  lblResult = Label("lblResult");
  lblInfo = Label("lblInfo");
  lblBalance = Label("lblBalance");
  lblReadpoint = Label("lblReadpoint");
  lblOldBalance = Label("lblOldBalance");
  lblOldReadpoint = Label("lblOldReadpoint");
  auto* grid = new QGridLayout(group);
  grid->addWidget(new QLabel(tr("Result")), 0, 0);
  grid->addWidget(pnlResult, 0, 1);
  grid->addWidget(lblResult, 0, 2, 1, 2);
  grid->addWidget(new QLabel(tr("Info")), 0, 4);
  grid->addWidget(lblInfo, 0, 5);
  grid->addWidget(new QLabel(tr("Tag ID")), 1, 0);
  grid->addWidget(pnlID, 1, 1, 1, 2);
  grid->addWidget(new QLabel(tr("Page 1")), 2, 0);
  grid->addWidget(pnlP1, 2, 1, 1, 2);
  grid->addWidget(new QLabel(tr("Page 2")), 3, 0);
  grid->addWidget(pnlP2, 3, 1, 1, 2);
  grid->addWidget(new QLabel(tr("Old page 2")), 4, 0);
  grid->addWidget(pnlP2Old, 4, 1, 1, 2);
  grid->addWidget(new QLabel(tr("Balance")), 3, 3);
  grid->addWidget(lblBalance, 3, 4);
  grid->addWidget(new QLabel(tr("Read point")), 3, 5);
  grid->addWidget(lblReadpoint, 3, 6);
  grid->addWidget(new QLabel(tr("Balance")), 4, 3);
  grid->addWidget(lblOldBalance, 4, 4);
  grid->addWidget(new QLabel(tr("Read point")), 4, 5);
  grid->addWidget(lblOldReadpoint, 4, 6);
  grid->setColumnStretch(7, 1);
  return group;
}

QWidget* TollingWindow::BuildIncoming() {
  btnShowIncoming = NamedButton(tr("Show incoming data"), "btnShowIncoming");
  connect(btnShowIncoming, &QPushButton::clicked, this,
          [this] { ShowIncoming(!incoming_->isVisible()); });
  incoming_ = new QWidget;
  memoIncoming = Named(new QPlainTextEdit, "memoIncoming");
  memoIncoming->setReadOnly(true);
  memoIncoming->setLineWrapMode(QPlainTextEdit::NoWrap);
  memoIncoming->setFont(QFont(QStringLiteral("Monospace"), 9));
  auto* clear = NamedButton(tr("Clear"), "btnClearIncoming");
  connect(clear, &QPushButton::clicked, this, [this] {
    memoIncoming->clear();
    incomingLines_ = 0;
  });
  auto* side = new QVBoxLayout;
  side->addWidget(clear);
  side->addWidget(new QLabel(tr("<- Newest on top")));
  side->addStretch(1);
  auto* row = new QHBoxLayout(incoming_);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(memoIncoming, 1);
  row->addLayout(side);

  auto* box = new QWidget;
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(btnShowIncoming, 0, Qt::AlignLeft);
  layout->addWidget(incoming_, 1);
  return box;
}

void TollingWindow::ShowIncoming(bool on) {
  incoming_->setVisible(on);
  btnShowIncoming->setText(on ? tr("Hide incoming data") : tr("Show incoming data"));
  resize(kWidth, on ? kDesignedHeight : kShrunkHeight);
}

void TollingWindow::Send(const std::string& body) {
  context_.commands().SendCommand(cmbSendChannel->currentIndex(), speReaderID->value(), body);
}

void TollingWindow::SendMode(TollingMode mode) {
  Send(TollingModeBody(mode, static_cast<uint32_t>(speCredit->value())));
  pnlMode->setText(QString::fromStdString(TollingModeLabel(static_cast<int>(mode))));
}

void TollingWindow::SendPage(int page) {
  const QLineEdit* edit = page == 1 ? edtP1 : edtP2;
  const auto body = TollingPageBody(page, edit->text().toStdString());
  if (!body) {
    context_.status().SetLastError(page == 1 ? "P1 needs 16 hex digits" : "P2 needs 16 hex digits");
    return;
  }
  Send(*body);
}

void TollingWindow::CreditChanged(int credit) {
  edtP2->setText(QString::fromStdString(
      PageWithCredit(edtP2->text().toStdString(), static_cast<uint32_t>(credit))));
}

void TollingWindow::ClassChanged(int vehicleClass) {
  lblClass->setText(QString::fromStdString(ClassLabel(vehicleClass)));
  edtP1->setText(QString::fromStdString(PageWithClass(edtP1->text().toStdString(), vehicleClass)));
}

void TollingWindow::AddIncomingLine(std::string_view line) {
  QTextDocument* document = memoIncoming->document();
  if (incomingLines_ >= kIncomingLines) {
    QTextCursor last(document->lastBlock());
    last.select(QTextCursor::BlockUnderCursor);
    last.removeSelectedText();
    --incomingLines_;
  }
  QTextCursor top(document);
  top.movePosition(QTextCursor::Start);
  const QString text = ToQString(line);
  top.insertText(incomingLines_ == 0 ? text : text + QLatin1Char('\n'));
  ++incomingLines_;
}

void TollingWindow::ShowReportError(std::string_view text) {
  lblResult->setText(ToQString(text));
}

void TollingWindow::ShowReport(const TollingReportTexts& t) {
  if (t.modeLabel) pnlMode->setText(QString::fromStdString(*t.modeLabel));
  pnlResult->setText(QString::fromStdString(t.result));
  lblResult->setText(QString::fromStdString(t.resultName));
  lblInfo->setText(QString::fromStdString(t.info));
  QLabel* blocks[kTollingReportBlocks] = {pnlID, pnlP1, pnlP2, pnlP2Old};
  for (size_t i = 0; i < t.blocks.size(); ++i)
    blocks[i]->setText(QString::fromStdString(t.blocks[i]));
  if (t.classLabel) lblClass->setText(QString::fromStdString(*t.classLabel));
  lblBalance->setText(QString::fromStdString(t.balance));
  lblReadpoint->setText(QString::fromStdString(t.readPoint));
  lblOldBalance->setText(QString::fromStdString(t.oldBalance));
  lblOldReadpoint->setText(QString::fromStdString(t.oldReadPoint));
}

void TollingWindow::ShowModeLabel(const std::string& text) {
  pnlMode->setText(QString::fromStdString(text));
}

void TollingWindow::ShowCredit(uint32_t credit) {
  // A credit beyond the spin box's range still shows in P2 as the reader has it.
  if (credit <= static_cast<uint32_t>(speCredit->maximum())) {
    speCredit->setValue(static_cast<int>(credit));
  }
  CreditChanged(static_cast<int>(credit & 0xFFFFFFu));
}

void TollingWindow::ShowTariffs(const TollingTariffs& tariffs) {
  speVTypes->setValue(tariffs.classes);
  for (size_t i = 0; i < speClassTariff.size(); ++i)
    speClassTariff[i]->setValue(tariffs.tariffs[i]);
}

void TollingWindow::ShowReadPoints(const TollingReadPoints& points) {
  speReadpoint->setValue(points.readPoint);
  speFOCReadpoint->setValue(points.focReadPoint);
}

void TollingWindow::ShowTimeouts(const std::array<int, kTollingTimeouts>& timeouts) {
  for (size_t i = 0; i < timeouts.size(); ++i) speTimeout[i]->setValue(timeouts[i]);
}

void TollingWindow::SpecialModeSwitchedOff(SpecialMode) {
  hide();
}

// Minimising and restoring (spontaneous events) keep the mode as it is.
void TollingWindow::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) context_.specialModes().SwitchOn(SpecialMode::Tolling);
  QWidget::showEvent(event);
}

void TollingWindow::hideEvent(QHideEvent* event) {
  if (!event->spontaneous()) context_.specialModes().SwitchOff(SpecialMode::Tolling);
  QWidget::hideEvent(event);
}

// Double-clicking a group's frame reads its settings back from the reader.
bool TollingWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick) {
    if (watched == grpReadpoint) Send(kTollingReadPointQuery);
    if (watched == grpTariffs) Send(kTollingTariffsQuery);
    if (watched == grpSetMode) Send(kTollingModeQuery);
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace corvalis
