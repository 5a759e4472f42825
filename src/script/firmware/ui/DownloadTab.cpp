#include "script/firmware/ui/DownloadTab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/Settings.h"
#include "common/ui/Named.h"
#include "control/ui/HistoryCombo.h"
#include "script/firmware/HexCleaner.h"

namespace corvalis {
namespace {

QString Text(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

DownloadTab::DownloadTab(FirmwareDownload& download, QWidget* parent)
    : QWidget(parent), download_(download) {
  setObjectName("tbsDownload");
  download_.SetView(this);

  cmbDownloadChan = Named(new QComboBox, "cmbDownloadChan");
  cmbDownloadChan->addItems({"Chan 1", "Chan 2", "Chan 3", "Chan 4", "Out 1"});
  speDownLoadReaderID = Named(new QSpinBox, "speDownLoadReaderID");
  speDownLoadReaderID->setRange(0, 255);

  auto* source = new QGroupBox("Source");
  auto* sourceGrid = new QGridLayout(source);
  rbtFile = Named(new QRadioButton("File"), "rbtFile");
  rbtMemo = Named(new QRadioButton("Memo -->"), "rbtMemo");
  rbtFile->setChecked(true);
  cmbDownloadFilename = new QComboBox;
  SetUpHistoryCombo(cmbDownloadFilename, "cmbDownloadFilename");
  auto* browse = Named(new QPushButton("..."), "btnBrowse");
  auto* reopen = Named(new QPushButton("Open"), "btnReopen");
  auto* load = Named(new QPushButton("Load"), "btnLoad");
  lblFileStatus = Named(new QLabel("Closed"), "lblFileStatus");
  sourceGrid->addWidget(rbtFile, 0, 0);
  sourceGrid->addWidget(rbtMemo, 0, 1);
  sourceGrid->addWidget(cmbDownloadFilename, 1, 0, 1, 3);
  sourceGrid->addWidget(browse, 1, 3);
  sourceGrid->addWidget(reopen, 2, 0);
  sourceGrid->addWidget(load, 2, 1);
  sourceGrid->addWidget(lblFileStatus, 2, 2, 1, 2);
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString name = QFileDialog::getOpenFileName(this, "HEX file", QString(),
                                                      "HEX files (*.hex);;All files (*)");
    if (!name.isEmpty()) cmbDownloadFilename->setCurrentText(name);
  });
  connect(reopen, &QPushButton::clicked, this, &DownloadTab::OpenFile);
  connect(load, &QPushButton::clicked, this, [this] {
    QFile in(cmbDownloadFilename->currentText());
    if (in.open(QIODevice::ReadOnly)) redHexCode->setPlainText(QString::fromLatin1(in.readAll()));
  });

  btnDownloadSend = Named(new QPushButton("&Send"), "btnDownloadSend");
  auto* sendOne = Named(new QPushButton("Send &One"), "btnSendOne");
  auto* rewind = Named(new QPushButton("Rewind"), "btnRewind");
  auto* resend = Named(new QPushButton("Resend"), "btnResend");
  speRetryLimit = Named(new QSpinBox, "speRetryLimit");
  speRetryLimit->setRange(0, kRetryLimitMax);
  speRetryLimit->setValue(kRetryLimitDefault);
  btnErasePIC = Named(new QPushButton("Erase PIC"), "btnErasePIC");
  btnCapture = Named(new QPushButton("Capture"), "btnCapture");
  btnCapture->setToolTip(
      "Send a continuous stream of \"LO\" characters to keep the controller in download mode after "
      "booting.");
  auto* boot = Named(new QPushButton("Boot"), "btnBoot");
  auto* reset = Named(new QPushButton("Reset"), "btnReset");
  auto* bootI = Named(new QPushButton("I"), "btnBootI");
  auto* bootQ = Named(new QPushButton("Q"), "btnBootQ");
  bootI->setToolTip("Download code to the \"I\" decoder");
  bootQ->setToolTip("Download code to the \"Q\" decoder");
  ckbDownload9600 = Named(new QCheckBox("set baud 9600"), "ckbDownload9600");
  ckbDownload9600->setChecked(true);
  ckbDownload9600->setToolTip(
      "If checked the baudrate of the active channel is set to 9600 for downloader compatability");
  auto* clean = Named(new QPushButton("Clean File"), "btnCleanFile");

  connect(btnDownloadSend, &QPushButton::clicked, this, [this] {
    ApplySettings();
    if (download_.Sending()) {
      download_.StopSending();
      return;
    }
    UseSource();
    download_.StartSending();
    if (rbtFile->isChecked() && file_.IsOpen()) lblFileStatus->setText("Open - at BOF");
  });
  connect(sendOne, &QPushButton::clicked, this, [this] {
    ApplySettings();
    UseSource();
    download_.SendOne();
  });
  connect(rewind, &QPushButton::clicked, this, [this] {
    UseSource();
    OpenFile();
  });
  connect(resend, &QPushButton::clicked, this, [this] { download_.Resend(); });
  connect(btnErasePIC, &QPushButton::clicked, this, [this] {
    ApplySettings();
    if (download_.Sending()) {
      download_.StopSending();
    } else {
      download_.StartErasing();
    }
  });
  connect(btnCapture, &QPushButton::clicked, this, [this] {
    ApplySettings();
    download_.ToggleCapture();
  });
  connect(boot, &QPushButton::clicked, this, [this] {
    ApplySettings();
    download_.Boot(BootCommand::kBoot);
  });
  connect(reset, &QPushButton::clicked, this, [this] {
    ApplySettings();
    download_.Boot(BootCommand::kReset);
  });
  connect(bootI, &QPushButton::clicked, this, [this] {
    ApplySettings();
    download_.BootDecoder(false);
  });
  connect(bootQ, &QPushButton::clicked, this, [this] {
    ApplySettings();
    download_.BootDecoder(true);
  });
  connect(clean, &QPushButton::clicked, this, &DownloadTab::CleanFile);

  redHexCode = Named(new QPlainTextEdit, "redHexCode");
  memIncoming = Named(new QPlainTextEdit, "memIncoming");
  memIncoming->setReadOnly(true);
  memIncoming->setMaximumBlockCount(kIncomingLinesKept);
  memStatusMessages = Named(new QPlainTextEdit, "memStatusMessages");
  memStatusMessages->setReadOnly(true);
  pnlSentMessage = Named(new QLabel, "pnlSentMessage");
  pnlSentMessage->setFrameShape(QFrame::Panel);
  lblSendCount = Named(new QLabel("0"), "lblSendCount");
  auto* clearIncoming = Named(new QPushButton("Clear"), "btnClearIncoming");
  auto* clearStatus = Named(new QPushButton("Clear"), "btnClearStatus");
  connect(clearIncoming, &QPushButton::clicked, memIncoming, &QPlainTextEdit::clear);
  connect(clearStatus, &QPushButton::clicked, memStatusMessages, &QPlainTextEdit::clear);

  auto* controls = new QGridLayout;
  controls->addWidget(cmbDownloadChan, 0, 0);
  controls->addWidget(new QLabel("Reader ID"), 0, 1);
  controls->addWidget(speDownLoadReaderID, 0, 2);
  controls->addWidget(source, 1, 0, 1, 4);
  controls->addWidget(btnDownloadSend, 2, 0);
  controls->addWidget(sendOne, 2, 1);
  controls->addWidget(rewind, 2, 2);
  controls->addWidget(resend, 2, 3);
  controls->addWidget(new QLabel("Resend limit"), 3, 0);
  controls->addWidget(speRetryLimit, 3, 1);
  controls->addWidget(btnErasePIC, 3, 2);
  controls->addWidget(clean, 3, 3);
  controls->addWidget(btnCapture, 4, 0);
  controls->addWidget(boot, 4, 1);
  controls->addWidget(reset, 4, 2);
  controls->addWidget(ckbDownload9600, 4, 3);
  controls->addWidget(bootI, 5, 0);
  controls->addWidget(bootQ, 5, 1);
  controls->addWidget(pnlSentMessage, 6, 0, 1, 3);
  controls->addWidget(lblSendCount, 6, 3);
  controls->addWidget(new QLabel("Incoming"), 7, 0);
  controls->addWidget(clearIncoming, 7, 3);
  controls->addWidget(memIncoming, 8, 0, 1, 4);
  controls->addWidget(new QLabel("Status"), 9, 0);
  controls->addWidget(clearStatus, 9, 3);
  controls->addWidget(memStatusMessages, 10, 0, 1, 4);

  auto* top = new QHBoxLayout(this);
  top->addLayout(controls);
  top->addWidget(redHexCode, 1);
}

DownloadTab::~DownloadTab() {
  download_.SetView(nullptr);
  if (download_.Sending()) download_.StopSending();
  download_.SetSource(nullptr);
}

void DownloadTab::LoadFromSettings(const Settings& settings) {
  const QStringList history = settings.History(QStringLiteral("cmbDownloadFilename"));
  if (!history.isEmpty()) SetHistoryItems(cmbDownloadFilename, history);
}

void DownloadTab::StoreToSettings(Settings& settings) const {
  settings.History(QStringLiteral("cmbDownloadFilename")) = HistoryItems(cmbDownloadFilename);
}

void DownloadTab::ApplySettings() {
  download_.SetChannel(cmbDownloadChan->currentIndex());
  download_.SetReaderId(speDownLoadReaderID->value());
  download_.SetSet9600(ckbDownload9600->isChecked());
  download_.SetRetryLimit(speRetryLimit->value());
}

void DownloadTab::UseSource() {
  if (rbtMemo->isChecked()) {
    memo_.SetText(redHexCode->toPlainText().toStdString());
    download_.SetSource(&memo_);
  } else {
    AddToHistory(cmbDownloadFilename);
    file_.SetPath(cmbDownloadFilename->currentText().toStdString());
    download_.SetSource(&file_);
  }
}

void DownloadTab::OpenFile() {
  AddToHistory(cmbDownloadFilename);
  file_.SetPath(cmbDownloadFilename->currentText().toStdString());
  lblFileStatus->setText(file_.Rewind() ? "Open - at BOF" : "Not Open");
}

void DownloadTab::CleanFile() {
  const CleanResult result = CleanHexFile(cmbDownloadFilename->currentText().toStdString());
  if (!result.ok) {
    QMessageBox::warning(this, QString::fromStdString(result.title),
                         QString::fromStdString(result.message));
    return;
  }
  cmbDownloadFilename->setCurrentText(QString::fromStdString(result.outputPath));
  OpenFile();
}

void DownloadTab::ShowStatusMessage(std::string_view text) {
  memStatusMessages->appendPlainText(Text(text));
}

void DownloadTab::ShowSentLine(std::string_view line, int resendCount) {
  pnlSentMessage->setText(QString("%1 (%2)").arg(Text(line)).arg(resendCount));
  lblSendCount->setText(QString::number(download_.LinesSent()));
  if (rbtMemo->isChecked()) {
    // The memo shows the record being sent as its selection.
    QTextCursor cursor = redHexCode->textCursor();
    cursor.setPosition(static_cast<int>(memo_.SelectionStart()));
    cursor.setPosition(static_cast<int>(memo_.SelectionEnd()), QTextCursor::KeepAnchor);
    redHexCode->setTextCursor(cursor);
  }
}

void DownloadTab::ShowIncoming(std::string_view text) {
  memIncoming->moveCursor(QTextCursor::End);
  QString shown = Text(text);
  shown.replace("\r\n", "\n").replace('\r', '\n');
  memIncoming->insertPlainText(shown);
}

void DownloadTab::ShowState() {
  btnDownloadSend->setText(download_.Sending() && !download_.Erasing() ? "&Stop Sending" : "&Send");
  btnErasePIC->setText(download_.Erasing() ? "&Stop Erase" : "Erase PIC");
  btnCapture->setText(download_.Capturing() ? "Stop Capture" : "Capture");
  if (rbtFile->isChecked() && !file_.IsOpen() && lblFileStatus->text().startsWith("Open"))
    lblFileStatus->setText("Not Open");
}

}  // namespace corvalis
