#include "channels/ChannelSet.h"

#include <QSerialPortInfo>
#include <QTimer>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace corvalis {

ChannelSet::ChannelSet(ReceiveFramer& framer, StatusReporter& status)
    : framer_(framer), status_(status) {
  for (int ch = 0; ch < kChannelCount; ++ch) {
    Channel& c = channels_[ch];
    c.transport = MakeTransport(ch, c.settings, *this, status_);
    c.view.panelText = PanelText(ch);
  }
}

ChannelSet::~ChannelSet() = default;

void ChannelSet::Start() {
  shutDown_ = false;
  for (int ch = 0; ch < kChannelCount; ++ch) {
    Channel& c = channels_[ch];
    c.settings =
        settingsPath_.isEmpty() ? ChannelSettings{} : ReadChannelSettings(settingsPath_, ch);
    c.saved = c.settings;
    c.transport = MakeTransport(ch, c.settings, *this, status_);
    c.reconnect.Reset();
    if (c.settings.open) c.transport->Open();
    // A reader not there yet at start is waited for like one that went away.
    WatchLink(ch);
  }
  RefreshStatus();
}

void ChannelSet::WatchLink(int channel) {
  Channel& c = channels_[channel];
  if (c.transport->IsUp()) {
    if (c.reconnect.Attempts() > 0) framer_.DropPartial(channel);
    c.reconnect.Reset();
  } else if (c.settings.open && !shutDown_ && !c.transport->IsOpen() &&
             c.transport->CanReconnect()) {
    c.reconnect.LinkDown();
  }
}

void ChannelSet::SetReconnectFirstStepMs(int ms) {
  for (Channel& c : channels_) c.reconnect.SetFirstStepMs(ms);
}

bool ChannelSet::InputWaiting(int channel) const {
  return IsValidChannel(channel) && channels_[channel].transport->InputWaiting();
}

bool ChannelSet::IsReconnecting(int channel) const {
  if (!IsValidChannel(channel)) return false;
  const Channel& c = channels_[channel];
  return !c.transport->IsUp() && (c.reconnect.Waiting() || c.reconnect.Attempts() > 0);
}

void ChannelSet::Tick(WallTime now) {
  for (int ch = 0; ch < kChannelCount; ++ch) {
    Channel& c = channels_[ch];
    if (!c.reconnect.AttemptDue(now)) continue;
    if (!c.settings.open || shutDown_ || c.transport->IsOpen()) continue;
    char line[256];
    std::snprintf(line, sizeof line, "%s: reconnecting to %s (attempt %d)",
                  ChannelLabel(ch).toLatin1().constData(), c.transport->Name().c_str(),
                  c.reconnect.Attempts());
    status_.DebugLog(line);
    c.transport->Reconnect();
    WatchLink(ch);
    RefreshStatus();
  }
}

void ChannelSet::WriteSection(int channel) {
  Channel& c = channels_[channel];
  if (!settingsPath_.isEmpty() && WriteChannelSettings(settingsPath_, channel, c.settings)) {
    c.saved = c.settings;
  }
}

void ChannelSet::RecordOpen(int channel) {
  Channel& c = channels_[channel];
  c.settings.open = c.transport->IsOpen();
  if (!settingsPath_.isEmpty() && WriteChannelOpen(settingsPath_, channel, c.settings.open)) {
    c.saved.open = c.settings.open;
  }
  RefreshStatus();
}

void ChannelSet::Open(int channel) {
  if (!IsValidChannel(channel)) return;
  channels_[channel].reconnect.Reset();
  channels_[channel].transport->Open();
  RecordOpen(channel);
}

void ChannelSet::Close(int channel) {
  if (!IsValidChannel(channel)) return;
  channels_[channel].reconnect.Reset();
  channels_[channel].transport->CloseByOperator();
  RecordOpen(channel);
}

void ChannelSet::CloseAll() {
  shutDown_ = true;
  for (Channel& c : channels_) {
    c.reconnect.Reset();
    if (c.transport->IsOpen()) c.transport->CloseByOperator();
  }
  RefreshStatus();
}

void ChannelSet::SaveSections() {
  for (int ch = 0; ch < kChannelCount; ++ch) {
    if (channels_[ch].settings != channels_[ch].saved) WriteSection(ch);
  }
}

void ChannelSet::ApplySettings(int channel, const ChannelSettings& wanted) {
  if (!IsValidChannel(channel)) return;
  Channel& c = channels_[channel];
  // A channel waiting to reconnect counts as open: new settings (the right
  // address, say) are tried at once.
  const bool wasOpen = c.view.open || IsReconnecting(channel);
  const bool keepOpen = c.settings.open;
  c.reconnect.Reset();
  if (wanted.port != c.settings.port) {
    c.transport->Close();
    c.transport = MakeTransport(channel, wanted, *this, status_);
  } else {
    c.transport->Configure(wanted);
  }
  c.settings = wanted;
  c.settings.open = keepOpen;
  c.temporaryBaud = 0;
  if (wasOpen && !c.transport->IsOpen()) c.transport->Open();
  WatchLink(channel);
  WriteSection(channel);
  RefreshStatus();
}

QString ChannelSet::PanelText(int channel) const {
  const Channel& c = channels_[channel];
  if (IsReconnecting(channel)) return ChannelLabel(channel) + QStringLiteral(": reconnecting");
  return ChannelLabel(channel) + QStringLiteral(": ") + c.transport->PanelText(c.view.open);
}

void ChannelSet::RefreshStatus() {
  for (int ch = 0; ch < kChannelCount; ++ch) {
    ChannelView& view = channels_[ch].view;
    view.open = channels_[ch].transport->IsOpen();
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

// On the stack and copied, not formatted: these lines come with every read
// event, and nothing is allocated per read.
void ChannelSet::Log(std::string_view prefix, const std::string& label) {
  char line[256];
  const size_t head = std::min(prefix.size(), sizeof line - 1);
  std::memcpy(line, prefix.data(), head);
  const size_t tail = std::min(label.size(), sizeof line - 1 - head);
  std::memcpy(line + head, label.data(), tail);
  status_.DebugLog(std::string_view(line, head + tail));
}

bool ChannelSet::IsOpen(int channel) const {
  return IsValidChannel(channel) && channels_[channel].view.open;
}

void ChannelSet::WriteToChannel(int channel, const char* bytes, int count) {
  if (!IsValidChannel(channel) || count <= 0) return;
  Channel& c = channels_[channel];
  const bool sent = c.transport->Write(bytes, count) > 0;
  int& mark = c.view.sendActivity;
  const int before = mark;
  mark = sent ? std::max(mark, 1) : 2;
  if (mark != before && listener_ != nullptr) listener_->RepaintStatusBar();
}

void ChannelSet::MarkTransmit(int channel) {
  if (!IsValidChannel(channel)) return;
  int& mark = channels_[channel].view.sendActivity;
  if (mark != 0) return;
  mark = 1;
  if (listener_ != nullptr) listener_->RepaintStatusBar();
}

QStringList ChannelSet::AvailablePorts() {
  QStringList names;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    names << info.systemLocation();
  }
  return names;
}

void ChannelSet::TransportChanged(int channel, bool marksError) {
  if (marksError) Mark(channel, kMarkError);
  WatchLink(channel);
  RefreshStatus();
}

// The one receive path, the same for every transport. The download and
// Modbus consume what they take; the script, the bound tabs and the
// recording get copies of the bytes that go on to the framer.
void ChannelSet::TransportBytes(int channel) {
  if (!IsValidChannel(channel)) return;
  Channel& c = channels_[channel];
  Transport& link = *c.transport;
  c.readQueued = false;
  const int waiting = link.BytesWaiting();
  if (waiting <= 0) return;
  if (hooks_.download != nullptr && hooks_.download->IsRunningOn(channel)) {
    hooks_.download->TakeBytesWaiting(channel, waiting, link);
    return;
  }
  Mark(channel, kMarkReceive);
  if (hooks_.modbus != nullptr && hooks_.modbus->WantsBytes(channel)) {
    int got = 0;
    while (link.BytesWaiting() > 0 && (got = link.Read(staging_, kStagingSize)) > 0) {
      hooks_.modbus->TakeModbusBytes(channel, staging_, got);
    }
  }
  if (eventLines_) Log("RXCHAR SIGNAL ", link.Name());
  if (link.BytesWaiting() > 0) {
    const int got = link.Read(staging_, kStagingSize);
    if (got < 0) {
      status_.DebugLog("Error reading incoming data!");
      status_.DebugLog(link.LastErrorText());
      link.PurgeInput();
    } else if (got > 0) {
      staging_[got] = '\0';
      if (hooks_.script != nullptr && hooks_.script->IsWaitingOn(channel)) {
        hooks_.script->AppendReceiveText(channel, staging_, got);
      }
      Feed(channel, staging_, got);
    }
  }
  if (hooks_.script != nullptr && hooks_.script->IsMachineRunning())
    hooks_.script->RunMachineOnce();

  // A transport announces new bytes only once; what did not fit the staging
  // area gets a read event of its own.
  if (link.IsOpen() && link.BytesWaiting() > 0 && !c.readQueued) {
    c.readQueued = true;
    QTimer::singleShot(0, &queued_, [this, channel] { TransportBytes(channel); });
  }
}

void ChannelSet::PassOn(int channel, const char* bytes, int count) {
  if (!IsValidChannel(channel) || bytes == nullptr || count <= 0) return;
  if (hooks_.script != nullptr && hooks_.script->IsWaitingOn(channel)) {
    hooks_.script->AppendReceiveText(channel, bytes, count);
  }
  Feed(channel, bytes, count);
}

int ChannelSet::LineBaud(int channel) const {
  if (!IsValidChannel(channel)) return 0;
  const Channel& c = channels_[channel];
  if (!c.settings.port) return 0;
  return c.temporaryBaud > 0 ? c.temporaryBaud : c.settings.baud;
}

void ChannelSet::SetTemporaryBaud(int channel, int baud) {
  if (!IsValidChannel(channel) || !channels_[channel].settings.port || baud <= 0) return;
  Channel& c = channels_[channel];
  ChannelSettings line = c.settings;
  line.baud = baud;
  c.transport->Configure(line);
  c.temporaryBaud = baud == c.settings.baud ? 0 : baud;
}

// In the framer's own chunks, so the bound tabs and the recording see each
// chunk before it is cut. Nothing is purged: a burst larger than the buffer
// is cut in pieces.
void ChannelSet::Feed(int channel, const char* bytes, int count) {
  const std::string& name = channels_[channel].transport->Name();
  while (count > 0) {
    const ChannelRxBuffer& buffer = framer_.Buffer(channel);
    const int held = buffer.length == buffer.start ? 0 : buffer.length;
    const int room = kRxBufferSize - held;
    int chunk = count < room ? count : room - 1;
    if (chunk <= 0) chunk = count;  // the framer reports and drops it
    for (RawReceiver* receiver : hooks_.rawReceivers) {
      if (receiver->IsBoundTo(channel)) receiver->TakeRawBytes(channel, bytes, chunk);
    }
    if (channel < kReaderChannelCount && hooks_.recorder != nullptr &&
        hooks_.recorder->IsRecording(channel)) {
      hooks_.recorder->RecordBytes(channel, bytes, chunk);
    }
    if (eventLines_) {
      constexpr std::string_view kReading = "Reading ";
      constexpr std::string_view kFrom = " characters from ";
      char text[48];
      kReading.copy(text, kReading.size());
      char* end = std::to_chars(text + kReading.size(), text + 24, chunk).ptr;
      end += kFrom.copy(end, kFrom.size());
      Log(std::string_view(text, static_cast<size_t>(end - text)), name);
    }
    framer_.AppendTcp(channel, bytes, chunk);
    bytes += chunk;
    count -= chunk;
  }
}

}  // namespace corvalis
