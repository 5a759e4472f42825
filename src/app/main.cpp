#include <QApplication>

#include "app/ui/MainWindow.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  corvalis::TForm1 window;
  window.show();
  return app.exec();
}
