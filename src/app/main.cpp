#include <QApplication>
#include <memory>

#include "app/AppContext.h"
#include "app/ui/MainWindow.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  corvalis::SystemClock clock;
  corvalis::SilentStatus status;
  auto context = std::make_unique<corvalis::AppContext>(clock, status);
  corvalis::TForm1 window;
  window.show();
  return app.exec();
}
