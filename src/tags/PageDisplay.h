#pragma once

#include <string>
#include <vector>

#include "tags/TagTable.h"

namespace corvalis {

inline constexpr int kInitialPageCountDigits = 4;  // "9999"

// The TTO Display tab's options (settings keys TTODisplayFirstPage,
// TTODisplayNumPages, TTODisplayShowID, TTODisplayText, TTODisplayCRC).
struct PageDisplayOptions {
  int firstPage = 0;  // 0..15; the page numbers shown wrap past 15 to 0
  int numPages = 4;   // 1..16
  bool counts = false;
  bool separateIQ = false;  // with counts: I and Q instead of I+Q
  bool showId = false;      // the hex ID instead of the name
  bool text = false;        // the rendered page instead of its hex
  bool crc = false;         // with text: the rendered page and its CRC
  int noiseLimit = 0;
  int numToShow = 4;  // rows of tags
};

// The page grid (stgTTODisplay) without the painting: the first seen-table
// entries in rows, one column group per shown page with its primary content
// and, optionally, its counts. The window copies the cells after Refresh and
// lays the columns out again when ColumnsChanged says so.
class PageDisplay {
 public:
  explicit PageDisplay(const TagTable& table) : table_(table) {}

  // Rebuilds every cell from the seen table; call it under the table lock.
  void Refresh(const PageDisplayOptions& options);
  // After ClearSeenTable: the count template starts narrow again.
  void Reset() { countDigits_ = kInitialPageCountDigits; }

  int Rows() const { return rows_; }
  int Columns() const { return columns_; }
  const std::string& Cell(int row, int column) const {
    return cells_[static_cast<size_t>(row * columns_ + column)];
  }
  // Digits of the widest count the count columns are laid out for.
  int CountDigits() const { return countDigits_; }
  // True once after a refresh that changed the shape or the count template.
  bool TakeColumnsChanged();

  static int ColumnsPerPage(const PageDisplayOptions& options) {
    return options.counts ? (options.separateIQ ? 3 : 2) : 1;
  }

 private:
  void Resize(int rows, int columns);
  void FitCount(int32_t count);
  std::string& At(int row, int column) {
    return cells_[static_cast<size_t>(row * columns_ + column)];
  }

  const TagTable& table_;
  std::vector<std::string> cells_;
  int rows_ = 0;
  int columns_ = 0;
  int countDigits_ = kInitialPageCountDigits;
  bool columnsChanged_ = false;
};

// Empties every page of every seen-table entry (Shift + Clear).
void ClearPageData(TagTable& table);

}  // namespace corvalis
