#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "channels/ChannelHooks.h"
#include "channels/ChannelSettings.h"
#include "channels/ReconnectBackoff.h"
#include "channels/Transport.h"
#include "common/ChannelIndex.h"
#include "common/Clock.h"
#include "common/StatusReporter.h"
#include "protocol/CommandHooks.h"
#include "protocol/MessageDispatcher.h"
#include "protocol/ReceiveFramer.h"

namespace corvalis {

// One read event takes at most this much; the rest gets a read event of its
// own.
inline constexpr int kStagingSize = 16384;

// Activity marks: set by receive and error events, cleared by the 1 s timer.
// A value above 1 means an error was seen (drawn red).
inline constexpr int kMarkReceive = 1;
inline constexpr int kMarkError = 2;

// What the status bar and the channel menus show for one channel.
struct ChannelView {
  bool open = false;          // the channel counts as open
  bool openEnabled = true;    // its Open command
  bool closeEnabled = false;  // its Close command
  QString panelText;
  int activity = 0;      // receive marks (kMarkReceive, kMarkError)
  int sendActivity = 0;  // 1 when bytes were sent, 2 when a send failed
};

// The five reader channels, each owning one transport (serial port or TCP
// client connection, by the channel section's Port key). Runs the one
// receive path for both, writes for the dispatcher and the command sender,
// and keeps the sections in the settings file up to date.
class ChannelSet final : public ChannelWriter, public TransmitIndicator, private TransportEvents {
 public:
  ChannelSet(ReceiveFramer& framer, StatusReporter& status);
  ~ChannelSet() override;
  ChannelSet(const ChannelSet&) = delete;
  ChannelSet& operator=(const ChannelSet&) = delete;

  // The settings file holding the channel sections; empty writes nothing.
  void SetSettingsPath(const QString& path) { settingsPath_ = path; }
  const QString& SettingsPath() const { return settingsPath_; }
  ChannelHooks& Hooks() { return hooks_; }
  void SetStatusListener(ChannelStatusListener* listener) { listener_ = listener; }
  // The comms lines of every read event ("RXCHAR SIGNAL", "Reading n
  // characters"); errors and open/close lines are written regardless.
  void SetEventLines(bool on) { eventLines_ = on; }

  // At start: reads every section and opens the channels whose "open" is on.
  void Start();
  // The channel menu's Open: reopens, then records "open".
  void Open(int channel);
  // The channel menu's Close, likewise.
  void Close(int channel);
  // The settings dialog's OK with the values it shows; "open" is ignored.
  // Writes the channel's section.
  void ApplySettings(int channel, const ChannelSettings& settings);
  // Shutdown: closes every channel without touching the "open" keys; none
  // reconnects after it.
  void CloseAll();
  // Once per tick: a channel meant to be open whose link went down tries
  // again when its back-off has passed, one comms line per attempt.
  void Tick(WallTime now);
  // The first wait before a retry (it doubles up to 30 s).
  void SetReconnectFirstStepMs(int ms);
  bool IsReconnecting(int channel) const;
  // Received bytes of the channel wait to be read (see Transport).
  bool InputWaiting(int channel) const;
  // At shutdown: writes the sections that changed since they were last read
  // or written, so hand edits made meanwhile survive.
  void SaveSections();

  // Reads each transport's state into the open flags, menu states and panel
  // texts, then tells the listener.
  void RefreshStatus();
  void ClearActivityMarks();

  const ChannelSettings& Settings(int channel) const { return channels_[channel].settings; }
  const ChannelView& View(int channel) const { return channels_[channel].view; }
  Transport& TransportOf(int channel) { return *channels_[channel].transport; }

  bool IsOpen(int channel) const override;
  void WriteToChannel(int channel, const char* bytes, int count) override;
  // The command sender's transmit mark: lit for every line sent, also one
  // refused on a closed channel.
  void MarkTransmit(int channel) override;

  // Bytes a receive hook gave back (what was no Modbus reply): the script's
  // receive text, then the line path as if just read.
  void PassOn(int channel, const char* bytes, int count);
  // The serial line speed in use; 0 for a TCP channel. A temporary speed (the
  // boot loader's) changes the port but not the channel's settings, so it is
  // never saved; Settings OK ends it.
  int LineBaud(int channel) const;
  void SetTemporaryBaud(int channel, int baud);

  // The serial ports the operating system reports, for the settings dialog.
  static QStringList AvailablePorts();

 private:
  struct Channel {
    ChannelSettings settings;
    ChannelSettings saved;  // as the file last held it
    ChannelView view;
    std::unique_ptr<Transport> transport;
    bool readQueued = false;
    int temporaryBaud = 0;  // 0: the settings' rate
    ReconnectBackoff reconnect;
  };

  void WriteSection(int channel);
  void RecordOpen(int channel);
  // A channel meant to be open whose link is down starts waiting to retry.
  void WatchLink(int channel);
  QString PanelText(int channel) const;
  void Mark(int channel, int mark);
  void Log(std::string_view prefix, const std::string& label);
  void Feed(int channel, const char* bytes, int count);

  // TransportEvents
  void TransportBytes(int channel) override;
  void TransportChanged(int channel, bool marksError) override;

  ReceiveFramer& framer_;
  StatusReporter& status_;
  ChannelHooks hooks_;
  ChannelStatusListener* listener_ = nullptr;
  QString settingsPath_;
  bool eventLines_ = true;
  bool shutDown_ = false;  // CloseAll ran: no channel reconnects
  std::array<Channel, kChannelCount> channels_;
  char staging_[kStagingSize + 1];
  // Context of the queued read events: they die with the channel set.
  QObject queued_;
};

}  // namespace corvalis
