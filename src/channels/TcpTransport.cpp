#include "channels/TcpTransport.h"

#include <cstdio>

#ifdef Q_OS_LINUX
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

namespace corvalis {
namespace {

// Keep-alive timing: a reader that vanished without closing its connection
// (power cut, cable pulled) is noticed within about half a minute instead of
// the system default of two hours.
constexpr int kKeepAliveIdleS = 10;
constexpr int kKeepAliveIntervalS = 5;
constexpr int kKeepAliveProbes = 3;
// What the socket takes from the system per connection before the receive
// path has read it. Unbounded, a peer sending faster than the GUI thread
// decodes fills memory; bounded, the system's window closes and TCP slows
// the peer down. Four staging areas: the receive path drains it in pieces.
constexpr qint64 kReadBufferBytes = 64 * 1024;

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

TcpTransport::TcpTransport(int channel, const ChannelSettings& settings, TransportEvents& events,
                           StatusReporter& status, bool receives)
    : channel_(channel), events_(events), status_(status), receives_(receives) {
  socket_.setReadBufferSize(kReadBufferBytes);
  QObject::connect(&socket_, &QTcpSocket::readyRead, &socket_, [this] { OnReadyRead(); });
  QObject::connect(&socket_, &QTcpSocket::connected, &socket_, [this] { OnConnected(); });
  QObject::connect(&socket_, &QTcpSocket::disconnected, &socket_, [this] { OnDisconnected(); });
  QObject::connect(&socket_, &QTcpSocket::errorOccurred, &socket_,
                   [this](QAbstractSocket::SocketError error) { OnError(error); });
  Configure(settings);
}

TcpTransport::~TcpTransport() {
  closing_ = true;
  socket_.disconnect();
  socket_.abort();
}

void TcpTransport::Configure(const ChannelSettings& settings) {
  if (settings.ipAddress != host_ || settings.ipPort != port_) Close();
  host_ = settings.ipAddress;
  port_ = settings.ipPort;
  address_ = host_.toStdString();
}

void TcpTransport::Open() {
  Close();
  if (host_.isEmpty()) {
    // Nothing to connect to: say so instead of trying some default.
    const std::string line =
        ChannelLabel(channel_).toStdString() +
        ": no reader address; enter it under Settings (Comm Port Settings, TCP connection)";
    status_.DebugLog(line);
    return;
  }
  socket_.connectToHost(host_, static_cast<quint16>(port_));
}

void TcpTransport::Reconnect() {
  if (!CanReconnect()) return;
  Close();
  quietFailure_ = true;
  socket_.connectToHost(host_, static_cast<quint16>(port_));
}

void TcpTransport::Close() {
  quietFailure_ = false;
  if (socket_.state() == QAbstractSocket::UnconnectedState) return;
  // What already arrived still belongs to the reader's stream.
  if (socket_.bytesAvailable() > 0) OnReadyRead();
  closing_ = true;
  socket_.abort();
  closing_ = false;
}

bool TcpTransport::IsUp() const {
  return socket_.state() == QAbstractSocket::ConnectedState;
}

bool TcpTransport::IsOpen() const {
  return socket_.state() != QAbstractSocket::UnconnectedState &&
         socket_.state() != QAbstractSocket::ClosingState;
}

int TcpTransport::Write(const char* bytes, int count) {
  if (!IsOpen() || count <= 0) return 0;
  return static_cast<int>(socket_.write(bytes, count));
}

int TcpTransport::BytesWaiting() const {
  return static_cast<int>(socket_.bytesAvailable());
}

bool TcpTransport::InputWaiting() const {
  // The socket takes at most its read buffer from the system at a time.
  return receives_ && IsUp() &&
         (socket_.bytesAvailable() > 0 || SystemHoldsInput(socket_.socketDescriptor()));
}

int TcpTransport::Read(char* dest, int max) {
  return static_cast<int>(socket_.read(dest, max));
}

void TcpTransport::PurgeInput() {
  socket_.skip(socket_.bytesAvailable());
}

std::string TcpTransport::LastErrorText() const {
  return socket_.errorString().toStdString();
}

QString TcpTransport::PanelText(bool open) const {
  if (host_.isEmpty()) return QStringLiteral("no reader address");
  return open ? QStringLiteral("%1 %2").arg(host_).arg(port_) : QStringLiteral("Closed");
}

void TcpTransport::OnReadyRead() {
  if (!receives_) {
    PurgeInput();
    return;
  }
  events_.TransportBytes(channel_);
}

void TcpTransport::OnConnected() {
  quietFailure_ = false;
  EnableKeepAlive(socket_);
  events_.TransportChanged(channel_, false);
}

void TcpTransport::OnDisconnected() {
  if (closing_) return;
  // The bytes that arrived before the end are cut first.
  for (qint64 left = socket_.bytesAvailable(); receives_ && left > 0;) {
    events_.TransportBytes(channel_);
    const qint64 now = socket_.bytesAvailable();
    if (now >= left) break;  // a hook that does not read them keeps them
    left = now;
  }
  char text[96];
  std::snprintf(text, sizeof text, "Connection closed by %s:%d", address_.c_str(), port_);
  status_.DebugLog(text);
  events_.TransportChanged(channel_, false);
}

void TcpTransport::OnError(QAbstractSocket::SocketError error) {
  if (closing_ || error == QAbstractSocket::RemoteHostClosedError) return;
  const bool quiet = quietFailure_ && socket_.state() == QAbstractSocket::UnconnectedState;
  quietFailure_ = false;
  if (quiet) {
    events_.TransportChanged(channel_, false);
    return;
  }
  const std::string reason = socket_.errorString().toStdString();
  char text[160];
  std::snprintf(text, sizeof text, "TCP error on %s:%d: %s", address_.c_str(), port_,
                reason.c_str());
  status_.DebugLog(text);
  // A failed connect leaves the socket unconnected without a disconnect.
  if (socket_.state() == QAbstractSocket::UnconnectedState)
    events_.TransportChanged(channel_, false);
}

}  // namespace corvalis
