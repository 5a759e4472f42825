#include "tags/ui/TTODisplayPage.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "common/ui/Named.h"

namespace corvalis {

TTODisplayPage::TTODisplayPage(TagTable& table, QWidget* parent)
    : QWidget(parent), table_(table), display_(table) {
  auto* options = new QHBoxLayout;
  options->addWidget(new QLabel(tr("First page")));
  speTTOFirstPage = Named(new QSpinBox, "speTTOFirstPage");
  speTTOFirstPage->setRange(0, kPageSlotCount - 1);
  speTTOFirstPage->setWrapping(true);
  options->addWidget(speTTOFirstPage);
  options->addWidget(new QLabel(tr("Pages")));
  speTTONumPages = Named(new QSpinBox, "speTTONumPages");
  speTTONumPages->setRange(1, kPageSlotCount);
  options->addWidget(speTTONumPages);
  ckbTTOCounts = Named(new QCheckBox(tr("Counts")), "ckbTTOCounts");
  ckbTTOSepIQ = Named(new QCheckBox(tr("Separate I/Q")), "ckbTTOSepIQ");
  ckbTTOShowID = Named(new QCheckBox(tr("Show ID")), "ckbTTOShowID");
  ckbTTOText = Named(new QCheckBox(tr("Text")), "ckbTTOText");
  ckbTTOCRC = Named(new QCheckBox(tr("CRC")), "ckbTTOCRC");
  for (QCheckBox* box : {ckbTTOCounts, ckbTTOSepIQ, ckbTTOShowID, ckbTTOText, ckbTTOCRC}) {
    options->addWidget(box);
  }

  auto* merge = Named(new QGroupBox(tr("Page merge")), "grpPageMerge");
  auto* mergeLayout = new QHBoxLayout(merge);
  ckbDataUseVoting = Named(new QCheckBox(tr("Voting")), "ckbDataUseVoting");
  ckbDataUseVoting->setToolTip(tr("Show the content read most often"));
  ckbOnlyMax = Named(new QCheckBox(tr("Only Max cnt")), "ckbOnlyMax");
  ckbOnlyMax->setToolTip(tr("A new content is shown once it has been read as often"));
  mergeLayout->addWidget(ckbDataUseVoting);
  mergeLayout->addWidget(ckbOnlyMax);
  ckbDataUseVoting->setChecked(table_.settings().useVoting);
  ckbOnlyMax->setChecked(table_.settings().onlyMaxCount);
  options->addWidget(merge);
  options->addStretch(1);

  stgTTODisplay = Named(new QTableWidget(this), "stgTTODisplay");
  stgTTODisplay->horizontalHeader()->hide();
  stgTTODisplay->verticalHeader()->hide();
  stgTTODisplay->setEditTriggers(QAbstractItemView::NoEditTriggers);
  stgTTODisplay->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(options);
  layout->addWidget(stgTTODisplay, 1);

  const auto edited = [this] {
    ckbTTOSepIQ->setEnabled(ckbTTOCounts->isChecked());
    ckbTTOCRC->setEnabled(ckbTTOText->isChecked());
    Refresh();
    Q_EMIT optionsEdited();
  };
  for (QSpinBox* box : {speTTOFirstPage, speTTONumPages}) {
    connect(box, &QSpinBox::valueChanged, this, edited);
  }
  for (QCheckBox* box : {ckbTTOCounts, ckbTTOSepIQ, ckbTTOShowID, ckbTTOText, ckbTTOCRC}) {
    connect(box, &QCheckBox::toggled, this, edited);
  }
  for (QCheckBox* box : {ckbDataUseVoting, ckbOnlyMax}) {
    connect(box, &QCheckBox::toggled, this, &TTODisplayPage::MergeOptionsChanged);
  }
}

void TTODisplayPage::MergeOptionsChanged() {
  table_.settings().useVoting = ckbDataUseVoting->isChecked();
  table_.settings().onlyMaxCount = ckbOnlyMax->isChecked();
}

void TTODisplayPage::SetOptions(const PageDisplayOptions& options) {
  const QSignalBlocker blockers[] = {
      QSignalBlocker(speTTOFirstPage), QSignalBlocker(speTTONumPages), QSignalBlocker(ckbTTOCounts),
      QSignalBlocker(ckbTTOSepIQ),     QSignalBlocker(ckbTTOShowID),   QSignalBlocker(ckbTTOText),
      QSignalBlocker(ckbTTOCRC)};
  speTTOFirstPage->setValue(options.firstPage);
  speTTONumPages->setValue(options.numPages);
  ckbTTOCounts->setChecked(options.counts);
  ckbTTOSepIQ->setChecked(options.separateIQ);
  ckbTTOShowID->setChecked(options.showId);
  ckbTTOText->setChecked(options.text);
  ckbTTOCRC->setChecked(options.crc);
  ckbTTOSepIQ->setEnabled(options.counts);
  ckbTTOCRC->setEnabled(options.text);
  Refresh();
}

PageDisplayOptions TTODisplayPage::Options() const {
  PageDisplayOptions options;
  options.firstPage = speTTOFirstPage->value();
  options.numPages = speTTONumPages->value();
  options.counts = ckbTTOCounts->isChecked();
  options.separateIQ = ckbTTOSepIQ->isChecked();
  options.showId = ckbTTOShowID->isChecked();
  options.text = ckbTTOText->isChecked();
  options.crc = ckbTTOCRC->isChecked();
  options.numToShow = numToShow_;
  options.noiseLimit = noiseLimit_;
  return options;
}

void TTODisplayPage::SetRows(int numToShow, int noiseLimit) {
  numToShow_ = numToShow;
  noiseLimit_ = noiseLimit;
}

void TTODisplayPage::Refresh() {
  {
    TagTableLock::Guard guard(table_.Lock());
    display_.Refresh(Options());
  }
  const int rows = display_.Rows();
  const int columns = display_.Columns();
  if (stgTTODisplay->rowCount() != rows || stgTTODisplay->columnCount() != columns) {
    stgTTODisplay->setRowCount(rows);
    stgTTODisplay->setColumnCount(columns);
  }
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const QString text = QString::fromLatin1(display_.Cell(r, c));
      QTableWidgetItem* item = stgTTODisplay->item(r, c);
      if (item == nullptr) {
        item = new QTableWidgetItem;
        stgTTODisplay->setItem(r, c, item);
      }
      if (item->text() != text) item->setText(text);
    }
  }
  if (display_.TakeColumnsChanged()) LayOutColumns();
}

void TTODisplayPage::LayOutColumns() {
  const QFontMetrics metrics(stgTTODisplay->font());
  const int pad = 2 * metrics.horizontalAdvance(QLatin1Char(' '));
  const int perPage = PageDisplay::ColumnsPerPage(Options());
  const QString countTemplate(display_.CountDigits(), QLatin1Char('9'));
  for (int c = 0; c < display_.Columns(); ++c) {
    QString widest;
    if (c == 0) {
      widest = QString(kTagIdBytes * 2, QLatin1Char('0'));
    } else if ((c - 1) % perPage == 0) {
      widest = QString(20, QLatin1Char('0'));
    } else {
      widest = countTemplate;
    }
    stgTTODisplay->setColumnWidth(c, metrics.horizontalAdvance(widest) + pad);
  }
}

}  // namespace corvalis
