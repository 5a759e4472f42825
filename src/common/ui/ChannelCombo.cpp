#include "common/ui/ChannelCombo.h"

#include <QComboBox>

#include "common/ChannelIndex.h"
#include "common/ui/Named.h"

namespace corvalis {

QComboBox* NewChannelCombo(const char* name, QWidget* parent) {
  auto* combo = Named(new QComboBox(parent), name);
  for (int channel = 0; channel < kReaderChannelCount; ++channel) {
    combo->addItem(QStringLiteral("Chan %1").arg(channel + 1));
  }
  combo->addItem(QStringLiteral("Out1"));
  return combo;
}

}  // namespace corvalis
