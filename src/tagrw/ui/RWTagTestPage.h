#pragma once

#include <QWidget>
#include <array>
#include <functional>

#include "tagrw/TagRwTest.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace corvalis {

class AppContext;

// The R/W Tag Test tab: the 16-page grid over the page test, its options,
// data tools, presets and counters.
class RWTagTestPage final : public QWidget, private TagRwView {
  Q_OBJECT

 public:
  // `target` gives the commander's channel, reader ID and tag ID text.
  struct Target {
    int channel = 0;
    int readerId = 0;
    QString tagId;
  };
  RWTagTestPage(AppContext& context, std::function<Target()> target, QWidget* parent = nullptr);
  ~RWTagTestPage() override;

  void Refresh();
  static QColor ResultColour(PageResult result);
  // The TTO programmer's controls here come and go with its tab.
  void SetTtoControlsShown(bool shown);
  // Puts a page's current data at the top of its drop-down history.
  void AddPageToHistory(int page);

 Q_SIGNALS:
  // Double-clicking page 0's panel also gives the commander its tag ID.
  void tagIdChosen(const QString& id);
  void programRequested();

 protected:
  // The TTO programmer edits pages 0 and 15 while this tab is away.
  void showEvent(QShowEvent* event) override {
    QWidget::showEvent(event);
    Refresh();
  }

 private:
  void TagRwChanged() override { Refresh(); }
  void ShowCrcReminder() override;
  void TakeTarget();
  QWidget* BuildGrid();
  QWidget* BuildControls();
  QPushButton* Button(const char* name, const QString& caption, std::function<void()> action);
  QCheckBox* Option(const char* name, const QString& caption, bool RwTestOptions::*field);

  AppContext& context_;
  TagRwTest& test_;
  std::function<Target()> target_;
  std::array<QComboBox*, kTagPages> cmbRWData{};
  std::array<QCheckBox*, kTagPages> ckbRWWrite{};
  std::array<QCheckBox*, kTagPages> ckbRWRead{};
  std::array<QLabel*, kTagPages> pnlRWRead{};
  std::vector<std::pair<QCheckBox*, bool RwTestOptions::*>> options_;
  QSpinBox* speRWPageNo = nullptr;
  QPushButton* btnRWExecute = nullptr;
  QPushButton* btnRWPage = nullptr;
  QPushButton* btnRWStop = nullptr;
  QPushButton* btnRWSuspend = nullptr;
  QPushButton* btnRWResume = nullptr;
  QLabel* lblNumGreen = nullptr;
  QLabel* lblNumDarkGreen = nullptr;
  QLabel* lblNumYellow = nullptr;
  QLabel* lblNumRed = nullptr;
  QLabel* lblNumTot = nullptr;
  QCheckBox* ckbRWColourMemo = nullptr;
  QListWidget* lsbRWTagsList = nullptr;
  std::array<QWidget*, 4> ttoControls_{};
  bool refreshing_ = false;
  bool crcReminderOff_ = false;
};

}  // namespace corvalis
