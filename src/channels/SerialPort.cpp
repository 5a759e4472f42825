#include "channels/SerialPort.h"

#include <QSerialPort>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <linux/serial.h>
#endif

namespace corvalis {
namespace {

// Modem lines and line errors have no notification in QSerialPort; a light
// poll while the port is open stands in for the driver's line events.
constexpr int kModemPollMs = 100;

constexpr unsigned LineBit(ModemLine line) {
  return 1u << static_cast<unsigned>(line);
}

unsigned ReadModemLines(QSerialPort& port) {
  const QSerialPort::PinoutSignals pins = port.pinoutSignals();
  unsigned state = 0;
  if (pins & QSerialPort::ClearToSendSignal) state |= LineBit(ModemLine::kCts);
  if (pins & QSerialPort::DataSetReadySignal) state |= LineBit(ModemLine::kDsr);
  if (pins & QSerialPort::RingIndicatorSignal) state |= LineBit(ModemLine::kRing);
  if (pins & QSerialPort::DataCarrierDetectSignal) state |= LineBit(ModemLine::kRlsd);
  return state;
}

QSerialPort::Parity ToQt(Parity parity) {
  switch (parity) {
    case Parity::kOdd:
      return QSerialPort::OddParity;
    case Parity::kEven:
      return QSerialPort::EvenParity;
    case Parity::kMark:
      return QSerialPort::MarkParity;
    case Parity::kSpace:
      return QSerialPort::SpaceParity;
    case Parity::kNone:
      break;
  }
  return QSerialPort::NoParity;
}

QSerialPort::StopBits ToQt(StopBits stopBits) {
  switch (stopBits) {
    case StopBits::kOneAndHalf:
      return QSerialPort::OneAndHalfStop;
    case StopBits::kTwo:
      return QSerialPort::TwoStop;
    case StopBits::kOne:
      break;
  }
  return QSerialPort::OneStop;
}

// The handshaking the device has before we touch it, for "default".
int DriverFlowControl(const QString& device) {
#ifdef Q_OS_UNIX
  const int fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return -1;
  termios tio{};
  int flow = -1;
  if (::tcgetattr(fd, &tio) == 0) {
    if (tio.c_cflag & CRTSCTS) {
      flow = QSerialPort::HardwareControl;
    } else if (tio.c_iflag & (IXON | IXOFF)) {
      flow = QSerialPort::SoftwareControl;
    } else {
      flow = QSerialPort::NoFlowControl;
    }
  }
  ::close(fd);
  return flow;
#else
  Q_UNUSED(device);
  return -1;
#endif
}

// False where the driver keeps no counts (a pty, most USB adapters).
bool ReadLineErrors(int fd, LineErrorCounts& counts) {
#ifdef Q_OS_LINUX
  serial_icounter_struct icount{};
  if (fd < 0 || ::ioctl(fd, TIOCGICOUNT, &icount) != 0) return false;
  counts.breaks = static_cast<uint32_t>(icount.brk);
  counts.framing = static_cast<uint32_t>(icount.frame);
  counts.parity = static_cast<uint32_t>(icount.parity);
  counts.overrun = static_cast<uint32_t>(icount.overrun);
  counts.bufferOverrun = static_cast<uint32_t>(icount.buf_overrun);
  return true;
#else
  Q_UNUSED(fd);
  Q_UNUSED(counts);
  return false;
#endif
}

}  // namespace

uint32_t LineErrorBits(const LineErrorCounts& before, const LineErrorCounts& now) {
  uint32_t bits = 0;
  if (now.breaks != before.breaks) bits |= comm_error::kBreak;
  if (now.framing != before.framing) bits |= comm_error::kFrame;
  if (now.parity != before.parity) bits |= comm_error::kRxParity;
  if (now.overrun != before.overrun) bits |= comm_error::kOverrun;
  if (now.bufferOverrun != before.bufferOverrun) bits |= comm_error::kRxOver;
  return bits;
}

Parity ParityFromText(const QString& text) {
  const QString t = text.trimmed().toLower();
  if (t == QLatin1String("odd")) return Parity::kOdd;
  if (t == QLatin1String("even")) return Parity::kEven;
  if (t == QLatin1String("mark")) return Parity::kMark;
  if (t == QLatin1String("space")) return Parity::kSpace;
  return Parity::kNone;
}

StopBits StopBitsFromValue(double value) {
  if (value == 1.5) return StopBits::kOneAndHalf;
  if (value == 2.0) return StopBits::kTwo;
  return StopBits::kOne;
}

FlowControl FlowControlFromText(const QString& text) {
  const QString t = text.trimmed().toLower();
  if (t == QLatin1String("cts")) return FlowControl::kCts;
  if (t == QLatin1String("dtr")) return FlowControl::kDtr;
  if (t == QLatin1String("software")) return FlowControl::kSoftware;
  if (t == QLatin1String("default")) return FlowControl::kDefault;
  return FlowControl::kNone;
}

const char* ProviderSubtypeText(int subtype) {
  switch (subtype) {
    case 0x000:
      return "Unspecified";
    case 0x001:
      return "RS-232 serial port";
    case 0x002:
      return "Parallel port";
    case 0x003:
      return "RS-422 port";
    case 0x004:
      return "RS-423 port";
    case 0x005:
      return "RS-449 port";
    case 0x006:
      return "Modem device";
    case 0x021:
      return "FAX device";
    case 0x022:
      return "Scanner device";
    case 0x100:
      return "Unspecified network bridge";
    case 0x101:
      return "LAT protocol";
    case 0x102:
      return "TCP/IP Telnet protocol";
    case 0x103:
      return "X.25 standards";
    default:
      return "Unknown device type";
  }
}

SerialPort::SerialPort(SerialPortEvents* events)
    : events_(events),
      port_(std::make_unique<QSerialPort>()),
      modemPoll_(std::make_unique<QTimer>()) {
  modemPoll_->setInterval(kModemPollMs);
  QObject::connect(modemPoll_.get(), &QTimer::timeout, [this] { PollLines(); });
  QObject::connect(port_.get(), &QSerialPort::readyRead, [this] { OnReadyRead(); });
  QObject::connect(port_.get(), &QSerialPort::errorOccurred,
                   [this](QSerialPort::SerialPortError error) { OnError(error); });
  QObject::connect(port_.get(), &QSerialPort::bytesWritten, [this](qint64) { OnBytesWritten(); });
}

SerialPort::~SerialPort() {
  events_ = nullptr;
  Close();
}

void SerialPort::SetBaudRate(int baud) {
  baudRate_ = baud;
  if (Enabled()) port_->setBaudRate(baud);
}

void SerialPort::SetDataBits(int bits) {
  dataBits_ = bits;
  if (Enabled()) port_->setDataBits(static_cast<QSerialPort::DataBits>(bits));
}

void SerialPort::SetParity(Parity parity) {
  parity_ = parity;
  if (Enabled()) port_->setParity(ToQt(parity));
}

void SerialPort::SetStopBits(StopBits stopBits) {
  stopBits_ = stopBits;
  if (Enabled()) port_->setStopBits(ToQt(stopBits));
}

void SerialPort::SetFlowControl(FlowControl flow) {
  flowControl_ = flow;
  if (Enabled()) ApplyFlowControl();
}

void SerialPort::SetReceiveQueueSize(int bytes) {
  receiveQueueSize_ = bytes;
  port_->setReadBufferSize(bytes);
}

void SerialPort::ApplyLineSettings() {
  port_->setBaudRate(baudRate_);
  port_->setDataBits(static_cast<QSerialPort::DataBits>(dataBits_));
  port_->setParity(ToQt(parity_));
  port_->setStopBits(ToQt(stopBits_));
  ApplyFlowControl();
}

void SerialPort::ApplyFlowControl() {
  switch (flowControl_) {
    case FlowControl::kNone:
      port_->setFlowControl(QSerialPort::NoFlowControl);
      SetDtr(dtr_);
      SetRts(rts_);
      break;
    case FlowControl::kCts:
      // RTS belongs to the input handshake now.
      port_->setFlowControl(QSerialPort::HardwareControl);
      SetDtr(dtr_);
      break;
    case FlowControl::kDtr:
      // QSerialPort has no DSR/DTR handshake: the line is left to the driver
      // and output goes unpaced; RTS is raised as the handshake expects.
      port_->setFlowControl(QSerialPort::NoFlowControl);
      SetRts(true);
      break;
    case FlowControl::kSoftware:
      port_->setFlowControl(QSerialPort::SoftwareControl);
      SetDtr(true);
      SetRts(true);
      break;
    case FlowControl::kDefault:
      if (driverFlow_ >= 0)
        port_->setFlowControl(static_cast<QSerialPort::FlowControl>(driverFlow_));
      SetDtr(dtr_);
      SetRts(rts_);
      break;
  }
}

void SerialPort::Open() {
  Close();
  ++generation_;
  readFailures_ = 0;
  port_->clearError();
  port_->setPortName(deviceName_);
  port_->setReadBufferSize(receiveQueueSize_);
  driverFlow_ = flowControl_ == FlowControl::kDefault ? DriverFlowControl(port_->portName()) : -1;
  const unsigned openGeneration = generation_;
  if (!port_->open(QIODevice::ReadWrite)) {
    const int code = static_cast<int>(port_->error());
    if (events_ != nullptr) events_->PortOpened(*this, code, provider_subtype::kUnspecified);
    return;
  }
  // A pty (or a driver without modem control) refuses the line ioctls; find
  // out once instead of reporting a failure at every line change.
  {
    const QSignalBlocker quiet(port_.get());
    modemState_ = ReadModemLines(*port_);
    modemLines_ = port_->error() == QSerialPort::NoError;
    port_->clearError();
  }
  ApplyLineSettings();
  lineErrors_ = {};
  lineCounters_ = ReadLineErrors(static_cast<int>(port_->handle()), lineErrors_);
  if (modemLines_ || lineCounters_) modemPoll_->start();
  if (events_ != nullptr && generation_ == openGeneration) {
    events_->PortOpened(*this, 0,
                        modemLines_ ? provider_subtype::kRs232 : provider_subtype::kUnspecified);
  }
}

void SerialPort::Close() {
  modemPoll_->stop();
  lineCounters_ = false;
  if (!port_->isOpen()) return;
  ++generation_;
  const QSignalBlocker quiet(port_.get());
  port_->clear(QSerialPort::Input);
  port_->close();
  port_->clearError();
}

bool SerialPort::Enabled() const {
  return port_->isOpen();
}

int SerialPort::Read(char* dest, int max) {
  if (!port_->isOpen()) return -1;
  return static_cast<int>(port_->read(dest, max));
}

int SerialPort::BytesWaiting() const {
  return port_->isOpen() ? static_cast<int>(port_->bytesAvailable()) : 0;
}

void SerialPort::PurgeInput() {
  if (port_->isOpen()) port_->clear(QSerialPort::Input);
}

std::string SerialPort::LastErrorText() const {
  return port_->errorString().toStdString();
}

int SerialPort::Write(const char* bytes, int count) {
  if (!port_->isOpen() || count <= 0) return 0;
  return static_cast<int>(port_->write(bytes, count));
}

void SerialPort::SetDtr(bool on) {
  dtr_ = on;
  if (Enabled() && modemLines_) port_->setDataTerminalReady(on);
}

void SerialPort::SetRts(bool on) {
  rts_ = on;
  if (Enabled() && modemLines_ && port_->flowControl() != QSerialPort::HardwareControl) {
    port_->setRequestToSend(on);
  }
}

bool SerialPort::GetModemState(ModemLine line) const {
  if (!Enabled() || !modemLines_) return false;
  return (ReadModemLines(*port_) & LineBit(line)) != 0;
}

int SerialPort::NativeHandle() const {
  return port_->isOpen() ? static_cast<int>(port_->handle()) : -1;
}

void SerialPort::OnReadyRead() {
  readFailures_ = 0;
  RaiseEvents(0, true, false);
}

void SerialPort::OnBytesWritten() {
  if (port_->bytesToWrite() == 0) RaiseEvents(0, false, true);
}

void SerialPort::OnError(int error) {
  uint32_t bits = 0;
  bool lost = false;
  switch (static_cast<QSerialPort::SerialPortError>(error)) {
    case QSerialPort::NoError:
    case QSerialPort::TimeoutError:
      return;
    case QSerialPort::ResourceError:
    case QSerialPort::DeviceNotFoundError:
      // The device is gone; its descriptor will only ever fail again.
      bits = comm_error::kIoe;
      lost = true;
      break;
    case QSerialPort::ReadError:
      // A tty whose other side hung up reads end-of-file forever; two
      // failures with nothing read in between mean the device has gone.
      bits = comm_error::kIoe;
      lost = ++readFailures_ >= 2;
      break;
    case QSerialPort::UnsupportedOperationError:
      bits = comm_error::kMode;
      break;
    case QSerialPort::WriteError:
    case QSerialPort::PermissionError:
    case QSerialPort::OpenError:
    case QSerialPort::UnknownError:
    case QSerialPort::NotOpenError:
      bits = comm_error::kIoe;
      break;
  }
  if (!port_->isOpen()) return;
  const unsigned generation = generation_;
  RaiseEvents(bits, false, false);
  if (lost && generation == generation_) HandleLost();
}

void SerialPort::HandleLost() {
  Close();
  if (events_ != nullptr) events_->PortLost(*this);
}

void SerialPort::PollLines() {
  const unsigned generation = generation_;
  PollLineErrors();
  if (generation == generation_) PollModemLines();
}

void SerialPort::PollLineErrors() {
  if (!Enabled() || !lineCounters_) return;
  LineErrorCounts now;
  if (!ReadLineErrors(static_cast<int>(port_->handle()), now)) return;
  const uint32_t bits = LineErrorBits(lineErrors_, now);
  lineErrors_ = now;
  if (bits != 0) RaiseEvents(bits, false, false);
}

void SerialPort::PollModemLines() {
  if (!Enabled() || !modemLines_ || events_ == nullptr) return;
  const unsigned now = ReadModemLines(*port_);
  const unsigned changed = now ^ modemState_;
  modemState_ = now;
  if (changed == 0) return;
  const unsigned generation = generation_;
  for (ModemLine line : {ModemLine::kCts, ModemLine::kDsr, ModemLine::kRing, ModemLine::kRlsd}) {
    if ((changed & LineBit(line)) == 0) continue;
    events_->PortLineChanged(*this, line, (now & LineBit(line)) != 0);
    if (generation != generation_ || events_ == nullptr) return;
  }
}

void SerialPort::RaiseEvents(uint32_t errorBits, bool bytesWaiting, bool txEmpty) {
  if (events_ == nullptr) return;
  const unsigned generation = generation_;
  auto stillOpen = [&] { return generation == generation_ && events_ != nullptr; };
  if (errorBits & comm_error::kBreak) {
    events_->PortBreak(*this);
    if (!stillOpen()) return;
  }
  if (errorBits != 0) {
    events_->PortErrors(*this, errorBits);
    if (!stillOpen()) return;
  }
  if (bytesWaiting) {
    const qint64 waiting = port_->bytesAvailable();
    if (waiting > 0) events_->PortBytesWaiting(*this, static_cast<int>(waiting));
    if (!stillOpen()) return;
  }
  if (txEmpty) events_->PortTxEmpty(*this);
}

}  // namespace corvalis
