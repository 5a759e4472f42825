#include "app/SettingsKeys.h"

#include <array>

namespace corvalis {
namespace {

constexpr IniSection kC = IniSection::kCustomize;
constexpr IniSection kF = IniSection::kFiles;
constexpr IniSection kM = IniSection::kMode;
constexpr IniSection kD = IniSection::kDisplay;
constexpr IniSection kQ = IniSection::kMqtt;
constexpr bool kSaved = true;
constexpr bool kNotSaved = false;

constexpr SettingDef Str(Setting id, const char* key, IniSection section, const char* fallback,
                         bool saved, ValueRule rule = ValueRule::kPlain) {
  return SettingDef{id, section, key, SettingType::kString, 0, fallback, saved, rule};
}

constexpr SettingDef Int(Setting id, const char* key, IniSection section, int fallback, bool saved,
                         ValueRule rule = ValueRule::kPlain, int minimum = 0, int maximum = 0) {
  return SettingDef{id,   section, key,    SettingType::kInteger, fallback, "", saved,
                    rule, minimum, maximum};
}

constexpr SettingDef Bool(Setting id, const char* key, IniSection section, bool fallback,
                          bool saved, ValueRule rule = ValueRule::kPlain, int radioValue = 0) {
  return SettingDef{id,    section, key,       SettingType::kBoolean, fallback ? 1 : 0, "",
                    saved, rule,    radioValue};
}

// Setting::X and its key text "X" from one name.
#define KEY(name) Setting::name, #name

constexpr std::array<SettingDef, kSettingCount> kTable = {{
    Str(KEY(Title), kC, "KELVO RFID Tag Display", kNotSaved),
    Str(KEY(line1), kC, "KELVO", kNotSaved),
    Str(KEY(line2), kC, "Tag Display", kNotSaved),
    Str(KEY(line5), kC, "This is the KELVO", kNotSaved),
    Str(KEY(line6), kC, "tag display program.", kNotSaved),
    Str(KEY(line7), kC, __DATE__ " " __TIME__, kNotSaved),

    Str(KEY(FilteredFileName), kF, "", kSaved, ValueRule::kRelativePath),
    Bool(KEY(WriteFiltered), kF, false, kSaved),
    Str(KEY(RegistrationFileName), kF, "alias.tag", kSaved, ValueRule::kRelativePath),

    Int(KEY(NoiseLimit), kM, 0, kSaved),
    Bool(KEY(AutoRegister), kM, true, kSaved),
    Bool(KEY(AutoQueryMessageFormat), kM, false, kNotSaved),
    Bool(KEY(RigWatchRecords), kM, true, kSaved),
    Bool(KEY(LogDepot), kM, true, kSaved),
    Bool(KEY(LogTagID), kM, false, kSaved),
    Bool(KEY(LogTagName), kM, true, kSaved),
    Bool(KEY(LogICount), kM, false, kSaved),
    Bool(KEY(LogQCount), kM, false, kSaved),
    Bool(KEY(LogIQCount), kM, false, kSaved),
    Bool(KEY(LogFirstSeenDate), kM, true, kSaved),
    Bool(KEY(LogFirstSeenTime), kM, true, kSaved),
    Bool(KEY(LogLastSeenDate), kM, false, kSaved),
    Bool(KEY(LogLastSeenTime), kM, false, kSaved),
    Bool(KEY(LogChannelNumber), kM, false, kSaved),
    Bool(KEY(LogReaderID), kM, false, kSaved),
    Bool(KEY(LogSteppingNumber), kM, false, kSaved),
    Bool(KEY(LogTamper), kM, false, kSaved),
    Bool(KEY(FirstSeenIncludeMS), kM, false, kSaved),
    Bool(KEY(LastSeenIncludeMS), kM, false, kSaved),
    Bool(KEY(OnlyLogNamedTags), kM, true, kSaved),
    Str(KEY(DepotName), kM, "Depot", kSaved),
    Bool(KEY(LogTTODataPages), kM, false, kSaved),
    Int(KEY(LogNumTTOPages), kM, 1, kSaved),
    Str(KEY(LoggingSeparator), kM, ",", kSaved, ValueRule::kMax19),
    Str(KEY(LoggingTamper), kM, "T", kSaved, ValueRule::kMax19),
    Str(KEY(LoggingNoTamper), kM, " ", kSaved, ValueRule::kMax19),
    Int(KEY(WaitTime), kM, 500, kSaved),
    Bool(KEY(ShowDiagnostics), kM, true, kSaved),
    Bool(KEY(SeparateIQ), kM, false, kSaved),
    Int(KEY(WhichChannels), kM, 3, kSaved),
    Bool(KEY(SumAllPorts), kM, false, kSaved),
    Bool(KEY(ShowStepping), kM, false, kSaved),
    Bool(KEY(ShowRFControls), kM, false, kSaved),
    Bool(KEY(RecordOutgoing), kM, true, kSaved),
    Int(KEY(TimedInterval), kM, 10, kSaved),
    Bool(KEY(ShowMPXControls), kM, false, kSaved),
    Int(KEY(MultiplexTime), kM, 10, kSaved),
    Bool(KEY(ShowLogging), kM, false, kSaved),
    Bool(KEY(ShowDownloadTab), kM, false, kNotSaved),
    Bool(KEY(ShowTagSimTab), kM, false, kNotSaved),
    Bool(KEY(ShowRTTab), kM, false, kNotSaved),
    Bool(KEY(ShowMultiPageTab), kM, false, kSaved),
    Int(KEY(NumToShow), kM, 4, kSaved, ValueRule::kRange, 1, 32),
    Int(KEY(RegenerateCRCSeed), kM, 0xFFFF, kSaved, ValueRule::kCrcSeed),
    Bool(KEY(DisplayID), kM, false, kSaved, ValueRule::kShowSeenRadio, 1),
    Bool(KEY(DisplayName), kM, true, kSaved, ValueRule::kShowSeenRadio, 0),
    Bool(KEY(DisplayWiegand26), kM, false, kSaved, ValueRule::kShowSeenRadio, 2),
    Bool(KEY(DisplayWiegand34), kM, false, kSaved, ValueRule::kShowSeenRadio, 3),
    Str(KEY(OutputPortUse), kM, "NONE", kSaved, ValueRule::kOutputPortUse),
    Int(KEY(ShowTimeout), kM, 10, kSaved),
    Int(KEY(SendChan), kM, 0, kSaved),
    Int(KEY(SendMsgIndex), kM, 0, kSaved),
    Int(KEY(ReaderID), kM, 0, kSaved),
    Int(KEY(DownloadChan), kM, 0, kSaved),
    Int(KEY(DownloadReaderID), kM, 0, kSaved),
    Int(KEY(TagSimChan), kM, 0, kSaved),
    Int(KEY(TagSimTagType), kM, 0, kSaved),
    Int(KEY(TagSimAlgorithm), kM, 0, kSaved),
    Int(KEY(TagSimPeriod_4), kM, 2, kSaved),
    Int(KEY(TagSimReaderID), kM, 0, kSaved),
    Str(KEY(TagSimTagID), kM, "123456789abc", kSaved),
    Str(KEY(TagSimCRCSeed), kM, "0xffff", kSaved),
    Int(KEY(TagSimNumRepeats), kM, 1, kSaved),
    Int(KEY(TagSimNumTTOPages), kM, 0, kSaved),
    Int(KEY(TagSimTagNo), kM, 0, kSaved),
    Bool(KEY(ShowControlPanel), kM, false, kSaved),
    Bool(KEY(ShowQ2DTab), kM, false, kSaved),
    Int(KEY(DataFirstPage), kM, 0, kSaved),
    Int(KEY(DataNumPages), kM, 1, kSaved),
    Bool(KEY(ShowFMTab), kM, false, kSaved),
    Bool(KEY(ShowRWTestTab), kM, false, kSaved),
    Bool(KEY(ShowQ2CommandTab), kM, false, kSaved),
    Int(KEY(Q2CommandChan), kM, 0, kSaved),
    Int(KEY(Q2CommandPeriod_4), kM, 2, kSaved),
    Int(KEY(Q2CommandReaderID), kM, 0, kSaved),
    Str(KEY(Q2CommandCommandString), kM, "81f2000000000000", kSaved),
    Int(KEY(Q2CommandStartPage), kM, 0, kSaved),
    Int(KEY(Q2CommandNumPages), kM, 0, kSaved),
    Int(KEY(Q2CommandTamperIndex), kM, 0, kSaved),
    Int(KEY(Q2CommandDelayIndex), kM, 0, kSaved),
    Int(KEY(Q2CommandTagTxRateIndex), kM, 0, kSaved),
    Int(KEY(Q2CommandCommandIndex), kM, 4, kSaved),
    Str(KEY(Q2CommandCRC5), kM, "0x00", kSaved),
    Str(KEY(Q2CommandTagID), kM, "0000000000000000", kSaved),
    Bool(KEY(Q2CommandBeep), kM, false, kSaved),
    Bool(KEY(Q2CommandManual), kM, false, kSaved),
    Int(KEY(RTChan), kM, 0, kSaved),
    Int(KEY(RTReaderID), kM, 0, kSaved),
    Bool(KEY(RTTrack), kM, true, kSaved),
    Bool(KEY(ShowTTOPrgTab), kM, false, kSaved),
    Bool(KEY(ShowDebugTab), kM, false, kSaved),
    Bool(KEY(ShowReadRate), kM, false, kSaved),
    // A period or count of 0 would divide the read rate by zero.
    Int(KEY(ReadRatePeriod), kM, 5, kSaved, ValueRule::kRange, 1, 100),
    Int(KEY(ReadRateIntervals), kM, 10, kSaved, ValueRule::kRange, 1, 100),
    Int(KEY(ShowSeenWhat), kM, 1, kSaved, ValueRule::kShowSeenWhat),
    Bool(KEY(RWDataShowID), kM, true, kSaved),
    Bool(KEY(TTODisplayShowID), kM, true, kSaved),
    Int(KEY(TTODisplayFirstPage), kM, 1, kSaved),
    Int(KEY(TTODisplayNumPages), kM, 3, kSaved),
    Bool(KEY(TTODisplayScroll), kM, false, kSaved),
    Bool(KEY(TTODisplayText), kM, true, kSaved),
    Bool(KEY(TTODisplayCRC), kM, true, kSaved),
    // The TTO programmer's page CRCs: 1 tag CRC seeded 0x0000, 2 CRC-16
    // CCITT, anything else the tag CRC seeded 0xFFFF (KVQ).
    Bool(KEY(TTOPageCrcShift), kM, false, kSaved),
    Int(KEY(TTOPageCrc), kM, 0, kSaved),
    Int(KEY(MaxHoppingSpaces), kM, 18, kNotSaved),
    Int(KEY(TempTestInterval), kM, 6, kSaved),
    Int(KEY(TempTestTripTemp), kM, 70, kSaved),
    // A lost reader's first retry wait; a hand-set key for tests and sites
    // with readers that restart slowly.
    Int(KEY(ReconnectFirstMs), kM, 1000, kNotSaved),

    Bool(Setting::MqttEnabled, "Enabled", kQ, false, kSaved),
    Str(Setting::MqttHost, "Host", kQ, "localhost", kSaved),
    Int(Setting::MqttPort, "Port", kQ, 1883, kSaved, ValueRule::kRange, 1, 65535),
    Str(Setting::MqttClientId, "ClientId", kQ, "", kSaved),
    Str(Setting::MqttTopicPrefix, "TopicPrefix", kQ, "corvalis", kSaved),
    Int(Setting::MqttQos, "Qos", kQ, 1, kSaved, ValueRule::kRange, 0, 1),
    Str(Setting::MqttUserName, "UserName", kQ, "", kSaved),
    Str(Setting::MqttPassword, "Password", kQ, "", kSaved),
    Bool(Setting::MqttTls, "Tls", kQ, false, kSaved),
    Str(Setting::MqttCaFile, "CaFile", kQ, "", kSaved),

    Str(KEY(DisplayType), kD, "MessageBoard", kSaved),
    Int(KEY(DisplayAddress), kD, 0, kSaved),
    Str(KEY(MessageID), kD, "A", kSaved),
    Int(KEY(DisplayWidth), kD, 0, kSaved),
    Str(KEY(MessagePrefix), kD, "", kSaved),
    Str(KEY(MessageSuffix), kD, "", kSaved),
    Str(KEY(IdleMessage), kD, "", kSaved),
    Int(KEY(IdleLifetime), kD, 0, kSaved),
    Int(KEY(SignAddress), kD, 0, kSaved),
    Int(KEY(SERST), kD, 192, kSaved),
    Int(KEY(PageNumber), kD, 1, kSaved),
    Int(KEY(Tempo), kD, 226, kSaved),
    Int(KEY(Function), kD, 193, kSaved),
    Int(KEY(PageStatus), kD, 128, kSaved),
    Int(KEY(IdleSignAddress), kD, 0, kSaved),
    Int(KEY(IdleSERST), kD, 192, kSaved),
    Int(KEY(IdlePageNumber), kD, 1, kSaved),
    Int(KEY(IdleTempo), kD, 226, kSaved),
    Int(KEY(IdleFunction), kD, 207, kSaved),
    Int(KEY(IdlePageStatus), kD, 144, kSaved),
    Str(KEY(Poly16x1Line), kD, "TAG_NAME", kSaved),
    Str(KEY(Poly16x5Line1), kD, "LINE_2", kSaved),
    Str(KEY(Poly16x5Line2), kD, "LINE_3", kSaved),
    Str(KEY(Poly16x5Line3), kD, "LINE_4", kSaved),
    Str(KEY(Poly16x5Line4), kD, "LINE_5", kSaved),
    Str(KEY(Poly16x5Line5), kD, "TAG_NAME", kSaved),
    Int(KEY(WindowCols), kD, 16, kSaved),
    Int(KEY(WindowRows), kD, 5, kSaved),
    Int(KEY(WindowFontSize), kD, 16, kSaved),
    Str(KEY(WindowFontName), kD, "MS Sans Serif", kSaved),
    Bool(KEY(WindowFontBold), kD, false, kSaved),
    Int(KEY(MessageLifetime), kD, 0, kSaved),
}};

#undef KEY

constexpr bool TableInEnumOrder() {
  for (std::size_t i = 0; i < kTable.size(); ++i) {
    if (static_cast<std::size_t>(kTable[i].id) != i) return false;
  }
  return true;
}
static_assert(TableInEnumOrder(), "the key table must list the keys in Setting order");

}  // namespace

const char* SectionName(IniSection section) {
  switch (section) {
    case IniSection::kCustomize:
      return "CUSTOMIZE";
    case IniSection::kFiles:
      return "FILES";
    case IniSection::kMode:
      return "MODE";
    case IniSection::kMqtt:
      return "MQTT";
    case IniSection::kDisplay:
      return "DISPLAY";
  }
  return "";
}

std::span<const SettingDef> SettingTable() {
  return kTable;
}

const SettingDef& Definition(Setting id) {
  return kTable[static_cast<std::size_t>(id)];
}

}  // namespace corvalis
