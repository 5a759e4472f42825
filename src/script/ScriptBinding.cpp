#include "script/ScriptBinding.h"

#include "script/MachineRegistry.h"
#include "script/ScriptInterpreter.h"

namespace corvalis {

void ScriptChannelBinding::Open(int channel) {
  if (IsValidChannel(channel)) channels_.Open(channel);
}

void ScriptChannelBinding::Close(int channel) {
  if (IsValidChannel(channel)) channels_.Close(channel);
}

bool ScriptChannelBinding::Send(int channel, const char* bytes, int count) {
  sending_ = true;
  const bool sent = commands_.SendRaw(channel, bytes, count);
  sending_ = false;
  return sent;
}

bool ScriptChannelBinding::IsSerial(int channel) const {
  return IsValidChannel(channel) && channels_.Settings(channel).port;
}

void ScriptChannelBinding::SetBaudRate(int channel, int rate) {
  if (!IsValidChannel(channel)) return;
  ChannelSettings settings = channels_.Settings(channel);
  settings.baud = rate;
  channels_.ApplySettings(channel, settings);
}

bool ScriptChannelBinding::SetPort(int channel, std::string_view name) {
  if (!IsValidChannel(channel) || name.empty()) return false;
  ChannelSettings settings = channels_.Settings(channel);
  settings.name = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  channels_.ApplySettings(channel, settings);
  return true;
}

bool ScriptChannelBinding::SetPortByIndex(int channel, int index) {
  const QStringList ports = ChannelSet::AvailablePorts();
  if (index < 0 || index >= ports.size()) return false;
  const std::string name = ports[index].toStdString();
  return SetPort(channel, name);
}

void ScriptChannelBinding::SimulateInput(int channel, std::string_view line) {
  if (!IsValidChannel(channel)) return;
  scratch_.assign(line);
  scratch_.push_back('\0');  // the dispatcher writes a terminator at text[length]
  dispatcher_.DispatchMessage(0, channel, scratch_.data(), static_cast<int>(line.size()));
}

bool ScriptReceiveHook::IsWaitingOn(int channel) const {
  if (interpreter_ == nullptr || channel < 0 || channel >= kRecordedChannels) return false;
  return interpreter_->Capture().recording[static_cast<size_t>(channel)];
}

void ScriptReceiveHook::AppendReceiveText(int channel, const char* bytes, int count) {
  if (interpreter_ != nullptr) interpreter_->RecordReceived(channel, bytes, count);
}

bool ScriptReceiveHook::IsMachineRunning() const {
  return machines_.AnyActive();
}

void ScriptReceiveHook::RunMachineOnce() {
  machines_.RunAllMachines();
}

}  // namespace corvalis
