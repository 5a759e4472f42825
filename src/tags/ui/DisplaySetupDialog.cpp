#include "tags/ui/DisplaySetupDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "common/ui/Named.h"

namespace corvalis {
namespace {

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

QSpinBox* NumberBox(const char* name, int minimum, int maximum) {
  auto* box = Named(new QSpinBox, name);
  box->setRange(minimum, maximum);
  return box;
}

}  // namespace

DisplaySetupDialog::DisplaySetupDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("dlgDisplaySetup"));
  setWindowTitle(QStringLiteral("Display Setup"));

  auto* types = Named(new QGroupBox(tr("Display type")), "grpDisplayType");
  auto* typeLayout = new QHBoxLayout(types);
  typeGroup_ = new QButtonGroup(this);
  rbtMessageBoard = Named(new QRadioButton(tr("Message board")), "rbtMessageBoard");
  rbtPolycomp16x1 = Named(new QRadioButton(tr("Polycomp 16x1")), "rbtPolycomp16x1");
  rbtPolycomp16x5 = Named(new QRadioButton(tr("Polycomp 16x5")), "rbtPolycomp16x5");
  rbtWindow = Named(new QRadioButton(tr("Window")), "rbtWindow");
  int id = 0;
  for (QRadioButton* button : {rbtMessageBoard, rbtPolycomp16x1, rbtPolycomp16x5, rbtWindow}) {
    typeGroup_->addButton(button, id++);
    typeLayout->addWidget(button);
  }
  connect(typeGroup_, &QButtonGroup::idToggled, this, [this] { ShowFieldsOfType(); });

  grpMessageBoard = Named(new QGroupBox(tr("Message board")), "grpMessageBoard");
  auto* board = new QFormLayout(grpMessageBoard);
  speDisplayAddress = NumberBox("speDisplayAddress", 0, 223);
  edtMessageID = Named(new QLineEdit, "edtMessageID");
  edtMessageID->setMaxLength(1);
  edtMessageID->setInputMask(QStringLiteral(">A"));
  speDisplayWidth = NumberBox("speDisplayWidth", 0, 999);
  speLifetime = NumberBox("speLifetime", 0, 9999);
  edtMessagePrefix = Named(new QLineEdit, "edtMessagePrefix");
  edtMessageSuffix = Named(new QLineEdit, "edtMessageSuffix");
  board->addRow(tr("Address"), speDisplayAddress);
  board->addRow(tr("Message ID"), edtMessageID);
  board->addRow(tr("Width (0 = as long as the name)"), speDisplayWidth);
  board->addRow(tr("Lifetime (minutes)"), speLifetime);
  board->addRow(tr("Prefix"), edtMessagePrefix);
  board->addRow(tr("Suffix"), edtMessageSuffix);

  grpPolycomp = BuildSignGroup();

  grpWindow = Named(new QGroupBox(tr("On-screen display")), "grpWindow");
  auto* window = new QGridLayout(grpWindow);
  speWindowCols = NumberBox("speWindowCols", 1, kMaxWindowCols);
  speWindowRows = NumberBox("speWindowRows", 1, kMaxWindowRows);
  window->addWidget(new QLabel(tr("Columns")), 0, 0);
  window->addWidget(speWindowCols, 0, 1);
  window->addWidget(new QLabel(tr("Rows")), 0, 2);
  window->addWidget(speWindowRows, 0, 3);
  stgWindowLines = Named(new QTableWidget(0, 1), "stgWindowLines");
  stgWindowLines->setHorizontalHeaderLabels({tr("What to show")});
  stgWindowLines->horizontalHeader()->setStretchLastSection(true);
  stgWindowLines->setToolTip(
      tr("SCROLL UP, SCROLL DOWN, +n or -n (copy row r+n), LINE_1..LINE_5, TAG_NAME, NUM TAGS, "
         "NUM GOOD TAGS, or a text in which %s stands for the name"));
  window->addWidget(stgWindowLines, 1, 0, 1, 4);
  auto* fontButton = Named(new QPushButton(tr("Font...")), "btnFont");
  lblFont = Named(new QLabel, "lblFont");
  ckbFontBold = Named(new QCheckBox(tr("Bold")), "ckbFontBold");
  window->addWidget(fontButton, 2, 0);
  window->addWidget(lblFont, 2, 1, 1, 2);
  window->addWidget(ckbFontBold, 2, 3);
  connect(speWindowRows, &QSpinBox::valueChanged, this, &DisplaySetupDialog::SetWindowRows);
  connect(fontButton, &QPushButton::clicked, this, [this] {
    bool ok = false;
    QFont initial(fontName_, fontSize_);
    initial.setBold(ckbFontBold->isChecked());
    const QFont font = QFontDialog::getFont(&ok, initial, this, tr("Display font"));
    if (!ok) return;
    fontName_ = font.family();
    fontSize_ = font.pointSize() > 0 ? font.pointSize() : fontSize_;
    ckbFontBold->setChecked(font.bold());
    ShowFont();
  });

  auto* idle = Named(new QGroupBox(tr("Idle")), "grpIdle");
  auto* idleLayout = new QFormLayout(idle);
  edtIdleMessage = Named(new QLineEdit, "edtIdleMessage");
  speIdleLifetime = NumberBox("speIdleLifetime", 0, 86400);
  idleLayout->addRow(tr("Idle message"), edtIdleMessage);
  idleLayout->addRow(tr("Idle after (s, 0 = never)"), speIdleLifetime);

  lblProblem = Named(new QLabel, "lblProblem");
  lblProblem->setStyleSheet(QStringLiteral("color: #b00000"));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  Named(buttons->button(QDialogButtonBox::Ok), "btnOK");
  Named(buttons->button(QDialogButtonBox::Cancel), "btnCancel");
  auto* defaults =
      Named(buttons->addButton(tr("Defaults"), QDialogButtonBox::ResetRole), "btnDefaults");
  connect(buttons, &QDialogButtonBox::accepted, this, &DisplaySetupDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &DisplaySetupDialog::reject);
  connect(defaults, &QPushButton::clicked, this, [this] {
    DisplaySettings fresh;
    fresh.outputOn = loaded_.outputOn;
    Load(fresh);
  });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(types);
  layout->addWidget(grpMessageBoard);
  layout->addWidget(grpPolycomp);
  layout->addWidget(grpWindow);
  layout->addWidget(idle);
  layout->addWidget(lblProblem);
  layout->addWidget(buttons);

  Load(DisplaySettings{});
}

QGroupBox* DisplaySetupDialog::BuildSignGroup() {
  auto* group = Named(new QGroupBox(tr("Polycomp sign")), "grpPolycomp");
  auto* grid = new QGridLayout(group);
  const char* captions[] = {"Sign address", "SERST",    "Page number",
                            "Tempo",        "Function", "Page status"};
  const auto makeFields = [](const char* prefix) {
    const auto field = [prefix](const char* key) {
      auto* edit = Named(new QLineEdit, QStringLiteral("edt%1%2").arg(prefix, key));
      edit->setToolTip(QObject::tr("0 to 255, or 0x00 to 0xff"));
      return edit;
    };
    return ByteFields{field("SignAddress"), field("SERST"),    field("PageNumber"),
                      field("Tempo"),       field("Function"), field("PageStatus")};
  };
  normal_ = makeFields("");
  idle_ = makeFields("Idle");
  grid->addWidget(new QLabel(tr("Normal")), 0, 1);
  grid->addWidget(new QLabel(tr("Idle")), 0, 2);
  QLineEdit* normalFields[] = {normal_.signAddress, normal_.serst,    normal_.pageNumber,
                               normal_.tempo,       normal_.function, normal_.pageStatus};
  QLineEdit* idleFields[] = {idle_.signAddress, idle_.serst,    idle_.pageNumber,
                             idle_.tempo,       idle_.function, idle_.pageStatus};
  for (int i = 0; i < 6; ++i) {
    grid->addWidget(new QLabel(tr(captions[i])), i + 1, 0);
    grid->addWidget(normalFields[i], i + 1, 1);
    grid->addWidget(idleFields[i], i + 1, 2);
  }
  lblPoly16x1Line = new QLabel(tr("Line program"));
  edtPoly16x1Line = Named(new QLineEdit, "edtPoly16x1Line");
  grid->addWidget(lblPoly16x1Line, 7, 0);
  grid->addWidget(edtPoly16x1Line, 7, 1, 1, 2);
  for (int i = 0; i < kPolycomp16x5Lines; ++i) {
    lblPoly16x5Line_[static_cast<size_t>(i)] = new QLabel(tr("Line %1 program").arg(i + 1));
    edtPoly16x5Line_[static_cast<size_t>(i)] =
        Named(new QLineEdit, QStringLiteral("edtPoly16x5Line%1").arg(i + 1));
    grid->addWidget(lblPoly16x5Line_[static_cast<size_t>(i)], 8 + i, 0);
    grid->addWidget(edtPoly16x5Line_[static_cast<size_t>(i)], 8 + i, 1, 1, 2);
  }
  return group;
}

DisplayType DisplaySetupDialog::ChosenType() const {
  switch (typeGroup_->checkedId()) {
    case 1:
      return DisplayType::kPolycomp16x1;
    case 2:
      return DisplayType::kPolycomp16x5;
    case 3:
      return DisplayType::kWindow;
    default:
      return DisplayType::kMessageBoard;
  }
}

void DisplaySetupDialog::ShowFieldsOfType() {
  const DisplayType type = ChosenType();
  const bool sign = type == DisplayType::kPolycomp16x1 || type == DisplayType::kPolycomp16x5;
  grpMessageBoard->setVisible(type == DisplayType::kMessageBoard);
  grpPolycomp->setVisible(sign);
  grpWindow->setVisible(type == DisplayType::kWindow);
  lblPoly16x1Line->setVisible(type == DisplayType::kPolycomp16x1);
  edtPoly16x1Line->setVisible(type == DisplayType::kPolycomp16x1);
  for (size_t i = 0; i < edtPoly16x5Line_.size(); ++i) {
    lblPoly16x5Line_[i]->setVisible(type == DisplayType::kPolycomp16x5);
    edtPoly16x5Line_[i]->setVisible(type == DisplayType::kPolycomp16x5);
  }
  adjustSize();
}

void DisplaySetupDialog::SetWindowRows(int rows) {
  const int before = stgWindowLines->rowCount();
  stgWindowLines->setRowCount(rows);
  for (int r = before; r < rows; ++r) {
    stgWindowLines->setItem(r, 0, new QTableWidgetItem(QStringLiteral("SCROLL UP")));
  }
}

void DisplaySetupDialog::ShowFont() {
  lblFont->setText(QStringLiteral("%1, %2 pt").arg(fontName_).arg(fontSize_));
}

void DisplaySetupDialog::Load(const DisplaySettings& settings) {
  loaded_ = settings;
  QRadioButton* typeButton = rbtMessageBoard;
  if (settings.type == DisplayType::kPolycomp16x1) typeButton = rbtPolycomp16x1;
  if (settings.type == DisplayType::kPolycomp16x5) typeButton = rbtPolycomp16x5;
  if (settings.type == DisplayType::kWindow) typeButton = rbtWindow;
  typeButton->setChecked(true);

  speDisplayAddress->setValue(settings.address);
  edtMessageID->setText(QString(QLatin1Char(settings.messageId)));
  speDisplayWidth->setValue(settings.width);
  speLifetime->setValue(settings.lifetime);
  edtMessagePrefix->setText(Text(settings.prefix));
  edtMessageSuffix->setText(Text(settings.suffix));
  edtIdleMessage->setText(Text(settings.idleMessage));
  speIdleLifetime->setValue(settings.idleLifetimeSec);
  const auto showBytes = [](const ByteFields& fields, const SignBytes& bytes) {
    fields.signAddress->setText(QString::number(bytes.signAddress));
    fields.serst->setText(QString::number(bytes.serst));
    fields.pageNumber->setText(QString::number(bytes.pageNumber));
    fields.tempo->setText(QString::number(bytes.tempo));
    fields.function->setText(QString::number(bytes.function));
    fields.pageStatus->setText(QString::number(bytes.pageStatus));
  };
  showBytes(normal_, settings.normal);
  showBytes(idle_, settings.idle);
  edtPoly16x1Line->setText(Text(settings.poly16x1Line));
  for (size_t i = 0; i < edtPoly16x5Line_.size(); ++i) {
    edtPoly16x5Line_[i]->setText(Text(settings.poly16x5Lines[i]));
  }
  speWindowCols->setValue(settings.windowCols);
  stgWindowLines->setRowCount(0);
  {
    const QSignalBlocker block(speWindowRows);
    speWindowRows->setValue(settings.windowRows);
  }
  SetWindowRows(speWindowRows->value());
  for (int r = 0; r < stgWindowLines->rowCount(); ++r) {
    if (static_cast<size_t>(r) < settings.windowPrograms.size()) {
      stgWindowLines->item(r, 0)->setText(Text(settings.windowPrograms[static_cast<size_t>(r)]));
    }
  }
  fontName_ = Text(settings.fontName);
  fontSize_ = settings.fontSize;
  ckbFontBold->setChecked(settings.fontBold);
  ShowFont();
  lblProblem->clear();
  ShowFieldsOfType();
}

bool DisplaySetupDialog::Read(DisplaySettings& settings, QString& problem) const {
  DisplaySettings out = loaded_;
  out.type = ChosenType();
  out.address = speDisplayAddress->value();
  out.messageId = MessageIdFromText(edtMessageID->text().toStdString());
  out.width = speDisplayWidth->value();
  out.lifetime = speLifetime->value();
  out.prefix = edtMessagePrefix->text().toStdString();
  out.suffix = edtMessageSuffix->text().toStdString();
  out.idleMessage = edtIdleMessage->text().toStdString();
  out.idleLifetimeSec = speIdleLifetime->value();
  const auto readBytes = [&problem](const ByteFields& fields, const char* kind, SignBytes& bytes) {
    const struct {
      QLineEdit* edit;
      const char* caption;
      int* value;
    } items[] = {{fields.signAddress, "sign address", &bytes.signAddress},
                 {fields.serst, "SERST", &bytes.serst},
                 {fields.pageNumber, "page number", &bytes.pageNumber},
                 {fields.tempo, "tempo", &bytes.tempo},
                 {fields.function, "function", &bytes.function},
                 {fields.pageStatus, "page status", &bytes.pageStatus}};
    for (const auto& item : items) {
      const std::optional<int> value = ParseDisplayByte(item.edit->text().toStdString());
      if (!value) {
        problem = QStringLiteral("%1 %2 must be 0 to 255 (or 0x00 to 0xff)")
                      .arg(QString::fromLatin1(kind), QString::fromLatin1(item.caption));
        return false;
      }
      *item.value = *value;
    }
    return true;
  };
  if (!readBytes(normal_, "Normal", out.normal) || !readBytes(idle_, "Idle", out.idle)) {
    return false;
  }
  out.poly16x1Line = edtPoly16x1Line->text().toStdString();
  for (size_t i = 0; i < edtPoly16x5Line_.size(); ++i) {
    out.poly16x5Lines[i] = edtPoly16x5Line_[i]->text().toStdString();
  }
  out.windowCols = speWindowCols->value();
  out.windowRows = speWindowRows->value();
  out.windowPrograms.clear();
  for (int r = 0; r < stgWindowLines->rowCount(); ++r) {
    const QTableWidgetItem* item = stgWindowLines->item(r, 0);
    out.windowPrograms.push_back(item != nullptr ? item->text().toStdString() : "SCROLL UP");
  }
  out.fontName = fontName_.toStdString();
  out.fontSize = fontSize_;
  out.fontBold = ckbFontBold->isChecked();
  settings = std::move(out);
  return true;
}

void DisplaySetupDialog::accept() {
  DisplaySettings settings;
  QString problem;
  if (!Read(settings, problem)) {
    lblProblem->setText(problem);
    return;
  }
  QDialog::accept();
}

bool DisplaySetupDialog::Edit(DisplaySettings& settings) {
  Load(settings);
  if (exec() != QDialog::Accepted) return false;
  QString problem;
  return Read(settings, problem);
}

}  // namespace corvalis
