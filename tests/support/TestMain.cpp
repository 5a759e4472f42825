#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdlib>
#include <ctime>

int main(int argc, char** argv) {
  // Dates in tag messages are local times; pin the zone so expectations hold.
  setenv("TZ", "UTC", 1);
  tzset();
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
