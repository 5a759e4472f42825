#pragma once

#include "logging/ui/FlashLogWindow.h"

class QComboBox;

namespace corvalis {

// "Logging Control": the flash log of any reader on a chosen channel and
// reader ID.
class LoggingControlWindow final : public FlashLogWindow {
 public:
  LoggingControlWindow(AppContext& context, QWidget* parent);

 private:
  void TargetChanged();

  QComboBox* cmbLCChannel;
  QSpinBox* speLCReaderID;
};

}  // namespace corvalis
