#pragma once

#include <memory>
#include <string>

#include "channels/SerialPort.h"
#include "channels/Transport.h"

namespace corvalis {

// Smallest receive queue the port is given, as at every start.
inline constexpr int kReceiveQueueSize = 8000;

// A channel on a serial port. The port's own events (open result, line
// errors, modem lines, lost device) become memo lines here; bytes and state
// changes go to the channel.
class SerialTransport final : public Transport, private SerialPortEvents {
 public:
  SerialTransport(int channel, const ChannelSettings& settings, TransportEvents& events,
                  StatusReporter& status);
  ~SerialTransport() override;

  void Open() override;
  void Close() override;
  void CloseByOperator() override;
  bool IsOpen() const override;
  // A device that was open in this run and went away (a USB adapter
  // pulled) is waited for; one never found is left to the operator.
  bool CanReconnect() const override { return wasOpen_; }
  // Tries the device only once it exists again.
  void Reconnect() override;
  int Write(const char* bytes, int count) override;
  int BytesWaiting() const override;
  bool InputWaiting() const override;
  int Read(char* dest, int max) override;
  void PurgeInput() override;
  std::string LastErrorText() const override;
  void Configure(const ChannelSettings& settings) override;
  const std::string& Name() const override { return name_; }
  QString PanelText(bool open) const override;

  SerialPort& Port() { return port_; }

 private:
  void Log(const char* prefix, const char* suffix = "");

  void PortOpened(SerialPort& sender, int errorCode, int providerSubtype) override;
  void PortBreak(SerialPort& sender) override;
  void PortLineChanged(SerialPort& sender, ModemLine line, bool on) override;
  void PortErrors(SerialPort& sender, uint32_t errorBits) override;
  void PortBytesWaiting(SerialPort& sender, int waiting) override;
  void PortRxFlag(SerialPort& sender) override;
  void PortTxEmpty(SerialPort& sender) override;
  void PortLost(SerialPort& sender) override;

  int channel_;
  TransportEvents& events_;
  StatusReporter& status_;
  SerialPort port_;
  std::string name_;
  bool quietFailure_ = false;  // a retry: its failure is not reported
  bool wasOpen_ = false;       // the device opened since its name was set
};

}  // namespace corvalis
