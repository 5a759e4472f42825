// Reads arbitrary bytes as the settings file: the INI reader with its typed
// reads, the application's settings load with a drop-down history and the
// live settings taken from it, and a channel's section. Then writes go back
// through the file: what was written must read back as written, what was
// not touched must read as before, and a channel's settings must survive
// being saved and loaded again.
#include <QFile>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>

#include "ScratchDir.h"
#include "app/ComboHistory.h"
#include "app/Settings.h"
#include "app/SettingsBinding.h"
#include "channels/ChannelSettings.h"
#include "common/IniFile.h"

namespace {

using namespace corvalis;

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

// Every value the model holds must obey its key's rule, whatever the file said.
void CheckModel(const Settings& settings) {
  for (const SettingDef& def : SettingTable()) {
    switch (def.rule) {
      case ValueRule::kRange:
        Check(settings.Integer(def.id) >= def.minimum && settings.Integer(def.id) <= def.maximum);
        break;
      case ValueRule::kCrcSeed:
        Check(settings.Integer(def.id) >= 0 && settings.Integer(def.id) <= 0xFFFF);
        break;
      case ValueRule::kMax19:
        Check(settings.String(def.id).size() <= 19);
        break;
      case ValueRule::kShowSeenWhat:
        Check(settings.Integer(def.id) >= 0 && settings.Integer(def.id) <= 3);
        break;
      case ValueRule::kShowSeenRadio:
        Check(settings.Bool(def.id) == (settings.Integer(Setting::ShowSeenWhat) == def.minimum));
        break;
      default:
        break;
    }
  }
}

// A line that ended in CR CR LF in a file whose first break is a bare LF
// comes back without its last CR: the file keeps one line-end convention.
bool SameValue(const std::optional<QString>& before, const std::optional<QString>& after) {
  if (before.has_value() != after.has_value()) return false;
  if (!before) return true;
  QString trimmed = *before;
  if (trimmed.endsWith(QLatin1Char('\r'))) trimmed.chop(1);
  return *after == *before || *after == trimmed;
}

void CheckInteger(const std::optional<QString>& text) {
  if (!text) return;
  if (const std::optional<int> number = ParseIniInteger(*text)) {
    Check(ParseIniInteger(QString::number(*number)) == number);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const QString scratch = QString::fromStdString(FuzzScratchDir("settings-fuzz"));
  const QString path = scratch + QStringLiteral("/settings.ini");
  {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
  }
  // The last byte picks keys and a channel; it is part of the file as well.
  const uint8_t pick = size > 0 ? data[size - 1] : 0;

  Settings settings;
  settings.applicationDir = scratch;
  Check(LoadIniSettings(path, settings));
  CheckModel(settings);
  const QStringList combos = HistoryComboNames();
  const QString combo = combos[pick % combos.size()];
  LoadComboHistory(path, combo, settings.History(combo));
  Check(settings.History(combo).size() <= kMaxComboHistory);
  volatile size_t sink = 0;
  sink = sink + static_cast<size_t>(ProtocolSettingsFrom(settings).crcSeed);
  sink = sink + static_cast<size_t>(TagTableSettingsFrom(settings).waitTime);
  sink = sink + LogSettingsFrom(settings).filteredFileName.size();
  sink = sink + DisplaySettingsFrom(settings).windowPrograms.size();
  sink = sink + MqttSettingsFrom(settings).caFile.size();
  sink = sink + static_cast<size_t>(PageDisplayOptionsFrom(settings).numPages);
  sink = sink + (PageCrcChoiceFrom(settings).kvq ? 1u : 0u);
  sink = sink + PathForSaving(settings.String(Setting::FilteredFileName), scratch).size();

  const auto& table = SettingTable();
  const SettingDef& written = table[pick % table.size()];
  const QString writtenSection = QString::fromLatin1(SectionName(written.section));
  const QString writtenKey = QString::fromLatin1(written.key);
  // The value: the file's first line, short, as the program would store it.
  QByteArray valueBytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  valueBytes.truncate(48);
  if (const qsizetype cut = valueBytes.indexOf('\n'); cut >= 0) valueBytes.truncate(cut);
  if (const qsizetype cut = valueBytes.indexOf('\r'); cut >= 0) valueBytes.truncate(cut);
  const QString value = QString::fromUtf8(valueBytes);

  struct Probe {
    QString section;
    QString key;
    std::optional<QString> before;
  };
  Probe probes[4];
  {
    IniFile ini(path);
    Check(ini.ReadOk());
    for (size_t i = 0; i < std::size(probes); ++i) {
      const SettingDef& def = table[(pick + 37 * (i + 1)) % table.size()];
      probes[i].section = QString::fromLatin1(SectionName(def.section));
      probes[i].key = QString::fromLatin1(def.key);
      probes[i].before = ini.Value(probes[i].section, probes[i].key);
      CheckInteger(probes[i].before);
      sink = sink + static_cast<size_t>(ini.ReadBool(probes[i].section, probes[i].key, false));
      // Any double may come back; only its sign is kept, a cast could overflow.
      sink = sink + (ini.ReadFloat(probes[i].section, probes[i].key, 0.0) > 0.0 ? 1u : 0u);
    }
    ini.WriteString(writtenSection, writtenKey, value);
    ini.WriteString(writtenSection, QStringLiteral("FuzzAdded"), value);
    ini.WriteInteger(QStringLiteral("FuzzSection"), QStringLiteral("Number"), pick);
    Check(ini.Value(writtenSection, writtenKey) == value);
    Check(ini.Flush());
  }
  {
    const IniFile ini(path);
    Check(ini.ReadOk());
    Check(ini.Value(writtenSection, writtenKey) == value);
    Check(ini.Value(writtenSection, QStringLiteral("FuzzAdded")) == value);
    Check(ini.ReadInteger(QStringLiteral("FuzzSection"), QStringLiteral("Number"), -1) == pick);
    for (const Probe& probe : probes) {
      const bool same = probe.section.compare(writtenSection, Qt::CaseInsensitive) == 0 &&
                        probe.key.compare(writtenKey, Qt::CaseInsensitive) == 0;
      if (!same) Check(SameValue(probe.before, ini.Value(probe.section, probe.key)));
    }
  }

  // A channel's section saved and loaded again gives back the same settings.
  const int channel = pick % 5;
  const ChannelSettings loaded = ReadChannelSettings(path, channel);
  Check(WriteChannelSettings(path, channel, loaded));
  const ChannelSettings again = ReadChannelSettings(path, channel);
  // A carriage return inside a value is written as a blank.
  const auto sameText = [](const QString& before, const QString& after) {
    return before.contains(QLatin1Char('\r')) || before == after;
  };
  Check(sameText(loaded.name, again.name) && sameText(loaded.ipAddress, again.ipAddress));
  Check(loaded.baud == again.baud && loaded.databits == again.databits &&
        loaded.parity == again.parity && loaded.stopbits == again.stopbits &&
        loaded.flowcontrol == again.flowcontrol && loaded.dtr == again.dtr &&
        loaded.rts == again.rts && loaded.open == again.open && loaded.port == again.port &&
        loaded.ipPort == again.ipPort);
  (void)sink;
  return 0;
}
