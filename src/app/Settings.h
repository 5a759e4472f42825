#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>

#include "app/SettingsKeys.h"

namespace corvalis {

enum class OutputPortUse { kNone, kDisplay, kComposite };

// The in-memory settings between start and shutdown: one typed value per key
// of the table, the on-screen display's window rows, and the drop-down
// histories. Keys whose tab or window does not exist yet are simply carried,
// so a load followed by a save leaves their values as they were.
//
// Setters apply the key's rule (length limit, range, 16-bit seed, the
// OutputPortUse choices, the ShowSeenWhat radio group), so the model never
// holds a value the rest of the program has to distrust.
class Settings {
 public:
  Settings();  // every key at its default, every history empty

  QString String(Setting id) const;
  int Integer(Setting id) const;
  bool Bool(Setting id) const;
  void SetString(Setting id, const QString& value);
  void SetInteger(Setting id, int value);
  void SetBool(Setting id, bool value);

  OutputPortUse OutputPort() const;
  void SetOutputPort(OutputPortUse use);
  uint16_t RegenerateCrcSeed() const {
    return static_cast<uint16_t>(Integer(Setting::RegenerateCRCSeed));
  }

  // Line program of on-screen display row `row` (0 = top); "SCROLL UP" for
  // rows never set.
  QString DisplayWindowRow(int row) const;
  void SetDisplayWindowRow(int row, const QString& program);

  // Entries of a history drop-down, by control name (see HistoryComboNames).
  QStringList& History(const QString& comboName) { return histories_[comboName]; }
  QStringList History(const QString& comboName) const { return histories_.value(comboName); }

  // Base of FilteredFileName and RegistrationFileName when they are relative
  // (the SettingsLocation's applicationDir). Empty means the working directory.
  QString applicationDir;

 private:
  struct Value {
    int number = 0;  // integers, booleans as 0/1
    QString text;
  };
  void SyncShowSeenRadios();

  std::array<Value, kSettingCount> values_;
  QStringList windowRows_;
  QMap<QString, QStringList> histories_;
};

// Reads CUSTOMIZE, FILES, MODE and MQTT in table order, then DISPLAY; missing keys
// and unreadable values give defaults. False only when the file exists but
// could not be read (the model then holds defaults).
bool LoadIniSettings(const QString& path, Settings& settings);

// Reads the history of every drop-down in HistoryComboNames() that has one.
void LoadComboHistories(const QString& path, Settings& settings);

// Writes the FILES, MODE and MQTT keys marked saved, the histories of the RW
// Commander, R/W Tag Test and Multi Page drop-downs, then DISPLAY. Keys that
// are not saved are left as the file has them. `progress` gets the gauge
// values of the shutting-down window (0 to 67). False when any part could not
// be written.
bool SaveIniSettings(const QString& path, const Settings& settings,
                     const std::function<void(int)>& progress = {});

// FilteredFileName and RegistrationFileName as they are written: relative to
// `applicationDir` when the file lies inside it, otherwise the full path.
QString PathForSaving(const QString& path, const QString& applicationDir);

// A stored file name as a path to open: relative names are taken from
// `applicationDir`.
QString ResolveStoredPath(const QString& path, const QString& applicationDir);

}  // namespace corvalis
