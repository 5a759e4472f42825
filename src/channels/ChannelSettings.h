#pragma once

#include <QString>

namespace corvalis {

// One channel's section, "COM1_SETTINGS" for channel index 0 up to
// "COM5_SETTINGS" for the output port.
struct ChannelSettings {
  QString name = QStringLiteral("COM1");  // serial device; every channel starts on COM1
  int baud = 9600;
  int databits = 8;
  QString parity = QStringLiteral("none");       // none, odd, even, mark, space
  double stopbits = 1.0;                         // 1, 1.5 or 2
  QString flowcontrol = QStringLiteral("none");  // none, cts, dtr, software, default
  bool dtr = true;
  bool rts = true;
  bool open = true;  // open again at start
  bool port = true;  // true: serial port, false: TCP connection
  // No default peer: a TCP channel connects only once the operator gave
  // the reader's address.
  QString ipAddress;
  int ipPort = 5000;

  bool operator==(const ChannelSettings&) const = default;
};

// Why `address` cannot name a reader (empty, or neither an IP address nor a
// host name); empty when it can.
QString ReaderAddressProblem(const QString& address);

// Empty for an index outside 0..4.
QString ChannelSectionName(int channel);

// A missing file, section or key gives the defaults above; a value outside
// its list of choices gives that key's default, so the port is never asked
// for a rate or framing it cannot take.
ChannelSettings ReadChannelSettings(const QString& path, int channel);

// Writes every key of the channel's section. False when the channel index is
// out of range or the file could not be written.
bool WriteChannelSettings(const QString& path, int channel, const ChannelSettings& settings);

// Writes only "open", after the channel was opened or closed.
bool WriteChannelOpen(const QString& path, int channel, bool open);

}  // namespace corvalis
