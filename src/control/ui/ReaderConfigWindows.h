#pragma once

#include <QObject>

#include <functional>

#include "control/ui/ReaderControlMenu.h"

class QMainWindow;
class QMenu;
class QWidget;

namespace corvalis {

class AppContext;
class ConfigReader2Window;
class DecoderControlPage;
class HoppingPage;
class ReaderControlWindow;
class RfControlsGroup;
class Settings;
class SteppingGroup;

// Everything the reader configuration adds to the main window, made once:
// the two reader panels and the menu, the Hopping and Decoder Control
// pages, the RF controls of Tags Seen and the Diagnostics stepping group.
// The window hosts the pages and groups where they belong.
class ReaderConfigWindows final : public QObject {
  Q_OBJECT

 public:
  // `targets`: the main send channel and reader ID, and the commander's.
  ReaderConfigWindows(AppContext& context, Settings& settings, QMainWindow& window,
                      ReaderMenuTargets targets, std::function<bool()> ensureLogging);

  void BuildMenu(QMenu* readerControl);

  ReaderControlWindow& Panel() { return *panel_; }
  ConfigReader2Window& IoPanel() { return *ioPanel_; }
  ReaderControlMenu& Menu() { return *menu_; }
  HoppingPage& Hopping() { return *hopping_; }
  DecoderControlPage& Decoder() { return *decoder_; }
  RfControlsGroup& RfControls() { return *rf_; }
  SteppingGroup& Stepping() { return *stepping_; }

  // "Reader Control Panel": both panels next to the main window, and
  // ShowControlPanel on; the panel's "Hide" takes both away and clears it.
  void ShowPanels();
  void HidePanels();
  // ShowStepping, ShowRFControls and ShowMPXControls.
  void ApplyShowKeys();

 private:
  Settings& settings_;
  QMainWindow& window_;
  ReaderControlWindow* panel_;
  ConfigReader2Window* ioPanel_;
  ReaderControlMenu* menu_;
  HoppingPage* hopping_;
  DecoderControlPage* decoder_;
  RfControlsGroup* rf_;
  SteppingGroup* stepping_;
};

}  // namespace corvalis
