#include "control/ui/ConfigReader2Window.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "common/ui/Named.h"
#include "control/ui/ReaderControlWindow.h"
#include "protocol/Hex.h"

namespace corvalis {
namespace {

constexpr int kSetIoConfig = 0x19;
constexpr int kGetIoConfig = 0x1b;
constexpr int kSetOut1 = 0x1c;

struct IoBit {
  int byte;
  int bit;
  const char* name;
  const char* caption;
};
const IoBit kIoBits[] = {
    {0, 0, "ckbIn1IsTxSw", "Input 1 is TX Sw"},
    {0, 1, "ckbIn1ActiveLow", "Input 1 active low"},
    {0, 2, "ckbOut1IsTxStat", "Out1 Is TxStat"},
    {0, 3, "ckbOut1IsWiegand1", "Out1 Is Wiegand 1"},
    {0, 4, "ckbOut1ActiveLow", "Out 1 active low"},
    {0, 5, "ckbOut2IsAux1", "Out2 Is Aux1"},
    {0, 6, "ckbOut2IsWiegand0", "Out2 Is Wiegand 0"},
    {0, 7, "ckbOut2ActiveLow", "Out2 active low"},
    {1, 0, "ckbOut3IsHeartbeat", "Out3 Is Heartbeat"},
    {1, 1, "ckbOut3IsValidId", "Out3 Is Valid Id"},
    {1, 2, "ckbOut3ActiveLow", "Out3 Active Low"},
    {1, 3, "ckbKeepAlive", "K - A"},
    {1, 4, "ckbReportIn1Rise", "Input 1 0-1"},
    {1, 5, "ckbReportIn1Fall", "Input 1 1-0"},
    {1, 6, "ckbReportDate", "Date"},
    {1, 7, "ckbBTPower", "BT"},
    {2, 6, "ckbWiFiPower", "WiFi"},
    {2, 7, "ckbIQActivity", "I && Q Activity"},
};

}  // namespace

ConfigReader2Window::ConfigReader2Window(AppContext& context, const ReaderControlWindow& panel,
                                         QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context), panel_(panel) {
  setObjectName(QStringLiteral("frmConfigReader2"));
  setWindowTitle(QStringLiteral("Reader I/O"));
  auto* layout = new QVBoxLayout(this);
  const char* const groupCaptions[] = {"Inputs and outputs 1, 2", "Output 3 and reports", "Power"};
  for (int byte = 0; byte < 3; ++byte) {
    auto* group = new QGroupBox(QString::fromLatin1(groupCaptions[byte]), this);
    auto* grid = new QGridLayout(group);
    int n = 0;
    for (const IoBit& io : kIoBits) {
      if (io.byte != byte) continue;
      auto* box = Named(new QCheckBox(QString::fromLatin1(io.caption), group), io.name);
      bits_[static_cast<size_t>(byte)][static_cast<size_t>(io.bit)] = box;
      grid->addWidget(box, n / 2, n % 2);
      ++n;
    }
    layout->addWidget(group);
  }
  ckbLaser = Named(new QCheckBox(QStringLiteral("Lsr"), this), "ckbLaser");
  ckbLaser->setToolTip(QStringLiteral("Laser power; offered once the reader reports it"));
  ckbLaser->setEnabled(false);
  layout->addWidget(ckbLaser);

  auto* get = Named(new QPushButton(QStringLiteral("Get"), this), "btnIoGet");
  btnSend = Named(new QPushButton(QStringLiteral("Send"), this), "btnIoSend");
  btnSend->setEnabled(false);
  auto* out0 = Named(new QPushButton(QStringLiteral("Out1 0"), this), "btnOut1Off");
  auto* out1 = Named(new QPushButton(QStringLiteral("Out1 1"), this), "btnOut1On");
  auto* row = new QHBoxLayout;
  for (QPushButton* b : {get, btnSend, out0, out1}) row->addWidget(b);
  layout->addLayout(row);

  connect(get, &QPushButton::clicked, this, [this] {
    if (Channel() < 0) return;
    context_.console().SendReaderBytes(Channel(), panel_.ReaderId(), kGetIoConfig,
                                       std::span<const int>());
    btnSend->setEnabled(true);
  });
  connect(btnSend, &QPushButton::clicked, this, &ConfigReader2Window::Send);
  connect(out0, &QPushButton::clicked, this, [this] {
    if (Channel() >= 0)
      context_.console().SendReaderBytes(Channel(), panel_.ReaderId(), kSetOut1, {0});
  });
  connect(out1, &QPushButton::clicked, this, [this] {
    if (Channel() >= 0)
      context_.console().SendReaderBytes(Channel(), panel_.ReaderId(), kSetOut1, {1});
  });
  context_.commands().AddReplyRoute(kGetIoConfig, this);
}

ConfigReader2Window::~ConfigReader2Window() {
  context_.commands().RemoveReplyRoute(kGetIoConfig, this);
}

int ConfigReader2Window::Channel() const {
  return panel_.Channel();
}

std::array<int, 4> ConfigReader2Window::Bytes() const {
  std::array<int, 4> bytes{0, 0, 0, -1};
  for (size_t byte = 0; byte < bits_.size(); ++byte) {
    for (size_t bit = 0; bit < 8; ++bit) {
      const QCheckBox* box = bits_[byte][bit];
      if (box != nullptr && box->isChecked()) bytes[byte] |= 1 << bit;
    }
  }
  // -1 ends the data: the laser byte goes only to readers that have one.
  if (ckbLaser->isEnabled()) bytes[3] = ckbLaser->isChecked() ? 1 : 0;
  return bytes;
}

void ConfigReader2Window::Send() {
  if (Channel() < 0) return;
  const std::array<int, 4> bytes = Bytes();
  context_.console().SendReaderBytes(Channel(), panel_.ReaderId(), kSetIoConfig,
                                     std::span<const int>(bytes.data(), bytes.size()));
}

void ConfigReader2Window::TakeReply(const ReplyView& reply) {
  if (reply.channel != Channel() || reply.dataLength < 3) return;
  for (size_t byte = 0; byte < 3; ++byte) {
    uint8_t value = 0;
    if (!ReadHexByte(reply.data + 2 * byte, value)) return;
    for (size_t bit = 0; bit < 8; ++bit) {
      if (QCheckBox* box = bits_[byte][bit]) box->setChecked(((value >> bit) & 1) != 0);
    }
  }
  uint8_t laser = 0;
  const bool hasLaser = reply.dataLength >= 4 && ReadHexByte(reply.data + 6, laser);
  ckbLaser->setEnabled(hasLaser);
  ckbLaser->setChecked(hasLaser && laser != 0);
}

}  // namespace corvalis
