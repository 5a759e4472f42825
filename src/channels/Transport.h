#pragma once

#include <QString>

#include <memory>
#include <string>

#include "channels/ChannelSettings.h"
#include "common/StatusReporter.h"
#include "protocol/ReceiveFramer.h"

namespace corvalis {

// What a transport tells the channel that owns it. Every call comes on the
// GUI thread, through the event loop.
class TransportEvents {
 public:
  virtual ~TransportEvents() = default;
  // Bytes wait to be read.
  virtual void TransportBytes(int channel) = 0;
  // The link opened, failed to open, ended or saw an error; the channel reads
  // its state again. `marksError` sets the channel's error mark.
  virtual void TransportChanged(int channel, bool marksError) = 0;
};

// One channel's link to its reader: a serial port or a TCP client
// connection. The rest of the program sees only this; the two
// implementations hold what really differs (line settings and modem lines,
// peer address and connection state). As a byte source it also serves the
// firmware download, which reads the bytes itself.
class Transport : public SerialByteSource {
 public:
  ~Transport() override = default;

  // Closes first if open. A serial port reports at once; a connection counts
  // as open while it connects and reports when it succeeds or fails.
  virtual void Open() = 0;
  // Silent; what arrived before is handed on first where the link keeps it.
  virtual void Close() = 0;
  // The operator's Close: as Close, with the line the memo shows for it.
  virtual void CloseByOperator() { Close(); }
  virtual bool IsOpen() const = 0;
  // The link carries bytes (a connection counts as open while it connects,
  // but is up only once connected).
  virtual bool IsUp() const { return IsOpen(); }
  // Whether trying again could help: a connection without a peer address
  // never tries.
  virtual bool CanReconnect() const { return true; }
  // The channel's own retry after the link was lost: as Open, but a failure
  // leaves no memo line (the channel writes one per attempt).
  virtual void Reconnect() { Open(); }
  // Never blocks; the count accepted (0 when nothing could be sent).
  virtual int Write(const char* bytes, int count) = 0;
  virtual int BytesWaiting() const = 0;
  // Bytes have arrived that the receive path has not read yet, in the link's
  // buffer or still in the system's: the console is behind its reader.
  virtual bool InputWaiting() const { return BytesWaiting() > 0; }

  // Takes new settings: what can change on an open link changes at once;
  // a change of device or peer closes the link.
  virtual void Configure(const ChannelSettings& settings) = 0;
  // The device name or peer address, for the memo lines.
  virtual const std::string& Name() const = 0;
  // The channel's status-bar panel after its "Chan N: " label.
  virtual QString PanelText(bool open) const = 0;
};

// Whether the system holds received bytes for the descriptor that nobody has
// read yet; false for -1.
bool SystemHoldsInput(qintptr descriptor);

// "Chan 1" to "Chan 4", "Out1" for the output port.
QString ChannelLabel(int channel);

// The one place that knows serial from TCP: a transport of the kind the
// settings' Port key selects.
std::unique_ptr<Transport> MakeTransport(int channel, const ChannelSettings& settings,
                                         TransportEvents& events, StatusReporter& status);

}  // namespace corvalis
