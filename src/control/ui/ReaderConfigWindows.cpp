#include "control/ui/ReaderConfigWindows.h"

#include <QMainWindow>

#include "app/AppContext.h"
#include "app/Settings.h"
#include "control/ui/ConfigReader2Window.h"
#include "control/ui/DecoderControlPage.h"
#include "control/ui/HoppingPage.h"
#include "control/ui/ReaderControlWindow.h"
#include "control/ui/RfControlsGroup.h"
#include "control/ui/SteppingGroup.h"

namespace corvalis {

ReaderConfigWindows::ReaderConfigWindows(AppContext& context, Settings& settings,
                                         QMainWindow& window, ReaderMenuTargets targets,
                                         std::function<bool()> ensureLogging)
    : QObject(&window), settings_(settings), window_(window) {
  panel_ = new ReaderControlWindow(context, &window);
  ioPanel_ = new ConfigReader2Window(context, *panel_, &window);
  menu_ = new ReaderControlMenu(context, *panel_, targets, &window);
  hopping_ = new HoppingPage(context, settings.Integer(Setting::MaxHoppingSpaces));
  decoder_ = new DecoderControlPage(context, targets.commanderChannel, targets.commanderReaderId);
  rf_ = new RfControlsGroup(context, targets.sendChannel, targets.readerId);
  stepping_ =
      new SteppingGroup(context, targets.sendChannel, targets.readerId, std::move(ensureLogging));
  connect(panel_, &ReaderControlWindow::hideRequested, this, &ReaderConfigWindows::HidePanels);
}

void ReaderConfigWindows::BuildMenu(QMenu* readerControl) {
  menu_->Build(readerControl);
}

void ReaderConfigWindows::ShowPanels() {
  settings_.SetBool(Setting::ShowControlPanel, true);
  const QRect frame = window_.frameGeometry();
  panel_->move(frame.left(), frame.bottom() + 1);
  ioPanel_->move(frame.right() + 1, frame.top());
  panel_->show();
  ioPanel_->show();
}

void ReaderConfigWindows::HidePanels() {
  settings_.SetBool(Setting::ShowControlPanel, false);
  panel_->hide();
  ioPanel_->hide();
}

void ReaderConfigWindows::ApplyShowKeys() {
  stepping_->setVisible(settings_.Bool(Setting::ShowStepping));
  rf_->SetRfShown(settings_.Bool(Setting::ShowRFControls));
  rf_->SetMultiplexShown(settings_.Bool(Setting::ShowMPXControls));
}

}  // namespace corvalis
