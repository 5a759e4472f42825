#pragma once

#include <QTcpSocket>
#include <string>
#include <vector>

#include "modbus/ModbusExchange.h"

namespace corvalis::test {

struct RecordingModbusView final : ModbusView {
  void ShowRequest(std::string_view hex) override { request = hex; }
  void ShowResponse(std::string_view hex) override { response = hex; }
  void ShowTag(std::string_view line, std::string_view, bool) override { tags.emplace_back(line); }
  void ShowEmptyReply() override { ++empties; }
  void ShowReadBack(int registerAddress, int value) override {
    readBacks.emplace_back(registerAddress, value);
  }
  void ShowStatus(std::string_view text) override { statuses.emplace_back(text); }

  std::string request;
  std::string response;
  std::vector<std::string> tags;
  int empties = 0;
  std::vector<std::pair<int, int>> readBacks;
  std::vector<std::string> statuses;
};

struct RecordingPassOn final : ModbusPassOn {
  void PassOnBytes(int, const char* bytes, int count) override { text.append(bytes, count); }
  std::string text;
};

// The send channel as a TCP client socket; what it reads goes to the exchange
// when the exchange wants it, else to `passOn`.
class SocketModbusLink final : public ModbusLink {
 public:
  bool WriteModbus(int, const uint8_t* bytes, int count) override {
    if (socket.state() != QAbstractSocket::ConnectedState) return false;
    socket.write(reinterpret_cast<const char*>(bytes), count);
    socket.flush();
    return true;
  }
  std::string ChannelText(int) const override { return "127.0.0.1"; }

  void Bind(ModbusExchange& exchange, RecordingPassOn& passOn) {
    QObject::connect(&socket, &QTcpSocket::readyRead, [this, &exchange, &passOn] {
      const QByteArray bytes = socket.readAll();
      if (exchange.WantsBytes(kChannel)) {
        exchange.Receive(kChannel, bytes.constData(), static_cast<int>(bytes.size()));
      } else {
        passOn.PassOnBytes(kChannel, bytes.constData(), static_cast<int>(bytes.size()));
      }
    });
  }

  static constexpr int kChannel = 1;
  QTcpSocket socket;
};

}  // namespace corvalis::test
