#pragma once

#include <cstdint>

#include "common/Clock.h"
#include "tags/SeenLabel.h"
#include "tags/TagTable.h"

namespace corvalis {

inline constexpr int kMaxSeenRows = 32;
inline constexpr int kSeenGridRows = kMaxSeenRows + 1;  // plus the rate row
inline constexpr int kSeenGridColumns = 4;
inline constexpr int kSeenCellChars = 64;
inline constexpr int kInitialCountTemplate = 9999;

// The settings the view reads; the main window binds them to the keys
// NumToShow, ShowTimeout, ShowSeenWhat, SeparateIQ, ShowReadRate,
// ReadRatePeriod and ReadRateIntervals.
struct SeenViewSettings {
  int numToShow = 4;        // rows of tags, 1..32
  int showTimeoutSec = 10;  // a tag quiet for longer leaves the view
  SeenLabel showWhat = SeenLabel::kId;
  bool separateIQ = false;
  bool showReadRate = false;
  int readRatePeriod = 5;      // 100 ms ticks per bucket
  int readRateIntervals = 10;  // buckets in the rate window
};

// An RGB colour, or the system's button-face colour.
struct RateColour {
  bool buttonFace = false;
  uint8_t r = 0, g = 0, b = 0;
};

// Colour class 0..11 of a read-rate value, and its colour: 0 is idle, the
// greens brighten towards white as the rate grows.
int RateColourClass(int value);
RateColour RatePaletteColour(int value);

// The Cycle button and the View menu: doubling wraps above 32 to 1, halving
// wraps below 1 to 32.
int CycleNumToShow(int numToShow, bool halve);

// The sound button's caption: it offers the other state.
const char* SoundCaption(bool soundOn);

// The largest of the usual font sizes below `points`; 5 when none is.
int PickGridFontPointSize(double points);

// The Tags Seen view without the painting: which text each grid cell holds,
// which cells changed since the window last took them, the labels beside the
// grid and the read rate. The window calls LayoutSeenView when the row count
// or the column set changes and RefreshSeenView on every 100 ms tick, then
// copies the marked cells into its grid. Fixed buffers only: a refresh never
// allocates.
class SeenView {
 public:
  SeenView(TagTable& table, const Clock& clock);
  SeenView(const SeenView&) = delete;
  SeenView& operator=(const SeenView&) = delete;

  SeenViewSettings& settings() { return settings_; }
  const SeenViewSettings& settings() const { return settings_; }

  // Rows, columns and the rate row from the settings; every cell is marked.
  void LayoutSeenView();
  // One redraw under the tag-table lock: ages out quiet tags (the rest move
  // up), marks the cells that changed and runs the activity estimate.
  // `layoutChanged` 1 repaints everything; above 1 it only forgets what was
  // painted.
  void RefreshSeenView(int layoutChanged);
  // Once per tick: every ReadRatePeriod ticks the rate is evaluated.
  void ReadRateStep();

  // The seen table was emptied: the count column shrinks back and the rate
  // row is repainted at the next refresh.
  void SeenTableCleared();
  // Empties the page data of every seen entry.
  void ClearPageData();

  // Grid shape.
  int RowCount() const { return rowCount_; }  // tag rows + the rate row
  int TagRows() const { return tagRows_; }
  int ColumnCount() const { return settings_.separateIQ ? 4 : 3; }
  int CountColumn() const { return 1; }
  int QColumn() const { return settings_.separateIQ ? 2 : -1; }
  int StatusColumn() const { return settings_.separateIQ ? 3 : 2; }
  int RateRow() const { return settings_.showReadRate ? tagRows_ : -1; }

  const char* CellText(int row, int column) const { return cells_[row][column].text; }
  bool CellMarked(int row, int column) const { return cells_[row][column].marked; }
  // Hands every marked cell to `paint(row, column, text)` and clears the marks.
  template <class Paint>
  void TakeMarkedCells(Paint&& paint);

  // The count columns are sized for this text ("9999" at first).
  const char* CountTemplateText() const { return templateText_; }
  int64_t CountTemplate() const { return countTemplate_; }
  // True once after the template grew or a layout: widths need recomputing.
  bool TakeWidthsChanged();

  // lblNumSeen: the seen-table length, with a mark when it changed.
  const char* NumSeenText() const { return numSeenText_; }
  bool TakeNumSeenChanged();
  // The overflow label goes blank again once the table has room.
  bool SeenTableHasRoom() const { return table_.SeenLength() < kSeenTableSize; }

  // Read rate in IDs per second ("%.1f"), I (or I+Q) and Q.
  const char* RateIText() const { return rateIText_; }
  const char* RateQText() const { return rateQText_; }
  int32_t RateISum() const { return iSum_; }
  int32_t RateQSum() const { return qSum_; }
  bool TakeRateEvaluated();
  // The hop start frequency the hopping tab sets, shown in the rate row.
  void SetHopFrequencyText(const char* text);

  // The hex ID of the tag in a grid row, or nullptr for an empty row.
  const char* RowHexId(int row) const;

 private:
  struct Cell {
    char text[kSeenCellChars] = {};
    bool marked = false;
  };

  void SetCell(int row, int column, const char* text);
  void PaintRow(int row, const TagRecord& entry, bool whole);
  void PaintCount(int row, int column, const char* text, int32_t value);
  void PaintRateRow(bool wholeRow);
  void UpdateActivity(TagRecord& entry, WallTime now);
  void GrowTemplateFor(const char* text, int32_t value);

  TagTable& table_;
  const Clock& clock_;
  SeenViewSettings settings_;

  Cell cells_[kSeenGridRows][kSeenGridColumns];
  int rowCount_ = 0;
  int tagRows_ = 0;
  int shownRows_ = 0;     // tag rows painted at the previous refresh
  int shownLength_ = -1;  // length in lblNumSeen; -1 forces a repaint
  char numSeenText_[12] = {};
  bool numSeenChanged_ = false;

  int64_t countTemplate_ = kInitialCountTemplate;
  char templateText_[24] = {};
  bool widthsChanged_ = true;

  int ticksToBucket_ = 0;
  int32_t iSum_ = 0;
  int32_t qSum_ = 0;
  char rateIText_[24] = "0.0";
  char rateQText_[24] = "0.0";
  char hopText_[24] = {};
  bool rateChanged_ = true;
  bool rateEvaluated_ = false;
};

template <class Paint>
void SeenView::TakeMarkedCells(Paint&& paint) {
  for (int row = 0; row < rowCount_; ++row) {
    for (int column = 0; column < kSeenGridColumns; ++column) {
      Cell& cell = cells_[row][column];
      if (!cell.marked) continue;
      cell.marked = false;
      if (column < ColumnCount()) paint(row, column, static_cast<const char*>(cell.text));
    }
  }
}

}  // namespace corvalis
