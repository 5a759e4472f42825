#pragma once

#include <QWidget>

#include "tags/PageDisplay.h"
#include "tags/TagTable.h"

class QCheckBox;
class QSpinBox;
class QTableWidget;

namespace corvalis {

// The TTO Display tab: the data pages of the first seen tags, one column
// group per page (stgTTODisplay), with the options that choose the pages
// and what each cell shows, and the page-merge options (voting, Only Max
// cnt) that decide which of a page's two contents is shown.
//
// The main window refreshes it after each Tags Seen refresh while its tab
// is the active one.
class TTODisplayPage final : public QWidget {
  Q_OBJECT

 public:
  explicit TTODisplayPage(TagTable& table, QWidget* parent = nullptr);

  void SetOptions(const PageDisplayOptions& options);
  PageDisplayOptions Options() const;
  // Rows of tags and the noise limit come from the Tags Seen settings.
  void SetRows(int numToShow, int noiseLimit);

  // RefreshPageDisplay: rebuilds the cells from the seen table under its lock.
  void Refresh();
  // After ClearSeenTable: the count columns start narrow again.
  void Reset() { display_.Reset(); }

 Q_SIGNALS:
  // An option box changed (the window stores the settings).
  void optionsEdited();

 private:
  void LayOutColumns();
  void MergeOptionsChanged();

  TagTable& table_;
  PageDisplay display_;
  int numToShow_ = 4;
  int noiseLimit_ = 0;

  QSpinBox* speTTOFirstPage;
  QSpinBox* speTTONumPages;
  QCheckBox* ckbTTOCounts;
  QCheckBox* ckbTTOSepIQ;
  QCheckBox* ckbTTOShowID;
  QCheckBox* ckbTTOText;
  QCheckBox* ckbTTOCRC;
  QCheckBox* ckbDataUseVoting;
  QCheckBox* ckbOnlyMax;
  QTableWidget* stgTTODisplay;
};

}  // namespace corvalis
