#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <memory>
#include <string>

namespace corvalis::readersim {

// The byte pipe to the console.
class Link : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;
  // One write; pieces of a split message go out as separate writes.
  virtual void Write(const std::string& bytes) = 0;
  // Bytes written but not yet taken by the other side's socket.
  virtual qint64 Backlog() const { return 0; }
  // The line speed the other side set on a pty or serial device; 0 for TCP.
  virtual int LineBaud() const { return 0; }

 signals:
  void ClientArrived();
  void ClientLeft();
  void BytesReceived(const QByteArray& bytes);
};

// Listens on 127.0.0.1 and serves one client at a time; a new client
// replaces the one before.
class TcpLink final : public Link {
  Q_OBJECT
 public:
  explicit TcpLink(QObject* parent = nullptr);
  bool Listen(quint16 port, std::string& error);
  quint16 Port() const { return server_.serverPort(); }
  void Write(const std::string& bytes) override;
  qint64 Backlog() const override { return client_ != nullptr ? client_->bytesToWrite() : 0; }

 private:
  void OnNewConnection();
  void OnClientGone();

  QTcpServer server_;
  QTcpSocket* client_ = nullptr;
};

// A pty master or a serial device. There is no connect event: the client is
// whoever opens the other end, so the link counts as connected from the start.
class FdLink final : public Link {
  Q_OBJECT
 public:
  // Prints nothing; `path` receives the slave's device name.
  static std::unique_ptr<FdLink> OpenPty(std::string& path, std::string& error);
  static std::unique_ptr<FdLink> OpenSerial(const std::string& device, int baud,
                                            std::string& error);
  ~FdLink() override;

  void Write(const std::string& bytes) override;
  int LineBaud() const override;

 private:
  FdLink(int fd, int keepOpenFd);
  void OnReadable();
  void Flush();

  int fd_;
  // The pty's slave, held open so the master never sees a hang-up between
  // clients; -1 for a serial device.
  int keepOpenFd_;
  QSocketNotifier readNotifier_;
  QSocketNotifier writeNotifier_;
  std::string pending_;
};

}  // namespace corvalis::readersim
