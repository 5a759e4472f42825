#include "app/ui/MainWindow.h"

#include <QEvent>
#include <QFont>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>

#include "app/AppContext.h"
#include "app/MemoStatus.h"
#include "channels/ui/SetCommDlg.h"

namespace corvalis {

TForm1::TForm1(AppContext& context, MemoStatus& status, QWidget* parent)
    : QMainWindow(parent), context_(context), status_(status) {
  setObjectName("Form1");
  setWindowTitle("Corvalis");
  resize(1024, 700);

  lblSummary = new QLabel(this);
  lblSummary->setObjectName("lblSummary");
  lblSummary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lblSummary->setMargin(12);
  lblSummary->setFont(QFont("Monospace"));
  setCentralWidget(lblSummary);

  QMenu* comms = menuBar()->addMenu("&Serial Comms");
  for (int ch = 0; ch < kChannelCount; ++ch) {
    const QString title = ch == kOutputChannel ? QStringLiteral("Composite Output Channel")
                                               : QStringLiteral("Reader Channel %1").arg(ch + 1);
    QMenu* sub = comms->addMenu(title);
    CommsOpen[ch] = sub->addAction("&Open", this, [this, ch] { context_.channels.Open(ch); });
    CommsOpen[ch]->setObjectName(QStringLiteral("CommsOpen%1").arg(ch + 1));
    CommsClose[ch] = sub->addAction("&Close", this, [this, ch] { context_.channels.Close(ch); });
    CommsClose[ch]->setObjectName(QStringLiteral("CommsClose%1").arg(ch + 1));
    QAction* settings = sub->addAction(
        "&Settings", this, [this, ch] { TSetCommDlg::Edit(this, context_.channels, ch); });
    settings->setObjectName(QStringLiteral("CommsSettings%1").arg(ch + 1));

    pnlChannel[ch] = new QLabel(this);
    pnlChannel[ch]->setMinimumWidth(115);
    pnlChannel[ch]->setAutoFillBackground(true);
    statusBar()->addWidget(pnlChannel[ch]);
  }

  Timer1 = new QTimer(this);
  Timer1->setInterval(1000);
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1Tick(); });
  Timer2 = new QTimer(this);
  Timer2->setInterval(100);
  connect(Timer2, &QTimer::timeout, this, [this] { Timer2Tick(); });
  Timer1->start();
  Timer2->start();

  context_.channels.SetStatusListener(this);
  ChannelStatusRefreshed();
}

TForm1::~TForm1() {
  context_.channels.SetStatusListener(nullptr);
}

void TForm1::changeEvent(QEvent* event) {
  // Timers act only once the window has been shown to the operator.
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) active_ = true;
  QMainWindow::changeEvent(event);
}

void TForm1::Timer2Tick() {
  if (!active_ && !isVisible()) return;
  context_.Tick();
  RefreshSummary();
}

void TForm1::Timer1Tick() {
  if (!active_ && !isVisible()) return;
  context_.channels.ClearActivityMarks();
}

void TForm1::ChannelStatusRefreshed() {
  for (int ch = 0; ch < kChannelCount; ++ch) {
    const ChannelView& view = context_.channels.View(ch);
    CommsOpen[ch]->setEnabled(view.openEnabled);
    CommsClose[ch]->setEnabled(view.closeEnabled);
  }
  RepaintStatusBar();
}

void TForm1::RepaintStatusBar() {
  for (int ch = 0; ch < kChannelCount; ++ch) {
    const ChannelView& view = context_.channels.View(ch);
    QLabel* panel = pnlChannel[ch];
    panel->setText(view.panelText);
    QPalette palette = panel->palette();
    QColor fill = palette.color(QPalette::Button);
    if (view.open) fill = QColor(128, 255, 255);
    if (view.activity > 1) fill = Qt::red;
    palette.setColor(QPalette::Window, fill);
    panel->setPalette(palette);
  }
}

void TForm1::RefreshSummary() {
  const TagTable& tags = context_.tagTable;
  QString text;
  for (int ch = 0; ch < kChannelCount; ++ch) {
    const ChannelView& view = context_.channels.View(ch);
    text += QStringLiteral("%1  %2\n").arg(view.panelText, -28).arg(view.open ? "open" : "closed");
  }
  text += "\nReads and unique tags per channel:\n";
  for (int ch = 0; ch < kReaderChannelCount; ++ch) {
    text += QStringLiteral("  Chan %1: %2 reads, %3 tags\n")
                .arg(ch + 1)
                .arg(tags.ReadsSeen(ch))
                .arg(tags.UniqueSeen(ch));
  }
  text += QStringLiteral("\nTags seen: %1   passes logged: %2   %3\n")
              .arg(tags.SeenLength())
              .arg(tags.ValidPasses())
              .arg(QString::fromStdString(context_.logWriter.StatusLabelText()));
  if (!status_.lastError.isEmpty()) text += "Last error: " + status_.lastError + "\n";
  text += "\nComms messages:\n";
  for (const QString& line : status_.lines) text += "  " + line + "\n";
  lblSummary->setText(text);
}

}  // namespace corvalis
