#include "app/SettingsBinding.h"

#include <algorithm>

namespace corvalis {
namespace {

std::string Text(const Settings& settings, Setting id) {
  return settings.String(id).toStdString();
}

}  // namespace

ProtocolSettings ProtocolSettingsFrom(const Settings& settings) {
  ProtocolSettings live;
  live.sumAllPorts = settings.Bool(Setting::SumAllPorts);
  live.whichChannels = settings.Integer(Setting::WhichChannels);
  live.autoQueryMessageFormat = settings.Bool(Setting::AutoQueryMessageFormat);
  live.compositeOutput = settings.OutputPort() == OutputPortUse::kComposite;
  live.crcSeed = settings.RegenerateCrcSeed();
  return live;
}

TagTableSettings TagTableSettingsFrom(const Settings& settings) {
  TagTableSettings live;
  live.waitTime = settings.Integer(Setting::WaitTime);
  live.noiseLimit = settings.Integer(Setting::NoiseLimit);
  return live;
}

DisplaySettings DisplaySettingsFrom(const Settings& settings) {
  const auto text = [&settings](Setting id) { return settings.String(id).toStdString(); };
  const auto number = [&settings](Setting id) { return settings.Integer(id); };
  DisplaySettings live;
  live.outputOn = settings.OutputPort() == OutputPortUse::kDisplay;
  live.type = DisplayTypeFromText(text(Setting::DisplayType));
  live.address = number(Setting::DisplayAddress);
  live.messageId = MessageIdFromText(text(Setting::MessageID));
  live.width = number(Setting::DisplayWidth);
  live.lifetime = number(Setting::MessageLifetime);
  live.prefix = text(Setting::MessagePrefix);
  live.suffix = text(Setting::MessageSuffix);
  live.idleMessage = text(Setting::IdleMessage);
  live.idleLifetimeSec = number(Setting::IdleLifetime);
  live.normal = {number(Setting::SignAddress), number(Setting::SERST),
                 number(Setting::PageNumber),  number(Setting::Tempo),
                 number(Setting::Function),    number(Setting::PageStatus)};
  live.idle = {number(Setting::IdleSignAddress), number(Setting::IdleSERST),
               number(Setting::IdlePageNumber),  number(Setting::IdleTempo),
               number(Setting::IdleFunction),    number(Setting::IdlePageStatus)};
  live.poly16x1Line = text(Setting::Poly16x1Line);
  const Setting lines[] = {Setting::Poly16x5Line1, Setting::Poly16x5Line2, Setting::Poly16x5Line3,
                           Setting::Poly16x5Line4, Setting::Poly16x5Line5};
  for (size_t i = 0; i < live.poly16x5Lines.size(); ++i) live.poly16x5Lines[i] = text(lines[i]);
  live.windowCols = number(Setting::WindowCols);
  live.windowRows = number(Setting::WindowRows);
  for (int row = 0; row < std::clamp(live.windowRows, 0, kMaxWindowRows); ++row) {
    live.windowPrograms.push_back(settings.DisplayWindowRow(row).toStdString());
  }
  live.fontSize = number(Setting::WindowFontSize);
  live.fontName = text(Setting::WindowFontName);
  live.fontBold = settings.Bool(Setting::WindowFontBold);
  return live;
}

MqttSettings MqttSettingsFrom(const Settings& settings) {
  MqttSettings live;
  live.enabled = settings.Bool(Setting::MqttEnabled);
  live.host = Text(settings, Setting::MqttHost);
  live.port = settings.Integer(Setting::MqttPort);
  live.clientId = Text(settings, Setting::MqttClientId);
  live.topicPrefix = Text(settings, Setting::MqttTopicPrefix);
  live.qos = settings.Integer(Setting::MqttQos);
  live.userName = Text(settings, Setting::MqttUserName);
  live.password = Text(settings, Setting::MqttPassword);
  live.tls = settings.Bool(Setting::MqttTls);
  live.caFile = ResolveStoredPath(settings.String(Setting::MqttCaFile), settings.applicationDir)
                    .toStdString();
  return live;
}

PageDisplayOptions PageDisplayOptionsFrom(const Settings& settings) {
  PageDisplayOptions options;
  options.firstPage = std::clamp(settings.Integer(Setting::TTODisplayFirstPage), 0, 15);
  options.numPages = std::clamp(settings.Integer(Setting::TTODisplayNumPages), 1, 16);
  options.showId = settings.Bool(Setting::TTODisplayShowID);
  options.text = settings.Bool(Setting::TTODisplayText);
  options.crc = settings.Bool(Setting::TTODisplayCRC);
  return options;
}

void StorePageDisplayOptions(const PageDisplayOptions& live, Settings& settings) {
  settings.SetInteger(Setting::TTODisplayFirstPage, live.firstPage);
  settings.SetInteger(Setting::TTODisplayNumPages, live.numPages);
  settings.SetBool(Setting::TTODisplayShowID, live.showId);
  settings.SetBool(Setting::TTODisplayText, live.text);
  settings.SetBool(Setting::TTODisplayCRC, live.crc);
}

PageCrcChoice PageCrcChoiceFrom(const Settings& settings) {
  PageCrcChoice choice;
  choice.shift = settings.Bool(Setting::TTOPageCrcShift);
  const int crc = settings.Integer(Setting::TTOPageCrc);
  choice.kvq = crc != 1 && crc != 2;
  choice.ccitt = crc == 2;
  return choice;
}

void StorePageCrcChoice(const PageCrcChoice& live, Settings& settings) {
  settings.SetBool(Setting::TTOPageCrcShift, live.shift);
  settings.SetInteger(Setting::TTOPageCrc, live.ccitt ? 2 : live.kvq ? 0 : 1);
}

void StoreDisplaySettings(const DisplaySettings& live, Settings& settings) {
  const auto text = [&settings](Setting id, const std::string& value) {
    settings.SetString(id, QString::fromStdString(value));
  };
  const auto number = [&settings](Setting id, int value) { settings.SetInteger(id, value); };
  text(Setting::DisplayType, DisplayTypeText(live.type));
  number(Setting::DisplayAddress, live.address);
  text(Setting::MessageID, std::string(1, live.messageId));
  number(Setting::DisplayWidth, live.width);
  number(Setting::MessageLifetime, live.lifetime);
  text(Setting::MessagePrefix, live.prefix);
  text(Setting::MessageSuffix, live.suffix);
  text(Setting::IdleMessage, live.idleMessage);
  number(Setting::IdleLifetime, live.idleLifetimeSec);
  const auto bytes = [&number](const SignBytes& b, Setting address, Setting serst, Setting page,
                               Setting tempo, Setting function, Setting status) {
    number(address, b.signAddress);
    number(serst, b.serst);
    number(page, b.pageNumber);
    number(tempo, b.tempo);
    number(function, b.function);
    number(status, b.pageStatus);
  };
  bytes(live.normal, Setting::SignAddress, Setting::SERST, Setting::PageNumber, Setting::Tempo,
        Setting::Function, Setting::PageStatus);
  bytes(live.idle, Setting::IdleSignAddress, Setting::IdleSERST, Setting::IdlePageNumber,
        Setting::IdleTempo, Setting::IdleFunction, Setting::IdlePageStatus);
  text(Setting::Poly16x1Line, live.poly16x1Line);
  const Setting lines[] = {Setting::Poly16x5Line1, Setting::Poly16x5Line2, Setting::Poly16x5Line3,
                           Setting::Poly16x5Line4, Setting::Poly16x5Line5};
  for (size_t i = 0; i < live.poly16x5Lines.size(); ++i) text(lines[i], live.poly16x5Lines[i]);
  number(Setting::WindowCols, live.windowCols);
  number(Setting::WindowRows, live.windowRows);
  for (size_t row = 0; row < live.windowPrograms.size(); ++row) {
    settings.SetDisplayWindowRow(static_cast<int>(row),
                                 QString::fromStdString(live.windowPrograms[row]));
  }
  number(Setting::WindowFontSize, live.fontSize);
  text(Setting::WindowFontName, live.fontName);
  settings.SetBool(Setting::WindowFontBold, live.fontBold);
}

LogSettings LogSettingsFrom(const Settings& settings) {
  LogSettings live;
  live.writeFiltered = settings.Bool(Setting::WriteFiltered);
  const QString file = settings.String(Setting::FilteredFileName);
  live.filteredFileName = file.isEmpty()
                              ? std::string()
                              : ResolveStoredPath(file, settings.applicationDir).toStdString();
  live.noiseLimit = settings.Integer(Setting::NoiseLimit);
  live.onlyLogNamedTags = settings.Bool(Setting::OnlyLogNamedTags);
  live.logDepot = settings.Bool(Setting::LogDepot);
  live.depotName = Text(settings, Setting::DepotName);
  live.logSteppingNumber = settings.Bool(Setting::LogSteppingNumber);
  live.logTagId = settings.Bool(Setting::LogTagID);
  live.logTagName = settings.Bool(Setting::LogTagName);
  live.logTamper = settings.Bool(Setting::LogTamper);
  live.loggingTamper = Text(settings, Setting::LoggingTamper);
  live.loggingNoTamper = Text(settings, Setting::LoggingNoTamper);
  live.logFirstSeenDate = settings.Bool(Setting::LogFirstSeenDate);
  live.logFirstSeenTime = settings.Bool(Setting::LogFirstSeenTime);
  live.firstSeenIncludeMs = settings.Bool(Setting::FirstSeenIncludeMS);
  live.logLastSeenDate = settings.Bool(Setting::LogLastSeenDate);
  live.logLastSeenTime = settings.Bool(Setting::LogLastSeenTime);
  live.lastSeenIncludeMs = settings.Bool(Setting::LastSeenIncludeMS);
  live.logChannelNumber = settings.Bool(Setting::LogChannelNumber);
  live.logReaderId = settings.Bool(Setting::LogReaderID);
  live.logIqCount = settings.Bool(Setting::LogIQCount);
  live.logICount = settings.Bool(Setting::LogICount);
  live.logQCount = settings.Bool(Setting::LogQCount);
  live.logTtoDataPages = settings.Bool(Setting::LogTTODataPages);
  live.logNumTtoPages = settings.Integer(Setting::LogNumTTOPages);
  live.loggingSeparator = Text(settings, Setting::LoggingSeparator);
  live.showLogging = settings.Bool(Setting::ShowLogging);
  live.waitTime = settings.Integer(Setting::WaitTime);
  return live;
}

void StoreProtocolSettings(const ProtocolSettings& live, Settings& settings) {
  settings.SetBool(Setting::SumAllPorts, live.sumAllPorts);
  settings.SetInteger(Setting::WhichChannels, live.whichChannels);
  settings.SetBool(Setting::AutoQueryMessageFormat, live.autoQueryMessageFormat);
  settings.SetInteger(Setting::RegenerateCRCSeed, live.crcSeed);
  // The output port's use is a three-way choice; only the composite part is
  // live here, so a display choice is left as it is.
  if (live.compositeOutput) {
    settings.SetOutputPort(OutputPortUse::kComposite);
  } else if (settings.OutputPort() == OutputPortUse::kComposite) {
    settings.SetOutputPort(OutputPortUse::kNone);
  }
}

void StoreTagTableSettings(const TagTableSettings& live, Settings& settings) {
  settings.SetInteger(Setting::WaitTime, live.waitTime);
  settings.SetInteger(Setting::NoiseLimit, live.noiseLimit);
}

void StoreLogSettings(const LogSettings& live, Settings& settings) {
  settings.SetBool(Setting::WriteFiltered, live.writeFiltered);
  settings.SetString(Setting::FilteredFileName, QString::fromStdString(live.filteredFileName));
  settings.SetBool(Setting::OnlyLogNamedTags, live.onlyLogNamedTags);
  settings.SetBool(Setting::LogDepot, live.logDepot);
  settings.SetString(Setting::DepotName, QString::fromStdString(live.depotName));
  settings.SetBool(Setting::LogSteppingNumber, live.logSteppingNumber);
  settings.SetBool(Setting::LogTagID, live.logTagId);
  settings.SetBool(Setting::LogTagName, live.logTagName);
  settings.SetBool(Setting::LogTamper, live.logTamper);
  settings.SetString(Setting::LoggingTamper, QString::fromStdString(live.loggingTamper));
  settings.SetString(Setting::LoggingNoTamper, QString::fromStdString(live.loggingNoTamper));
  settings.SetBool(Setting::LogFirstSeenDate, live.logFirstSeenDate);
  settings.SetBool(Setting::LogFirstSeenTime, live.logFirstSeenTime);
  settings.SetBool(Setting::FirstSeenIncludeMS, live.firstSeenIncludeMs);
  settings.SetBool(Setting::LogLastSeenDate, live.logLastSeenDate);
  settings.SetBool(Setting::LogLastSeenTime, live.logLastSeenTime);
  settings.SetBool(Setting::LastSeenIncludeMS, live.lastSeenIncludeMs);
  settings.SetBool(Setting::LogChannelNumber, live.logChannelNumber);
  settings.SetBool(Setting::LogReaderID, live.logReaderId);
  settings.SetBool(Setting::LogIQCount, live.logIqCount);
  settings.SetBool(Setting::LogICount, live.logICount);
  settings.SetBool(Setting::LogQCount, live.logQCount);
  settings.SetBool(Setting::LogTTODataPages, live.logTtoDataPages);
  settings.SetInteger(Setting::LogNumTTOPages, live.logNumTtoPages);
  settings.SetString(Setting::LoggingSeparator, QString::fromStdString(live.loggingSeparator));
  settings.SetBool(Setting::ShowLogging, live.showLogging);
}

}  // namespace corvalis
