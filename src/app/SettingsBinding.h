#pragma once

#include "app/Settings.h"
#include "logging/LogSettings.h"
#include "mqtt/MqttSettings.h"
#include "protocol/ProtocolSettings.h"
#include "tagrw/TtoConfig.h"
#include "tags/PageDisplay.h"
#include "tags/TagTableHooks.h"
#include "tags/display/DisplaySettings.h"

namespace corvalis {

// The settings each part of the receive and logging path reads live, taken
// from the settings model at start and written back before it is saved.
ProtocolSettings ProtocolSettingsFrom(const Settings& settings);
TagTableSettings TagTableSettingsFrom(const Settings& settings);
// File names are resolved against the settings' application directory.
LogSettings LogSettingsFrom(const Settings& settings);
// The "DISPLAY" section and whether "OutputPortUse" is "DISPLAY".
DisplaySettings DisplaySettingsFrom(const Settings& settings);
// The [MQTT] section; a relative CA file is taken from the application
// directory.
MqttSettings MqttSettingsFrom(const Settings& settings);
// The TTO Display tab's options (rows and noise limit are not among them).
PageDisplayOptions PageDisplayOptionsFrom(const Settings& settings);

void StoreProtocolSettings(const ProtocolSettings& live, Settings& settings);
void StoreTagTableSettings(const TagTableSettings& live, Settings& settings);
void StoreLogSettings(const LogSettings& live, Settings& settings);
// Every "DISPLAY" key (OutputPortUse is the Config dialog's).
void StoreDisplaySettings(const DisplaySettings& live, Settings& settings);
void StorePageDisplayOptions(const PageDisplayOptions& live, Settings& settings);
PageCrcChoice PageCrcChoiceFrom(const Settings& settings);
void StorePageCrcChoice(const PageCrcChoice& live, Settings& settings);

}  // namespace corvalis
