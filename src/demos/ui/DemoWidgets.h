#pragma once

#include <QEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QString>
#include <QTimer>

#include <string_view>

#include "common/SpecialModes.h"

namespace corvalis {

inline QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline QSpinBox* NamedSpinBox(const char* name, int minimum, int maximum, int value = 0) {
  auto* box = new QSpinBox;
  box->setObjectName(QString::fromLatin1(name));
  box->setRange(minimum, maximum);
  box->setValue(value);
  return box;
}

inline QPushButton* NamedButton(const QString& text, const char* name) {
  auto* button = new QPushButton(text);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

// The race windows' target panel: green below the target, red above it.
inline QString TargetPanelStyle(bool green) {
  return green ? QStringLiteral("background: #22aa22; color: white;")
               : QStringLiteral("background: #cc2222; color: white;");
}

// A race window's mode and 100 ms clock follow its showing and hiding;
// minimising and restoring (spontaneous events) keep them as they are.
inline void FollowVisibility(const QEvent& event, SpecialModes& modes, SpecialMode mode,
                             QTimer& clock) {
  if (event.spontaneous()) return;
  if (event.type() == QEvent::Show) {
    modes.SwitchOn(mode);
    clock.start(100);
  } else {
    clock.stop();
    modes.SwitchOff(mode);
  }
}

}  // namespace corvalis
