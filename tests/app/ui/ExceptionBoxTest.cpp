#include "app/ui/GuardedApplication.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <stdexcept>

namespace corvalis {
namespace {

class ThrowingObject final : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) throw std::out_of_range("List index out of bounds (5)");
    return QObject::event(e);
  }
};

// Answers every exception box as it appears and remembers its text.
class BoxCloser {
 public:
  BoxCloser() {
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      texts << box->text();
      box->button(QMessageBox::Ok)->click();
    });
    timer_.start();
  }
  QStringList texts;

 private:
  QTimer timer_;
};

TEST(ExceptionBoxTest, AnExceptionFromAHandlerIsShownAndTheLoopCarriesOn) {
  BoxCloser closer;
  ThrowingObject thrower;
  QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
  QTimer::singleShot(0, [] { throw 42; });
  bool laterEventRan = false;
  QTimer::singleShot(20, [&] { laterEventRan = true; });

  ASSERT_TRUE(QTest::qWaitFor([&] { return laterEventRan && closer.texts.size() == 2; }, 5000))
      << closer.texts.join('|').toStdString();
  EXPECT_TRUE(closer.texts.contains("List index out of bounds (5)"));
  EXPECT_TRUE(closer.texts.contains("Unknown exception"));
}

}  // namespace
}  // namespace corvalis

// The application object under test must be the process's only one.
int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  corvalis::GuardedApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
