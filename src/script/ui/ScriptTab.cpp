#include "script/ui/ScriptTab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QSplitter>
#include <QTextBlock>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "app/Settings.h"
#include "common/ui/Named.h"
#include "control/ui/HistoryCombo.h"
#include "script/ScriptInterpreter.h"
#include "script/ScriptStatements.h"
#include "script/StandardTests.h"

namespace corvalis {
namespace {

constexpr int kPaneLines = 10000;
const char kFileNameHistory[] = "cmbRTFilename";
const char kInitialMemo[] =
    "#\n# Set normal hopping pattern\n#\nab0001050086\n"
    "# Set normal hop interval: 360ms dwell 6ticks off\nab0002392406fa\n# Set TX on\n"
    "ab0001060188\nstop";
const char kExampleScript[] = "scripts/example.txt";

QString FromView(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QLabel* ReadOut(const char* name, const QString& text = QStringLiteral("0")) {
  auto* label = Named(new QLabel(text), name);
  label->setMinimumWidth(40);
  label->setFrameShape(QFrame::StyledPanel);
  return label;
}

void AddCaptioned(QHBoxLayout* row, const QString& caption, QWidget* widget) {
  row->addWidget(new QLabel(caption));
  row->addWidget(widget);
}

}  // namespace

ScriptTab::ScriptTab(AppContext& context, QWidget* parent)
    : QWidget(parent), context_(context), interpreter_(context.interpreter()) {
  BuildControls();
  BuildInsertMenu();
  Connect();
  context_.scriptOutput().SetSink(this);
  context_.scriptRecorder().SetMemo(this);
  interpreter_.SetTabs(this);
  interpreter_.Source().UseMemo(true);
  interpreter_.Source().SetMemoText(redRTCommands->toPlainText().toStdString());
  interpreter_.SetRetryLimit(speRTRetryLimit->value());
  SourceClicked();
  SetFileStatus(QStringLiteral("Closed"));
}

ScriptTab::~ScriptTab() {
  context_.scriptOutput().SetSink(nullptr);
  context_.scriptRecorder().SetMemo(nullptr);
  interpreter_.SetTabs(nullptr);
}

void ScriptTab::BuildControls() {
  auto* sourceBox = Named(new QGroupBox(QStringLiteral("Source")), "grpRTSource");
  rbtRTFile = Named(new QRadioButton(QStringLiteral("File")), "rbtRTFile");
  rbtRTMemo = Named(new QRadioButton(QStringLiteral("Memo")), "rbtRTMemo");
  rbtRTMemo->setChecked(true);
  auto* sourceLayout = new QVBoxLayout(sourceBox);
  sourceLayout->addWidget(rbtRTFile);
  sourceLayout->addWidget(rbtRTMemo);

  cmbRTFilename = new QComboBox;
  SetUpHistoryCombo(cmbRTFilename, QString::fromLatin1(kFileNameHistory));
  cmbRTFilename->setToolTip(QStringLiteral("The file to be transmitted"));
  cmbRTFilename->setMinimumWidth(260);
  SetHistoryItems(cmbRTFilename, {QString::fromLatin1(kExampleScript)});
  fileInUse_ = cmbRTFilename->currentText();
  btnRTBrowse = Named(new QPushButton(QStringLiteral("...")), "btnRTBrowse");
  btnRTBrowse->setMaximumWidth(30);
  btnRTReopen = Named(new QPushButton(QStringLiteral("Open")), "btnRTReopen");
  btnRTLoad = Named(new QPushButton(QStringLiteral("Load")), "btnRTLoad");
  lblRTStatusCaption = Named(new QLabel(QStringLiteral("Status:")), "lblRTStatusCaption");
  lblRTFileStatus = Named(new QLabel, "lblRTFileStatus");
  lblRTStdTests = Named(new QLabel(QStringLiteral("Standard Tests")), "lblRTStdTests");
  cmbRTStdTests = Named(new QComboBox, "cmbRTStdTests");
  for (const StandardTest& test : StandardTests()) {
    if (test.name[0] != '\0') cmbRTStdTests->addItem(QString::fromLatin1(test.name));
  }
  cmbRTStdTests->setCurrentIndex(0);
  btnRTLoadStandardTest = Named(new QPushButton(QStringLiteral("Load")), "btnRTLoadStandardTest");

  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(cmbRTFilename, 1);
  fileRow->addWidget(btnRTBrowse);
  fileRow->addWidget(btnRTReopen);
  fileRow->addWidget(btnRTLoad);
  fileRow->addWidget(lblRTStatusCaption);
  fileRow->addWidget(lblRTFileStatus);
  auto* testRow = new QHBoxLayout;
  testRow->addWidget(lblRTStdTests);
  testRow->addWidget(cmbRTStdTests, 1);
  testRow->addWidget(btnRTLoadStandardTest);
  testRow->addStretch();
  auto* fileColumn = new QVBoxLayout;
  fileColumn->addLayout(fileRow);
  fileColumn->addLayout(testRow);

  pnlRTTrack = Named(new QFrame, "pnlRTTrack");
  pnlRTTrack->setFrameShape(QFrame::StyledPanel);
  pnlRTTrack->setAutoFillBackground(true);
  cmbRTChan = Named(new QComboBox, "cmbRTChan");
  cmbRTChan->addItems({QStringLiteral("Chan 1"), QStringLiteral("Chan 2"), QStringLiteral("Chan 3"),
                       QStringLiteral("Chan 4"), QStringLiteral("Out 1")});
  speRTReaderID = Named(new QSpinBox, "speRTReaderID");
  speRTReaderID->setRange(0, 255);
  speRTReaderID->setToolTip(
      QStringLiteral("Address commands to this reader ID (0 is broadcast address)."));
  ckbRTTrack = Named(new QCheckBox(QStringLiteral("Track other tabs")), "ckbRTTrack");
  ckbRTTrack->setChecked(true);
  auto* trackLayout = new QVBoxLayout(pnlRTTrack);
  auto* trackRow = new QHBoxLayout;
  trackRow->addWidget(cmbRTChan);
  AddCaptioned(trackRow, QStringLiteral("Reader ID"), speRTReaderID);
  trackLayout->addLayout(trackRow);
  trackLayout->addWidget(ckbRTTrack);

  auto* top = new QHBoxLayout;
  top->addWidget(sourceBox);
  top->addLayout(fileColumn, 1);
  top->addWidget(pnlRTTrack);

  btnRTSend = Named(new QPushButton(QStringLiteral("&Send")), "btnRTSend");
  btnRTSendOne = Named(new QPushButton(QStringLiteral("Send &One")), "btnRTSendOne");
  btnRTRewind = Named(new QPushButton(QStringLiteral("Rewind")), "btnRTRewind");
  btnRTResend = Named(new QPushButton(QStringLiteral("Resend")), "btnRTResend");
  btnRTDone = Named(new QPushButton(QStringLiteral("Done")), "btnRTDone");
  speRTRetryLimit = Named(new QSpinBox, "speRTRetryLimit");
  speRTRetryLimit->setRange(0, 500);
  speRTRetryLimit->setValue(kDefaultRetryLimit);
  ckbRTStopOnError = Named(new QCheckBox(QStringLiteral("Stop on Error")), "ckbRTStopOnError");
  ckbSyntaxCheck = Named(new QCheckBox(QStringLiteral("Syntax Check Only")), "ckbSyntaxCheck");
  ckbRTRecording = Named(new QCheckBox(QStringLiteral("Recording")), "ckbRTRecording");
  ckbRTRecording->setToolTip(
      QStringLiteral("If checked all commands sent are recorded in the memo"));
  auto* buttons = new QHBoxLayout;
  for (QPushButton* button : {btnRTSend, btnRTSendOne, btnRTRewind, btnRTResend, btnRTDone}) {
    buttons->addWidget(button);
  }
  AddCaptioned(buttons, QStringLiteral("Resend limit"), speRTRetryLimit);
  buttons->addWidget(ckbRTStopOnError);
  buttons->addWidget(ckbSyntaxCheck);
  buttons->addWidget(ckbRTRecording);
  buttons->addStretch();

  lblRTLineNo = ReadOut("lblRTLineNo", QStringLiteral("1"));
  lblRTTimerLeft = ReadOut("lblRTTimerLeft");
  lblRTLinesSent = ReadOut("lblRTLinesSent");
  lblRTTimeouts = ReadOut("lblRTTimeouts");
  lblRTErrors = ReadOut("lblRTErrors");
  lblRTSendCount = ReadOut("lblRTSendCount");
  pnlRTSentMessage = ReadOut("pnlRTSentMessage", QString());
  auto* readOuts = new QHBoxLayout;
  AddCaptioned(readOuts, QStringLiteral("Line"), lblRTLineNo);
  AddCaptioned(readOuts, QStringLiteral("Ticks left"), lblRTTimerLeft);
  AddCaptioned(readOuts, QStringLiteral("Lines sent"), lblRTLinesSent);
  AddCaptioned(readOuts, QStringLiteral("Timeouts"), lblRTTimeouts);
  AddCaptioned(readOuts, QStringLiteral("Errors"), lblRTErrors);
  AddCaptioned(readOuts, QStringLiteral("Sent"), pnlRTSentMessage);
  readOuts->setStretchFactor(pnlRTSentMessage, 1);
  AddCaptioned(readOuts, QStringLiteral("Resends"), lblRTSendCount);

  redRTCommands = Named(new QPlainTextEdit, "redRTCommands");
  redRTCommands->setPlainText(QString::fromLatin1(kInitialMemo));
  redRTCommands->setLineWrapMode(QPlainTextEdit::NoWrap);
  memRTStatusMessages = Named(new QPlainTextEdit, "memRTStatusMessages");
  memRTIncoming = Named(new QPlainTextEdit, "memRTIncoming");
  for (QPlainTextEdit* pane : {memRTStatusMessages, memRTIncoming}) {
    pane->setReadOnly(true);
    pane->setMaximumBlockCount(kPaneLines);
    pane->setLineWrapMode(QPlainTextEdit::NoWrap);
  }
  btnRTClearM = Named(new QPushButton(QStringLiteral("Clear")), "btnRTClearM");
  btnRTClearO = Named(new QPushButton(QStringLiteral("Clear")), "btnRTClearO");
  auto pane = [](const QString& caption, QPlainTextEdit* memo, QPushButton* clear) {
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* head = new QHBoxLayout;
    head->addWidget(new QLabel(caption));
    head->addStretch();
    head->addWidget(clear);
    layout->addLayout(head);
    layout->addWidget(memo);
    return box;
  };
  auto* panes = new QSplitter(Qt::Vertical);
  panes->addWidget(pane(QStringLiteral("Messages"), memRTStatusMessages, btnRTClearM));
  panes->addWidget(pane(QStringLiteral("Incoming"), memRTIncoming, btnRTClearO));
  auto* split = new QSplitter(Qt::Horizontal);
  split->addWidget(redRTCommands);
  split->addWidget(panes);
  split->setStretchFactor(0, 1);
  split->setStretchFactor(1, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(buttons);
  layout->addLayout(readOuts);
  layout->addWidget(split, 1);
  TrackToggled(true);
}

void ScriptTab::BuildInsertMenu() {
  pmnuRTCommands = Named(new QMenu(this), "pmnuRTCommands");
  for (const StatementRow& row : StatementTable()) {
    if (row.caption == nullptr) continue;
    QAction* item = pmnuRTCommands->addAction(QString::fromLatin1(row.caption));
    item->setToolTip(QString::fromLatin1(row.description));
    item->setStatusTip(item->toolTip());
    const QString text = QString::fromLatin1(row.name) + QString::fromLatin1(row.example) + '\n';
    connect(item, &QAction::triggered, this,
            [this, text] { redRTCommands->textCursor().insertText(text); });
  }
  pmnuRTCommands->setToolTipsVisible(true);
  redRTCommands->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(redRTCommands, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { pmnuRTCommands->popup(redRTCommands->mapToGlobal(pos)); });
}

void ScriptTab::Connect() {
  connect(btnRTSend, &QPushButton::clicked, this, &ScriptTab::SendClicked);
  connect(btnRTSendOne, &QPushButton::clicked, this, &ScriptTab::SendOneClicked);
  connect(btnRTRewind, &QPushButton::clicked, this, &ScriptTab::RewindClicked);
  connect(btnRTResend, &QPushButton::clicked, this, [this] { interpreter_.ResendLine(); });
  connect(btnRTDone, &QPushButton::clicked, this, [this] { interpreter_.SetReplyCapture(false); });
  connect(btnRTClearM, &QPushButton::clicked, this, &ScriptTab::ClearMessages);
  connect(btnRTClearO, &QPushButton::clicked, memRTIncoming, &QPlainTextEdit::clear);
  connect(btnRTReopen, &QPushButton::clicked, this, &ScriptTab::OpenRtFile);
  connect(btnRTLoad, &QPushButton::clicked, this, &ScriptTab::LoadFileIntoMemo);
  connect(btnRTBrowse, &QPushButton::clicked, this, &ScriptTab::Browse);
  connect(btnRTLoadStandardTest, &QPushButton::clicked, this, &ScriptTab::LoadStandardTest);
  connect(rbtRTFile, &QRadioButton::clicked, this, &ScriptTab::SourceClicked);
  connect(rbtRTMemo, &QRadioButton::clicked, this, &ScriptTab::SourceClicked);
  connect(cmbRTFilename, &QComboBox::activated, this, &ScriptTab::FileNameEdited);
  connect(cmbRTFilename->lineEdit(), &QLineEdit::editingFinished, this, &ScriptTab::FileNameEdited);
  connect(redRTCommands, &QPlainTextEdit::textChanged, this, [this] {
    interpreter_.Source().UpdateMemoText(redRTCommands->toPlainText().toStdString());
    shownLine_ = -1;
  });
  connect(speRTRetryLimit, &QSpinBox::valueChanged, this,
          [this](int value) { interpreter_.SetRetryLimit(value); });
  connect(ckbRTStopOnError, &QCheckBox::toggled, this,
          [this](bool on) { interpreter_.SetStopOnError(on); });
  connect(ckbSyntaxCheck, &QCheckBox::toggled, this,
          [this](bool on) { interpreter_.SetSyntaxCheckOnly(on); });
  connect(ckbRTRecording, &QCheckBox::toggled, this,
          [this](bool on) { context_.scriptRecorder().SetRecording(on); });
  connect(ckbRTTrack, &QCheckBox::toggled, this, &ScriptTab::TrackToggled);
  connect(cmbRTChan, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index < 0) return;
    interpreter_.SetChannel(index);
    if (Tracking()) Q_EMIT channelChosen(index);
  });
  connect(speRTReaderID, &QSpinBox::valueChanged, this, [this](int value) {
    interpreter_.SetReaderId(value);
    if (Tracking()) Q_EMIT readerIdChosen(value);
  });
}

// ---------------------------------------------------------------- settings

void ScriptTab::LoadFromSettings(const Settings& settings) {
  const int channel = settings.Integer(Setting::RTChan);
  cmbRTChan->setCurrentIndex(channel >= 0 && channel < cmbRTChan->count() ? channel : 0);
  speRTReaderID->setValue(settings.Integer(Setting::RTReaderID));
  ckbRTTrack->setChecked(settings.Bool(Setting::RTTrack));
  const QStringList history = settings.History(QString::fromLatin1(kFileNameHistory));
  if (!history.isEmpty()) SetHistoryItems(cmbRTFilename, history);
  fileInUse_ = cmbRTFilename->currentText();
  interpreter_.SetChannel(cmbRTChan->currentIndex());
  interpreter_.SetReaderId(speRTReaderID->value());
}

void ScriptTab::StoreToSettings(Settings& settings) const {
  settings.SetInteger(Setting::RTChan, cmbRTChan->currentIndex());
  settings.SetInteger(Setting::RTReaderID, speRTReaderID->value());
  settings.SetBool(Setting::RTTrack, ckbRTTrack->isChecked());
  settings.History(QString::fromLatin1(kFileNameHistory)) = HistoryItems(cmbRTFilename);
}

// ---------------------------------------------------------------- tracking

bool ScriptTab::Tracking() const {
  return ckbRTTrack->isChecked();
}

void ScriptTab::FollowChannel(int channel) {
  if (!Tracking() || channel < 0 || channel >= cmbRTChan->count()) return;
  const QSignalBlocker blocker(cmbRTChan);
  cmbRTChan->setCurrentIndex(channel);
  interpreter_.SetChannel(channel);
}

void ScriptTab::FollowReaderId(int readerId) {
  if (!Tracking()) return;
  const QSignalBlocker blocker(speRTReaderID);
  speRTReaderID->setValue(readerId);
  interpreter_.SetReaderId(speRTReaderID->value());
}

void ScriptTab::TrackToggled(bool on) {
  QPalette palette = pnlRTTrack->palette();
  palette.setColor(QPalette::Window, on ? QWidget::palette().color(QPalette::Window) : Qt::red);
  pnlRTTrack->setPalette(palette);
}

// ---------------------------------------------------------------- buttons

bool ScriptTab::EnsureFileOpen() {
  if (interpreter_.Source().UsesMemo() || interpreter_.Source().FileOpen()) return true;
  if (cmbRTFilename->currentText().trimmed().isEmpty()) {
    SetFileStatus(QStringLiteral("Not Open"));
    Browse();
  } else {
    OpenRtFile();
  }
  if (interpreter_.Source().FileOpen()) return true;
  SetFileStatus(QStringLiteral("Closed"));
  ScriptStateChanged();
  return false;
}

void ScriptTab::SendClicked() {
  if (!interpreter_.Running()) {
    if (!EnsureFileOpen()) return;
    interpreter_.SetRetryLimit(speRTRetryLimit->value());
  }
  interpreter_.StartStopScript();
}

void ScriptTab::RunMemoScript(const QString& text) {
  rbtRTMemo->setChecked(true);
  StopRunningScript();
  SourceClicked();
  redRTCommands->setPlainText(text);
  RewindClicked();
  SendClicked();
}

void ScriptTab::RunGeneratedScript(int channel, const QString& text) {
  rbtRTMemo->setChecked(true);
  SourceClicked();
  if (channel >= 0 && channel < cmbRTChan->count()) cmbRTChan->setCurrentIndex(channel);
  interpreter_.SetChannel(cmbRTChan->currentIndex());
  QTextCursor cursor(redRTCommands->document());
  cursor.select(QTextCursor::Document);
  cursor.insertText(text);
  RewindClicked();
  SendClicked();
}

bool ScriptTab::ScriptBusy() const {
  return interpreter_.Running() || interpreter_.SingleStepping();
}

void ScriptTab::StopRunningScript() {
  if (interpreter_.Running()) interpreter_.StopScript();
}

void ScriptTab::SendOneClicked() {
  if (!interpreter_.SingleStepping() && !EnsureFileOpen()) return;
  interpreter_.StepScript();
}

void ScriptTab::RewindClicked() {
  interpreter_.RewindScript();
  if (interpreter_.Source().FileOpen()) SetFileStatus(QStringLiteral("Open - at BOF"));
  shownLine_ = -1;
  ShowCurrentLine();
}

void ScriptTab::OpenRtFile() {
  ScriptSource& source = interpreter_.Source();
  if (source.FileOpen()) {
    source.CloseFile();
    fileWasOpen_ = false;
    if (interpreter_.Running()) interpreter_.StopScript();
    btnRTReopen->setText(QStringLiteral("Open"));
    SetFileStatus(QStringLiteral("Closed"));
    return;
  }
  AddToHistory(cmbRTFilename);
  fileInUse_ = cmbRTFilename->currentText();
  if (source.OpenFile(fileInUse_.toStdString())) {
    fileWasOpen_ = true;
    btnRTReopen->setText(QStringLiteral("Close"));
    cmbRTFilename->setToolTip(
        QStringLiteral("The file with this name has been opened for transmission."));
    SetFileStatus(QStringLiteral("Open - at BOF"));
    return;
  }
  Box(QStringLiteral("File Open Error"), QStringLiteral("Unable to open file for reading"));
  cmbRTFilename->setToolTip(QStringLiteral("The file with this name could not be opened."));
  SetFileStatus(QStringLiteral("Could not be opened"));
}

void ScriptTab::FileNameEdited() {
  if (cmbRTFilename->currentText() == fileInUse_) return;
  ScriptSource& source = interpreter_.Source();
  if (source.FileOpen()) {
    if (interpreter_.Running()) interpreter_.StopScript();
    source.CloseFile();
    fileWasOpen_ = false;
  }
  btnRTReopen->setText(QStringLiteral("Open"));
  fileInUse_ = cmbRTFilename->currentText();
  cmbRTFilename->setToolTip(
      QStringLiteral("The file with this name will be used for transmission."));
  SetFileStatus(QStringLiteral("Not Open"));
}

void ScriptTab::LoadFileIntoMemo() {
  QFile file(cmbRTFilename->currentText());
  if (!file.open(QIODevice::ReadOnly)) {
    Box(QStringLiteral("File Open Error"), QStringLiteral("Unable to open file for reading"));
    return;
  }
  redRTCommands->setPlainText(QString::fromLocal8Bit(file.readAll()));
  interpreter_.RewindScript();
}

void ScriptTab::Browse() {
  const QFileInfo current(cmbRTFilename->currentText());
  const QString chosen =
      QFileDialog::getOpenFileName(this, QStringLiteral("Script file"), current.absoluteFilePath());
  if (chosen.isEmpty()) return;
  cmbRTFilename->setCurrentText(chosen);
  FileNameEdited();
  OpenRtFile();
}

void ScriptTab::SourceClicked() {
  const bool file = rbtRTFile->isChecked();
  interpreter_.Source().UseMemo(!file);
  const QPalette& base = QWidget::palette();
  QPalette active = base;
  QPalette inactive = base;
  inactive.setColor(QPalette::Base, base.color(QPalette::Window));
  cmbRTFilename->setPalette(file ? active : inactive);
  redRTCommands->setPalette(file ? inactive : active);
  lblRTStatusCaption->setVisible(file);
  lblRTFileStatus->setVisible(file);
  lblRTStdTests->setVisible(!file);
  cmbRTStdTests->setVisible(!file);
  btnRTLoadStandardTest->setVisible(!file);
  RewindClicked();
}

void ScriptTab::LoadStandardTest() {
  const QString name = cmbRTStdTests->currentText();
  for (const StandardTest& test : StandardTests()) {
    if (name.isEmpty() || name != QString::fromLatin1(test.name)) continue;
    redRTCommands->setPlainText(QString::fromLatin1(test.script));
    RewindClicked();
    return;
  }
}

void ScriptTab::ClearMessages() {
  memRTStatusMessages->clear();
  repeat_.Clear();
  interpreter_.ClearScriptStatus();
}

void ScriptTab::SetFileStatus(const QString& status) {
  lblRTFileStatus->setText(status);
}

// ---------------------------------------------------------------- output

void ScriptTab::ScriptMessage(std::string_view line) {
  std::string shown;
  if (repeat_.Next(line, shown) == ScriptMessageRepeat::Action::kReplaceLast) {
    QTextCursor cursor(memRTStatusMessages->document()->lastBlock());
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(FromView(shown));
    return;
  }
  memRTStatusMessages->appendPlainText(FromView(shown));
}

void ScriptTab::ScriptTrace(std::string_view text) {
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    memRTIncoming->appendPlainText(FromView(line));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

void ScriptTab::Box(const QString& title, const QString& text) {
  if (boxSink_) {
    boxSink_(title, text);
    return;
  }
  QMessageBox box(title.isEmpty() ? QMessageBox::Information : QMessageBox::Warning, title, text,
                  QMessageBox::Ok, this);
  box.exec();
}

void ScriptTab::ShowBox(std::string_view title, std::string_view text) {
  Box(FromView(title), FromView(text));
}

std::optional<bool> ScriptTab::AskYesNo(std::string_view question) {
  QMessageBox box(QMessageBox::Question, QString(), FromView(question),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, this);
  const int answer = box.exec();
  if (answer == QMessageBox::Yes) return true;
  if (answer == QMessageBox::No) return false;
  return std::nullopt;
}

std::optional<std::string> ScriptTab::AskInput(std::string_view prompt) {
  bool ok = false;
  const QString text =
      QInputDialog::getText(this, QString(), FromView(prompt), QLineEdit::Normal, QString(), &ok);
  if (!ok) return std::nullopt;
  return text.toStdString();
}

void ScriptTab::ScriptStateChanged() {
  const bool running = interpreter_.Running();
  const bool stepping = interpreter_.SingleStepping();
  btnRTSend->setText(running ? QStringLiteral("&Stop Sending") : QStringLiteral("&Send"));
  btnRTSendOne->setText(stepping ? QStringLiteral("Abort One") : QStringLiteral("Send &One"));
  const int ticks =
      interpreter_.WaitTicks() > 0 ? interpreter_.WaitTicks() : interpreter_.ReplyTicks();
  lblRTTimerLeft->setText(QString::number(ticks));
  lblRTLinesSent->setText(QString::number(interpreter_.LinesSent()));
  lblRTTimeouts->setText(QString::number(interpreter_.Timeouts()));
  lblRTErrors->setText(QString::number(interpreter_.Errors()));
  lblRTSendCount->setText(QString::number(interpreter_.ResendCount()));
  const std::string& sent = interpreter_.LastSent();
  pnlRTSentMessage->setText(FromView(std::string_view(sent).substr(0, sent.find_first_of("\r\n"))));
  if (speRTRetryLimit->value() != interpreter_.RetryLimit()) {
    const QSignalBlocker blocker(speRTRetryLimit);
    speRTRetryLimit->setValue(interpreter_.RetryLimit());
  }
  if (cmbRTChan->currentIndex() != interpreter_.Channel()) {
    const QSignalBlocker blocker(cmbRTChan);
    cmbRTChan->setCurrentIndex(interpreter_.Channel());
  }
  if (speRTReaderID->value() != interpreter_.ReaderId()) {
    const QSignalBlocker blocker(speRTReaderID);
    speRTReaderID->setValue(interpreter_.ReaderId());
  }
  const bool fileOpen = interpreter_.Source().FileOpen();
  if (fileWasOpen_ && !fileOpen) {
    // The end of the file or `stop` closed it.
    btnRTReopen->setText(QStringLiteral("Open"));
    SetFileStatus(QStringLiteral("Not Open"));
  } else if (fileOpen && (running || stepping)) {
    SetFileStatus(QStringLiteral("Open"));
  }
  fileWasOpen_ = fileOpen;
  ShowCurrentLine();
}

void ScriptTab::ShowCurrentLine() {
  if (!interpreter_.Source().UsesMemo()) return;
  const bool active = interpreter_.Running() || interpreter_.SingleStepping();
  int line = interpreter_.Source().MemoIndex() - (active ? 1 : 0);
  const int count = redRTCommands->document()->blockCount();
  if (line < 0) line = 0;
  if (line >= count) line = count - 1;
  if (line == shownLine_) return;
  shownLine_ = line;
  lblRTLineNo->setText(QString::number(line + 1));
  QTextEdit::ExtraSelection selection;
  selection.format.setBackground(palette().color(QPalette::Highlight).lighter(160));
  selection.format.setProperty(QTextFormat::FullWidthSelection, true);
  selection.cursor = QTextCursor(redRTCommands->document()->findBlockByNumber(line));
  redRTCommands->setExtraSelections({selection});
}

// ---------------------------------------------------------------- statements

TabOutcome ScriptTab::RunTabStatement(std::string_view statement, std::string_view args) {
  if (!EqualsIgnoreCase(statement, "SetRTTrack")) return {};
  long long number = 0;
  bool on = false;
  if (ParseScriptInteger(args, &number) && (number == 0 || number == 1)) {
    on = number == 1;
  } else if (EqualsIgnoreCase(args, "on") || EqualsIgnoreCase(args, "off")) {
    on = EqualsIgnoreCase(args, "on");
  } else {
    return {TabOutcome::kRefused, "Parameter must be 0/1 or off/on \"" + std::string(args) + "\""};
  }
  ckbRTTrack->setChecked(on);
  return {TabOutcome::kDone, {}};
}

// ---------------------------------------------------------------- recording

std::string ScriptTab::LastLine() const {
  return redRTCommands->document()->lastBlock().text().toStdString();
}

void ScriptTab::AppendLine(std::string_view line) {
  const QTextBlock last = redRTCommands->document()->lastBlock();
  QTextCursor cursor(last);
  cursor.movePosition(QTextCursor::EndOfBlock);
  // A memo that ends in an empty line takes the first recorded line there.
  cursor.insertText(last.text().isEmpty() ? FromView(line) : '\n' + FromView(line));
}

void ScriptTab::ReplaceLastLine(std::string_view line) {
  QTextCursor cursor(redRTCommands->document()->lastBlock());
  cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
  cursor.insertText(FromView(line));
}

}  // namespace corvalis
