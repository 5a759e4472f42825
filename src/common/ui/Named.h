#pragma once

#include <QString>

namespace corvalis {

// Gives a control (or action) the object name tests and style sheets find it
// by, and hands it back so it can be named where it is created.
template <class T>
T* Named(T* object, const QString& name) {
  object->setObjectName(name);
  return object;
}

template <class T>
T* Named(T* object, const char* name) {
  return Named(object, QString::fromLatin1(name));
}

}  // namespace corvalis
