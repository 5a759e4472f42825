#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include <string_view>

#include "common/Clock.h"
#include "tags/SeenView.h"
#include "tags/TagTable.h"
#include "tags/TagTableHooks.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableWidget;
class QVBoxLayout;

namespace corvalis {

// The read-rate palette as a colour to fill with; 0 gives `buttonFace`.
QColor RatePaletteQColor(int value, const QColor& buttonFace);

// The content of the Tags Seen tab: a few very large rows of the tags heard
// lately, meant to be read from across the room, with the controls that
// choose what they show. It is the table's seen-table view and its beeper.
//
// The main window puts it into page tbsTagsSeen, calls ApplySettings at
// start, Tick() on every 100 ms timer tick after the receive path's work,
// SetNumToShow/Cycle from the View menu, and reads CurrentSettings() before
// saving. The Record controls and the logging labels of the log writer go
// into SetLoggingControls.
class TagsSeenPage final : public QWidget, public SeenTableView, public TagBeeper {
  Q_OBJECT

 public:
  TagsSeenPage(TagTable& table, const Clock& clock, QWidget* parent = nullptr);
  ~TagsSeenPage() override;

  // Takes the settings, lays the grid out and repaints it.
  void ApplySettings(const SeenViewSettings& settings);
  SeenViewSettings CurrentSettings() const { return view_.settings(); }
  SeenView& View() { return view_; }

  // The 100 ms tick: one refresh, then the read-rate step.
  void Tick();
  void RefreshSeenView(int layoutChanged);
  void LayoutSeenView();

  // View menu and Cycle: change the row count, lay out and redraw.
  void SetNumToShow(int numToShow);
  void Cycle(bool halve);
  void ToggleSound();
  // The Clear button; with Shift only the page data goes.
  void Clear(bool pageDataOnly);
  // The hopping tab's start frequency, shown in the rate row.
  void SetHopFrequencyText(const QString& text);

  // Puts the log writer's Record controls and labels below the buttons.
  void SetLoggingControls(QWidget* controls);
  // An item of the grid's pop-up menu ("pmnuTagsSeen") the window adds.
  QAction* AddMenuItem(const QString& caption, const char* name);
  // The sound button shows while the manual logging controls are hidden.
  void SetSoundButtonShown(bool shown);
  // The grid row of the current cell, -1 with none.
  int CurrentRow() const;

  // SeenTableView
  void ShowSeenOverflow(std::string_view text) override;
  void SeenTableCleared() override;
  void TagCountersCleared() override;
  // TagBeeper
  void Beep() override;

 Q_SIGNALS:
  // After every refresh: the data tabs that mirror the seen table redraw.
  void seenViewRefreshed();
  // The twin labels on the data tab.
  void numSeenChanged(const QString& text);
  void seenOverflowChanged(const QString& text);
  // Every rate evaluation: the twin labels and the hopping panels.
  void readRateEvaluated(const QString& iText, const QString& qText, int iSum, int qSum);
  // The seen table was emptied (the external display shows "Clear Display",
  // the page view resets its counters).
  void seenTableCleared();
  // The Clear button without Shift, before the table is emptied.
  void clearPressed();
  void tagCountersCleared();
  void pageDataCleared();
  void copyIdToRwCommander(const QString& hexId);
  // NumToShow, ShowSeenWhat or ShowTimeout changed from this page.
  void settingsEdited();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QTableWidget* grdTagsSeen;
  QRadioButton* rbtShowName;
  QRadioButton* rbtShowID;
  QRadioButton* rbtShowWiegand26;
  QRadioButton* rbtShowWiegand34;
  QLabel* lblNumSeen;
  QLabel* lblGreaterThan;
  QLabel* lblRateCaption;
  QLabel* lblRRI;
  QLabel* lblRRQ;
  QPushButton* btnCycle;
  QPushButton* bbtSound;
  QPushButton* btnClear;
  QSpinBox* speTimeout;
  QMenu* pmnuTagsSeen;
  QAction* mnuCopyIDName;
  QAction* mnuCopyIDToRWCommander;
  QAction* mnuCopyCell;
  QVBoxLayout* loggingSlot;
  struct ColumnWidths {
    int status = 0;
    int count = 0;
    int countColumns = 1;
    int total = 0;  // with room for a whole tag ID
  };

  void ApplyMarkedCells();
  void ApplyGeometry();
  ColumnWidths MeasureColumns(const QFont& font) const;
  void ApplyColumnWidths();
  void ApplyRateLabels();
  void ShowWhat(SeenLabel what);
  void ShowGridMenu(const QPoint& position);

  TagTable& table_;
  SeenView view_;
  QString overflowText_ = QStringLiteral(" ");
  bool fitting_ = false;
};

}  // namespace corvalis
