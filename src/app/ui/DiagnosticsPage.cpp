#include "app/ui/DiagnosticsPage.h"
#include "common/ui/Named.h"

#include "control/ui/ReaderControlPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

#include "app/AppContext.h"
#include "common/ChannelIndex.h"
#include "tags/SeenView.h"
#include "tags/TagTable.h"
#include "tags/ui/TagsSeenPage.h"

namespace corvalis {
namespace {

constexpr int kCommsMemoLines = 1000;
// Comms lines come with every read event, thousands a second from busy
// readers, and laying out each one in the memo cost more than the reads
// themselves. They are held and shown together at this pace while the memo
// is on screen, and not laid out at all while it is not.
constexpr int kCommsLinesEveryMs = 200;

}  // namespace

int PlainTextMemo::LineCount() const {
  return edit_.document()->isEmpty() ? 0 : edit_.document()->blockCount();
}

void PlainTextMemo::RemoveOldestLines(int count) {
  QTextCursor cursor(edit_.document());
  cursor.movePosition(QTextCursor::Start);
  cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, count);
  cursor.removeSelectedText();
}

void PlainTextMemo::AppendLine(std::string_view line) {
  edit_.appendPlainText(QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
}

DiagnosticsPage::DiagnosticsPage(AppContext& context, QWidget* parent)
    : QWidget(parent),
      readerControl_(new ReaderControlPanel(context)),
      commsMemo_(Named(new QPlainTextEdit, QStringLiteral("Memo2"))),
      heldCommsLines_(kCommsMemoLines),
      commsLinesDue_(new QTimer(this)),
      rbtShowCommsMessages(Named(new QRadioButton(QStringLiteral("Show Comms Messages")),
                                 QStringLiteral("rbtShowCommsMessages"))),
      rbtShowDecoderStats(Named(new QRadioButton(QStringLiteral("Show Decoder Statistics")),
                                QStringLiteral("rbtShowDecoderStats"))),
      commsOrStats_(Named(new QStackedWidget, QStringLiteral("pgcCommsOrStats"))),
      memRawData(Named(new QPlainTextEdit, QStringLiteral("memRawData"))),
      rawSwitch_(
          Named(new QCheckBox(QStringLiteral("Show ra&w data")), QStringLiteral("RawCheckBox"))),
      edtWaitTime(Named(new QLineEdit, QStringLiteral("edtWaitTime"))),
      lblLastError(Named(new QLabel, QStringLiteral("lblLastError"))),
      shpReadRate(Named(new QLabel, QStringLiteral("shpReadRate"))),
      lblRRI(Named(new QLabel(QStringLiteral("0.0")), QStringLiteral("lblRRI"))),
      lblRRQ(Named(new QLabel(QStringLiteral("0.0")), QStringLiteral("lblRRQ"))),
      lblLargestReceive(
          Named(new QLabel(QStringLiteral("0")), QStringLiteral("lblLargestReceive"))),
      lblPagesNotShown(Named(new QLabel(QStringLiteral("0")), QStringLiteral("lblPagesNotShown"))),
      lblPurged(Named(new QLabel, QStringLiteral("lblPurged"))),
      lsbUniqueTags(Named(new QListWidget, QStringLiteral("lsbUniqueTags"))),
      btnClearCounters(
          Named(new QPushButton(QStringLiteral("Clear")), QStringLiteral("btnClearCounters"))),
      context_(context),
      unshownPages_(context.unshownPages()),
      rawMemo_(*memRawData),
      rawMonitor_(rawMemo_) {
  for (QPlainTextEdit* memo : {commsMemo_, memRawData}) {
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setFont(QFont(QStringLiteral("Monospace")));
  }
  commsMemo_->setMaximumBlockCount(kCommsMemoLines);
  commsLinesDue_->setSingleShot(true);
  commsLinesDue_->setInterval(kCommsLinesEveryMs);
  connect(commsLinesDue_, &QTimer::timeout, this, &DiagnosticsPage::ShowHeldCommsLines);
  edtWaitTime->setMaximumWidth(80);
  edtWaitTime->setValidator(new QIntValidator(edtWaitTime));
  edtWaitTime->setToolTip(QStringLiteral(
      "Milliseconds without a read that end a pass; negative logs at the first read"));
  connect(edtWaitTime, &QLineEdit::editingFinished, this, &DiagnosticsPage::WaitTimeEntered);
  lblPurged->setVisible(false);
  btnClearCounters->setToolTip(
      QStringLiteral("Zero the read, unique, lost and decoder error counters and empty the memos"));
  connect(btnClearCounters, &QPushButton::clicked, this, &DiagnosticsPage::ClearCounters);
  shpReadRate->setFixedSize(24, 24);
  shpReadRate->setAutoFillBackground(true);
  shpReadRate->setFrameShape(QFrame::Box);
  connect(rawSwitch_, &QCheckBox::toggled, this, [this](bool on) { rawMonitor_.SetEnabled(on); });

  auto* counters = new QGroupBox(QStringLiteral("Counters"));
  counters->setObjectName(QStringLiteral("grpCounters"));
  auto* grid = new QGridLayout(counters);
  grid->addWidget(new QLabel(QStringLiteral("Reads")), 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("Unique")), 0, 2);
  grid->addWidget(new QLabel(QStringLiteral("Lost")), 0, 3);
  grid->addWidget(new QLabel(QStringLiteral("Overrun")), 0, 4);
  grid->addWidget(new QLabel(QStringLiteral("Data err")), 0, 5);
  grid->addWidget(new QLabel(QStringLiteral("Checksum")), 0, 6);
  for (int ch = 0; ch < 2; ++ch) {
    const QString n = QString::number(ch + 1);
    const auto i = static_cast<size_t>(ch);
    grid->addWidget(new QLabel(QStringLiteral("Chan ") + n), ch + 1, 0);
    int column = 1;
    for (auto [labels, name] : {std::pair{&lblReadsSeen, "lblReadsSeen"},
                                {&lblUniqueSeen, "lblUniqueSeen"},
                                {&lblLostReads, "lblLostReads"},
                                {&lblOverruns, "lblOverruns"},
                                {&lblDataErrors, "lblDataErrors"},
                                {&lblChecksumErrors, "lblChecksumErrors"}}) {
      (*labels)[i] = Named(new QLabel(QStringLiteral("0")), QLatin1String(name) + n);
      grid->addWidget((*labels)[i], ch + 1, column++);
    }
  }
  grid->addWidget(new QLabel(QStringLiteral("Largest receive")), 3, 0, 1, 2);
  grid->addWidget(lblLargestReceive, 3, 2);
  grid->addWidget(btnClearCounters, 3, 6);

  auto* status = new QFormLayout;
  status->addRow(QStringLiteral("Wait time (ms)"), edtWaitTime);
  status->addRow(QStringLiteral("Last error"), lblLastError);
  auto* rate = new QHBoxLayout;
  rate->addWidget(shpReadRate);
  rate->addWidget(lblRRI);
  rate->addWidget(lblRRQ);
  rate->addStretch();
  status->addRow(QStringLiteral("Read rate"), rate);
  status->addRow(QStringLiteral("Data pages not shown"), lblPagesNotShown);
  status->addRow(lblPurged);

  auto* left = new QVBoxLayout;
  left->addWidget(readerControl_);
  left->addLayout(status);
  left->addStretch();

  // Every read event writes comms lines; the statistics keep the memo quiet.
  auto* stats = new QWidget;
  auto* statsLayout = new QVBoxLayout(stats);
  statsLayout->addWidget(counters);
  lsbUniqueTags->setFont(QFont(QStringLiteral("Monospace")));
  statsLayout->addWidget(new QLabel(QStringLiteral("Unique tags")));
  statsLayout->addWidget(lsbUniqueTags, 1);
  commsOrStats_->addWidget(commsMemo_);
  commsOrStats_->addWidget(stats);
  rbtShowCommsMessages->setChecked(true);
  connect(rbtShowCommsMessages, &QRadioButton::toggled, this, [this](bool on) {
    commsOrStats_->setCurrentIndex(on ? 0 : 1);
    if (on) ShowHeldCommsLines();
  });
  auto* choice = new QHBoxLayout;
  choice->addWidget(rbtShowCommsMessages);
  choice->addWidget(rbtShowDecoderStats);
  choice->addStretch();

  auto* memos = new QVBoxLayout;
  memos->addLayout(choice);
  memos->addWidget(commsOrStats_, 1);
  memos->addWidget(rawSwitch_);
  memos->addWidget(memRawData, 1);

  auto* top = new QHBoxLayout(this);
  top->addLayout(left);
  top->addLayout(memos, 1);
}

void DiagnosticsPage::AddCommsLine(std::string_view line) {
  if (!rbtShowCommsMessages->isChecked()) return;
  heldCommsLines_.Add(line);
  if (!commsLinesDue_->isActive()) commsLinesDue_->start();
}

void DiagnosticsPage::ShowHeldCommsLines() {
  if (heldCommsLines_.Empty() || !commsMemo_->isVisible()) return;
  commsMemo_->appendPlainText(QString::fromStdString(heldCommsLines_.TakeJoined()));
}

void DiagnosticsPage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  ShowHeldCommsLines();
}

void DiagnosticsPage::ShowCounters(const TagTable& table, const QString& lastError) {
  if (lblLastError->text() != lastError) lblLastError->setText(lastError);
  auto show = [](QLabel* label, int32_t value) {
    const QString text = QString::number(value);
    if (label->text() != text) label->setText(text);
  };
  const DecoderCounters& decoder = context_.formats().counters;
  for (size_t ch = 0; ch < 2; ++ch) {
    show(lblReadsSeen[ch], table.ReadsSeen(static_cast<int>(ch)));
    show(lblUniqueSeen[ch], table.UniqueSeen(static_cast<int>(ch)));
    show(lblLostReads[ch], table.LostReads(static_cast<int>(ch)));
    show(lblOverruns[ch], decoder.channel[ch].overruns);
    show(lblDataErrors[ch], decoder.channel[ch].dataErrors);
    show(lblChecksumErrors[ch], decoder.channel[ch].checksumErrors);
  }
  show(lblLargestReceive, decoder.largestReceive);
  ShowUniqueTags(table);
  const QString pages = QString::number(unshownPages_.Count());
  if (lblPagesNotShown->text() != pages) lblPagesNotShown->setText(pages);
}

void DiagnosticsPage::ShowWaitTime(int waitTime) {
  edtWaitTime->setText(QString::number(waitTime));
}

void DiagnosticsPage::ShowUniqueTags(const TagTable& table) {
  for (int ch = 0; ch < kReaderChannelCount; ++ch) {
    // Fewer entries than shown: the lists were cleared elsewhere.
    if (static_cast<size_t>(table.ChannelListCount(ch)) <
        uniqueItems_[static_cast<size_t>(ch)].size()) {
      ClearUniqueTags();
      break;
    }
  }
  for (int ch = 0; ch < kReaderChannelCount; ++ch) {
    std::vector<QListWidgetItem*>& items = uniqueItems_[static_cast<size_t>(ch)];
    const int count = table.ChannelListCount(ch);
    for (int i = 0; i < count; ++i) {
      const QString text = QString::fromLatin1(table.ChannelEntry(ch, i).line);
      if (static_cast<size_t>(i) < items.size()) {
        if (items[static_cast<size_t>(i)]->text() != text)
          items[static_cast<size_t>(i)]->setText(text);
      } else {
        items.push_back(new QListWidgetItem(text, lsbUniqueTags));
      }
    }
  }
}

void DiagnosticsPage::ClearUniqueTags() {
  lsbUniqueTags->clear();
  for (std::vector<QListWidgetItem*>& items : uniqueItems_) items.clear();
}

void DiagnosticsPage::WaitTimeEntered() {
  bool ok = false;
  const int typed = edtWaitTime->text().toInt(&ok);
  if (ok) context_.SetWaitTime(typed);
  ShowWaitTime(context_.tagTable().settings().waitTime);
}

void DiagnosticsPage::ShowPurged(const QString& text) {
  if (lblPurged->text() != text) lblPurged->setText(text);
  lblPurged->setVisible(!text.isEmpty());
}

void DiagnosticsPage::ClearCounters() {
  context_.ClearTagCounters();
  context_.status().SetLastError({});
  context_.status().SetPurgedText({});
  commsMemo_->clear();
  heldCommsLines_.Clear();
  memRawData->clear();
  ClearUniqueTags();
  ShowPurged({});
  ShowCounters(context_.tagTable(), {});
}

void DiagnosticsPage::ShowReadRate(const QString& iText, const QString& qText) {
  lblRRI->setText(iText);
  lblRRQ->setText(qText);
}

void DiagnosticsPage::ShowReadActivity(int idsThisSecond) {
  const int colourClass = RateColourClass(idsThisSecond);
  if (colourClass == shownActivityClass_) return;
  shownActivityClass_ = colourClass;
  QPalette palette = shpReadRate->palette();
  palette.setColor(QPalette::Window,
                   RatePaletteQColor(idsThisSecond, palette.color(QPalette::Button)));
  shpReadRate->setPalette(palette);
}

void DiagnosticsPage::ShowLastError(const QString& text) {
  lblLastError->setText(text);
}

}  // namespace corvalis
