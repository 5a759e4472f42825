#pragma once

#include <QWidget>

#include <array>
#include <functional>

#include "demos/plugtest/PlugTest.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;

namespace corvalis {

class AppContext;

// One interrogator's panel ("frmR11" to "frmR14"): its number, file name
// (bold while the file is open), count and grid of recorded tags.
class PlugTestPanelWidget final : public QWidget {
  Q_OBJECT

 public:
  explicit PlugTestPanelWidget(int index, QWidget* parent = nullptr);
  void Show(const PlugTestPanel& panel);

 private:
  int shownLines_ = 0;

  QLabel* lblReader;
  QLabel* lblFileName;
  QLabel* lblNumTags;
  QTableWidget* StringGrid1;
};

// "RFID Plugtest" (objectName "frmPlugTest"): the setup page for 1, 2 or 4
// interrogators with their tag groups, and the display page with a panel
// per interrogator, Start/Stop and the timed run. Showing it switches the
// plug-test mode on and the other special modes off; hiding it switches it
// off. The timed run keeps time on the context's tick.
class PlugTestWindow final : public QWidget, public PlugTestView, public SpecialModeListener {
  Q_OBJECT

 public:
  using ExistsChooser = std::function<FileExistsChoice(const QString& fileName)>;
  using MessageSink = std::function<void(const QString& text)>;

  explicit PlugTestWindow(AppContext& context, QWidget* parent = nullptr);
  ~PlugTestWindow() override;

  PlugTest& Test() { return plug_; }
  // Replace the file-exists dialog and the message box (tests).
  void SetExistsChooser(ExistsChooser chooser) { chooseExists_ = std::move(chooser); }
  void SetMessageSink(MessageSink sink) { showMessage_ = std::move(sink); }
  // Where the CSV files go; empty for the working folder.
  void SetFolder(const std::string& folder) { plug_.SetFolder(folder); }

  FileExistsChoice AskFileExists(const std::string& fileName) override;
  void ShowMessage(std::string_view text) override;
  void PanelChanged(int index) override;
  void ProgressChanged(int percent) override;
  void SpecialModeSwitchedOff(SpecialMode mode) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  QWidget* BuildSetupPage();
  QWidget* BuildDisplayPage();
  // The radio buttons and "Single Output": group boxes and panels shown.
  void ApplyInterrogators();
  void StartTest();

  AppContext& context_;
  PlugTest plug_;
  ExistsChooser chooseExists_;
  MessageSink showMessage_;

  QTabWidget* pgcPlugTest;
  // Setup page.
  QLineEdit* edtTestName;
  QRadioButton* rbt1;
  QRadioButton* rbt2;
  QRadioButton* rbt4;
  std::array<QGroupBox*, kPlugTestPanels> grpInterrogator{};
  std::array<QSpinBox*, kPlugTestPanels> speTagGroup{};
  QCheckBox* ckbSingleOutput;
  QPushButton* btnStartTest;
  // Display page.
  std::array<PlugTestPanelWidget*, kPlugTestPanels> frmR1{};
  QSpinBox* speSeconds;
  QPushButton* btnOK;
  QPushButton* btnStart;
  QPushButton* btnStop;
  QPushButton* btnClear;
  QProgressBar* ProgressBar1;
};

}  // namespace corvalis
