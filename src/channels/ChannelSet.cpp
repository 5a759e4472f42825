#include "channels/ChannelSet.h"

#include <QSerialPortInfo>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <cstdio>

#ifdef Q_OS_LINUX
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

namespace corvalis {
namespace {

// Pieces in which the Modbus receiver is handed a serial queue.
constexpr int kModbusPiece = 1024;

// Keep-alive timing: a reader that vanished without closing its connection
// (power cut, cable pulled) is noticed within about half a minute instead of
// the system default of two hours.
constexpr int kKeepAliveIdleS = 10;
constexpr int kKeepAliveIntervalS = 5;
constexpr int kKeepAliveProbes = 3;

struct ErrorText {
  uint32_t bit;
  const char* lines[3];
  bool marks;
};

constexpr ErrorText kErrorTexts[] = {
    {comm_error::kBreak, {"The hardware detected a break condition."}, false},
    {comm_error::kFrame, {"The hardware detected a framing error."}, false},
    {comm_error::kIoe, {"An I/O error occurred during communications with the device."}, true},
    {comm_error::kMode,
     {"The requested mode is not supported, or the hFile parameter",
      "is invalid. If this value is specified, it is the only valid error."},
     false},
    {comm_error::kOverrun,
     {"A character-buffer overrun has occurred. The next character is lost."},
     false},
    {comm_error::kRxOver,
     {"An input buffer overflow has occurred. There is either no",
      "room in the input buffer, or a character was received after",
      "the end-of-file (EOF) character."},
     false},
    {comm_error::kRxParity, {"The hardware detected a parity error."}, false},
    {comm_error::kTxFull,
     {"The application tried to transmit a character, but the output", "buffer was full."},
     true},
    {comm_error::kDns, {"Windows 95 only: A parallel device is not selected."}, false},
    {comm_error::kOop,
     {"Windows 95 only: A parallel device signaled that it is out of paper."},
     false},
    {comm_error::kPto, {"Windows 95 only: A time-out occurred on a parallel device."}, false},
};

const char* LineName(ModemLine line) {
  switch (line) {
    case ModemLine::kCts:
      return "CTS SIGNAL ";
    case ModemLine::kDsr:
      return "DSR SIGNAL ";
    case ModemLine::kRing:
      return "RING SIGNAL ";
    case ModemLine::kRlsd:
      return "RLSD SIGNAL ";
  }
  return "";
}

void EnableKeepAlive(QTcpSocket& socket) {
  socket.setSocketOption(QAbstractSocket::KeepAliveOption, 1);
#ifdef Q_OS_LINUX
  const auto fd = static_cast<int>(socket.socketDescriptor());
  if (fd < 0) return;
  const int idle = kKeepAliveIdleS;
  const int interval = kKeepAliveIntervalS;
  const int probes = kKeepAliveProbes;
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
#endif
}

}  // namespace

// The serial port as the framer reads it: after each read, and before the
// framer cuts, the new bytes go to everybody else who wants them.
class ChannelSet::SerialTap final : public SerialByteSource {
 public:
  SerialTap(ChannelSet& set, int channel) : set_(set), channel_(channel) {}
  int Read(char* dest, int max) override {
    Channel& c = set_.channels_[channel_];
    const int got = c.port->Read(dest, max);
    if (got > 0) {
      if (set_.hooks_.script != nullptr && set_.hooks_.script->IsWaitingOn(channel_)) {
        set_.hooks_.script->AppendReceiveText(channel_, dest, got);
      }
      set_.AfterRead(channel_, dest, got, c.portLabel);
    }
    return got;
  }
  void PurgeInput() override { set_.channels_[channel_].port->PurgeInput(); }
  std::string LastErrorText() const override {
    return set_.channels_[channel_].port->LastErrorText();
  }

 private:
  ChannelSet& set_;
  int channel_;
};

// A socket read the way the download reads a serial queue.
class ChannelSet::SocketSource final : public SerialByteSource {
 public:
  explicit SocketSource(QTcpSocket& socket) : socket_(socket) {}
  int Read(char* dest, int max) override { return static_cast<int>(socket_.read(dest, max)); }
  void PurgeInput() override { socket_.readAll(); }
  std::string LastErrorText() const override { return socket_.errorString().toStdString(); }

 private:
  QTcpSocket& socket_;
};

ChannelSet::ChannelSet(ReceiveFramer& framer, StatusReporter& status)
    : framer_(framer), status_(status) {
  Comm32Events* events = this;
  for (int ch = 0; ch < kChannelCount; ++ch) {
    Channel& c = channels_[ch];
    c.port = std::make_unique<TComm32>(events);
    c.port->tag = ch;
    c.socket = std::make_unique<QTcpSocket>();
    QTcpSocket* socket = c.socket.get();
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, ch] { OnTcpRead(ch); });
    QObject::connect(socket, &QTcpSocket::connected, socket, [this, ch] { OnTcpConnected(ch); });
    QObject::connect(socket, &QTcpSocket::disconnected, socket,
                     [this, ch] { OnTcpDisconnected(ch); });
    QObject::connect(socket, &QTcpSocket::errorOccurred, socket,
                     [this, ch](QAbstractSocket::SocketError error) { OnTcpError(ch, error); });
    ConfigurePort(ch);
    c.view.panelText = PanelText(ch);
  }
}

ChannelSet::~ChannelSet() {
  for (Channel& c : channels_) {
    c.port->SetEvents(nullptr);
    c.port->Close();
    c.closingSocket = true;
    c.socket->disconnect();
    c.socket->abort();
  }
}

void ChannelSet::ConfigurePort(int channel) {
  Channel& c = channels_[channel];
  TComm32& port = *c.port;
  port.SetDeviceName(c.settings.name);
  port.SetBaudRate(c.settings.baud);
  port.SetDataBits(c.settings.databits);
  port.SetParity(ParityFromText(c.settings.parity));
  port.SetStopBits(StopBitsFromValue(c.settings.stopbits));
  port.SetFlowControl(FlowControlFromText(c.settings.flowcontrol));
  if (port.GetFlowControl() != FlowControl::kDtr) port.SetDtr(c.settings.dtr);
  if (port.GetFlowControl() != FlowControl::kCts) port.SetRts(c.settings.rts);
  c.portLabel = c.settings.name.toStdString();
  c.socketLabel = c.settings.ipAddress.toStdString();
}

void ChannelSet::Start() {
  for (int ch = 0; ch < kChannelCount; ++ch) {
    Channel& c = channels_[ch];
    c.settings =
        settingsPath_.isEmpty() ? ChannelSettings{} : ReadChannelSettings(settingsPath_, ch);
    ConfigurePort(ch);
    c.port->SetReceiveQueueSize(kReceiveQueueSize);
    if (c.settings.open) OpenTransport(ch);
  }
  RefreshStatus();
}

void ChannelSet::OpenTransport(int channel) {
  Channel& c = channels_[channel];
  if (c.settings.port) {
    c.port->Open();  // closes first; reports through the open event
  } else {
    CloseSocket(channel);
    ConnectSocket(channel);
  }
}

void ChannelSet::ConnectSocket(int channel) {
  Channel& c = channels_[channel];
  c.socketLabel = c.settings.ipAddress.toStdString();
  c.socket->connectToHost(c.settings.ipAddress, static_cast<quint16>(c.settings.ipPort));
}

void ChannelSet::CloseSocket(int channel) {
  Channel& c = channels_[channel];
  if (c.socket->state() == QAbstractSocket::UnconnectedState) return;
  // What already arrived still belongs to the reader's stream.
  if (c.socket->bytesAvailable() > 0) OnTcpRead(channel);
  c.closingSocket = true;
  c.socket->abort();
  c.closingSocket = false;
}

bool ChannelSet::IsActive(int channel) const {
  const Channel& c = channels_[channel];
  if (c.settings.port) return c.port->Enabled();
  return c.socket->state() != QAbstractSocket::UnconnectedState &&
         c.socket->state() != QAbstractSocket::ClosingState;
}

void ChannelSet::Open(int channel) {
  if (!IsValidChannel(channel)) return;
  OpenTransport(channel);
  Channel& c = channels_[channel];
  c.settings.open = IsActive(channel);
  if (!settingsPath_.isEmpty()) WriteChannelOpen(settingsPath_, channel, c.settings.open);
  RefreshStatus();
}

void ChannelSet::Close(int channel) {
  if (!IsValidChannel(channel)) return;
  Channel& c = channels_[channel];
  if (c.settings.port) {
    Log("Closing: ", c.portLabel);
    c.port->Close();
  } else {
    CloseSocket(channel);
  }
  c.settings.open = IsActive(channel);
  if (!settingsPath_.isEmpty()) WriteChannelOpen(settingsPath_, channel, c.settings.open);
  RefreshStatus();
}

void ChannelSet::CloseAll() {
  for (int ch = 0; ch < kChannelCount; ++ch) {
    Channel& c = channels_[ch];
    if (c.port->Enabled()) {
      Log("Closing: ", c.portLabel);
      c.port->Close();
    }
    CloseSocket(ch);
  }
  RefreshStatus();
}

void ChannelSet::SaveSections() const {
  if (settingsPath_.isEmpty()) return;
  for (int ch = 0; ch < kChannelCount; ++ch) {
    WriteChannelSettings(settingsPath_, ch, channels_[ch].settings);
  }
}

void ChannelSet::ApplySettings(int channel, const ChannelSettings& wanted) {
  if (!IsValidChannel(channel)) return;
  Channel& c = channels_[channel];
  const bool wasOpen = c.view.open;
  const ChannelSettings old = c.settings;
  TComm32& port = *c.port;

  port.SetBaudRate(wanted.baud);
  port.SetDataBits(wanted.databits);
  port.SetParity(ParityFromText(wanted.parity));
  port.SetStopBits(StopBitsFromValue(wanted.stopbits));
  port.SetFlowControl(FlowControlFromText(wanted.flowcontrol));
  // A line the handshake drives is stored but left to the driver.
  if (port.GetFlowControl() != FlowControl::kDtr) port.SetDtr(wanted.dtr);
  if (port.GetFlowControl() != FlowControl::kCts) port.SetRts(wanted.rts);

  if (wanted.port != old.port) {
    if (old.port) {
      port.Close();
    } else {
      CloseSocket(channel);
    }
  }
  if (wanted.name != old.name) {
    port.Close();
    port.SetDeviceName(wanted.name);
    c.portLabel = wanted.name.toStdString();
  }
  if (wanted.ipAddress != old.ipAddress || wanted.ipPort != old.ipPort) CloseSocket(channel);

  const bool keepOpen = c.settings.open;
  c.settings = wanted;
  c.settings.open = keepOpen;
  if (wasOpen) {
    if (c.settings.port) {
      if (!port.Enabled()) port.Open();
    } else if (!IsActive(channel)) {
      ConnectSocket(channel);
    }
  }
  if (!settingsPath_.isEmpty()) WriteChannelSettings(settingsPath_, channel, c.settings);
  RefreshStatus();
}

QString ChannelSet::PanelText(int channel) const {
  const Channel& c = channels_[channel];
  QString text = channel == kOutputChannel ? QStringLiteral("Out1: ")
                                           : QStringLiteral("Chan %1: ").arg(channel + 1);
  const bool open = c.view.open;
  if (c.settings.port) {
    text += c.settings.name;
    text += open ? QStringLiteral(" %1").arg(c.port->BaudRate()) : QStringLiteral(" Closed");
  } else if (open) {
    text += QStringLiteral("%1 %2").arg(c.settings.ipAddress).arg(c.settings.ipPort);
  } else {
    text += QStringLiteral("Closed");
  }
  return text;
}

void ChannelSet::RefreshStatus() {
  for (int ch = 0; ch < kChannelCount; ++ch) {
    ChannelView& view = channels_[ch].view;
    view.open = IsActive(ch);
    view.closeEnabled = view.open;
    view.openEnabled = !view.open;
    view.panelText = PanelText(ch);
  }
  if (listener_ != nullptr) listener_->ChannelStatusRefreshed();
}

void ChannelSet::ClearActivityMarks() {
  for (Channel& c : channels_) {
    c.view.activity = 0;
    c.view.sendActivity = 0;
  }
  if (listener_ != nullptr) listener_->RepaintStatusBar();
}

void ChannelSet::Mark(int channel, int mark) {
  int& activity = channels_[channel].view.activity;
  const bool wasClear = activity == 0;
  activity |= mark;
  if ((wasClear || mark == kMarkError) && listener_ != nullptr) listener_->RepaintStatusBar();
}

// Formats on the stack: these lines come with every read event, and nothing
// is allocated per read.
void ChannelSet::Log(const char* prefix, const std::string& label, const char* suffix) {
  char line[256];
  const int n = std::snprintf(line, sizeof line, "%s%s%s", prefix, label.c_str(), suffix);
  status_.DebugLog(std::string_view(line, static_cast<size_t>(std::clamp(n, 0, 255))));
}

bool ChannelSet::IsOpen(int channel) const {
  return IsValidChannel(channel) && channels_[channel].view.open;
}

void ChannelSet::WriteToChannel(int channel, const char* bytes, int count) {
  if (!IsValidChannel(channel) || count <= 0) return;
  Channel& c = channels_[channel];
  bool sent = false;
  if (c.settings.port) {
    sent = c.port->Write(bytes, count) > 0;
  } else if (IsActive(channel)) {
    sent = c.socket->write(bytes, count) > 0;
  }
  int& mark = c.view.sendActivity;
  const int before = mark;
  mark = sent ? std::max(mark, 1) : 2;
  if (mark != before && listener_ != nullptr) listener_->RepaintStatusBar();
}

QStringList ChannelSet::AvailablePorts() {
  QStringList names;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    names << info.systemLocation();
  }
  return names;
}

// Steps of the receive path shared by both transports, for one run of new
// bytes just read: the bound tabs, the recording, the diagnostics line. The
// framer arms the idle countdown and cuts right after.
void ChannelSet::AfterRead(int channel, const char* bytes, int count, const std::string& label) {
  for (RawReceiver* receiver : hooks_.rawReceivers) {
    if (receiver->IsBoundTo(channel)) receiver->TakeRawBytes(channel, bytes, count);
  }
  if (channel < kReaderChannelCount && hooks_.recorder != nullptr &&
      hooks_.recorder->IsRecording(channel)) {
    hooks_.recorder->RecordBytes(channel, bytes, count);
  }
  char text[48];
  std::snprintf(text, sizeof text, "Reading %d characters from ", count);
  Log(text, label);
}

void ChannelSet::Comm32RxChar(TComm32& sender, int waiting) {
  const int channel = sender.tag;
  if (!IsValidChannel(channel)) return;
  if (hooks_.download != nullptr && hooks_.download->IsRunningOn(channel)) {
    hooks_.download->TakeBytesWaiting(channel, waiting, sender);
    return;
  }
  Mark(channel, kMarkReceive);
  if (hooks_.modbus != nullptr && hooks_.modbus->WantsBytes(channel)) {
    char piece[kModbusPiece];
    int got = 0;
    while (sender.BytesWaiting() > 0 && (got = sender.Read(piece, kModbusPiece)) > 0) {
      hooks_.modbus->TakeModbusBytes(channel, piece, got);
    }
    waiting = sender.BytesWaiting();
  }
  Channel& c = channels_[channel];
  Log("RXCHAR SIGNAL ", c.portLabel);
  if (waiting > 0) {
    SerialTap tap(*this, channel);
    framer_.AppendSerial(channel, waiting, tap);
  }
  if (hooks_.script != nullptr && hooks_.script->IsMachineRunning())
    hooks_.script->RunMachineOnce();
}

void ChannelSet::OnTcpRead(int channel) {
  Channel& c = channels_[channel];
  QTcpSocket& socket = *c.socket;
  c.readQueued = false;
  if (channel == kOutputChannel) {
    // The output port has no receive path; drop what a peer sends so it does
    // not pile up in the socket for the whole run.
    socket.skip(socket.bytesAvailable());
    return;
  }
  const qint64 available = socket.bytesAvailable();
  if (available <= 0) return;
  if (hooks_.download != nullptr && hooks_.download->IsRunningOn(channel)) {
    SocketSource source(socket);
    hooks_.download->TakeBytesWaiting(channel, static_cast<int>(available), source);
    return;
  }
  Mark(channel, kMarkReceive);
  const qint64 got = socket.read(staging_, kTcpStagingSize);
  if (got <= 0) return;
  const int count = static_cast<int>(got);
  staging_[count] = '\0';
  if (hooks_.modbus != nullptr && hooks_.modbus->WantsBytes(channel)) {
    hooks_.modbus->TakeModbusBytes(channel, staging_, count);
  }
  Log("RXCHAR SIGNAL ", c.socketLabel);
  if (hooks_.script != nullptr && hooks_.script->IsWaitingOn(channel)) {
    hooks_.script->AppendReceiveText(channel, staging_, count);
  }
  FeedTcp(channel, staging_, count);
  if (hooks_.script != nullptr && hooks_.script->IsMachineRunning())
    hooks_.script->RunMachineOnce();

  // The socket announces new data only once; what did not fit the staging
  // area gets a read event of its own.
  if (socket.bytesAvailable() > 0 && !c.readQueued) {
    c.readQueued = true;
    QTimer::singleShot(0, &socket, [this, channel] { OnTcpRead(channel); });
  }
}

// In the framer's own chunks, so the bound tabs and the recording see each
// chunk before it is cut.
void ChannelSet::FeedTcp(int channel, const char* bytes, int count) {
  const std::string& label = channels_[channel].socketLabel;
  while (count > 0) {
    const ChannelRxBuffer& buffer = framer_.Buffer(channel);
    const int held = buffer.length == buffer.start ? 0 : buffer.length;
    const int room = kRxBufferSize - held;
    int chunk = count < room ? count : room - 1;
    if (chunk <= 0) chunk = count;  // the framer reports and drops it
    AfterRead(channel, bytes, chunk, label);
    framer_.AppendTcp(channel, bytes, chunk);
    bytes += chunk;
    count -= chunk;
  }
}

void ChannelSet::OnTcpConnected(int channel) {
  EnableKeepAlive(*channels_[channel].socket);
  if (listener_ != nullptr) listener_->RepaintStatusBar();
}

void ChannelSet::OnTcpDisconnected(int channel) {
  Channel& c = channels_[channel];
  if (c.closingSocket) return;
  while (c.socket->bytesAvailable() > 0) OnTcpRead(channel);
  char text[96];
  std::snprintf(text, sizeof text, "Connection closed by %s:%d", c.socketLabel.c_str(),
                c.settings.ipPort);
  status_.DebugLog(text);
  RefreshStatus();
}

void ChannelSet::OnTcpError(int channel, int error) {
  Channel& c = channels_[channel];
  if (c.closingSocket || error == QAbstractSocket::RemoteHostClosedError) return;
  const std::string reason = c.socket->errorString().toStdString();
  char text[160];
  std::snprintf(text, sizeof text, "TCP error on %s:%d: %s", c.socketLabel.c_str(),
                c.settings.ipPort, reason.c_str());
  status_.DebugLog(text);
  // A failed connect leaves the socket unconnected without a disconnect.
  if (c.socket->state() == QAbstractSocket::UnconnectedState) RefreshStatus();
}

void ChannelSet::Comm32Open(TComm32& sender, int errorCode, int providerSubtype) {
  char text[48];
  if (errorCode != 0) {
    std::snprintf(text, sizeof text, " (code: %d)", errorCode);
    Log("Error accessing device: ", sender.DeviceName().toStdString(), text);
  } else {
    Log("Device ready: ", sender.DeviceName().toStdString(), " (code: 0)");
    status_.DebugLog(ProviderSubtypeText(providerSubtype));
  }
  RefreshStatus();
}

void ChannelSet::Comm32Break(TComm32&) {
  // Its text comes with the error event's break bit.
}

void ChannelSet::Comm32LineChanged(TComm32& sender, ModemLine line, bool on) {
  if (!IsValidChannel(sender.tag)) return;
  Log(LineName(line), channels_[sender.tag].portLabel, on ? ": ON" : ": OFF");
}

void ChannelSet::Comm32Error(TComm32& sender, uint32_t errorBits) {
  const int channel = sender.tag;
  if (!IsValidChannel(channel)) return;
  for (const ErrorText& entry : kErrorTexts) {
    if ((errorBits & entry.bit) == 0) continue;
    for (const char* line : entry.lines) {
      if (line != nullptr) status_.DebugLog(line);
    }
    if (entry.marks) channels_[channel].view.activity |= kMarkError;
  }
  if (listener_ != nullptr) listener_->RepaintStatusBar();
}

void ChannelSet::Comm32RxFlag(TComm32& sender) {
  if (IsValidChannel(sender.tag)) Log("RXFLAG SIGNAL ", channels_[sender.tag].portLabel);
}

void ChannelSet::Comm32TxEmpty(TComm32& sender) {
  if (IsValidChannel(sender.tag)) Log("TXEMPTY SIGNAL ", channels_[sender.tag].portLabel);
}

void ChannelSet::Comm32Lost(TComm32& sender) {
  if (!IsValidChannel(sender.tag)) return;
  Log("Device lost, channel closed: ", channels_[sender.tag].portLabel);
  RefreshStatus();
}

}  // namespace corvalis
