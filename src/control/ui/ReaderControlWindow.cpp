#include "control/ui/ReaderControlWindow.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTextBlock>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "common/ChannelIndex.h"
#include "common/ui/ChannelCombo.h"
#include "common/ui/Named.h"
#include "control/ui/ModifierButton.h"

namespace corvalis {
namespace {

const char* const kFieldFlags[8][2] = {{"ckbMfmtRdrID", "Rdr ID"},   {"ckbMfmtICount", "I count"},
                                       {"ckbMfmtQCount", "Q count"}, {"ckbMfmtDate", "Date"},
                                       {"ckbMfmtTime", "Time"},      {"ckbMfmt10ms", "10ms"},
                                       {"ckbMfmtLRC", "LRC"},        {"ckbMfmtTTO", "TTO"}};
const char* const kFormatEdits[7][2] = {
    {"edtMfmtAh1", "A hdr"},  {"edtMfmtAh2", ""}, {"edtMfmtBh1", "B hdr"},    {"edtMfmtBh2", ""},
    {"edtMfmtT1", "Trailer"}, {"edtMfmtT2", ""},  {"edtMfmtSeparator", "Sep"}};
// Byte 10: the bit of each box.
const struct {
  const char* name;
  const char* caption;
  int bit;
} kExtraFlags[5] = {{"ckbMfmtLineNumber", "Line #", 5},
                    {"ckbMfmt1ms", "1 ms", 4},
                    {"ckbMfmtMsTiming", "ms Timing", 3},
                    {"ckbMfmtMsTPeriod", "msT period", 2},
                    {"ckbMfmtMsTRaw", "msT Raw", 1}};
const char* const kBaudRates[] = {"4800", "9600", "19200", "38400", "57600", "115200"};

QString Latin1(const char* text) {
  return QString::fromLatin1(text);
}

}  // namespace

ReaderControlWindow::ReaderControlWindow(AppContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context) {
  setObjectName(QStringLiteral("frmReaderControl"));
  setWindowTitle(QStringLiteral("Reader Control"));
  cmbSendChannel = NewChannelCombo("cmbSendChannel", this);
  speReaderID = Named(new QSpinBox(this), "speReaderID");
  speReaderID->setRange(0, 255);
  memInfo = Named(new QPlainTextEdit(this), "memInfo");
  memInfo->setReadOnly(true);
  memInfo->setMaximumBlockCount(500);

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("Channel"), this));
  top->addWidget(cmbSendChannel);
  top->addWidget(new QLabel(QStringLiteral("Reader ID"), this));
  top->addWidget(speReaderID);
  top->addStretch();

  auto* groups = new QGridLayout;
  groups->addWidget(BuildComms(), 0, 0);
  groups->addWidget(BuildTagBaud(), 0, 1);
  groups->addWidget(BuildMessageMode(), 0, 2);
  groups->addWidget(BuildFormat(), 1, 0, 1, 2);
  groups->addWidget(BuildWiegand(), 1, 2);
  groups->addWidget(BuildSetId(), 2, 2);
  groups->addWidget(memInfo, 2, 0, 1, 2);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(BuildButtons());
  layout->addLayout(groups);

  popup_ = Named(new QMenu(this), "pmnuReaderControl");
  Named(popup_->addAction(QStringLiteral("Hide"), this, [this] { Q_EMIT hideRequested(); }),
        "mnuHidePanels");

  context_.commands().SetInformationMemo(this);
}

ReaderControlWindow::~ReaderControlWindow() {
  context_.commands().SetInformationMemo(nullptr);
}

int ReaderControlWindow::Channel() const {
  const int channel = cmbSendChannel->currentIndex();
  return IsValidChannel(channel) ? channel : -1;
}

int ReaderControlWindow::ReaderId() const {
  return speReaderID->value();
}

ModifierButton* ReaderControlWindow::Button(const char* name, const char* caption,
                                            ReaderButton button) {
  auto* b = Named(new ModifierButton(Latin1(caption), this), name);
  connect(b, &QPushButton::clicked, this,
          [this, b, button] { SendBody(ButtonBody(button, b->ShiftHeld())); });
  return b;
}

ModifierButton* ReaderControlWindow::IndexButton(const char* name, const char* caption, int index,
                                                 int shiftReaderOffset) {
  auto* b = Named(new ModifierButton(Latin1(caption), this), name);
  connect(b, &QPushButton::clicked, this, [this, b, index, shiftReaderOffset] {
    SendIndex(index, b->ShiftHeld() ? shiftReaderOffset : 0);
  });
  return b;
}

QWidget* ReaderControlWindow::BuildButtons() {
  auto* box = new QWidget(this);
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(0, 0, 0, 0);
  QWidget* const row0[] = {
      IndexButton("btnTxOn", "Tx O&n", kRfOn),
      IndexButton("btnTxOff", "Tx O&ff", kRfOff),
      IndexButton("btnAux1", "Au&x = 1", kAuxOn),
      IndexButton("btnAux0", "Aux &= 0", kAuxOff),
      IndexButton("btnGetTime", "Get Time", kGetDateTime, kExtendedDateTime),
      IndexButton("btnSetTime", "Set Time", kSetDateTime, kExtendedDateTime),
      IndexButton("btnGetStats", "Get Stats", kGetStats),
      IndexButton("btnReset", "Reset", kReset),
      Button("btnFactDef", "Fact Def", ReaderButton::kFactoryDefaults),
  };
  QWidget* const row1[] = {
      IndexButton("btnR5180", "R5180", 4),
      IndexButton("btnKVQ", "KVQ", 5),
      IndexButton("btnBoth", "Both", 7),
      IndexButton("btnOne", "One", 8),
      IndexButton("btnIgnore", "Ignore", 6),
      Button("btnQ3Q5", "Q3 Q5", ReaderButton::kCrcQ3Q5),
      Button("btnSleepOn", "Sleep On", ReaderButton::kSleepOn),
      Button("btnSleepOff", "Sleep Off", ReaderButton::kSleepOff),
  };
  QWidget* const row2[] = {
      IndexButton("btnLdISts", "Ld I sts", kDecoderRegisterI),
      IndexButton("btnLdQSts", "Ld Q sts", kDecoderRegisterQ),
      IndexButton("btnRdII2C", "Rd I I2C", kDecoderRegisterI2),
      IndexButton("btnRdQI2C", "Rd Q I2C", kDecoderRegisterQ2),
  };
  int column = 0;
  for (QWidget* w : row0) grid->addWidget(w, 0, column++);
  column = 0;
  for (QWidget* w : row1) grid->addWidget(w, 1, column++);
  column = 0;
  for (QWidget* w : row2) grid->addWidget(w, 2, column++);
  return box;
}

QGroupBox* ReaderControlWindow::BuildComms() {
  auto* group = Named(new QGroupBox(QStringLiteral("Reader Comms"), this), "grpReaderComms");
  ckbCommsASCII = Named(new QCheckBox(QStringLiteral("ASCII"), group), "ckbCommsASCII");
  cmbCommsBaud = Named(new QComboBox(group), "cmbCommsBaud");
  for (const char* rate : kBaudRates) cmbCommsBaud->addItem(Latin1(rate));
  cmbCommsFlow = Named(new QComboBox(group), "cmbCommsFlow");
  cmbCommsFlow->addItems(
      {QStringLiteral("None"), QStringLiteral("DTR"), QStringLiteral("Xon/Xoff")});
  auto* send = Named(new ModifierButton(QStringLiteral("Send"), group), "btnCommsSend");
  connect(send, &QPushButton::clicked, this, [this, send] {
    if (send->ShiftHeld()) {
      SendBody(ButtonBody(ReaderButton::kCommsReadBack, true));
    } else {
      SendIndex(kSetConfiguration);
    }
  });
  auto* grid = new QGridLayout(group);
  grid->addWidget(ckbCommsASCII, 0, 0);
  grid->addWidget(cmbCommsBaud, 0, 1);
  grid->addWidget(cmbCommsFlow, 1, 0);
  grid->addWidget(send, 1, 1);
  ShowCommsChoice(context_.console().commsChoice());
  connect(ckbCommsASCII, &QCheckBox::toggled, this, &ReaderControlWindow::CommsEdited);
  connect(cmbCommsBaud, &QComboBox::currentIndexChanged, this, &ReaderControlWindow::CommsEdited);
  connect(cmbCommsFlow, &QComboBox::currentIndexChanged, this, &ReaderControlWindow::CommsEdited);
  WatchDoubleClick(group, ReaderButton::kCommsReadBack);
  return group;
}

QGroupBox* ReaderControlWindow::BuildFormat() {
  auto* group = Named(new QGroupBox(QStringLiteral("Message Format"), this), "grpMessageFormat");
  auto* grid = new QGridLayout(group);
  for (size_t i = 0; i < fieldFlags_.size(); ++i) {
    fieldFlags_[i] = Named(new QCheckBox(Latin1(kFieldFlags[i][1]), group), kFieldFlags[i][0]);
    grid->addWidget(fieldFlags_[i], 0, static_cast<int>(i));
  }
  for (size_t i = 0; i < idBytes_.size(); ++i) {
    // B7 first, as the ID reads.
    const int n = 7 - static_cast<int>(i);
    idBytes_[static_cast<size_t>(n)] = Named(new QCheckBox(QStringLiteral("B%1").arg(n), group),
                                             QStringLiteral("ckbMfmtB%1").arg(n));
    grid->addWidget(idBytes_[static_cast<size_t>(n)], 1, static_cast<int>(i));
  }
  for (size_t i = 0; i < formatEdits_.size(); ++i) {
    formatEdits_[i] = Named(new QLineEdit(group), kFormatEdits[i][0]);
    formatEdits_[i]->setMaxLength(9);
    formatEdits_[i]->setMaximumWidth(60);
    formatEdits_[i]->setToolTip(
        QStringLiteral("One character, a number, or hexadecimal after 0x (0 to 255)"));
    if (kFormatEdits[i][1][0] != '\0') {
      grid->addWidget(new QLabel(Latin1(kFormatEdits[i][1]), group), 2, static_cast<int>(i));
    }
    grid->addWidget(formatEdits_[i], 3, static_cast<int>(i));
  }
  for (size_t i = 0; i < extraFlags_.size(); ++i) {
    extraFlags_[i] =
        Named(new QCheckBox(Latin1(kExtraFlags[i].caption), group), kExtraFlags[i].name);
    grid->addWidget(extraFlags_[i], 4, static_cast<int>(i));
  }
  auto* send = Named(new ModifierButton(QStringLiteral("Send"), group), "btnMfmtSend");
  auto* standard = Named(new QPushButton(QStringLiteral("Standard"), group), "btnMfmtStandard");
  auto* reduced = Named(new QPushButton(QStringLiteral("Reduced"), group), "btnMfmtReduced");
  grid->addWidget(standard, 5, 0, 1, 2);
  grid->addWidget(reduced, 5, 2, 1, 2);
  grid->addWidget(send, 5, 6, 1, 2);
  connect(send, &QPushButton::clicked, this, [this, send] {
    if (send->ShiftHeld()) {
      SendBody(ButtonBody(ReaderButton::kMessageFormatReadBack, true));
    } else {
      SendMessageFormat(Channel(), ReaderId());
    }
  });
  connect(standard, &QPushButton::clicked, this, [this] {
    ApplyFormatPreset(FormatPreset::kStandard);
    SendMessageFormat(Channel(), ReaderId());
  });
  connect(reduced, &QPushButton::clicked, this, [this] {
    ApplyFormatPreset(FormatPreset::kReducedPanel);
    SendMessageFormat(Channel(), ReaderId());
  });
  ShowFormatFields(PresetFields(FormatPreset::kStandard, 0));
  WatchDoubleClick(group, ReaderButton::kMessageFormatReadBack);
  return group;
}

QGroupBox* ReaderControlWindow::BuildTagBaud() {
  auto* group = Named(new QGroupBox(QStringLiteral("Tag Baud"), this), "grpTagBaud");
  auto* grid = new QGridLayout(group);
  tagBaudGroup_ = new QButtonGroup(group);
  const char* const names[4][2] = {{"rbtTagBaud32k", "32k"},
                                   {"rbtTagBaud64k", "64k"},
                                   {"rbtTagBaud128k", "128k"},
                                   {"rbtTagBaud256k", "256k"}};
  for (int code = 0; code < 4; ++code) {
    auto* radio = Named(new QRadioButton(Latin1(names[code][1]), group), names[code][0]);
    tagBaud_[static_cast<size_t>(code)] = radio;
    tagBaudGroup_->addButton(radio, code);
    grid->addWidget(radio, code / 2, code % 2);
  }
  connect(tagBaudGroup_, &QButtonGroup::idClicked, this,
          [this](int code) { context_.readerConfig().SetTagBaudCode(code); });
  auto* sendI = IndexButton("btnTagBaudSendI", "Send I", kTagBaudI);
  auto* sendQ = IndexButton("btnTagBaudSendQ", "Send Q", kTagBaudQ);
  auto* handheld = Named(new ModifierButton(QStringLiteral("HH"), group), "btnTagBaudHH");
  handheld->setToolTip(QStringLiteral("Tag baud of a handheld or single-processor reader"));
  connect(handheld, &QPushButton::clicked, this, [this, handheld] {
    if (handheld->ShiftHeld()) {
      SendBody(ButtonBody(ReaderButton::kControllerBaudReadBack, true));
    } else {
      SendIndex(kTagBaudController);
    }
  });
  grid->addWidget(sendI, 2, 0);
  grid->addWidget(sendQ, 2, 1);
  grid->addWidget(handheld, 3, 0);
  ShowTagBaud(context_.readerConfig().settings().tagBaud);
  WatchDoubleClick(group, ReaderButton::kControllerBaudReadBack);
  return group;
}

QGroupBox* ReaderControlWindow::BuildMessageMode() {
  auto* group = Named(new QGroupBox(QStringLiteral("Message Mode"), this), "grpMessageMode");
  cmbMessageMode = Named(new QComboBox(group), "cmbMessageMode");
  cmbMessageMode->addItems({QStringLiteral("Normal"), QStringLiteral("Trigger"),
                            QStringLiteral("Trigger 2"), QStringLiteral("Event"),
                            QStringLiteral("Event 2"), QStringLiteral("First/Last Seen")});
  speTagModeEventTime = Named(new QSpinBox(group), "speTagModeEventTime");
  speTagModeEventTime->setRange(1, 255);
  speTagModeEventTime->setValue(255);
  speTagModeEventTime->setSuffix(QStringLiteral(" s"));
  speTagModeEventTime->setToolTip(
      QStringLiteral("How long a tag must be out of the beam before it is reported again"));
  auto* send = Named(new QPushButton(QStringLiteral("Send"), group), "btnMessageModeSend");
  auto* get = Named(new QPushButton(QStringLiteral("Get"), group), "btnMessageModeGet");
  connect(send, &QPushButton::clicked, this, [this] {
    ReaderConfiguration& config = context_.readerConfig();
    config.settings().eventTimeout = speTagModeEventTime->value();
    if (Channel() >= 0)
      config.SendMessageMode(Channel(), ReaderId(), cmbMessageMode->currentIndex());
  });
  connect(get, &QPushButton::clicked, this,
          [this] { SendBody(ButtonBody(ReaderButton::kMessageModeGet, false)); });
  auto* grid = new QGridLayout(group);
  grid->addWidget(cmbMessageMode, 0, 0, 1, 2);
  grid->addWidget(speTagModeEventTime, 1, 0, 1, 2);
  grid->addWidget(send, 2, 0);
  grid->addWidget(get, 2, 1);
  WatchDoubleClick(group, ReaderButton::kMessageModeGet);
  return group;
}

QGroupBox* ReaderControlWindow::BuildWiegand() {
  auto* group = Named(new QGroupBox(QStringLiteral("Wiegand"), this), "grpWiegand");
  cmbWiegandTpw = Named(new QComboBox(group), "cmbWiegandTpw");
  cmbWiegandTpw->addItems({QStringLiteral("25us"), QStringLiteral("50us"), QStringLiteral("75us"),
                           QStringLiteral("100us")});
  cmbWiegandTpi = Named(new QComboBox(group), "cmbWiegandTpi");
  cmbWiegandTpi->addItems({QStringLiteral("0.3ms"), QStringLiteral("0.6ms"),
                           QStringLiteral("0.9ms "), QStringLiteral("1.2ms"),
                           QStringLiteral("1.5mus"), QStringLiteral("1.8ms"),
                           QStringLiteral("2.1ms"), QStringLiteral("2.4ms")});
  speWiegandInterval = Named(new QSpinBox(group), "speWiegandInterval");
  speWiegandInterval->setRange(1, 255);
  speWiegandInterval->setValue(100);
  speWiegandInterval->setToolTip(QStringLiteral("Retransmit interval, units of 10 ms"));
  ckbWiegandTransmit =
      Named(new QCheckBox(QStringLiteral("Transmit"), group), "ckbWiegandTransmit");
  ckbWiegand26Bit = Named(new QCheckBox(QStringLiteral("26 bit"), group), "ckbWiegand26Bit");
  auto* send = Named(new ModifierButton(QStringLiteral("Send"), group), "btnWiegandSend");
  auto* get = Named(new QPushButton(QStringLiteral("Get"), group), "btnWiegandGet");
  connect(send, &QPushButton::clicked, this, [this, send] {
    if (send->ShiftHeld()) {
      SendBody(ButtonBody(ReaderButton::kWiegandGet, true));
      return;
    }
    SendBody(WiegandBody(ckbWiegandTransmit->isChecked(), ckbWiegand26Bit->isChecked(),
                         cmbWiegandTpw->currentIndex(), cmbWiegandTpi->currentIndex(),
                         speWiegandInterval->value()));
  });
  connect(get, &QPushButton::clicked, this,
          [this] { SendBody(ButtonBody(ReaderButton::kWiegandGet, false)); });
  auto* grid = new QGridLayout(group);
  grid->addWidget(cmbWiegandTpw, 0, 0);
  grid->addWidget(cmbWiegandTpi, 0, 1);
  grid->addWidget(speWiegandInterval, 1, 0);
  grid->addWidget(ckbWiegandTransmit, 1, 1);
  grid->addWidget(ckbWiegand26Bit, 2, 0);
  grid->addWidget(send, 3, 0);
  grid->addWidget(get, 3, 1);
  WatchDoubleClick(group, ReaderButton::kWiegandGet);
  return group;
}

QGroupBox* ReaderControlWindow::BuildSetId() {
  auto* group = Named(new QGroupBox(QStringLiteral("Set ID"), this), "grpSetID");
  speSetID = Named(new QSpinBox(group), "speSetID");
  speSetID->setRange(0, 255);
  auto* send = Named(new QPushButton(QStringLiteral("Send"), group), "btnSetIDSend");
  connect(send, &QPushButton::clicked, this, [this] {
    context_.console().catalogueData().newReaderId = static_cast<uint8_t>(speSetID->value());
    SendBody(SetIdBody(speSetID->value()));
  });
  auto* row = new QHBoxLayout(group);
  row->addWidget(speSetID);
  row->addWidget(send);
  WatchDoubleClick(group, ReaderButton::kSetIdReadBack);
  return group;
}

void ReaderControlWindow::WatchDoubleClick(QGroupBox* group, ReaderButton readBack) {
  group->installEventFilter(this);
  doubleClickGroups_.emplace_back(group, readBack);
}

bool ReaderControlWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick) {
    for (const auto& [group, readBack] : doubleClickGroups_) {
      if (watched == group) {
        SendBody(ButtonBody(readBack, true));
        return true;
      }
    }
  }
  return QWidget::eventFilter(watched, event);
}

void ReaderControlWindow::contextMenuEvent(QContextMenuEvent* event) {
  popup_->popup(event->globalPos());
}

void ReaderControlWindow::SendBody(const std::string& body) {
  context_.readerConfig().Send(Channel(), ReaderId(), body);
}

void ReaderControlWindow::SendIndex(int index, int readerIdOffset) {
  if (Channel() >= 0)
    context_.console().SendPredefinedCommand(Channel(), ReaderId() + readerIdOffset, index);
}

void ReaderControlWindow::CommsEdited() {
  if (showingComms_) return;
  DecoderCommsChoice choice;
  choice.ascii = ckbCommsASCII->isChecked();
  choice.baudItem = cmbCommsBaud->currentIndex();
  choice.flowItem = cmbCommsFlow->currentIndex();
  context_.ApplyDecoderComms(choice, Channel());
}

void ReaderControlWindow::ShowCommsChoice(const DecoderCommsChoice& choice) {
  showingComms_ = true;
  ckbCommsASCII->setChecked(choice.ascii);
  cmbCommsBaud->setCurrentIndex(choice.baudItem);
  cmbCommsFlow->setCurrentIndex(choice.flowItem);
  showingComms_ = false;
}

MessageFormatFields ReaderControlWindow::FormatFields() const {
  MessageFormatFields fields;
  for (size_t i = 0; i < fieldFlags_.size(); ++i) {
    if (fieldFlags_[i]->isChecked()) fields.fieldFlags |= 1 << i;
  }
  for (size_t i = 0; i < idBytes_.size(); ++i) {
    if (idBytes_[i]->isChecked()) fields.idBytes |= 1 << i;
  }
  for (size_t i = 0; i < formatEdits_.size(); ++i) {
    fields.typed[i] = formatEdits_[i]->text().toStdString();
  }
  for (size_t i = 0; i < extraFlags_.size(); ++i) {
    if (extraFlags_[i]->isChecked()) fields.extraFlags |= 1 << kExtraFlags[i].bit;
  }
  return fields;
}

void ReaderControlWindow::ShowFormatFields(const MessageFormatFields& fields) {
  for (size_t i = 0; i < fieldFlags_.size(); ++i)
    fieldFlags_[i]->setChecked((fields.fieldFlags >> i) & 1);
  for (size_t i = 0; i < idBytes_.size(); ++i) idBytes_[i]->setChecked((fields.idBytes >> i) & 1);
  for (size_t i = 0; i < formatEdits_.size(); ++i) {
    formatEdits_[i]->setText(QString::fromStdString(fields.typed[i]));
  }
  for (size_t i = 0; i < extraFlags_.size(); ++i) {
    extraFlags_[i]->setChecked((fields.extraFlags >> kExtraFlags[i].bit) & 1);
  }
}

void ReaderControlWindow::ApplyFormatPreset(FormatPreset preset) {
  ShowFormatFields(PresetFields(preset, FormatFields().extraFlags));
}

bool ReaderControlWindow::SendMessageFormat(int channel, int readerId) {
  const BuiltBodies built = MessageFormatBody(FormatFields());
  if (built.Refused()) {
    Refuse(QString::fromStdString(built.message));
    return false;
  }
  if (!IsValidChannel(channel)) return false;
  context_.SendMessageFormat(channel, readerId, built.bodies.front());
  return true;
}

void ReaderControlWindow::ShowTagBaud(int code) {
  tagBaud_[static_cast<size_t>(code & 3)]->setChecked(true);
}

void ReaderControlWindow::ShowMessageMode(int mode) {
  cmbMessageMode->setCurrentIndex(mode);
}

void ReaderControlWindow::ShowEventTimeout(int seconds) {
  speTagModeEventTime->setValue(seconds);
}

void ReaderControlWindow::Refuse(const QString& text) {
  if (showMessage_) {
    showMessage_(text);
    return;
  }
  QMessageBox::warning(this, QStringLiteral("Reader Control"), text);
}

int ReaderControlWindow::LineCount() const {
  return memInfo->document()->isEmpty() ? 0 : memInfo->document()->blockCount();
}

void ReaderControlWindow::RemoveOldestLines(int count) {
  QTextCursor cursor(memInfo->document());
  cursor.movePosition(QTextCursor::Start);
  cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, count);
  cursor.removeSelectedText();
}

void ReaderControlWindow::AppendLine(std::string_view line) {
  memInfo->appendPlainText(QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
}

}  // namespace corvalis
