#pragma once

#include <string>
#include <string_view>

#include "channels/ChannelHooks.h"
#include "modbus/ModbusExchange.h"
#include "script/firmware/FirmwareDownload.h"

namespace corvalis {

class ChannelSet;
class CommandConsole;
class ReaderCommandSender;

// The Modbus exchange on the channels: its requests go out as raw writes
// (no reply wait), the channel's receive path hands it the bytes while it
// waits or eavesdrops, and what it refuses goes back to the line path.
class ModbusChannelBinding final : public ModbusLink, public ModbusPassOn, public ModbusReceiver {
 public:
  ModbusChannelBinding(ChannelSet& channels, ReaderCommandSender& commands)
      : channels_(channels), commands_(commands) {}
  // Registers `exchange` with the channels' receive hooks.
  void Bind(ModbusExchange& exchange);

  // ModbusLink
  bool WriteModbus(int channel, const uint8_t* bytes, int count) override;
  std::string ChannelText(int channel) const override;
  // ModbusPassOn
  void PassOnBytes(int channel, const char* bytes, int count) override;
  // ModbusReceiver
  bool WantsBytes(int channel) const override;
  void TakeModbusBytes(int channel, const char* bytes, int count) override;

 private:
  ChannelSet& channels_;
  ReaderCommandSender& commands_;
  ModbusExchange* exchange_ = nullptr;
};

// The firmware download on the channels: raw lines, the boot commands, the
// loader's line speed, and every received byte of its channel while it runs.
class DownloadChannelBinding final : public DownloadPort, public DownloadReceiver {
 public:
  DownloadChannelBinding(ChannelSet& channels, ReaderCommandSender& commands,
                         CommandConsole& console)
      : channels_(channels), commands_(commands), console_(console) {}
  void Bind(FirmwareDownload& download);

  // DownloadPort
  bool IsOpen(int channel) const override;
  bool WriteRaw(int channel, const char* bytes, int count) override;
  int BaudRate(int channel) const override;
  void SetBaudRate(int channel, int baud) override;
  void SendCommand(int channel, int readerId, std::string_view body) override;
  void SendPredefined(int channel, int readerId, BootCommand command) override;
  // DownloadReceiver
  bool IsRunningOn(int channel) const override;
  void TakeBytesWaiting(int channel, int waiting, SerialByteSource& source) override;

 private:
  ChannelSet& channels_;
  ReaderCommandSender& commands_;
  CommandConsole& console_;
  FirmwareDownload* download_ = nullptr;
};

}  // namespace corvalis
