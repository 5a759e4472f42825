#pragma once

#include "app/Settings.h"

namespace corvalis {

// What the "Configuration Parameters" dialog changes outside itself. The main
// window implements it; the dialog has already written the settings model
// (and the live receive, tag and log settings) when these are called.
class ConfigObserver {
 public:
  virtual ~ConfigObserver() = default;
  // SeparateIQ, NumToShow or ShowReadRate changed: re-lay out and redraw the
  // Tags Seen view.
  virtual void SeenViewLayoutChanged() = 0;
  // ShowStepping, ShowRFControls, ShowMPXControls or ShowLogging changed:
  // show or hide those control groups (with ShowLogging the Record controls,
  // the sound button and the manual-recording warning).
  virtual void ControlGroupsChanged() = 0;
  // OutputPortUse changed; kNone hides the external display window.
  virtual void OutputPortChanged(OutputPortUse use) = 0;
  // btnConfigure: the external display's setup dialog; re-apply its settings
  // after OK.
  virtual void ConfigureDisplay() = 0;
  // RecordOutgoing changed: sent commands go to the recording files or not.
  virtual void RecordOutgoingChanged(bool on) = 0;
  // The Logging Setup dialog was confirmed: the wait time and noise limit
  // may have changed (edtWaitTime shows the wait time).
  virtual void LoggingSetupChanged() = 0;
};

}  // namespace corvalis
