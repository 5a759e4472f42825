#include "logging/ui/FlashLogWindow.h"

#include <QButtonGroup>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "common/ui/Named.h"
#include "logging/ui/FlashMemoryBar.h"

namespace corvalis {
namespace {

constexpr int kIncomingLines = 2000;
constexpr char kRecordsGone[] = "Recorded records will no longer be accessible";

QString Text(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QLabel* Value(const char* name) {
  auto* label = Named(new QLabel(QStringLiteral("-")), name);
  label->setMinimumWidth(60);
  return label;
}

}  // namespace

FlashLogWindow::FlashLogWindow(AppContext& context, SpecialMode mode, QWidget* parent)
    : QWidget(parent, Qt::Window),
      context_(context),
      logger_(context.commands(), context.dispatcher(), context.channels(), context.clock(), *this),
      mode_(mode) {
  prompts_.confirm = [this](const QString& title, const QString& text) {
    return QMessageBox::warning(this, title, text, QMessageBox::Ok | QMessageBox::Cancel) ==
           QMessageBox::Ok;
  };
  prompts_.inform = [this](const QString& title, const QString& text) {
    QMessageBox::warning(this, title, text);
  };
  prompts_.chooseSaveFile = [this](const QString& caption) {
    return QFileDialog::getSaveFileName(this, caption, QString(), QString(), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
  };
  prompts_.fileExists = [this](const QString& path) {
    QMessageBox box(QMessageBox::Question, windowTitle(),
                    tr("%1 already exists.").arg(QFileInfo(path).fileName()), QMessageBox::NoButton,
                    this);
    QPushButton* overwrite = box.addButton(tr("Overwrite"), QMessageBox::DestructiveRole);
    QPushButton* append = box.addButton(tr("Append"), QMessageBox::AcceptRole);
    box.addButton(tr("Cancel"), QMessageBox::RejectRole);
    box.exec();
    if (box.clickedButton() == overwrite) return FlashPrompts::Exists::kOverwrite;
    if (box.clickedButton() == append) return FlashPrompts::Exists::kAppend;
    return FlashPrompts::Exists::kCancel;
  };

  memIncoming = Named(new QPlainTextEdit, "memIncoming");
  memIncoming->setReadOnly(true);
  memIncoming->setMaximumBlockCount(kIncomingLines);
  memIncoming->setFont(QFont(QStringLiteral("Monospace")));
  pbrErase = Named(new QProgressBar, "pbrErase");
  pbrErase->hide();
  busy_ = Named(
      new QProgressDialog(tr("Formatting the reader's flash memory ..."), QString(), 0, 100, this),
      "frmBusy");
  busy_->setWindowModality(Qt::NonModal);
  busy_->setAutoClose(false);
  busy_->setAutoReset(false);
  busy_->reset();
  busy_->hide();

  lblRecording = Named(new QLabel(tr("Not Recording")), "lblRecording");
  lblTotalRecords = Value("lblTotalRecords");
  lblRecordedRecords = Value("lblRecordedRecords");
  lblPlayedRecords = Value("lblPlayedRecords");
  lblDirtyRecords = Value("lblDirtyRecords");
  lblFreeRecords = Value("lblFreeRecords");
  lblIndexSlot = Value("lblIndexSlot");
  lblLineNumber = Value("lblLineNumber");
  pnlMemory = Named(new FlashMemoryBar, "pnlMemory");
  pnlMemory->onDoubleClicked = [this] { logger_.Send(flash_body::kStatus); };
  pnlMemory->onDragged = [this](int pixels) {
    if (!logger_.DragPlayedMark(pixels, pnlMemory->PartsWidth())) LayoutBar();
  };
  modes_ = new QButtonGroup(this);
  speTimeout = Named(new QSpinBox, "speTimeout");
  speTimeout->setRange(1, 255);
  speTimeout->setValue(5);
  edtSerialNumber = Named(new QLineEdit, "edtSerialNumber");
  edtSerialNumber->setMaxLength(kMaxSerialLength);
  lblSerialNumber = Named(new QueryLabel(QStringLiteral("-")), "lblSerialNumber");
  lblSerialNumber->onDoubleClicked = [this] { logger_.Send(flash_body::kSerialQuery); };

  timer_ = new QTimer(this);
  timer_->setInterval(100);
  connect(timer_, &QTimer::timeout, this, [this] {
    logger_.Tick();
    TimerTick();
  });
  context_.specialModes().Register(mode_, this);
}

FlashLogWindow::~FlashLogWindow() {
  context_.specialModes().SwitchOff(mode_);
  context_.specialModes().Unregister(mode_, this);
}

QPushButton* FlashLogWindow::Button(const QString& text, const char* name,
                                    std::function<void()> action) {
  auto* button = Named(new QPushButton(text), name);
  connect(button, &QPushButton::clicked, this, [action = std::move(action)] { action(); });
  return button;
}

QWidget* FlashLogWindow::StatusBox() {
  auto* box = new QGroupBox(tr("Flash memory"));
  auto* counters = new QFormLayout;
  counters->addRow(tr("Total records"), lblTotalRecords);
  counters->addRow(tr("Recorded"), lblRecordedRecords);
  counters->addRow(tr("Played"), lblPlayedRecords);
  counters->addRow(tr("Deleted"), lblDirtyRecords);
  counters->addRow(tr("Free"), lblFreeRecords);
  auto* index = new QFormLayout;
  index->addRow(tr("Index slot"), lblIndexSlot);
  index->addRow(tr("Line number"), lblLineNumber);
  index->addRow(QString(), lblRecording);
  auto* numbers = new QHBoxLayout;
  numbers->addLayout(counters);
  numbers->addLayout(index);
  numbers->addStretch(1);
  auto* layout = new QVBoxLayout(box);
  layout->addLayout(numbers);
  layout->addWidget(pnlMemory);
  layout->addWidget(pbrErase);
  return box;
}

QWidget* FlashLogWindow::ModeBox() {
  auto* box = new QGroupBox;
  auto* layout = new QHBoxLayout(box);
  auto* label = Named(new QueryLabel(tr("Mode")), "lblMode");
  label->onDoubleClicked = [this] { logger_.Send(flash_body::kModeQuery); };
  label->setToolTip(tr("Double-click to ask the reader"));
  layout->addWidget(label);
  const struct {
    const char* name;
    const char* caption;
    int mode;
  } kModes[] = {{"rbtModeNormal", "Normal", kModeNormal},
                {"rbtModeTrigger", "Trigger", kModeTrigger},
                {"rbtModeFirstLast", "First/Last", kModeFirstLast}};
  for (const auto& m : kModes) {
    auto* button = Named(new QRadioButton(tr(m.caption)), m.name);
    modes_->addButton(button, m.mode);
    const int mode = m.mode;
    connect(button, &QRadioButton::clicked, this,
            [this, mode] { logger_.SetMode(mode, speTimeout->value()); });
    layout->addWidget(button);
  }
  layout->addWidget(new QLabel(tr("Timeout")));
  layout->addWidget(speTimeout);
  layout->addStretch(1);
  return box;
}

QWidget* FlashLogWindow::SerialBox() {
  auto* box = new QGroupBox;
  auto* layout = new QHBoxLayout(box);
  layout->addWidget(new QLabel(tr("Serial number")));
  layout->addWidget(lblSerialNumber);
  layout->addWidget(edtSerialNumber);
  layout->addWidget(Button(tr("Set"), "btnSetSerial", [this] { SetSerialNumber(false); }));
  layout->addWidget(Button(tr("Change"), "btnChangeSerial", [this] { SetSerialNumber(true); }));
  layout->addWidget(
      Button(tr("Get"), "btnGetSerial", [this] { logger_.Send(flash_body::kSerialQuery); }));
  layout->addStretch(1);
  return box;
}

void FlashLogWindow::Erase() {
  if (prompts_.confirm(windowTitle(), tr(kRecordsGone))) logger_.Send(flash_body::kErase);
}

void FlashLogWindow::Flush() {
  if (prompts_.confirm(windowTitle(), tr("Already replayed records will no longer be accessible")))
    logger_.Send(flash_body::kFlush);
}

void FlashLogWindow::Format() {
  if (!prompts_.confirm(windowTitle(), tr(kRecordsGone))) return;
  if (!prompts_.confirm(windowTitle(), tr("This operation takes about 90 seconds"))) return;
  logger_.Format();
}

void FlashLogWindow::SetSerialNumber(bool change) {
  if (change &&
      !prompts_.confirm(windowTitle(), tr("The currently recorded serial number will be changed")))
    return;
  const std::string why =
      logger_.SetSerialNumber(edtSerialNumber->text().toLatin1().toStdString(), change);
  if (!why.empty()) prompts_.inform(windowTitle(), QString::fromStdString(why));
}

bool FlashLogWindow::ChooseOutputFile(const QString& caption, QString& path, TextFile::Mode& mode) {
  path = prompts_.chooseSaveFile(caption);
  if (path.isEmpty()) return false;
  mode = TextFile::Mode::Overwrite;
  if (QFileInfo::exists(path)) {
    const FlashPrompts::Exists choice = prompts_.fileExists(path);
    if (choice == FlashPrompts::Exists::kCancel) return false;
    if (choice == FlashPrompts::Exists::kAppend) mode = TextFile::Mode::Append;
  }
  return true;
}

bool FlashLogWindow::PlayWithCapture() {
  QString path;
  TextFile::Mode mode = TextFile::Mode::Overwrite;
  if (!ChooseOutputFile(tr("Save to"), path, mode)) return false;
  if (!logger_.StartCapture(path.toStdString(), mode)) {
    prompts_.inform(windowTitle(), tr("Could not open file for output!"));
    return false;
  }
  return true;
}

void FlashLogWindow::ShowStatus(const LoggingStatus& status, int dataLength) {
  lblRecording->setText(status.Recording() ? tr("Recording") : tr("Not Recording"));
  lblRecording->setStyleSheet(status.Recording() ? QStringLiteral("color: red")
                                                 : QStringLiteral("color: black"));
  if (dataLength <= 11) return;
  lblTotalRecords->setText(QString::number(status.TotalRecords()));
  lblRecordedRecords->setText(QString::number(status.RecordedRecords()));
  lblPlayedRecords->setText(QString::number(status.PlayedRecords()));
  lblDirtyRecords->setText(QString::number(status.DirtyRecords()));
  lblFreeRecords->setText(QString::number(status.FreeRecords()));
  lblIndexSlot->setText(QString::number(status.indexSlot));
  lblLineNumber->setText(dataLength > 12 ? QString::number(status.lineNumber)
                                         : QStringLiteral("-"));
  LayoutBar();
}

void FlashLogWindow::LayoutBar() {
  logger_.LayoutBar(pnlMemory->PartsWidth());
  const MemoryBarLayout& bar = logger_.Bar();
  pnlMemory->SetParts(bar.dirty, bar.played, bar.unplayed);
}

void FlashLogWindow::ShowFormatProgress(const FormatProgress& progress, bool finished) {
  pbrErase->setMaximum(std::max(progress.maximum, 1));
  pbrErase->setValue(std::min(progress.progress, std::max(progress.maximum, 1)));
  busy_->setMaximum(std::max(progress.maximum, 1));
  busy_->setValue(std::min(progress.progress, std::max(progress.maximum, 1)));
  if (finished) {
    pbrErase->hide();
    busy_->hide();
  } else {
    pbrErase->show();
    busy_->show();
  }
}

void FlashLogWindow::ShowMessage(std::string_view title, std::string_view text) {
  prompts_.inform(Text(title), Text(text));
}

void FlashLogWindow::ShowMode(int mode, int timeout) {
  if (QAbstractButton* button = modes_->button(mode)) button->setChecked(true);
  speTimeout->setValue(std::clamp(timeout, 1, 255));
}

void FlashLogWindow::ShowSerialNumber(std::string_view serial) {
  lblSerialNumber->setText(serial.empty() ? tr("(none)") : Text(serial));
}

void FlashLogWindow::ShowIncoming(std::string_view line) {
  memIncoming->appendPlainText(Text(line));
}

void FlashLogWindow::SpecialModeSwitchedOff(SpecialMode) {
  hide();
}

void FlashLogWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous()) return;
  context_.specialModes().SwitchOn(mode_);
  logger_.SetActive(true);
  timer_->start();
}

void FlashLogWindow::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (event->spontaneous()) return;
  timer_->stop();
  logger_.SetActive(false);
  busy_->hide();
  context_.specialModes().SwitchOff(mode_);
}

void FlashLogWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayoutBar();
}

}  // namespace corvalis
