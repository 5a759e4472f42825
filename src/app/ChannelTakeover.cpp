#include "app/ChannelTakeover.h"

#include <array>

#include "channels/ChannelSet.h"
#include "control/CommandConsole.h"
#include "protocol/ReaderCommandSender.h"

namespace corvalis {

void ModbusChannelBinding::Bind(ModbusExchange& exchange) {
  exchange_ = &exchange;
  exchange.SetPassOn(this);
  channels_.Hooks().modbus = this;
}

bool ModbusChannelBinding::WriteModbus(int channel, const uint8_t* bytes, int count) {
  return commands_.SendRaw(channel, reinterpret_cast<const char*>(bytes), count);
}

std::string ModbusChannelBinding::ChannelText(int channel) const {
  return channels_.TransportOf(channel).Name();
}

void ModbusChannelBinding::PassOnBytes(int channel, const char* bytes, int count) {
  channels_.PassOn(channel, bytes, count);
}

bool ModbusChannelBinding::WantsBytes(int channel) const {
  return exchange_ != nullptr && exchange_->WantsBytes(channel);
}

void ModbusChannelBinding::TakeModbusBytes(int channel, const char* bytes, int count) {
  if (exchange_ != nullptr) exchange_->Receive(channel, bytes, count);
}

void DownloadChannelBinding::Bind(FirmwareDownload& download) {
  download_ = &download;
  channels_.Hooks().download = this;
}

bool DownloadChannelBinding::IsOpen(int channel) const {
  return channels_.IsOpen(channel);
}

bool DownloadChannelBinding::WriteRaw(int channel, const char* bytes, int count) {
  return commands_.SendRaw(channel, bytes, count);
}

int DownloadChannelBinding::BaudRate(int channel) const {
  return channels_.LineBaud(channel);
}

void DownloadChannelBinding::SetBaudRate(int channel, int baud) {
  channels_.SetTemporaryBaud(channel, baud);
}

void DownloadChannelBinding::SendCommand(int channel, int readerId, std::string_view body) {
  commands_.SendCommand(channel, readerId, body);
}

void DownloadChannelBinding::SendPredefined(int channel, int readerId, BootCommand command) {
  console_.SendPredefinedCommand(channel, readerId, command == BootCommand::kBoot ? kBoot : kReset);
}

bool DownloadChannelBinding::IsRunningOn(int channel) const {
  return download_ != nullptr && download_->IsRunningOn(channel);
}

// Once the loader's last answer ends the run, the rest of the event goes
// to the line path like any read.
void DownloadChannelBinding::TakeBytesWaiting(int channel, int waiting, SerialByteSource& source) {
  std::array<char, 4096> bytes{};
  while (waiting > 0) {
    const int got = source.Read(bytes.data(), static_cast<int>(bytes.size()));
    if (got < 0) {
      source.PurgeInput();
      return;
    }
    if (got == 0) return;
    int taken = 0;
    if (download_ != nullptr && download_->IsRunningOn(channel))
      taken = download_->Receive(bytes.data(), got);
    if (taken < got) channels_.PassOn(channel, bytes.data() + taken, got - taken);
    waiting -= got;
  }
}

}  // namespace corvalis
