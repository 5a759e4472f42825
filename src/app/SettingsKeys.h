#pragma once

#include <cstddef>
#include <span>

namespace corvalis {

enum class IniSection { kCustomize, kFiles, kMode, kMqtt, kDisplay };

// "CUSTOMIZE", "FILES", "MODE", "MQTT", "DISPLAY".
const char* SectionName(IniSection section);

enum class SettingType { kString, kInteger, kBoolean };

// What a key needs beyond a plain read and write.
enum class ValueRule {
  kPlain,
  kRelativePath,   // written relative to the application directory, full path when outside it
  kMax19,          // copied into a 20-byte buffer by the log writer: 19 characters kept
  kOutputPortUse,  // "none", "display" or "composite", compared without regard to case
  kCrcSeed,        // 16-bit, written as unsigned decimal
  kShowSeenWhat,   // 0 name, 1 ID, 2 Wiegand 26, 3 Wiegand 34; anything else is 1
  kShowSeenRadio,  // one of the four radio buttons ShowSeenWhat decides (radioValue)
  kRange,          // clamped to [minimum, maximum] like the spin edit that holds it
};

// Every key of the main settings sections, in the order they are loaded and
// saved. The enumerators are the keys' own names.
enum class Setting {
  // CUSTOMIZE
  Title,
  line1,
  line2,
  line5,
  line6,
  line7,
  // FILES
  FilteredFileName,
  WriteFiltered,
  RegistrationFileName,
  // MODE
  NoiseLimit,
  AutoRegister,
  AutoQueryMessageFormat,
  RigWatchRecords,
  LogDepot,
  LogTagID,
  LogTagName,
  LogICount,
  LogQCount,
  LogIQCount,
  LogFirstSeenDate,
  LogFirstSeenTime,
  LogLastSeenDate,
  LogLastSeenTime,
  LogChannelNumber,
  LogReaderID,
  LogSteppingNumber,
  LogTamper,
  FirstSeenIncludeMS,
  LastSeenIncludeMS,
  OnlyLogNamedTags,
  DepotName,
  LogTTODataPages,
  LogNumTTOPages,
  LoggingSeparator,
  LoggingTamper,
  LoggingNoTamper,
  WaitTime,
  ShowDiagnostics,
  SeparateIQ,
  WhichChannels,
  SumAllPorts,
  ShowStepping,
  ShowRFControls,
  RecordOutgoing,
  TimedInterval,
  ShowMPXControls,
  MultiplexTime,
  ShowLogging,
  ShowDownloadTab,
  ShowTagSimTab,
  ShowRTTab,
  ShowMultiPageTab,
  NumToShow,
  RegenerateCRCSeed,
  DisplayID,
  DisplayName,
  DisplayWiegand26,
  DisplayWiegand34,
  OutputPortUse,
  ShowTimeout,
  SendChan,
  SendMsgIndex,
  ReaderID,
  DownloadChan,
  DownloadReaderID,
  TagSimChan,
  TagSimTagType,
  TagSimAlgorithm,
  TagSimPeriod_4,
  TagSimReaderID,
  TagSimTagID,
  TagSimCRCSeed,
  TagSimNumRepeats,
  TagSimNumTTOPages,
  TagSimTagNo,
  ShowControlPanel,
  ShowQ2DTab,
  DataFirstPage,
  DataNumPages,
  ShowFMTab,
  ShowRWTestTab,
  ShowQ2CommandTab,
  Q2CommandChan,
  Q2CommandPeriod_4,
  Q2CommandReaderID,
  Q2CommandCommandString,
  Q2CommandStartPage,
  Q2CommandNumPages,
  Q2CommandTamperIndex,
  Q2CommandDelayIndex,
  Q2CommandTagTxRateIndex,
  Q2CommandCommandIndex,
  Q2CommandCRC5,
  Q2CommandTagID,
  Q2CommandBeep,
  Q2CommandManual,
  RTChan,
  RTReaderID,
  RTTrack,
  ShowTTOPrgTab,
  ShowDebugTab,
  ShowReadRate,
  ReadRatePeriod,
  ReadRateIntervals,
  ShowSeenWhat,
  RWDataShowID,
  TTODisplayShowID,
  TTODisplayFirstPage,
  TTODisplayNumPages,
  TTODisplayScroll,
  TTODisplayText,
  TTODisplayCRC,
  TTOPageCrcShift,
  TTOPageCrc,
  MaxHoppingSpaces,
  TempTestInterval,
  TempTestTripTemp,
  ReconnectFirstMs,
  // MQTT (the keys are the names without "Mqtt")
  MqttEnabled,
  MqttHost,
  MqttPort,
  MqttClientId,
  MqttTopicPrefix,
  MqttQos,
  MqttUserName,
  MqttPassword,
  MqttTls,
  MqttCaFile,
  // DISPLAY (the on-screen window's per-row "Window<n>" keys are a family of
  // their own, kept next to these in the settings model)
  DisplayType,
  DisplayAddress,
  MessageID,
  DisplayWidth,
  MessagePrefix,
  MessageSuffix,
  IdleMessage,
  IdleLifetime,
  SignAddress,
  SERST,
  PageNumber,
  Tempo,
  Function,
  PageStatus,
  IdleSignAddress,
  IdleSERST,
  IdlePageNumber,
  IdleTempo,
  IdleFunction,
  IdlePageStatus,
  Poly16x1Line,
  Poly16x5Line1,
  Poly16x5Line2,
  Poly16x5Line3,
  Poly16x5Line4,
  Poly16x5Line5,
  WindowCols,
  WindowRows,
  WindowFontSize,
  WindowFontName,
  WindowFontBold,
  MessageLifetime,
  kCount
};

inline constexpr std::size_t kSettingCount = static_cast<std::size_t>(Setting::kCount);

struct SettingDef {
  Setting id;
  IniSection section;
  const char* key;
  SettingType type;
  int defaultNumber;        // integers and booleans (0/1)
  const char* defaultText;  // strings
  bool saved;               // false: never written, the file keeps what the user typed
  ValueRule rule = ValueRule::kPlain;
  int minimum = 0;  // kRange; for kShowSeenRadio the ShowSeenWhat value it stands for
  int maximum = 0;
};

// The whole table, indexed by Setting.
std::span<const SettingDef> SettingTable();
const SettingDef& Definition(Setting id);

// The DISPLAY section's on-screen window rows: "Window0" for the first row.
inline constexpr const char* kDisplayWindowRowPrefix = "Window";
inline constexpr const char* kDisplayWindowRowDefault = "SCROLL UP";
// Upper bound on the rows read and written, whatever WindowRows says.
inline constexpr int kMaxDisplayWindowRows = 100;

}  // namespace corvalis
