#include "app/Settings.h"

#include <QDir>

#include <algorithm>
#include <vector>

#include "app/ComboHistory.h"
#include "common/IniFile.h"

namespace corvalis {
namespace {

constexpr int kMaxLoggingText = 19;

const QString kWindowRowDefault = QString::fromLatin1(kDisplayWindowRowDefault);

QString WindowRowKey(int row) {
  return QString::fromLatin1(kDisplayWindowRowPrefix) + QString::number(row);
}

int WindowRowCount(const Settings& settings) {
  return std::clamp(settings.Integer(Setting::WindowRows), 0, kMaxDisplayWindowRows);
}

QString CanonicalOutputPortUse(const QString& text) {
  const QString upper = text.trimmed().toUpper();
  if (upper == QLatin1String("DISPLAY")) return QStringLiteral("display");
  if (upper == QLatin1String("COMPOSITE")) return QStringLiteral("composite");
  return QStringLiteral("none");
}

std::vector<const SettingDef*> KeysOf(IniSection section) {
  std::vector<const SettingDef*> keys;
  for (const SettingDef& def : SettingTable()) {
    if (def.section == section) keys.push_back(&def);
  }
  return keys;
}

void LoadKey(const IniFile& ini, const SettingDef& def, Settings& settings) {
  const QString section = QString::fromLatin1(SectionName(def.section));
  const QString key = QString::fromLatin1(def.key);
  switch (def.type) {
    case SettingType::kString:
      settings.SetString(def.id, ini.ReadString(section, key, QString::fromUtf8(def.defaultText)));
      break;
    case SettingType::kInteger:
      settings.SetInteger(def.id, ini.ReadInteger(section, key, def.defaultNumber));
      break;
    case SettingType::kBoolean:
      settings.SetBool(def.id, ini.ReadBool(section, key, def.defaultNumber != 0));
      break;
  }
}

void SaveKey(IniFile& ini, const SettingDef& def, const Settings& settings) {
  if (!def.saved) return;
  const QString section = QString::fromLatin1(SectionName(def.section));
  const QString key = QString::fromLatin1(def.key);
  switch (def.type) {
    case SettingType::kString: {
      QString value = settings.String(def.id);
      if (def.rule == ValueRule::kRelativePath) {
        value = PathForSaving(value, settings.applicationDir);
      }
      ini.WriteString(section, key, value);
      break;
    }
    case SettingType::kInteger:
      // The CRC seed is held as 0..65535, so it goes out as unsigned decimal.
      ini.WriteInteger(section, key, settings.Integer(def.id));
      break;
    case SettingType::kBoolean:
      ini.WriteBool(section, key, settings.Bool(def.id));
      break;
  }
}

}  // namespace

Settings::Settings() {
  for (const SettingDef& def : SettingTable()) {
    Value& value = values_[static_cast<size_t>(def.id)];
    value.number = def.defaultNumber;
    value.text = QString::fromUtf8(def.defaultText);
    if (def.type == SettingType::kString) SetString(def.id, value.text);
  }
  SyncShowSeenRadios();
  for (int row = 0; row < Integer(Setting::WindowRows); ++row) windowRows_ << kWindowRowDefault;
  for (const QString& name : HistoryComboNames()) histories_.insert(name, QStringList());
}

QString Settings::String(Setting id) const {
  return values_[static_cast<size_t>(id)].text;
}

int Settings::Integer(Setting id) const {
  return values_[static_cast<size_t>(id)].number;
}

bool Settings::Bool(Setting id) const {
  return values_[static_cast<size_t>(id)].number != 0;
}

void Settings::SetString(Setting id, const QString& value) {
  const SettingDef& def = Definition(id);
  if (def.type != SettingType::kString) return;
  QString& text = values_[static_cast<size_t>(id)].text;
  switch (def.rule) {
    case ValueRule::kMax19:
      text = value.left(kMaxLoggingText);
      break;
    case ValueRule::kOutputPortUse:
      text = CanonicalOutputPortUse(value);
      break;
    default:
      text = value;
      break;
  }
}

void Settings::SetInteger(Setting id, int value) {
  const SettingDef& def = Definition(id);
  if (def.type != SettingType::kInteger) return;
  int& number = values_[static_cast<size_t>(id)].number;
  switch (def.rule) {
    case ValueRule::kCrcSeed:
      number = value & 0xFFFF;
      break;
    case ValueRule::kRange:
      number = std::clamp(value, def.minimum, def.maximum);
      break;
    case ValueRule::kShowSeenWhat:
      number = (value == 0 || value == 2 || value == 3) ? value : 1;
      SyncShowSeenRadios();
      break;
    default:
      number = value;
      break;
  }
}

void Settings::SetBool(Setting id, bool value) {
  const SettingDef& def = Definition(id);
  if (def.type != SettingType::kBoolean) return;
  if (def.rule == ValueRule::kShowSeenRadio) {
    // One radio group: checking one button picks what the view shows;
    // unchecking alone cannot leave the group without a choice.
    if (value) SetInteger(Setting::ShowSeenWhat, def.minimum);
    return;
  }
  values_[static_cast<size_t>(id)].number = value ? 1 : 0;
}

void Settings::SyncShowSeenRadios() {
  const int choice = Integer(Setting::ShowSeenWhat);
  for (const Setting radio : {Setting::DisplayID, Setting::DisplayName, Setting::DisplayWiegand26,
                              Setting::DisplayWiegand34}) {
    values_[static_cast<size_t>(radio)].number = Definition(radio).minimum == choice ? 1 : 0;
  }
}

OutputPortUse Settings::OutputPort() const {
  const QString text = String(Setting::OutputPortUse);
  if (text == QLatin1String("display")) return OutputPortUse::kDisplay;
  if (text == QLatin1String("composite")) return OutputPortUse::kComposite;
  return OutputPortUse::kNone;
}

void Settings::SetOutputPort(OutputPortUse use) {
  switch (use) {
    case OutputPortUse::kNone:
      SetString(Setting::OutputPortUse, QStringLiteral("none"));
      break;
    case OutputPortUse::kDisplay:
      SetString(Setting::OutputPortUse, QStringLiteral("display"));
      break;
    case OutputPortUse::kComposite:
      SetString(Setting::OutputPortUse, QStringLiteral("composite"));
      break;
  }
}

QString Settings::DisplayWindowRow(int row) const {
  if (row < 0 || row >= windowRows_.size()) return kWindowRowDefault;
  return windowRows_[row];
}

void Settings::SetDisplayWindowRow(int row, const QString& program) {
  if (row < 0 || row >= kMaxDisplayWindowRows) return;
  while (windowRows_.size() <= row) windowRows_ << kWindowRowDefault;
  windowRows_[row] = program;
}

bool LoadIniSettings(const QString& path, Settings& settings) {
  bool ok = true;
  {
    const IniFile ini(path);
    ok = ini.ReadOk();
    for (const IniSection section :
         {IniSection::kCustomize, IniSection::kFiles, IniSection::kMode, IniSection::kMqtt}) {
      for (const SettingDef* def : KeysOf(section)) LoadKey(ini, *def, settings);
    }
  }
  {
    const IniFile ini(path);
    ok = ok && ini.ReadOk();
    for (const SettingDef* def : KeysOf(IniSection::kDisplay)) LoadKey(ini, *def, settings);
    const QString section = QString::fromLatin1(SectionName(IniSection::kDisplay));
    // Rows are numbered from 0 as this program writes them; a file that
    // numbers them from 1 has no "Window0" but a key for the last row.
    const int rows = WindowRowCount(settings);
    const int first =
        rows > 0 && !ini.HasKey(section, WindowRowKey(0)) && ini.HasKey(section, WindowRowKey(rows))
            ? 1
            : 0;
    for (int row = 0; row < rows; ++row) {
      settings.SetDisplayWindowRow(
          row, ini.ReadString(section, WindowRowKey(row + first), kWindowRowDefault));
    }
    // The lifetime shared "DisplayWidth" before it had a key of its own.
    if (!ini.HasKey(section, QString::fromLatin1(Definition(Setting::MessageLifetime).key))) {
      settings.SetInteger(Setting::MessageLifetime, settings.Integer(Setting::DisplayWidth));
    }
  }
  return ok;
}

void LoadComboHistories(const QString& path, Settings& settings) {
  for (const QString& name : HistoryComboNames()) {
    LoadComboHistory(path, name, settings.History(name));
  }
}

bool SaveIniSettings(const QString& path, const Settings& settings,
                     const std::function<void(int)>& progress) {
  const auto report = [&progress](int value) {
    if (progress) progress(value);
  };
  bool ok = true;
  report(0);
  {
    IniFile ini(path);
    for (const SettingDef* def : KeysOf(IniSection::kFiles)) SaveKey(ini, *def, settings);
    report(5);
    const std::vector<const SettingDef*> mode = KeysOf(IniSection::kMode);
    const size_t quarter = (mode.size() + 3) / 4;
    for (size_t i = 0; i < mode.size(); ++i) {
      SaveKey(ini, *mode[i], settings);
      if ((i + 1) % quarter == 0 || i + 1 == mode.size()) {
        report(10 + 5 * static_cast<int>(i / quarter));
      }
    }
    for (const SettingDef* def : KeysOf(IniSection::kMqtt)) SaveKey(ini, *def, settings);
    ok = ini.Flush();
  }
  for (const char* name : {"cmbCmdTagID", "cmbCmdData", "cmbCmdMask"}) {
    const QString combo = QString::fromLatin1(name);
    ok = SaveComboHistory(path, combo, settings.History(combo)) && ok;
  }
  for (int n = 0; n < 16; ++n) {
    report(30 + 2 * n);
    const QString combo = QStringLiteral("cmbRWData%1").arg(n);
    ok = SaveComboHistory(path, combo, settings.History(combo)) && ok;
  }
  report(65);
  ok = SaveComboHistory(path, QStringLiteral("cmbMPText"),
                        settings.History(QStringLiteral("cmbMPText"))) &&
       ok;
  report(67);
  {
    IniFile ini(path);
    for (const SettingDef* def : KeysOf(IniSection::kDisplay)) SaveKey(ini, *def, settings);
    const QString section = QString::fromLatin1(SectionName(IniSection::kDisplay));
    for (int row = 0; row < WindowRowCount(settings); ++row) {
      ini.WriteString(section, WindowRowKey(row), settings.DisplayWindowRow(row));
    }
    ok = ini.Flush() && ok;
  }
  return ok;
}

QString PathForSaving(const QString& path, const QString& applicationDir) {
  if (path.isEmpty()) return path;
  const QDir base(applicationDir.isEmpty() ? QDir::currentPath() : applicationDir);
  const QString absolute = QDir::cleanPath(base.absoluteFilePath(path));
  const QString relative = base.relativeFilePath(absolute);
  // ".." as a path component, not as the start of a name like "..notes.log".
  const bool outside = relative == QLatin1String("..") || relative.startsWith(QLatin1String("../"));
  if (outside || QDir::isAbsolutePath(relative)) return QDir::toNativeSeparators(absolute);
  return QDir::toNativeSeparators(relative);
}

QString ResolveStoredPath(const QString& path, const QString& applicationDir) {
  if (path.isEmpty()) return path;
  const QDir base(applicationDir.isEmpty() ? QDir::currentPath() : applicationDir);
  return QDir::cleanPath(base.absoluteFilePath(path));
}

}  // namespace corvalis
