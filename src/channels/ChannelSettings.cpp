#include "channels/ChannelSettings.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <array>

#include "common/ChannelIndex.h"
#include "common/IniFile.h"

namespace corvalis {
namespace {

constexpr std::array<int, 15> kBaudRates = {110,   300,   600,    1200,   2400,
                                            4800,  9600,  14400,  19200,  38400,
                                            56000, 57600, 115200, 128000, 256000};

QString OneOf(const QString& value, const QStringList& choices, const QString& fallback) {
  const QString wanted = value.trimmed().toLower();
  return choices.contains(wanted) ? wanted : fallback;
}

// Labels of letters, digits and inner hyphens, dot-separated (RFC 1123).
const QRegularExpression& HostNamePattern() {
  static const QRegularExpression pattern(
      QStringLiteral("^(?=.{1,253}$)[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?"
                     "(?:\\.[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?)*\\.?$"));
  return pattern;
}

bool LooksNumeric(const QString& text) {
  for (const QChar c : text) {
    if (!c.isDigit() && c != QLatin1Char('.')) return false;
  }
  return true;
}

// Four decimal parts 0..255; QHostAddress would also take "10.1" and octal.
bool IsDottedQuad(const QString& text) {
  const QStringList parts = text.split(QLatin1Char('.'));
  if (parts.size() != 4) return false;
  for (const QString& part : parts) {
    bool ok = false;
    const int value = part.toInt(&ok);
    if (!ok || part.isEmpty() || part.size() > 3 || value > 255) return false;
  }
  return true;
}

}  // namespace

QString ReaderAddressProblem(const QString& address) {
  const QString text = address.trimmed();
  if (text.isEmpty()) {
    return QStringLiteral("Enter the reader's address, e.g. 192.168.1.100.");
  }
  bool ok = false;
  if (text.contains(QLatin1Char(':'))) {
    QHostAddress v6;
    ok = v6.setAddress(text) && v6.protocol() == QAbstractSocket::IPv6Protocol;
  } else if (LooksNumeric(text)) {
    ok = IsDottedQuad(text);
  } else {
    ok = HostNamePattern().match(text).hasMatch();
  }
  if (ok) return QString();
  return QStringLiteral("\"%1\" is not an IP address or host name.").arg(text);
}

QString ChannelSectionName(int channel) {
  if (!IsValidChannel(channel)) return QString();
  return QStringLiteral("COM%1_SETTINGS").arg(channel + 1);
}

ChannelSettings ReadChannelSettings(const QString& path, int channel) {
  ChannelSettings s;
  const QString section = ChannelSectionName(channel);
  if (section.isEmpty()) return s;
  const ChannelSettings d;
  const IniFile ini(path);
  s.name = ini.ReadString(section, QStringLiteral("name"), d.name);
  s.baud = ini.ReadInteger(section, QStringLiteral("baud"), d.baud);
  if (std::find(kBaudRates.begin(), kBaudRates.end(), s.baud) == kBaudRates.end()) s.baud = d.baud;
  s.databits = ini.ReadInteger(section, QStringLiteral("databits"), d.databits);
  if (s.databits < 4 || s.databits > 8) s.databits = d.databits;
  s.parity = OneOf(ini.ReadString(section, QStringLiteral("parity"), d.parity),
                   {"none", "odd", "even", "mark", "space"}, d.parity);
  s.stopbits = ini.ReadFloat(section, QStringLiteral("stopbits"), d.stopbits);
  if (s.stopbits != 1.0 && s.stopbits != 1.5 && s.stopbits != 2.0) s.stopbits = d.stopbits;
  s.flowcontrol = OneOf(ini.ReadString(section, QStringLiteral("flowcontrol"), d.flowcontrol),
                        {"none", "cts", "dtr", "software", "default"}, d.flowcontrol);
  s.dtr = ini.ReadBool(section, QStringLiteral("DTR"), d.dtr);
  s.rts = ini.ReadBool(section, QStringLiteral("RTS"), d.rts);
  s.open = ini.ReadBool(section, QStringLiteral("open"), d.open);
  s.port = ini.ReadBool(section, QStringLiteral("Port"), d.port);
  s.ipAddress = ini.ReadString(section, QStringLiteral("IPAddress"), d.ipAddress).trimmed();
  s.ipPort = ini.ReadInteger(section, QStringLiteral("IPPort"), d.ipPort);
  if (s.ipPort < 1 || s.ipPort > 65535) s.ipPort = d.ipPort;
  return s;
}

bool WriteChannelSettings(const QString& path, int channel, const ChannelSettings& settings) {
  const QString section = ChannelSectionName(channel);
  if (section.isEmpty()) return false;
  IniFile ini(path);
  ini.WriteString(section, QStringLiteral("name"), settings.name);
  ini.WriteInteger(section, QStringLiteral("baud"), settings.baud);
  ini.WriteInteger(section, QStringLiteral("databits"), settings.databits);
  ini.WriteString(section, QStringLiteral("Parity"), settings.parity);
  ini.WriteFloat(section, QStringLiteral("stopbits"), settings.stopbits);
  ini.WriteString(section, QStringLiteral("FlowControl"), settings.flowcontrol);
  ini.WriteBool(section, QStringLiteral("DTR"), settings.dtr);
  ini.WriteBool(section, QStringLiteral("RTS"), settings.rts);
  ini.WriteBool(section, QStringLiteral("open"), settings.open);
  ini.WriteBool(section, QStringLiteral("Port"), settings.port);
  ini.WriteString(section, QStringLiteral("IPAddress"), settings.ipAddress);
  ini.WriteInteger(section, QStringLiteral("IPPort"), settings.ipPort);
  return ini.Flush();
}

bool WriteChannelOpen(const QString& path, int channel, bool open) {
  const QString section = ChannelSectionName(channel);
  if (section.isEmpty()) return false;
  IniFile ini(path);
  ini.WriteBool(section, QStringLiteral("open"), open);
  return ini.Flush();
}

}  // namespace corvalis
