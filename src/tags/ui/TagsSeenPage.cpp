#include "tags/ui/TagsSeenPage.h"
#include "common/ui/Named.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace corvalis {
namespace {

constexpr int kMaxRowHeight = 100;

// A push button that remembers whether Shift was held when it was clicked:
// Cycle and Clear do something else with Shift.
class ShiftButton final : public QPushButton {
 public:
  using QPushButton::QPushButton;

  // True when the click now being handled came with Shift; asks once.
  bool TakeShift() {
    const bool shift = modifiers_.testFlag(Qt::ShiftModifier) ||
                       QGuiApplication::keyboardModifiers().testFlag(Qt::ShiftModifier);
    modifiers_ = Qt::NoModifier;
    return shift;
  }

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override {
    modifiers_ = event->modifiers();
    QPushButton::mouseReleaseEvent(event);
  }
  void keyReleaseEvent(QKeyEvent* event) override {
    modifiers_ = event->modifiers();
    QPushButton::keyReleaseEvent(event);
  }

 private:
  Qt::KeyboardModifiers modifiers_ = Qt::NoModifier;
};

}  // namespace

QColor RatePaletteQColor(int value, const QColor& buttonFace) {
  const RateColour colour = RatePaletteColour(value);
  return colour.buttonFace ? buttonFace : QColor(colour.r, colour.g, colour.b);
}

TagsSeenPage::TagsSeenPage(TagTable& table, const Clock& clock, QWidget* parent)
    : QWidget(parent), table_(table), view_(table, clock) {
  auto* controls = new QWidget(this);
  auto* side = new QVBoxLayout(controls);
  side->setContentsMargins(0, 0, 0, 0);

  auto* showGroup = new QGroupBox(tr("Show"), controls);
  auto* showLayout = new QVBoxLayout(showGroup);
  rbtShowName = Named(new QRadioButton(tr("Name"), showGroup), "rbtShowName");
  rbtShowID = Named(new QRadioButton(tr("ID"), showGroup), "rbtShowID");
  rbtShowWiegand26 = Named(new QRadioButton(tr("Wiegand 26"), showGroup), "rbtShowWiegand26");
  rbtShowWiegand34 = Named(new QRadioButton(tr("Wiegand 34"), showGroup), "rbtShowWiegand34");
  for (QRadioButton* radio : {rbtShowName, rbtShowID, rbtShowWiegand26, rbtShowWiegand34}) {
    showLayout->addWidget(radio);
  }
  rbtShowID->setChecked(true);
  side->addWidget(showGroup);

  btnCycle = Named(new ShiftButton(controls), "btnCycle");
  btnCycle->setToolTip(tr("Rows of tags: click to double, Shift+click to halve"));
  bbtSound = Named(new QPushButton(QString::fromLatin1(SoundCaption(false)), controls), "bbtSound");
  bbtSound->setToolTip(tr("Beep for every read"));
  btnClear = Named(new ShiftButton(tr("Clear"), controls), "btnClear");
  btnClear->setToolTip(tr("Empty the list of tags seen; Shift+click clears only the page data"));
  side->addWidget(btnCycle);
  side->addWidget(bbtSound);
  side->addWidget(btnClear);

  auto* timeoutRow = new QHBoxLayout;
  auto* timeoutLabel = new QLabel(tr("Timeout (s)"), controls);
  speTimeout = Named(new QSpinBox(controls), "speTimeout");
  speTimeout->setRange(0, 99999);
  speTimeout->setValue(view_.settings().showTimeoutSec);
  timeoutLabel->setBuddy(speTimeout);
  timeoutRow->addWidget(timeoutLabel);
  timeoutRow->addWidget(speTimeout);
  side->addLayout(timeoutRow);

  auto* seenRow = new QHBoxLayout;
  seenRow->addWidget(new QLabel(tr("Tags:"), controls));
  lblNumSeen = Named(new QLabel(QStringLiteral("0"), controls), "lblNumSeen");
  lblNumSeen->setToolTip(tr("Tags in the list, shown or not"));
  lblGreaterThan = Named(new QLabel(overflowText_, controls), "lblGreaterThan");
  lblGreaterThan->setToolTip(tr("More tags than the list can hold"));
  seenRow->addWidget(lblNumSeen);
  seenRow->addWidget(lblGreaterThan);
  seenRow->addStretch(1);
  side->addLayout(seenRow);

  lblRateCaption = Named(new QLabel(tr("Rate (IDs/s)"), controls), "lblRateCaption");
  side->addWidget(lblRateCaption);
  lblRRI = Named(new QLabel(QStringLiteral("0.0"), controls), "lblRRI");
  lblRRI->setToolTip(tr("Read rate (IDs/s)"));
  lblRRQ = Named(new QLabel(QStringLiteral("0.0"), controls), "lblRRQ");
  lblRRQ->setToolTip(tr("Read rate on Q (IDs/s)"));
  for (QLabel* rate : {lblRRI, lblRRQ}) {
    rate->setIndent(8);
    // A new rate comes every evaluation. A label of fixed size keeps the
    // text from laying out the page again, which repaints every tab; this
    // one has room for a million IDs a second.
    rate->setText(QStringLiteral("999999.9"));
    rate->setFixedSize(rate->sizeHint());
    rate->setText(QStringLiteral("0.0"));
  }
  side->addWidget(lblRRI);
  side->addWidget(lblRRQ);

  loggingSlot = new QVBoxLayout;
  loggingSlot->setObjectName(QStringLiteral("loggingSlot"));
  side->addLayout(loggingSlot);
  side->addStretch(1);

  grdTagsSeen = Named(new QTableWidget(this), "grdTagsSeen");
  grdTagsSeen->horizontalHeader()->hide();
  grdTagsSeen->verticalHeader()->hide();
  grdTagsSeen->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grdTagsSeen->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grdTagsSeen->setFrameShape(QFrame::NoFrame);
  grdTagsSeen->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grdTagsSeen->setSelectionMode(QAbstractItemView::SingleSelection);
  grdTagsSeen->setWordWrap(false);
  grdTagsSeen->setTextElideMode(Qt::ElideRight);
  grdTagsSeen->verticalHeader()->setMinimumSectionSize(1);
  grdTagsSeen->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grdTagsSeen->horizontalHeader()->setMinimumSectionSize(1);
  grdTagsSeen->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grdTagsSeen->setContextMenuPolicy(Qt::CustomContextMenu);
  grdTagsSeen->viewport()->installEventFilter(this);

  pmnuTagsSeen = Named(new QMenu(this), "pmnuTagsSeen");
  mnuCopyIDName = Named(pmnuTagsSeen->addAction(tr("Copy &ID/Name")), "mnuCopyIDName");
  mnuCopyIDToRWCommander =
      Named(pmnuTagsSeen->addAction(tr("Copy ID to &RW Commander")), "mnuCopyIDToRWCommander");
  mnuCopyCell = Named(pmnuTagsSeen->addAction(tr("Copy &Cell")), "mnuCopyCell");

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(controls);
  layout->addWidget(grdTagsSeen, 1);

  connect(grdTagsSeen, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& position) { ShowGridMenu(position); });
  connect(mnuCopyIDName, &QAction::triggered, this, [this] {
    const int row = grdTagsSeen->currentRow();
    if (row < 0 || grdTagsSeen->item(row, 0) == nullptr) return;
    QApplication::clipboard()->setText(grdTagsSeen->item(row, 0)->text());
  });
  connect(mnuCopyIDToRWCommander, &QAction::triggered, this, [this] {
    const char* hexId = view_.RowHexId(grdTagsSeen->currentRow());
    if (hexId != nullptr) Q_EMIT copyIdToRwCommander(QString::fromLatin1(hexId));
  });
  connect(mnuCopyCell, &QAction::triggered, this, [this] {
    if (const QTableWidgetItem* item = grdTagsSeen->currentItem()) {
      QApplication::clipboard()->setText(item->text());
    }
  });

  const std::pair<QRadioButton*, SeenLabel> radios[] = {{rbtShowName, SeenLabel::kName},
                                                        {rbtShowID, SeenLabel::kId},
                                                        {rbtShowWiegand26, SeenLabel::kWiegand26},
                                                        {rbtShowWiegand34, SeenLabel::kWiegand34}};
  for (const auto& [radio, what] : radios) {
    connect(radio, &QRadioButton::toggled, this, [this, what = what](bool on) {
      if (on) ShowWhat(what);
    });
  }
  connect(btnCycle, &QPushButton::clicked, this,
          [this] { Cycle(static_cast<ShiftButton*>(btnCycle)->TakeShift()); });
  connect(bbtSound, &QPushButton::clicked, this, [this] { ToggleSound(); });
  connect(btnClear, &QPushButton::clicked, this,
          [this] { Clear(static_cast<ShiftButton*>(btnClear)->TakeShift()); });
  connect(speTimeout, &QSpinBox::valueChanged, this, [this](int seconds) {
    view_.settings().showTimeoutSec = seconds;
    Q_EMIT settingsEdited();
  });

  table_.hooks().seenView = this;
  table_.hooks().beeper = this;
  LayoutSeenView();
}

TagsSeenPage::~TagsSeenPage() {
  // The table outlives the page in tests; it must not call into a dead one.
  if (table_.hooks().seenView == this) table_.hooks().seenView = nullptr;
  if (table_.hooks().beeper == this) table_.hooks().beeper = nullptr;
}

void TagsSeenPage::ApplySettings(const SeenViewSettings& settings) {
  view_.settings() = settings;
  // The time-out in use is the one the box can show.
  view_.settings().showTimeoutSec =
      std::clamp(settings.showTimeoutSec, speTimeout->minimum(), speTimeout->maximum());
  {
    const QSignalBlocker blockTimeout(speTimeout);
    speTimeout->setValue(view_.settings().showTimeoutSec);
  }
  QRadioButton* const radios[] = {rbtShowName, rbtShowID, rbtShowWiegand26, rbtShowWiegand34};
  QRadioButton* const chosen = radios[std::clamp(static_cast<int>(settings.showWhat), 0, 3)];
  {
    const QSignalBlocker blockRadio(chosen);
    chosen->setChecked(true);
  }
  LayoutSeenView();
}

void TagsSeenPage::Tick() {
  RefreshSeenView(0);
  view_.ReadRateStep();
  if (view_.TakeRateEvaluated()) ApplyRateLabels();
}

void TagsSeenPage::RefreshSeenView(int layoutChanged) {
  TagTableLock::Guard guard(table_.Lock());
  view_.RefreshSeenView(layoutChanged);
  ApplyMarkedCells();
  if (view_.TakeWidthsChanged()) ApplyColumnWidths();
  if (view_.TakeNumSeenChanged()) {
    const QString text = QString::fromLatin1(view_.NumSeenText());
    lblNumSeen->setText(text);
    Q_EMIT numSeenChanged(text);
  }
  if (view_.SeenTableHasRoom()) ShowSeenOverflow(" ");
  Q_EMIT seenViewRefreshed();
}

void TagsSeenPage::LayoutSeenView() {
  TagTableLock::Guard guard(table_.Lock());
  view_.LayoutSeenView();
  const int rows = view_.RowCount();
  const int columns = view_.ColumnCount();
  grdTagsSeen->setRowCount(rows);
  grdTagsSeen->setColumnCount(columns);
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      QTableWidgetItem* item = grdTagsSeen->item(row, column);
      if (item == nullptr) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        grdTagsSeen->setItem(row, column, item);
      }
      const bool count = column == view_.CountColumn() || column == view_.QColumn();
      const bool status = column == view_.StatusColumn();
      item->setTextAlignment(Qt::AlignVCenter | (count    ? Qt::AlignRight
                                                 : status ? Qt::AlignHCenter
                                                          : Qt::AlignLeft));
    }
  }
  btnCycle->setText(QString::number(view_.settings().numToShow));
  // The rate row replaces the separate rate labels.
  lblRRI->setVisible(!view_.settings().showReadRate);
  lblRRQ->setVisible(!view_.settings().showReadRate);
  lblRateCaption->setVisible(!view_.settings().showReadRate);
  ApplyGeometry();
  RefreshSeenView(1);
}

void TagsSeenPage::ApplyGeometry() {
  const int rows = std::max(view_.RowCount(), 1);
  const int height = grdTagsSeen->viewport()->height();
  // A row's grid line is part of its height here, so the rows share the
  // whole height.
  const int rowHeight = std::clamp(height / rows, 1, kMaxRowHeight);

  // The largest usual size below the row height; smaller while its line
  // would not fit the row or a full tag ID and the counts not fit across.
  QFont font = grdTagsSeen->font();
  font.setBold(true);
  const double points = rowHeight * 72.0 / std::max(grdTagsSeen->logicalDpiY(), 1);
  int size = PickGridFontPointSize(points);
  for (;;) {
    font.setPointSize(size);
    if (size <= 5) break;
    const QFontMetrics metrics(font);
    if (metrics.height() <= rowHeight &&
        MeasureColumns(font).total <= grdTagsSeen->viewport()->width()) {
      break;
    }
    size = PickGridFontPointSize(size);
  }
  grdTagsSeen->setFont(font);
  grdTagsSeen->verticalHeader()->setDefaultSectionSize(rowHeight);
  for (int row = 0; row < grdTagsSeen->rowCount(); ++row) grdTagsSeen->setRowHeight(row, rowHeight);
  ApplyColumnWidths();
}

TagsSeenPage::ColumnWidths TagsSeenPage::MeasureColumns(const QFont& font) const {
  const QFontMetricsF metrics(font);
  // The item delegate keeps a margin each side of the text, the grid line
  // takes a pixel, and text layout rounds up: without the slack a count that
  // fits on paper is elided.
  const int margin =
      grdTagsSeen->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grdTagsSeen) + 1;
  const int padding = 2 * margin + 3;
  const auto width = [&](const QString& text) {
    return static_cast<int>(std::ceil(metrics.horizontalAdvance(text))) + padding;
  };
  ColumnWidths widths;
  widths.status = width(QStringLiteral("FS"));
  widths.count = width(QString::fromLatin1(view_.CountTemplateText()));
  widths.countColumns = view_.settings().separateIQ ? 2 : 1;
  // Hex digits differ in width; the widest of them sixteen times holds any ID.
  qreal widestDigit = 0;
  for (const QChar digit : QStringLiteral("0123456789abcdef")) {
    widestDigit = std::max(widestDigit, metrics.horizontalAdvance(digit));
  }
  const int idWidth = static_cast<int>(std::ceil(widestDigit * kTagIdBytes * 2)) + padding;
  widths.total = idWidth + widths.count * widths.countColumns + widths.status + 10;
  return widths;
}

void TagsSeenPage::ApplyColumnWidths() {
  const ColumnWidths widths = MeasureColumns(grdTagsSeen->font());
  if (widths.total > grdTagsSeen->viewport()->width() && grdTagsSeen->font().pointSize() > 5 &&
      !fitting_) {
    // The counts outgrew the row: a smaller font keeps the ID whole.
    fitting_ = true;
    ApplyGeometry();
    fitting_ = false;
    return;
  }
  const int nameWidth = std::max(
      grdTagsSeen->viewport()->width() - widths.count * widths.countColumns - widths.status - 10,
      0);
  grdTagsSeen->setColumnWidth(0, nameWidth);
  grdTagsSeen->setColumnWidth(view_.CountColumn(), widths.count);
  if (view_.QColumn() >= 0) grdTagsSeen->setColumnWidth(view_.QColumn(), widths.count);
  grdTagsSeen->setColumnWidth(view_.StatusColumn(), widths.status);
}

void TagsSeenPage::ApplyMarkedCells() {
  view_.TakeMarkedCells([this](int row, int column, const char* text) {
    if (QTableWidgetItem* item = grdTagsSeen->item(row, column)) {
      item->setText(QString::fromUtf8(text));
    }
  });
}

void TagsSeenPage::ApplyRateLabels() {
  const QString iText = QString::fromLatin1(view_.RateIText());
  const QString qText = QString::fromLatin1(view_.RateQText());
  lblRRI->setText(iText);
  lblRRQ->setText(qText);
  Q_EMIT readRateEvaluated(iText, qText, view_.RateISum(), view_.RateQSum());
}

void TagsSeenPage::SetNumToShow(int numToShow) {
  view_.settings().numToShow = numToShow;
  LayoutSeenView();
  Q_EMIT settingsEdited();
}

void TagsSeenPage::Cycle(bool halve) {
  SetNumToShow(CycleNumToShow(view_.settings().numToShow, halve));
}

void TagsSeenPage::ShowWhat(SeenLabel what) {
  view_.settings().showWhat = what;
  RefreshSeenView(1);
  Q_EMIT settingsEdited();
}

void TagsSeenPage::ToggleSound() {
  table_.SetSound(!table_.SoundOn());
  bbtSound->setText(QString::fromLatin1(SoundCaption(table_.SoundOn())));
}

void TagsSeenPage::Clear(bool pageDataOnly) {
  if (pageDataOnly) {
    view_.ClearPageData();
    Q_EMIT pageDataCleared();
    RefreshSeenView(0);
    return;
  }
  Q_EMIT clearPressed();
  table_.ClearSeenTable();  // comes back through SeenTableCleared
}

void TagsSeenPage::SetHopFrequencyText(const QString& text) {
  view_.SetHopFrequencyText(text.toLatin1().constData());
}

void TagsSeenPage::SetLoggingControls(QWidget* controls) {
  loggingSlot->addWidget(controls);
}

QAction* TagsSeenPage::AddMenuItem(const QString& caption, const char* name) {
  QAction* item = pmnuTagsSeen->addAction(caption);
  item->setObjectName(QLatin1String(name));
  return item;
}

void TagsSeenPage::SetSoundButtonShown(bool shown) {
  bbtSound->setVisible(shown);
}

int TagsSeenPage::CurrentRow() const {
  return grdTagsSeen->currentRow();
}

void TagsSeenPage::ShowSeenOverflow(std::string_view text) {
  // A full table reports every read, every new tag reports room: compared
  // before anything is converted.
  if (QLatin1StringView(text.data(), static_cast<qsizetype>(text.size())) == overflowText_) return;
  const QString shown = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
  overflowText_ = shown;
  lblGreaterThan->setText(shown);
  Q_EMIT seenOverflowChanged(shown);
}

void TagsSeenPage::SeenTableCleared() {
  view_.SeenTableCleared();
  RefreshSeenView(0);
  ApplyRateLabels();
  Q_EMIT seenTableCleared();
}

void TagsSeenPage::TagCountersCleared() {
  Q_EMIT tagCountersCleared();
}

void TagsSeenPage::Beep() {
  QApplication::beep();
}

bool TagsSeenPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grdTagsSeen->viewport() && event->type() == QEvent::Resize) ApplyGeometry();
  return QWidget::eventFilter(watched, event);
}

void TagsSeenPage::ShowGridMenu(const QPoint& position) {
  const QModelIndex index = grdTagsSeen->indexAt(position);
  if (index.isValid()) grdTagsSeen->setCurrentCell(index.row(), index.column());
  pmnuTagsSeen->popup(grdTagsSeen->viewport()->mapToGlobal(position));
}

}  // namespace corvalis
