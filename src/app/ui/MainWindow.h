#pragma once

#include <QMainWindow>

namespace corvalis {

// The console's main window. Owns no protocol state: it shows what the
// application context holds.
class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  explicit TForm1(QWidget* parent = nullptr);
};

}  // namespace corvalis
