#pragma once

#include <QTcpSocket>

#include <string>

#include "channels/Transport.h"

namespace corvalis {

// A channel on a TCP client connection to a reader. Without a peer address
// it never connects: Open says that the address is missing.
class TcpTransport final : public Transport {
 public:
  // `receives` false: the output port, which has no receive path; what a peer
  // sends there is dropped so it cannot pile up in the socket.
  TcpTransport(int channel, const ChannelSettings& settings, TransportEvents& events,
               StatusReporter& status, bool receives);
  ~TcpTransport() override;

  void Open() override;
  void Close() override;
  bool IsOpen() const override;
  bool IsUp() const override;
  bool CanReconnect() const override { return !host_.isEmpty(); }
  void Reconnect() override;
  int Write(const char* bytes, int count) override;
  int BytesWaiting() const override;
  bool InputWaiting() const override;
  int Read(char* dest, int max) override;
  void PurgeInput() override;
  std::string LastErrorText() const override;
  void Configure(const ChannelSettings& settings) override;
  const std::string& Name() const override { return address_; }
  QString PanelText(bool open) const override;

  QTcpSocket& Socket() { return socket_; }

 private:
  void OnReadyRead();
  void OnConnected();
  void OnDisconnected();
  void OnError(QAbstractSocket::SocketError error);

  int channel_;
  TransportEvents& events_;
  StatusReporter& status_;
  bool receives_;
  QTcpSocket socket_;
  QString host_;
  int port_ = 0;
  std::string address_;  // host_, for the memo lines
  bool closing_ = false;
  bool quietFailure_ = false;  // a retry: its failure is not reported
};

}  // namespace corvalis
