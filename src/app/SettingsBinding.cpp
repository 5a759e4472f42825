#include "app/SettingsBinding.h"

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
