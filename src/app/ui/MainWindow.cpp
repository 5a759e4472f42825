#include "app/ui/MainWindow.h"

#include <QLabel>
#include <QStatusBar>

namespace corvalis {

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
  setObjectName("Form1");
  setWindowTitle("Corvalis");
  resize(1024, 700);
  auto* placeholder = new QLabel("No reader channels are open.", this);
  placeholder->setAlignment(Qt::AlignCenter);
  setCentralWidget(placeholder);
  statusBar()->showMessage("Ready");
}

}  // namespace corvalis
