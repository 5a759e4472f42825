#include "demos/ui/PlugTestWindow.h"

#include <QCheckBox>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QRadioButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "demos/ui/DemoWidgets.h"
#include "tags/ui/TagNamesPage.h"

namespace corvalis {

namespace {

// The grid starts with 10 rows and grows by 10 whenever it is full.
constexpr int kGridStep = 10;

int GridRows(int lines) {
  return (lines / kGridStep + 1) * kGridStep;
}

}  // namespace

PlugTestPanelWidget::PlugTestPanelWidget(int index, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("frmR1%1").arg(index + 1));
  lblReader = new QLabel(tr("Interrogator %1").arg(index + 1));
  lblReader->setObjectName(QStringLiteral("lblReader"));
  lblReader->setStyleSheet(QStringLiteral("font-weight: bold; font-size: 12pt;"));
  lblFileName = new QLabel;
  lblFileName->setObjectName(QStringLiteral("lblFileName"));
  lblNumTags = new QLabel(QStringLiteral("0"));
  lblNumTags->setObjectName(QStringLiteral("lblNumTags"));
  StringGrid1 = new QTableWidget(kGridStep, 1);
  StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
  StringGrid1->horizontalHeader()->hide();
  StringGrid1->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  StringGrid1->setFont(QFont(QStringLiteral("Monospace"), 9));
  StringGrid1->setWordWrap(false);

  auto* header = new QHBoxLayout;
  header->addWidget(lblReader);
  header->addStretch(1);
  header->addWidget(new QLabel(tr("Tags:")));
  header->addWidget(lblNumTags);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addLayout(header);
  layout->addWidget(lblFileName);
  layout->addWidget(StringGrid1, 1);
}

void PlugTestPanelWidget::Show(const PlugTestPanel& panel) {
  lblFileName->setText(QString::fromStdString(panel.fileName));
  QFont font = lblFileName->font();
  font.setBold(panel.file.IsOpen());
  lblFileName->setFont(font);
  const int lines = static_cast<int>(panel.lines.size());
  if (lines < shownLines_) {  // cleared
    StringGrid1->clearContents();
    shownLines_ = 0;
  }
  StringGrid1->setRowCount(GridRows(lines));
  for (; shownLines_ < lines; ++shownLines_) {
    const std::string& line = panel.lines[static_cast<size_t>(shownLines_)];
    StringGrid1->setItem(shownLines_, 0, new QTableWidgetItem(QString::fromStdString(line)));
  }
  lblNumTags->setText(QString::number(lines));
}

PlugTestWindow::PlugTestWindow(AppContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window),
      context_(context),
      plug_(context.specialModes(), context.clock(), context.commands(), context.channels(),
            *this) {
  setObjectName(QStringLiteral("frmPlugTest"));
  setWindowTitle(tr("RFID Plugtest"));
  pgcPlugTest = new QTabWidget;
  pgcPlugTest->setObjectName(QStringLiteral("pgcPlugTest"));
  pgcPlugTest->addTab(BuildSetupPage(), tr("Setup"));
  pgcPlugTest->addTab(BuildDisplayPage(), tr("Display"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pgcPlugTest);
  resize(1000, 640);

  ApplyInterrogators();
  for (int i = 0; i < kPlugTestPanels; ++i) PanelChanged(i);

  context_.specialModes().Register(SpecialMode::PlugTest, this);
  AddSightingListener(context_.tagTable().hooks(), &plug_);
  context_.AddTickListener(&plug_);
}

PlugTestWindow::~PlugTestWindow() {
  context_.RemoveTickListener(&plug_);
  RemoveSightingListener(context_.tagTable().hooks(), &plug_);
  context_.specialModes().SwitchOff(SpecialMode::PlugTest);
  context_.specialModes().Unregister(SpecialMode::PlugTest, this);
}

QWidget* PlugTestWindow::BuildSetupPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("tbsSetup"));
  edtTestName = new QLineEdit(QStringLiteral("TD_MAIL_0"));
  edtTestName->setObjectName(QStringLiteral("edtTestName"));
  auto* count = new QGroupBox(tr("Number of Interrogators"));
  rbt1 = new QRadioButton(QStringLiteral("1"));
  rbt1->setObjectName(QStringLiteral("rbt1"));
  rbt2 = new QRadioButton(QStringLiteral("2"));
  rbt2->setObjectName(QStringLiteral("rbt2"));
  rbt4 = new QRadioButton(QStringLiteral("4"));
  rbt4->setObjectName(QStringLiteral("rbt4"));
  rbt1->setChecked(true);
  auto* countRow = new QHBoxLayout(count);
  for (QRadioButton* button : {rbt1, rbt2, rbt4}) {
    countRow->addWidget(button);
    connect(button, &QRadioButton::toggled, this, [this] { ApplyInterrogators(); });
  }
  auto* groups = new QHBoxLayout;
  for (int i = 0; i < kPlugTestPanels; ++i) {
    grpInterrogator[i] = new QGroupBox(tr("Interrogator %1").arg(i + 1));
    grpInterrogator[i]->setObjectName(QStringLiteral("grpInterrogator%1").arg(i + 1));
    const QByteArray boxName = QStringLiteral("speTagGroup%1").arg(i + 1).toLatin1();
    speTagGroup[i] = NamedSpinBox(boxName.constData(), 0, 99);
    auto* box = new QHBoxLayout(grpInterrogator[i]);
    box->addWidget(new QLabel(tr("Tag group")));
    box->addWidget(speTagGroup[i]);
    groups->addWidget(grpInterrogator[i]);
  }
  groups->addStretch(1);
  ckbSingleOutput = new QCheckBox(tr("Single Output"));
  ckbSingleOutput->setObjectName(QStringLiteral("ckbSingleOutput"));
  connect(ckbSingleOutput, &QCheckBox::toggled, this, [this] { ApplyInterrogators(); });
  btnStartTest = NamedButton(tr("Start Test"), "btnStartTest");
  connect(btnStartTest, &QPushButton::clicked, this, [this] { StartTest(); });

  auto* name = new QHBoxLayout;
  name->addWidget(new QLabel(tr("Test name")));
  name->addWidget(edtTestName, 1);
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(name);
  layout->addWidget(count);
  layout->addLayout(groups);
  layout->addWidget(ckbSingleOutput);
  layout->addWidget(btnStartTest, 0, Qt::AlignLeft);
  layout->addStretch(1);
  return page;
}

QWidget* PlugTestWindow::BuildDisplayPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("tbsDisplay"));
  auto* panels = new QGridLayout;
  for (int i = 0; i < kPlugTestPanels; ++i) {
    frmR1[i] = new PlugTestPanelWidget(i);
    panels->addWidget(frmR1[i], 0, i);
  }
  speSeconds = NamedSpinBox("speSeconds", 1, 3600, 10);
  btnOK = NamedButton(tr("OK"), "btnOK");
  btnStart = NamedButton(tr("Start"), "btnStart");
  btnStop = NamedButton(tr("Stop"), "btnStop");
  btnClear = NamedButton(tr("Clear"), "btnClear");
  ProgressBar1 = new QProgressBar;
  ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setValue(0);
  connect(btnOK, &QPushButton::clicked, this, [this] { plug_.Ok(speSeconds->value()); });
  connect(btnStart, &QPushButton::clicked, this, [this] { plug_.Start(); });
  connect(btnStop, &QPushButton::clicked, this, [this] { plug_.Stop(); });
  connect(btnClear, &QPushButton::clicked, this, [this] { plug_.Clear(); });

  auto* controls = new QHBoxLayout;
  controls->addWidget(new QLabel(tr("Seconds")));
  controls->addWidget(speSeconds);
  controls->addWidget(btnOK);
  controls->addWidget(ProgressBar1, 1);
  controls->addWidget(btnStart);
  controls->addWidget(btnStop);
  controls->addWidget(btnClear);
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(panels, 1);
  layout->addLayout(controls);
  return page;
}

void PlugTestWindow::ApplyInterrogators() {
  const int count = rbt4->isChecked() ? 4 : rbt2->isChecked() ? 2 : 1;
  plug_.SetInterrogators(count);
  plug_.SetSingleOutput(ckbSingleOutput->isChecked());
  for (int i = 0; i < kPlugTestPanels; ++i) {
    grpInterrogator[i]->setVisible(i < count);
    frmR1[i]->setVisible(i < plug_.ActivePanels());
  }
}

void PlugTestWindow::StartTest() {
  plug_.SetTestName(edtTestName->text().toStdString());
  for (int i = 0; i < kPlugTestPanels; ++i) plug_.SetTagGroup(i + 1, speTagGroup[i]->value());
  plug_.StartTest();
  pgcPlugTest->setCurrentIndex(1);
}

FileExistsChoice PlugTestWindow::AskFileExists(const std::string& fileName) {
  const QString name = QString::fromStdString(fileName);
  if (chooseExists_) return chooseExists_(name);
  FileExistsDialog dialog(this);
  switch (dialog.Ask(name)) {
    case FileExistsDialog::Choice::kOverwrite:
      return FileExistsChoice::Overwrite;
    case FileExistsDialog::Choice::kAppend:
      return FileExistsChoice::Append;
    case FileExistsDialog::Choice::kCancel:
      break;
  }
  return FileExistsChoice::Cancel;
}

void PlugTestWindow::ShowMessage(std::string_view text) {
  if (showMessage_) {
    showMessage_(ToQString(text));
    return;
  }
  QMessageBox::warning(this, windowTitle(), ToQString(text));
}

void PlugTestWindow::PanelChanged(int index) {
  if (index >= 0 && index < kPlugTestPanels) frmR1[index]->Show(plug_.Panel(index));
}

void PlugTestWindow::ProgressChanged(int percent) {
  ProgressBar1->setValue(percent);
}

void PlugTestWindow::SpecialModeSwitchedOff(SpecialMode) {
  hide();
}

// Minimising and restoring (spontaneous events) keep the mode as it is.
void PlugTestWindow::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) context_.specialModes().SwitchOn(SpecialMode::PlugTest);
  QWidget::showEvent(event);
}

void PlugTestWindow::hideEvent(QHideEvent* event) {
  if (!event->spontaneous()) context_.specialModes().SwitchOff(SpecialMode::PlugTest);
  QWidget::hideEvent(event);
}

}  // namespace corvalis
