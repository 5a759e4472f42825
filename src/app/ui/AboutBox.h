#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace corvalis {

class Settings;

// Help > About: the product lines and comments come from the CUSTOMIZE
// section (read once, when the box is made), the version from the build.
class AboutBox final : public QDialog {
  Q_OBJECT

 public:
  explicit AboutBox(const Settings& settings, QWidget* parent = nullptr);

  // "Version " and the build's version number.
  static QString VersionText();

 private:
  QLabel* imgProgramIcon;
  QLabel* ProductName;
  QLabel* lblLine2;
  QLabel* Version;
  QLabel* Comments;
  QLabel* Comments2;
  QLabel* Comments3;
  QLabel* lblConsole;
  QPushButton* OKButton;
};

}  // namespace corvalis
