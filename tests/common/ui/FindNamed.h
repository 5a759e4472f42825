#pragma once

#include <gtest/gtest.h>

#include <QLatin1String>
#include <QObject>

namespace corvalis::testing {

// The child of `parent` named `name`, as the tests reach the windows'
// controls; a missing one fails the test.
template <class T>
T* FindNamed(const QObject* parent, const char* name) {
  T* found = parent->findChild<T*>(QLatin1String(name));
  EXPECT_NE(found, nullptr) << name;
  return found;
}

template <class T>
T* FindNamed(const QObject& parent, const char* name) {
  return FindNamed<T>(&parent, name);
}

}  // namespace corvalis::testing
