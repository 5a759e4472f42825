#include "tagrw/ui/MultiPagePage.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

#include "app/AppContext.h"
#include "common/ui/ChannelCombo.h"
#include "common/ui/Named.h"
#include "control/ui/HistoryCombo.h"
#include "script/ui/ScriptTab.h"

namespace corvalis {
namespace {

constexpr int kDataWithCrc = 12;
const char kDefaultPage[] = "00000000ffff0000";
constexpr int kProgressMs = 100;

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

QString Numbered(const char* stem, int n) {
  return QLatin1String(stem) + QString::number(n);
}

}  // namespace

MultiPagePage::MultiPagePage(AppContext& context, ScriptTab& scriptTab, QWidget* parent)
    : QWidget(parent), context_(context), scriptTab_(scriptTab) {
  pageData_.fill(kDefaultPage);
  readBack_.fill(std::string());
  for (size_t p = 0; p < pageCrc_.size(); ++p)
    pageCrc_[p] = MultiPageCrc(pageData_[p], MultiPageCrcKind::kKvq);
  BuildControls();
  progressTimer_ = new QTimer(this);
  progressTimer_->setInterval(kProgressMs);
  connect(progressTimer_, &QTimer::timeout, this, &MultiPagePage::ShowProgress);
  context_.dispatcher().AddObserver(this);
  StartPageChanged();
}

MultiPagePage::~MultiPagePage() {
  context_.dispatcher().RemoveObserver(this);
}

void MultiPagePage::BuildControls() {
  cmbMPChannel = NewChannelCombo("cmbMPChannel", this);
  speMPReaderID = Named(new QSpinBox(this), "speMPReaderID");
  speMPReaderID->setRange(0, 255);
  speMPStartPage = Named(new QSpinBox(this), "speMPStartPage");
  speMPStartPage->setRange(1, kMultiPageEnd - 1);
  speMPStartPage->setValue(1);
  speMPNumPages = Named(new QSpinBox(this), "speMPNumPages");
  speMPNumPages->setRange(1, kMultiPageMaxPages);
  speMPNumPages->setValue(kMultiPageMaxPages);

  auto* pages = Named(new QGroupBox(QStringLiteral("Pages"), this), "grpMPPages");
  auto* grid = new QGridLayout(pages);
  grid->addWidget(new QLabel(QStringLiteral("Page"), pages), 0, 0);
  grid->addWidget(new QLabel(QStringLiteral("Data"), pages), 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("CRC"), pages), 0, 2);
  grid->addWidget(new QLabel(QStringLiteral("Read (Get)"), pages), 0, 3);
  for (int i = 0; i < kMultiPageMaxPages; ++i) {
    const auto k = static_cast<size_t>(i);
    lblMPPage[k] = new QLabel(pages);
    lblMPPage[k]->setObjectName(Numbered("lblMPPage", i + 1));
    cmbMPData[k] = new QComboBox(pages);
    SetUpHistoryCombo(cmbMPData[k], Numbered("cmbMPData", i + 1));
    cmbMPData[k]->setMinimumContentsLength(kPageDigits);
    edtMPCRC[k] = new QLineEdit(pages);
    edtMPCRC[k]->setObjectName(Numbered("edtMPCRC", i + 1));
    edtMPCRC[k]->setReadOnly(true);
    edtMPCRC[k]->setMaxLength(4);
    edtMPCRC[k]->setMaximumWidth(60);
    lblMPRead[k] = new QLabel(pages);
    lblMPRead[k]->setObjectName(Numbered("lblMPRead", i + 1));
    lblMPRead[k]->setMinimumWidth(150);
    grid->addWidget(lblMPPage[k], i + 1, 0);
    grid->addWidget(cmbMPData[k], i + 1, 1);
    grid->addWidget(edtMPCRC[k], i + 1, 2);
    grid->addWidget(lblMPRead[k], i + 1, 3);
    connect(cmbMPData[k], &QComboBox::editTextChanged, this, [this, i] { PageEdited(i); });
  }
  grid->setRowStretch(kMultiPageMaxPages + 1, 1);  // spare height below the pages
  grid->setColumnStretch(3, 1);

  auto* crcBox = Named(new QGroupBox(QStringLiteral("Data CRC"), this), "grpMPCRC");
  ckbMPGenerateDataCRC =
      Named(new QCheckBox(QStringLiteral("Generate CRC"), crcBox), "ckbMPGenerateDataCRC");
  rbtMPCCITT = Named(new QRadioButton(QStringLiteral("CCITT"), crcBox), "rbtMPCCITT");
  rbtMPKVQ = Named(new QRadioButton(QStringLiteral("KVQ"), crcBox), "rbtMPKVQ");
  rbtMPR5180 = Named(new QRadioButton(QStringLiteral("R5180"), crcBox), "rbtMPR5180");
  rbtMPKVQ->setChecked(true);
  auto* crcRow = new QHBoxLayout(crcBox);
  for (QWidget* w :
       std::initializer_list<QWidget*>{ckbMPGenerateDataCRC, rbtMPCCITT, rbtMPKVQ, rbtMPR5180})
    crcRow->addWidget(w);

  auto* targetBox = Named(new QGroupBox(QStringLiteral("Target"), this), "grpMPTarget");
  rbtMPSpecific = Named(new QRadioButton(QStringLiteral("Specific"), targetBox), "rbtMPSpecific");
  rbtMPAddressed =
      Named(new QRadioButton(QStringLiteral("Addressed"), targetBox), "rbtMPAddressed");
  rbtMPAnyTag = Named(new QRadioButton(QStringLiteral("All Tags"), targetBox), "rbtMPAnyTag");
  rbtMPImmediate =
      Named(new QRadioButton(QStringLiteral("Immediate"), targetBox), "rbtMPImmediate");
  rbtMPAddressed->setChecked(true);
  ckbMPContinuous =
      Named(new QCheckBox(QStringLiteral("Continuous"), targetBox), "ckbMPContinuous");
  ckbMPAutoSusp = Named(new QCheckBox(QStringLiteral("Auto Suspend"), targetBox), "ckbMPAutoSusp");
  ckbMPAutoSusp->setChecked(true);
  cmbMPTagID = new QComboBox(targetBox);
  SetUpHistoryCombo(cmbMPTagID, QStringLiteral("cmbMPTagID"));
  cmbMPTagID->setMinimumContentsLength(kPageDigits);
  auto* targetGrid = new QGridLayout(targetBox);
  targetGrid->addWidget(rbtMPSpecific, 0, 0);
  targetGrid->addWidget(rbtMPAddressed, 0, 1);
  targetGrid->addWidget(rbtMPAnyTag, 0, 2);
  targetGrid->addWidget(rbtMPImmediate, 0, 3);
  targetGrid->addWidget(ckbMPContinuous, 1, 0);
  targetGrid->addWidget(ckbMPAutoSusp, 1, 1);
  targetGrid->addWidget(new QLabel(QStringLiteral("Tag ID"), targetBox), 2, 0);
  targetGrid->addWidget(cmbMPTagID, 2, 1, 1, 3);

  auto* textBox = Named(new QGroupBox(QStringLiteral("Text"), this), "grpMPText");
  cmbMPText = new QComboBox(textBox);
  SetUpHistoryCombo(cmbMPText, QStringLiteral("cmbMPText"));
  auto* useText = Named(new QPushButton(QStringLiteral("Use Text"), textBox), "btnMPUseText");
  auto* textRow = new QHBoxLayout(textBox);
  textRow->addWidget(cmbMPText, 1);
  textRow->addWidget(useText);

  auto* maskBox = Named(new QGroupBox(QStringLiteral("Match Mask"), this), "grpMWMask");
  cmbMWMask = new QComboBox(maskBox);
  SetUpHistoryCombo(cmbMWMask, QStringLiteral("cmbMWMask"));
  cmbMWMask->setMinimumContentsLength(kPageDigits);
  auto* maskSend = Named(new QPushButton(QStringLiteral("Send"), maskBox), "btnMWSendMask");
  auto* maskGet = Named(new QPushButton(QStringLiteral("Get"), maskBox), "btnMWGetMask");
  auto* maskRow = new QHBoxLayout(maskBox);
  maskRow->addWidget(cmbMWMask, 1);
  maskRow->addWidget(maskSend);
  maskRow->addWidget(maskGet);

  auto* send = Named(new QPushButton(QStringLiteral("Send"), this), "btnMPSend");
  auto* get = Named(new QPushButton(QStringLiteral("Get"), this), "btnMPGet");
  auto* write = Named(new QPushButton(QStringLiteral("Write"), this), "btnMPWrite");
  lblMPSuccess = Named(new QLabel(QStringLiteral("--------------"), this), "lblMPSuccess");
  lblMPSuccess->setMinimumWidth(110);
  lblMPStatus = Named(new QLabel(this), "lblMPStatus");
  lblMPStatus->setStyleSheet(QStringLiteral("color: #a00000;"));
  lblMPProgress = Named(new QLabel(this), "lblMPProgress");

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("Channel"), this));
  top->addWidget(cmbMPChannel);
  top->addWidget(new QLabel(QStringLiteral("Reader ID"), this));
  top->addWidget(speMPReaderID);
  top->addWidget(new QLabel(QStringLiteral("Start Page"), this));
  top->addWidget(speMPStartPage);
  top->addWidget(new QLabel(QStringLiteral("Pages"), this));
  top->addWidget(speMPNumPages);
  top->addStretch();
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(send);
  buttons->addWidget(get);
  buttons->addWidget(write);
  buttons->addWidget(lblMPSuccess);
  buttons->addWidget(lblMPProgress, 1);
  auto* right = new QVBoxLayout;
  right->addWidget(crcBox);
  right->addWidget(targetBox);
  right->addWidget(textBox);
  right->addWidget(maskBox);
  right->addStretch();
  auto* middle = new QHBoxLayout;
  middle->addWidget(pages, 1);
  middle->addLayout(right);
  auto* page = new QVBoxLayout(this);
  page->addLayout(top);
  page->addLayout(middle, 1);
  page->addLayout(buttons);
  page->addWidget(lblMPStatus);

  connect(speMPStartPage, &QSpinBox::valueChanged, this, &MultiPagePage::StartPageChanged);
  connect(speMPNumPages, &QSpinBox::valueChanged, this, &MultiPagePage::StartPageChanged);
  connect(ckbMPGenerateDataCRC, &QCheckBox::toggled, this, &MultiPagePage::ShowPages);
  for (QRadioButton* kind : {rbtMPCCITT, rbtMPKVQ, rbtMPR5180})
    connect(kind, &QRadioButton::toggled, this, &MultiPagePage::UpdateCrcs);
  connect(send, &QPushButton::clicked, this, &MultiPagePage::Send);
  connect(get, &QPushButton::clicked, this, &MultiPagePage::Get);
  connect(write, &QPushButton::clicked, this, &MultiPagePage::Write);
  connect(useText, &QPushButton::clicked, this, &MultiPagePage::UseText);
  connect(maskSend, &QPushButton::clicked, this, &MultiPagePage::SendMask);
  connect(maskGet, &QPushButton::clicked, this, &MultiPagePage::GetMask);
}

int MultiPagePage::StartPage() const {
  return speMPStartPage->value();
}

int MultiPagePage::NumPages() const {
  return speMPNumPages->value();
}

MultiPageCrcKind MultiPagePage::CrcKind() const {
  if (rbtMPCCITT->isChecked()) return MultiPageCrcKind::kCcitt;
  if (rbtMPR5180->isChecked()) return MultiPageCrcKind::kR5180;
  return MultiPageCrcKind::kKvq;
}

void MultiPagePage::StartPageChanged() {
  const int limited = LimitPageCount(StartPage(), NumPages());
  if (limited != NumPages()) {
    const QSignalBlocker block(speMPNumPages);
    speMPNumPages->setValue(limited);
  }
  ShowPages();
}

void MultiPagePage::ShowPages() {
  showing_ = true;
  const bool crc = ckbMPGenerateDataCRC->isChecked();
  for (int i = 0; i < kMultiPageMaxPages; ++i) {
    const auto k = static_cast<size_t>(i);
    const int p = StartPage() + i;
    const bool used = i < NumPages();
    lblMPPage[k]->setText(QString::number(p));
    const auto stored = static_cast<size_t>(p & 15);
    cmbMPData[k]->lineEdit()->setMaxLength(crc ? kDataWithCrc : kPageDigits);
    cmbMPData[k]->setEditText(
        Text(crc ? pageData_[stored].substr(0, kDataWithCrc) : pageData_[stored]));
    edtMPCRC[k]->setText(Text(pageCrc_[stored]));
    edtMPCRC[k]->setVisible(crc && used);
    lblMPRead[k]->setText(Text(readBack_[stored]));
    for (QWidget* w : std::initializer_list<QWidget*>{lblMPPage[k], cmbMPData[k], lblMPRead[k]})
      w->setEnabled(used);
  }
  showing_ = false;
}

void MultiPagePage::PageEdited(int row) {
  if (showing_) return;
  const auto stored = static_cast<size_t>((StartPage() + row) & 15);
  const std::string typed = cmbMPData[static_cast<size_t>(row)]->currentText().toStdString();
  if (ckbMPGenerateDataCRC->isChecked()) {
    // The typed 12 digits replace the front of the stored page.
    std::string page = PadRight(typed, kDataWithCrc);
    pageCrc_[stored] = MultiPageCrc(page, CrcKind());
    pageData_[stored] = page.substr(0, kDataWithCrc) + pageCrc_[stored];
    edtMPCRC[static_cast<size_t>(row)]->setText(Text(pageCrc_[stored]));
  } else {
    pageData_[stored] = typed;
    pageCrc_[stored] = MultiPageCrc(typed, CrcKind());
  }
}

void MultiPagePage::UpdateCrcs() {
  for (size_t p = 0; p < pageData_.size(); ++p) {
    pageCrc_[p] = MultiPageCrc(pageData_[p], CrcKind());
    if (ckbMPGenerateDataCRC->isChecked())
      pageData_[p] = PadRight(pageData_[p], kDataWithCrc).substr(0, kDataWithCrc) + pageCrc_[p];
  }
  ShowPages();
}

bool MultiPagePage::RunScript(const std::vector<std::string>& lines, const QString& what) {
  lblMPStatus->clear();
  if (scriptTab_.ScriptBusy()) {
    // The operator's own script keeps running; it is not replaced half way.
    lblMPStatus->setText(QStringLiteral("A script is running on the RT tab: stop it first"));
    return false;
  }
  QString text;
  for (const std::string& line : lines) text += Text(line) + QLatin1Char('\n');
  running_ = what;
  runPages_ = NumPages();
  scriptTab_.RunGeneratedScript(cmbMPChannel->currentIndex(), text);
  ShowProgress();
  progressTimer_->start();
  return true;
}

void MultiPagePage::ShowProgress() {
  // The script counts the pages in x1, one "Inc x1" after each page's line.
  const int done = std::clamp(context_.interpreter().Variables().x[1] - 1, 0, runPages_);
  if (!scriptTab_.ScriptBusy()) {
    progressTimer_->stop();
    lblMPProgress->setText(
        QStringLiteral("%1: %2 of %3 pages done").arg(running_).arg(done).arg(runPages_));
    return;
  }
  lblMPProgress->setText(
      QStringLiteral("%1: page %2 of %3").arg(running_).arg(done + 1).arg(runPages_));
}

void MultiPagePage::Send() {
  std::array<std::string, kTagPages> pages = pageData_;
  if (ckbMPGenerateDataCRC->isChecked()) {
    for (size_t p = 0; p < pages.size(); ++p)
      pages[p] = PadRight(pages[p], kDataWithCrc).substr(0, kDataWithCrc) + pageCrc_[p];
  }
  RunScript(LoadBufferScript(speMPReaderID->value(), StartPage(), NumPages(), pages),
            QStringLiteral("Send"));
}

void MultiPagePage::Get() {
  for (int p = StartPage(); p < StartPage() + NumPages(); ++p)
    readBack_[static_cast<size_t>(p & 15)].clear();
  ShowPages();
  RunScript(ReadBufferScript(speMPReaderID->value(), StartPage(), NumPages()),
            QStringLiteral("Get"));
}

void MultiPagePage::Write() {
  lblMPSuccess->setText(QStringLiteral("--------------"));
  const QString tagId =
      QString::fromStdString(PadRight(cmbMPTagID->currentText().toStdString(), kPageDigits));
  cmbMPTagID->setEditText(tagId);
  AddToHistory(cmbMPTagID);
  TransmitTarget target = TransmitTarget::kAddressed;
  if (rbtMPSpecific->isChecked()) target = TransmitTarget::kSpecific;
  if (rbtMPAnyTag->isChecked()) target = TransmitTarget::kAllTags;
  if (rbtMPImmediate->isChecked()) target = TransmitTarget::kImmediate;
  const std::string body = MultiPageWriteBody(context_.transmitSequence(), StartPage(), NumPages(),
                                              target, ckbMPContinuous->isChecked(),
                                              ckbMPAutoSusp->isChecked(), tagId.toStdString());
  context_.console().SendCapturable(cmbMPChannel->currentIndex(), speMPReaderID->value(), body);
}

void MultiPagePage::UseText() {
  AddToHistory(cmbMPText);
  const PackedText packed = PackTextIntoPages(cmbMPText->currentText().toStdString(),
                                              ckbMPGenerateDataCRC->isChecked(), CrcKind());
  if (!packed.error.empty()) {
    lblMPStatus->setText(Text(packed.error));
    return;
  }
  lblMPStatus->clear();
  for (size_t k = 0; k < packed.pages.size(); ++k) {
    const size_t page = k + 1;
    pageData_[page] = packed.pages[k];
    pageCrc_[page] = ckbMPGenerateDataCRC->isChecked() ? packed.pages[k].substr(kDataWithCrc)
                                                       : MultiPageCrc(packed.pages[k], CrcKind());
    context_.tagRw().SetPageData(static_cast<int>(page), packed.pages[k]);
  }
  ShowPages();
}

void MultiPagePage::SendMask() {
  AddToHistory(cmbMWMask);
  const std::string mask = LowerCase(PadRight(cmbMWMask->currentText().toStdString(), kPageDigits));
  context_.console().SendReaderCommand(cmbMPChannel->currentIndex(), speMPReaderID->value(),
                                       "0822" + mask);
}

void MultiPagePage::GetMask() {
  context_.console().SendReaderCommand(cmbMPChannel->currentIndex(), speMPReaderID->value(),
                                       "ff22");
}

void MultiPagePage::ObserveMessage(int channel, const char* text, int length) {
  if (channel != cmbMPChannel->currentIndex()) return;
  const std::string_view line(text, static_cast<size_t>(length));
  const BufferPage page = BufferPageOfReply(line);
  if (page.page >= 0) {
    readBack_[static_cast<size_t>(page.page)] = page.data;
    const int row = page.page - StartPage();
    if (row >= 0 && row < kMultiPageMaxPages)
      lblMPRead[static_cast<size_t>(row)]->setText(Text(page.data));
    return;
  }
  // The controller acknowledges the multi-page transmit with code 2d.
  if (line.size() >= 8 && line.substr(0, 2) == "ab" && line.substr(6, 2) == "2d")
    lblMPSuccess->setText(QStringLiteral("Acknowledged"));
}

}  // namespace corvalis
