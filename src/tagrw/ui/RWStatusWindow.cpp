#include "tagrw/ui/RWStatusWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace corvalis {
namespace {

constexpr const char* kStateBits[16] = {
    "Data page expected", "Cmnd Pending", "Read Success",  "Read Busy",      "Multi Read",
    "Write->Read",        "Cmnd Busy",    "Retry Pending", "T-out Occurred", "Timeout Start",
    "Same Tag",           "Tag Done",     "Writing",       "Data Seen",      "T-out Message",
    "Retries Done"};
constexpr const char* kOptionBits[8] = {"Auto Read",  "Auto Suspend", "Specific Tag", "Addressed",
                                        "Continuous", "Use Voting",   "Want Seq #",   "Use S-list"};
constexpr const char* kCrcNames[4] = {"none", "4022", "KV-Q", "CCITT"};

template <class T>
T* Named(T* object, const QString& name) {
  object->setObjectName(name);
  return object;
}

}  // namespace

RWStatusWindow::RWStatusWindow(ReaderCommandSender& commands, std::function<int()> channel,
                               std::function<int()> readerId, QWidget* parent)
    : QWidget(parent, Qt::Window),
      commands_(commands),
      channel_(std::move(channel)),
      readerId_(std::move(readerId)) {
  setObjectName(QStringLiteral("frmRWStatus"));
  setWindowTitle(QStringLiteral("RW Status"));
  auto* v = new QVBoxLayout(this);

  auto* stateBox = new QGroupBox(QStringLiteral("State"));
  auto* stateGrid = new QGridLayout(stateBox);
  for (int i = 0; i < 16; ++i) {
    state_[static_cast<size_t>(i)] = Named(new QCheckBox(QString::fromLatin1(kStateBits[i])),
                                           QStringLiteral("ckbRWState%1").arg(i));
    state_[static_cast<size_t>(i)]->setEnabled(false);
    stateGrid->addWidget(state_[static_cast<size_t>(i)], i % 8, i / 8);
  }
  v->addWidget(stateBox);

  auto* fields = new QGridLayout;
  auto field = [&](int row, const QString& caption, const char* name) {
    fields->addWidget(new QLabel(caption), row, 0);
    auto* label = Named(new QLabel, QString::fromLatin1(name));
    fields->addWidget(label, row, 1);
    return label;
  };
  lblCommand = field(0, QStringLiteral("Command"), "lblCommand");
  lblPages = field(1, QStringLiteral("Start/Num/This/Left"), "lblPages");
  lblRetries = field(2, QStringLiteral("Retries"), "lblRetries");
  lblCode = field(3, QStringLiteral("Code"), "lblCode");
  lblTarget = field(4, QStringLiteral("Target"), "lblTarget");
  v->addLayout(fields);

  auto* optionBox = new QGroupBox(QStringLiteral("Options"));
  auto* optionGrid = new QGridLayout(optionBox);
  for (int i = 0; i < 8; ++i) {
    options_[static_cast<size_t>(i)] = Named(new QCheckBox(QString::fromLatin1(kOptionBits[i])),
                                             QStringLiteral("ckbRWOption%1").arg(i));
    optionGrid->addWidget(options_[static_cast<size_t>(i)], i % 4, i / 4);
  }
  ckbGen = Named(new QCheckBox(QStringLiteral("Gen")), QStringLiteral("ckbRWGen"));
  optionGrid->addWidget(ckbGen, 4, 0);
  auto* crcRow = new QHBoxLayout;
  for (int i = 0; i < 4; ++i) {
    crc_[static_cast<size_t>(i)] = Named(new QRadioButton(QString::fromLatin1(kCrcNames[i])),
                                         QStringLiteral("rbtRWCrc%1").arg(i));
    crcRow->addWidget(crc_[static_cast<size_t>(i)]);
  }
  crc_[0]->setChecked(true);
  optionGrid->addLayout(crcRow, 5, 0, 1, 2);
  v->addWidget(optionBox);

  auto* buttons = new QHBoxLayout;
  auto* get = Named(new QPushButton(QStringLiteral("Get")), QStringLiteral("btnRWStatusGet"));
  connect(get, &QPushButton::clicked, this, &RWStatusWindow::Get);
  auto* send = Named(new QPushButton(QStringLiteral("Send")), QStringLiteral("btnRWStatusSend"));
  connect(send, &QPushButton::clicked, this,
          [this] { Send((QApplication::keyboardModifiers() & Qt::ShiftModifier) != 0); });
  buttons->addWidget(get);
  buttons->addWidget(send);
  v->addLayout(buttons);

  commands_.AddReplyRoute(0x26, this);
  commands_.AddReplyRoute(0x28, this);
}

RWStatusWindow::~RWStatusWindow() {
  commands_.RemoveReplyRoute(0x26, this);
  commands_.RemoveReplyRoute(0x28, this);
}

void RWStatusWindow::Get() {
  commands_.SendCommand(channel_(), readerId_(), "0026");
}

RwOptions RWStatusWindow::ChosenOptions() const {
  RwOptions o;
  for (int i = 0; i < 8; ++i)
    if (options_[static_cast<size_t>(i)]->isChecked())
      o.options = static_cast<uint8_t>(o.options | 1 << i);
  int crc = 0;
  for (int i = 0; i < 4; ++i)
    if (crc_[static_cast<size_t>(i)]->isChecked()) crc = i;
  o.dataCrc = static_cast<uint8_t>((ckbGen->isChecked() ? 2 : 0) | crc << 2);
  return o;
}

void RWStatusWindow::Send(bool readBack) {
  commands_.SendCommand(channel_(), readerId_(),
                        readBack ? std::string("ff28") : RwOptionsBody(ChosenOptions()));
}

void RWStatusWindow::TakeReply(const ReplyView& reply) {
  const std::string_view line(reply.text, static_cast<size_t>(reply.length));
  if (reply.code == 0x26) {
    if (const auto status = ParseRwStatus(line)) ShowStatus(*status);
  } else if (const auto options = ParseRwOptions(line)) {
    ShowOptions(*options);
  }
}

void RWStatusWindow::ShowStatus(const RwStatus& s) {
  for (int i = 0; i < 8; ++i) {
    state_[static_cast<size_t>(i)]->setChecked((s.state >> i & 1) != 0);
    state_[static_cast<size_t>(i + 8)]->setChecked((s.timeouts >> i & 1) != 0);
  }
  ShowOptions({s.options, s.dataCrc.value_or(0)});
  lblCommand->setText(QString::fromStdString(s.command));
  lblPages->setText(QStringLiteral("%1 %2 %3 %4")
                        .arg(QChar::fromLatin1(s.startPage), QChar::fromLatin1(s.numPages),
                             QChar::fromLatin1(s.thisPage), QChar::fromLatin1(s.pagesRemaining)));
  lblRetries->setText(QString::fromStdString(s.retries));
  lblCode->setText(QString::fromStdString(s.code));
  lblTarget->setText(QString::fromStdString(s.target));
}

void RWStatusWindow::ShowOptions(const RwOptions& o) {
  for (int i = 0; i < 8; ++i)
    options_[static_cast<size_t>(i)]->setChecked((o.options >> i & 1) != 0);
  ckbGen->setChecked((o.dataCrc & 2) != 0);
  crc_[static_cast<size_t>(o.dataCrc >> 2 & 3)]->setChecked(true);
}

}  // namespace corvalis
