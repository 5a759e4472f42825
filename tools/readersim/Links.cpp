#include "Links.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <QHostAddress>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace corvalis::readersim {
namespace {

// Unsent bytes kept while nobody reads the pty; newer data is dropped.
constexpr size_t kMaxPending = 64 * 1024;

std::string ErrnoText(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

bool MakeRaw(int fd, speed_t speed, std::string& error) {
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) {
    error = ErrnoText("tcgetattr");
    return false;
  }
  // No echo and no CR/LF translation: the bytes are the protocol.
  cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | CRTSCTS);  // 8N1, no flow control
  if (speed != 0) {
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
  }
  if (tcsetattr(fd, TCSANOW, &tio) != 0) {
    error = ErrnoText("tcsetattr");
    return false;
  }
  return true;
}

speed_t SpeedOf(int baud) {
  switch (baud) {
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    case 230400:
      return B230400;
    default:
      return B9600;
  }
}

int BaudOf(speed_t speed) {
  static constexpr struct {
    speed_t speed;
    int baud;
  } kSpeeds[] = {{B1200, 1200},   {B2400, 2400},     {B4800, 4800},
                 {B9600, 9600},   {B19200, 19200},   {B38400, 38400},
                 {B57600, 57600}, {B115200, 115200}, {B230400, 230400}};
  for (const auto& s : kSpeeds) {
    if (s.speed == speed) return s.baud;
  }
  return 0;
}

}  // namespace

int FdLink::LineBaud() const {
  // A pty's settings live on its slave, where the console set them.
  termios settings{};
  if (tcgetattr(keepOpenFd_ >= 0 ? keepOpenFd_ : fd_, &settings) != 0) return 0;
  return BaudOf(cfgetospeed(&settings));
}

TcpLink::TcpLink(QObject* parent) : Link(parent) {
  server_.setMaxPendingConnections(1);
  connect(&server_, &QTcpServer::newConnection, this, &TcpLink::OnNewConnection);
}

bool TcpLink::Listen(quint16 port, std::string& error) {
  if (server_.listen(QHostAddress::LocalHost, port)) return true;
  error = server_.errorString().toStdString();
  return false;
}

void TcpLink::OnNewConnection() {
  while (QTcpSocket* socket = server_.nextPendingConnection()) {
    if (client_ != nullptr) {
      // The newest client wins: a console that reconnects must not be locked
      // out by its own half-dead earlier connection.
      client_->disconnect(this);
      client_->abort();
      client_->deleteLater();
    }
    client_ = socket;
    client_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(client_, &QTcpSocket::readyRead, this,
            [this, socket] { emit BytesReceived(socket->readAll()); });
    connect(client_, &QTcpSocket::disconnected, this, &TcpLink::OnClientGone);
    emit ClientArrived();
  }
}

void TcpLink::OnClientGone() {
  if (client_ == nullptr) return;
  client_->deleteLater();
  client_ = nullptr;
  emit ClientLeft();
}

void TcpLink::Write(const std::string& bytes) {
  if (client_ == nullptr) return;
  client_->write(bytes.data(), static_cast<qint64>(bytes.size()));
  client_->flush();
}

FdLink::FdLink(int fd, int keepOpenFd)
    : fd_(fd),
      keepOpenFd_(keepOpenFd),
      readNotifier_(fd, QSocketNotifier::Read),
      writeNotifier_(fd, QSocketNotifier::Write) {
  writeNotifier_.setEnabled(false);
  connect(&readNotifier_, &QSocketNotifier::activated, this, &FdLink::OnReadable);
  connect(&writeNotifier_, &QSocketNotifier::activated, this, &FdLink::Flush);
}

FdLink::~FdLink() {
  readNotifier_.setEnabled(false);
  writeNotifier_.setEnabled(false);
  ::close(fd_);
  if (keepOpenFd_ >= 0) ::close(keepOpenFd_);
}

std::unique_ptr<FdLink> FdLink::OpenPty(std::string& path, std::string& error) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0) {
    error = ErrnoText("posix_openpt");
    return nullptr;
  }
  const char* name = nullptr;
  if (grantpt(master) != 0 || unlockpt(master) != 0 || (name = ptsname(master)) == nullptr) {
    error = ErrnoText("pty setup");
    ::close(master);
    return nullptr;
  }
  path = name;
  const int slave = ::open(name, O_RDWR | O_NOCTTY);
  if (slave < 0) {
    error = ErrnoText("open " + path);
    ::close(master);
    return nullptr;
  }
  if (!MakeRaw(slave, 0, error) || fcntl(master, F_SETFL, O_NONBLOCK) != 0) {
    if (error.empty()) error = ErrnoText("fcntl");
    ::close(slave);
    ::close(master);
    return nullptr;
  }
  return std::unique_ptr<FdLink>(new FdLink(master, slave));
}

std::unique_ptr<FdLink> FdLink::OpenSerial(const std::string& device, int baud,
                                           std::string& error) {
  const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    error = ErrnoText(device);
    return nullptr;
  }
  if (ioctl(fd, TIOCEXCL) != 0 || !MakeRaw(fd, SpeedOf(baud), error)) {
    if (error.empty()) error = ErrnoText(device);
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<FdLink>(new FdLink(fd, -1));
}

void FdLink::OnReadable() {
  char buffer[4096];
  const ssize_t got = ::read(fd_, buffer, sizeof buffer);
  if (got > 0) {
    emit BytesReceived(QByteArray(buffer, static_cast<qsizetype>(got)));
  } else if (got < 0 && errno != EAGAIN && errno != EINTR) {
    // A device that went away would otherwise wake us for ever.
    readNotifier_.setEnabled(false);
  }
}

void FdLink::Write(const std::string& bytes) {
  if (pending_.size() + bytes.size() > kMaxPending) return;
  pending_ += bytes;
  Flush();
}

void FdLink::Flush() {
  while (!pending_.empty()) {
    const ssize_t written = ::write(fd_, pending_.data(), pending_.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      if (errno != EAGAIN) pending_.clear();  // the device is gone; nothing to keep
      break;
    }
    pending_.erase(0, static_cast<size_t>(written));
  }
  writeNotifier_.setEnabled(!pending_.empty());
}

}  // namespace corvalis::readersim
