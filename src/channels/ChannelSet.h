#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <string>

#include "app/ChannelSettings.h"
#include "channels/ChannelHooks.h"
#include "channels/Comm32.h"
#include "common/ChannelIndex.h"
#include "common/StatusReporter.h"
#include "protocol/MessageDispatcher.h"
#include "protocol/ReceiveFramer.h"

class QTcpSocket;

namespace corvalis {

inline constexpr int kReceiveQueueSize = 8000;
// One TCP read event takes at most this much; the rest waits for the next.
inline constexpr int kTcpStagingSize = 16384;

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

// The five reader channels: each a serial port or a TCP client connection, by
// the channel section's Port key. Receives into the framer, writes for the
// dispatcher and the command sender, and keeps the sections in the settings
// file up to date.
class ChannelSet final : public ChannelWriter, private Comm32Events {
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

  // At start: reads every section and opens the channels whose "open" is on.
  void Start();
  // The channel menu's Open: reopens, then records "open".
  void Open(int channel);
  // The channel menu's Close, likewise.
  void Close(int channel);
  // The settings dialog's OK with the values it shows; "open" is ignored.
  void ApplySettings(int channel, const ChannelSettings& settings);
  // Shutdown: closes every channel without touching the "open" keys.
  void CloseAll();
  // Writes all five sections (at shutdown).
  void SaveSections() const;

  // Reads each transport's state into the open flags, menu states and panel
  // texts, then tells the listener.
  void RefreshStatus();
  void ClearActivityMarks();

  const ChannelSettings& Settings(int channel) const { return channels_[channel].settings; }
  const ChannelView& View(int channel) const { return channels_[channel].view; }
  TComm32& Port(int channel) { return *channels_[channel].port; }
  QTcpSocket& Socket(int channel) { return *channels_[channel].socket; }

  bool IsOpen(int channel) const override;
  void WriteToChannel(int channel, const char* bytes, int count) override;

  // The serial ports the operating system reports, for the settings dialog.
  static QStringList AvailablePorts();

 private:
  struct Channel {
    ChannelSettings settings;
    ChannelView view;
    std::unique_ptr<TComm32> port;
    std::unique_ptr<QTcpSocket> socket;
    std::string portLabel;    // device name, for the diagnostics lines
    std::string socketLabel;  // peer address
    bool closingSocket = false;
    bool readQueued = false;
  };

  void OpenTransport(int channel);
  bool IsActive(int channel) const;
  void CloseSocket(int channel);
  void ConnectSocket(int channel);
  void ConfigurePort(int channel);
  QString PanelText(int channel) const;
  void Mark(int channel, int mark);
  void Log(const char* prefix, const std::string& label, const char* suffix = "");

  void OnTcpRead(int channel);
  void FeedTcp(int channel, const char* bytes, int count);
  void OnTcpConnected(int channel);
  void OnTcpDisconnected(int channel);
  void OnTcpError(int channel, int error);
  void AfterRead(int channel, const char* bytes, int count, const std::string& label);

  // Comm32Events
  void Comm32Open(TComm32& sender, int errorCode, int providerSubtype) override;
  void Comm32Break(TComm32& sender) override;
  void Comm32LineChanged(TComm32& sender, ModemLine line, bool on) override;
  void Comm32Error(TComm32& sender, uint32_t errorBits) override;
  void Comm32RxChar(TComm32& sender, int waiting) override;
  void Comm32RxFlag(TComm32& sender) override;
  void Comm32TxEmpty(TComm32& sender) override;
  void Comm32Lost(TComm32& sender) override;

  class SerialTap;
  class SocketSource;

  ReceiveFramer& framer_;
  StatusReporter& status_;
  ChannelHooks hooks_;
  ChannelStatusListener* listener_ = nullptr;
  QString settingsPath_;
  std::array<Channel, kChannelCount> channels_;
  char staging_[kTcpStagingSize + 1];
};

}  // namespace corvalis
