#include "app/Settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <iterator>
#include <string_view>
#include <vector>

#include "app/ComboHistory.h"
#include "app/IniTestSupport.h"
#include "common/IniFile.h"

namespace corvalis {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

QString Section(const SettingDef& def) {
  return QString::fromLatin1(SectionName(def.section));
}
QString Key(const SettingDef& def) {
  return QString::fromLatin1(def.key);
}

// A value unlike the default for every key, consistent with the rules the
// model enforces, as it would appear in the file.
QString NonDefaultText(const SettingDef& def) {
  switch (def.id) {
    case Setting::FilteredFileName:
      return "logs/passes.log";
    case Setting::RegistrationFileName:
      return "names/site.tag";
    case Setting::OutputPortUse:
      return "composite";
    case Setting::RegenerateCRCSeed:
      return "4660";
    case Setting::ShowSeenWhat:
      return "3";
    case Setting::DisplayWiegand34:
      return "1";
    case Setting::DisplayID:
    case Setting::DisplayName:
    case Setting::DisplayWiegand26:
      return "0";
    case Setting::LoggingSeparator:
      return ";";
    case Setting::MqttQos:
      return "0";
    default:
      break;
  }
  switch (def.type) {
    case SettingType::kString:
      return QStringLiteral("v-") + Key(def);
    case SettingType::kInteger:
      return QString::number(def.defaultNumber + 7);
    case SettingType::kBoolean:
      return def.defaultNumber ? "0" : "1";
  }
  return {};
}

// Every key set, CR LF, in the order a save writes them, with a comment, a
// stale key and a foreign section that must all survive.
QByteArray FullFile() {
  QByteArray text = "; site settings\r\n";
  IniSection current = IniSection::kCustomize;
  text += "[CUSTOMIZE]\r\n";
  for (const SettingDef& def : SettingTable()) {
    if (def.section != current) {
      current = def.section;
      if (current == IniSection::kDisplay) {
        text += "\r\n[cmbCmdTagID]\r\nEntries=1\r\nENT_0=0011223344556677\r\n";
        text += "\r\n[cmbCmdData]\r\nEntries=0\r\n";
        text += "\r\n[cmbCmdMask]\r\nEntries=0\r\n";
        for (int n = 0; n < 16; ++n) {
          text += QStringLiteral("\r\n[cmbRWData%1]\r\nEntries=2\r\nENT_0=%1a\r\nENT_1=%1b\r\n")
                      .arg(n)
                      .toUtf8();
        }
        text += "\r\n[cmbMPText]\r\nEntries=1\r\nENT_0=hello\r\n";
        text += "\r\n[Vendor]\r\nSecret=keep me\r\n";
      }
      text += QByteArray("\r\n[") + SectionName(current) + "]\r\n";
      if (current == IniSection::kMode) text += "RetiredKey=42\r\n";
    }
    text += (Key(def) + "=" + NonDefaultText(def) + "\r\n").toUtf8();
  }
  for (int row = 0; row < 12; ++row)
    text += QStringLiteral("Window%1=row %1\r\n").arg(row).toUtf8();
  return text;
}

class SettingsTest : public ::testing::Test {
 protected:
  QString PathOf(const QString& name) const { return dir_.filePath(name); }
  Settings Loaded(const QString& path) const {
    Settings settings;
    settings.applicationDir = dir_.path();
    EXPECT_TRUE(LoadIniSettings(path, settings));
    LoadComboHistories(path, settings);
    return settings;
  }
  QTemporaryDir dir_;
};

TEST_F(SettingsTest, DisplayWindowRowsNumberedFromOneAreReadInPlace) {
  const QString path = PathOf("one-based.ini");
  WriteBytes(path,
             "[DISPLAY]\r\nWindowRows=3\r\nWindow1=TAG_NAME\r\nWindow2=+1\r\n"
             "Window3=NUM TAGS\r\n");
  const Settings settings = Loaded(path);
  EXPECT_EQ(settings.DisplayWindowRow(0), "TAG_NAME");
  EXPECT_EQ(settings.DisplayWindowRow(2), "NUM TAGS");
  // The lifetime had no key of its own: it takes the width's value.
  WriteBytes(path, "[DISPLAY]\r\nDisplayWidth=12\r\n");
  EXPECT_EQ(Loaded(path).Integer(Setting::MessageLifetime), 12);
}

TEST_F(SettingsTest, EveryKeyRoundTripsThroughAFreshFile) {
  const QString original = PathOf("Corvalis.ini");
  WriteBytes(original, FullFile());
  const Settings settings = Loaded(original);
  EXPECT_EQ(settings.OutputPort(), OutputPortUse::kComposite);
  EXPECT_EQ(settings.RegenerateCrcSeed(), 4660);
  EXPECT_EQ(settings.Integer(Setting::WaitTime), 507);
  EXPECT_EQ(settings.DisplayWindowRow(11), "row 11");
  EXPECT_EQ(settings.History("cmbRWData15"), (QStringList{"15a", "15b"}));

  const QString fresh = PathOf("fresh.ini");
  std::vector<int> gauge;
  ASSERT_TRUE(SaveIniSettings(fresh, settings, [&gauge](int value) { gauge.push_back(value); }));
  const IniFile in(original);
  const IniFile out(fresh);
  for (const SettingDef& def : SettingTable()) {
    if (def.saved) {
      EXPECT_EQ(out.Value(Section(def), Key(def)), in.Value(Section(def), Key(def))) << def.key;
    } else {
      EXPECT_FALSE(out.HasKey(Section(def), Key(def))) << def.key;
    }
  }
  EXPECT_EQ(out.ReadString("DISPLAY", "Window11", ""), "row 11");
  EXPECT_EQ(out.ReadString("cmbRWData7", "ENT_1", ""), "7b");
  EXPECT_EQ(out.ReadString("cmbMPText", "ENT_0", ""), "hello");
  EXPECT_EQ(gauge.front(), 0);
  EXPECT_EQ(gauge.back(), 67);
  EXPECT_TRUE(std::is_sorted(gauge.begin(), gauge.end()));

  // Saving over the file it came from changes nothing at all.
  ASSERT_TRUE(SaveIniSettings(original, settings));
  EXPECT_EQ(ReadBytes(original), FullFile());
}

TEST_F(SettingsTest, SaveRewritesOnlyWhatItMustOverTheSameFile) {
  const QString path = PathOf("Corvalis.ini");
  const QByteArray before =
      FullFile()
          .replace("RegenerateCRCSeed=4660", "RegenerateCRCSeed=0x1D0F")
          .replace("OutputPortUse=composite", "OutputPortUse=Display")
          .replace("ShowSeenWhat=3", "ShowSeenWhat=7")
          .replace("LoggingTamper=v-LoggingTamper", "LoggingTamper=abcdefghijklmnopqrstuvwxyz");
  WriteBytes(path, before);
  const Settings settings = Loaded(path);
  EXPECT_EQ(settings.Integer(Setting::RegenerateCRCSeed), 7439);
  EXPECT_EQ(settings.OutputPort(), OutputPortUse::kDisplay);
  EXPECT_EQ(settings.Integer(Setting::ShowSeenWhat), 1);
  EXPECT_TRUE(settings.Bool(Setting::DisplayID));
  EXPECT_FALSE(settings.Bool(Setting::DisplayWiegand34));
  ASSERT_TRUE(SaveIniSettings(path, settings));

  const QList<QByteArray> oldLines = before.split('\n');
  const QList<QByteArray> newLines = ReadBytes(path).split('\n');
  ASSERT_EQ(oldLines.size(), newLines.size());
  QList<QByteArray> changed;
  for (qsizetype i = 0; i < oldLines.size(); ++i) {
    if (oldLines[i] != newLines[i]) changed << newLines[i];
  }
  EXPECT_EQ(changed,
            (QList<QByteArray>{"LoggingTamper=abcdefghijklmnopqrs\r", "RegenerateCRCSeed=7439\r",
                               "DisplayID=1\r", "DisplayWiegand34=0\r", "OutputPortUse=display\r",
                               "ShowSeenWhat=1\r"}));
}

TEST_F(SettingsTest, MissingOrBrokenValuesGiveDefaults) {
  const Settings defaults;
  // No sections at all, and no file at all.
  WriteBytes(PathOf("flat.ini"), "WaitTime=1\r\nNumToShow=9\r\n");
  for (const QString& name : {QStringLiteral("flat.ini"), QStringLiteral("none.ini")}) {
    Settings settings;
    EXPECT_TRUE(LoadIniSettings(PathOf(name), settings));
    for (const SettingDef& def : SettingTable()) {
      EXPECT_EQ(settings.String(def.id), defaults.String(def.id)) << def.key;
      EXPECT_EQ(settings.Integer(def.id), defaults.Integer(def.id)) << def.key;
    }
  }
  EXPECT_EQ(defaults.Integer(Setting::RegenerateCRCSeed), 0xFFFF);
  EXPECT_EQ(defaults.OutputPort(), OutputPortUse::kNone);
  EXPECT_TRUE(defaults.Bool(Setting::DisplayID));  // ShowSeenWhat 1 checks the ID button
  EXPECT_EQ(defaults.String(Setting::LoggingNoTamper), " ");

  WriteBytes(PathOf("junk.ini"),
             "[mode]\r\nwaittime=soon\r\nAutoRegister=yes\r\nNumToShow=0x\r\n"
             "OutputPortUse=both\r\nReadRatePeriod=0\r\nNumToShow=500\r\n"
             "[Files]\r\nwritefiltered=1\r\n");
  Settings junk;
  EXPECT_TRUE(LoadIniSettings(PathOf("junk.ini"), junk));
  EXPECT_EQ(junk.Integer(Setting::WaitTime), 500);
  EXPECT_TRUE(junk.Bool(Setting::AutoRegister));
  EXPECT_EQ(junk.Integer(Setting::NumToShow), 4);  // first "NumToShow" line wins
  EXPECT_EQ(junk.OutputPort(), OutputPortUse::kNone);
  EXPECT_EQ(junk.Integer(Setting::ReadRatePeriod), 1);  // a zero period would divide by zero
  EXPECT_TRUE(junk.Bool(Setting::WriteFiltered));
}

TEST_F(SettingsTest, FreshFileHoldsOnlyTheSavedKeys) {
  const QString path = PathOf("new.ini");
  ASSERT_TRUE(SaveIniSettings(path, Settings{}));
  const IniFile ini(path);
  EXPECT_FALSE(ini.HasSection("CUSTOMIZE"));
  for (const char* key : {"AutoQueryMessageFormat", "ShowDownloadTab", "ShowTagSimTab", "ShowRTTab",
                          "MaxHoppingSpaces"}) {
    EXPECT_FALSE(ini.HasKey("MODE", key)) << key;
  }
  EXPECT_EQ(ini.ReadString("MODE", "OutputPortUse", ""), "none");
  EXPECT_EQ(ini.ReadString("MODE", "RegenerateCRCSeed", ""), "65535");
  EXPECT_EQ(ini.ReadString("MODE", "LoggingNoTamper", ""), " ");
  EXPECT_EQ(ini.ReadString("FILES", "RegistrationFileName", ""), "alias.tag");
  EXPECT_EQ(ini.ReadString("FILES", "FilteredFileName", "x"), "");
  EXPECT_EQ(ini.ReadString("DISPLAY", "Window4", ""), "SCROLL UP");
  EXPECT_FALSE(ini.HasKey("DISPLAY", "Window5"));
  EXPECT_EQ(ini.ReadInteger("cmbMPText", "Entries", -1), 0);

  Settings back;
  ASSERT_TRUE(LoadIniSettings(path, back));
  EXPECT_EQ(back.String(Setting::LoggingNoTamper), " ");
}

// The published key tables, written out by hand: every key whose default is
// not false, 0 or empty, or that a save must not write. `text` is the value
// a fresh save writes (or, for keys never saved, the default in memory);
// null for the build date.
struct PublishedKey {
  const char* section;
  const char* key;
  const char* text;
  bool saved;
};
constexpr PublishedKey kPublishedKeys[] = {
    {"CUSTOMIZE", "Title", "KELVO RFID Tag Display", false},
    {"CUSTOMIZE", "line1", "KELVO", false},
    {"CUSTOMIZE", "line2", "Tag Display", false},
    {"CUSTOMIZE", "line5", "This is the KELVO", false},
    {"CUSTOMIZE", "line6", "tag display program.", false},
    {"CUSTOMIZE", "line7", nullptr, false},
    {"FILES", "RegistrationFileName", "alias.tag", true},
    {"MODE", "AutoRegister", "1", true},
    {"MODE", "AutoQueryMessageFormat", "0", false},
    {"MODE", "ReconnectFirstMs", "1000", false},
    {"MODE", "RigWatchRecords", "1", true},
    {"MODE", "LogDepot", "1", true},
    {"MODE", "LogTagName", "1", true},
    {"MODE", "LogFirstSeenDate", "1", true},
    {"MODE", "LogFirstSeenTime", "1", true},
    {"MODE", "OnlyLogNamedTags", "1", true},
    {"MODE", "DepotName", "Depot", true},
    {"MODE", "LogNumTTOPages", "1", true},
    {"MODE", "LoggingSeparator", ",", true},
    {"MODE", "LoggingTamper", "T", true},
    {"MODE", "LoggingNoTamper", " ", true},
    {"MODE", "WaitTime", "500", true},
    {"MODE", "ShowDiagnostics", "1", true},
    {"MODE", "WhichChannels", "3", true},
    {"MODE", "RecordOutgoing", "1", true},
    {"MODE", "TimedInterval", "10", true},
    {"MODE", "MultiplexTime", "10", true},
    {"MODE", "ShowDownloadTab", "0", false},
    {"MODE", "ShowTagSimTab", "0", false},
    {"MODE", "ShowRTTab", "0", false},
    {"MODE", "NumToShow", "4", true},
    {"MODE", "RegenerateCRCSeed", "65535", true},
    // The four radio keys are written back from the one checked button,
    // which ShowSeenWhat (default 1, the ID) decides; DisplayName's default
    // of true only matters to a file read without ShowSeenWhat.
    {"MODE", "DisplayID", "1", true},
    {"MODE", "DisplayName", "0", true},
    {"MODE", "OutputPortUse", "none", true},
    {"MODE", "ShowTimeout", "10", true},
    {"MODE", "TagSimPeriod_4", "2", true},
    {"MODE", "TagSimTagID", "123456789abc", true},
    {"MODE", "TagSimCRCSeed", "0xffff", true},
    {"MODE", "TagSimNumRepeats", "1", true},
    {"MODE", "DataNumPages", "1", true},
    {"MODE", "Q2CommandPeriod_4", "2", true},
    {"MODE", "Q2CommandCommandString", "81f2000000000000", true},
    {"MODE", "Q2CommandCommandIndex", "4", true},
    {"MODE", "Q2CommandCRC5", "0x00", true},
    {"MODE", "Q2CommandTagID", "0000000000000000", true},
    {"MODE", "RTTrack", "1", true},
    {"MODE", "ReadRatePeriod", "5", true},
    {"MODE", "ReadRateIntervals", "10", true},
    {"MODE", "ShowSeenWhat", "1", true},
    {"MODE", "RWDataShowID", "1", true},
    {"MODE", "TTODisplayShowID", "1", true},
    {"MODE", "TTODisplayFirstPage", "1", true},
    {"MODE", "TTODisplayNumPages", "3", true},
    {"MODE", "TTODisplayText", "1", true},
    {"MODE", "TTODisplayCRC", "1", true},
    {"MODE", "MaxHoppingSpaces", "18", false},
    {"MODE", "TempTestInterval", "6", true},
    {"MODE", "TempTestTripTemp", "70", true},
    {"MQTT", "Host", "localhost", true},
    {"MQTT", "Port", "1883", true},
    {"MQTT", "TopicPrefix", "corvalis", true},
    {"MQTT", "Qos", "1", true},
    {"DISPLAY", "DisplayType", "MessageBoard", true},
    {"DISPLAY", "MessageID", "A", true},
    {"DISPLAY", "SERST", "192", true},
    {"DISPLAY", "PageNumber", "1", true},
    {"DISPLAY", "Tempo", "226", true},
    {"DISPLAY", "Function", "193", true},
    {"DISPLAY", "PageStatus", "128", true},
    {"DISPLAY", "IdleSERST", "192", true},
    {"DISPLAY", "IdlePageNumber", "1", true},
    {"DISPLAY", "IdleTempo", "226", true},
    {"DISPLAY", "IdleFunction", "207", true},
    {"DISPLAY", "IdlePageStatus", "144", true},
    {"DISPLAY", "Poly16x1Line", "TAG_NAME", true},
    {"DISPLAY", "Poly16x5Line1", "LINE_2", true},
    {"DISPLAY", "Poly16x5Line2", "LINE_3", true},
    {"DISPLAY", "Poly16x5Line3", "LINE_4", true},
    {"DISPLAY", "Poly16x5Line4", "LINE_5", true},
    {"DISPLAY", "Poly16x5Line5", "TAG_NAME", true},
    {"DISPLAY", "WindowCols", "16", true},
    {"DISPLAY", "WindowRows", "5", true},
    {"DISPLAY", "WindowFontSize", "16", true},
    {"DISPLAY", "WindowFontName", "MS Sans Serif", true},
};

QString DefaultText(const Settings& settings, const SettingDef& def) {
  switch (def.type) {
    case SettingType::kString:
      return settings.String(def.id);
    case SettingType::kInteger:
      return QString::number(settings.Integer(def.id));
    case SettingType::kBoolean:
      return settings.Bool(def.id) ? "1" : "0";
  }
  return {};
}

TEST_F(SettingsTest, DefaultsAndSavedFlagsMatchThePublishedTables) {
  const QString path = PathOf("published.ini");
  const Settings defaults;
  ASSERT_TRUE(SaveIniSettings(path, defaults));
  const IniFile ini(path);
  int listed = 0;
  for (const SettingDef& def : SettingTable()) {
    SCOPED_TRACE(def.key);
    const PublishedKey* published = nullptr;
    for (const PublishedKey& p : kPublishedKeys) {
      if (std::string_view(p.key) == def.key) published = &p;
    }
    if (published == nullptr) {
      // Every other key is saved with the obvious default.
      ASSERT_TRUE(ini.HasKey(Section(def), Key(def)));
      const QString text = ini.ReadString(Section(def), Key(def), "?");
      EXPECT_TRUE(text == "0" || text.isEmpty()) << text.toStdString();
      continue;
    }
    ++listed;
    EXPECT_EQ(Section(def), published->section);
    EXPECT_EQ(ini.HasKey(Section(def), Key(def)), published->saved);
    if (published->text == nullptr) {
      EXPECT_FALSE(DefaultText(defaults, def).isEmpty());
    } else if (published->saved) {
      EXPECT_EQ(ini.ReadString(Section(def), Key(def), "?"), published->text);
    } else {
      EXPECT_EQ(DefaultText(defaults, def), published->text);
    }
  }
  EXPECT_EQ(listed, static_cast<int>(std::size(kPublishedKeys)));
}

TEST_F(SettingsTest, KeysThatAreNotSavedKeepWhatTheUserTyped) {
  const QString path = PathOf("Corvalis.ini");
  WriteBytes(path,
             "[CUSTOMIZE]\r\nTitle=Gate 3\r\n[MODE]\r\nShowRTTab=1\r\nMaxHoppingSpaces=0x20\r\n");
  Settings settings;
  ASSERT_TRUE(LoadIniSettings(path, settings));
  EXPECT_EQ(settings.String(Setting::Title), "Gate 3");
  EXPECT_EQ(settings.Integer(Setting::MaxHoppingSpaces), 32);
  settings.SetBool(Setting::ShowRTTab, false);
  ASSERT_TRUE(SaveIniSettings(path, settings));
  const IniFile ini(path);
  EXPECT_EQ(ini.ReadString("MODE", "ShowRTTab", ""), "1");
  EXPECT_EQ(ini.ReadString("MODE", "MaxHoppingSpaces", ""), "0x20");
  EXPECT_EQ(ini.ReadString("CUSTOMIZE", "Title", ""), "Gate 3");
}

TEST_F(SettingsTest, FileNamesAreWrittenRelativeInsideTheApplicationDirectory) {
  const QString app = QDir::cleanPath(dir_.filePath("app"));
  EXPECT_EQ(PathForSaving(app + "/logs/a.log", app), "logs/a.log");
  EXPECT_EQ(PathForSaving("alias.tag", app), "alias.tag");
  EXPECT_EQ(PathForSaving(dir_.filePath("other/a.log"), app),
            QDir::cleanPath(dir_.filePath("other/a.log")));
  EXPECT_EQ(PathForSaving("../other/a.log", app), QDir::cleanPath(dir_.filePath("other/a.log")));
  EXPECT_EQ(PathForSaving(app + "/..notes.log", app), "..notes.log");  // a name, not the parent
  EXPECT_EQ(PathForSaving("", app), "");
  EXPECT_EQ(ResolveStoredPath("logs/a.log", app), app + "/logs/a.log");

  Settings settings;
  settings.applicationDir = app + "/";
  settings.SetString(Setting::FilteredFileName, dir_.filePath("sibling/passes.log"));
  settings.SetString(Setting::RegistrationFileName, app + "/names/site.tag");
  const QString path = PathOf("Corvalis.ini");
  ASSERT_TRUE(SaveIniSettings(path, settings));
  const IniFile ini(path);
  EXPECT_EQ(ini.ReadString("FILES", "FilteredFileName", ""),
            QDir::cleanPath(dir_.filePath("sibling/passes.log")));
  EXPECT_EQ(ini.ReadString("FILES", "RegistrationFileName", ""), "names/site.tag");
}

TEST_F(SettingsTest, SettersKeepTheModelConsistent) {
  Settings s;
  s.SetBool(Setting::DisplayWiegand26, true);
  EXPECT_EQ(s.Integer(Setting::ShowSeenWhat), 2);
  EXPECT_FALSE(s.Bool(Setting::DisplayID));
  s.SetBool(Setting::DisplayWiegand26, false);  // a radio group cannot be emptied
  EXPECT_TRUE(s.Bool(Setting::DisplayWiegand26));
  s.SetInteger(Setting::RegenerateCRCSeed, 0x12345);
  EXPECT_EQ(s.RegenerateCrcSeed(), 0x2345);
  s.SetInteger(Setting::RegenerateCRCSeed, -1);
  EXPECT_EQ(s.Integer(Setting::RegenerateCRCSeed), 0xFFFF);
  s.SetString(Setting::OutputPortUse, " Composite ");
  EXPECT_EQ(s.OutputPort(), OutputPortUse::kComposite);
}

TEST_F(SettingsTest, UnwritableFileIsReported) {
  WriteBytes(PathOf("plain"), "x");
  EXPECT_FALSE(SaveIniSettings(PathOf("plain/Corvalis.ini"), Settings{}));
}

}  // namespace
}  // namespace corvalis
