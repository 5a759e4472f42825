#include "tags/ui/TagNamesPage.h"
#include "common/ui/Named.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace corvalis {
namespace {

constexpr int kCodeColumn = 0;
constexpr int kNameColumn = 1;
constexpr int kFileLabelWidth = 360;

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

// ---- TagNamesModel ----

TagNamesModel::TagNamesModel(TagNames& names, QObject* parent)
    : QAbstractTableModel(parent), names_(names), rows_(names.RowCount()) {
  names_.SetListener(this);
}

TagNamesModel::~TagNamesModel() {
  names_.SetListener(nullptr);
}

int TagNamesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int TagNamesModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 2;
}

QVariant TagNamesModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
  const int row = index.row();
  return ToQString(index.column() == kCodeColumn ? names_.Code(row) : names_.Name(row));
}

QVariant TagNamesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  return ToQString(section == kCodeColumn ? kTagNamesCodeHeader : kTagNamesNameHeader);
}

bool TagNamesModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole) return false;
  const QByteArray text = value.toString().toUtf8();
  const std::string_view view(text.constData(), static_cast<size_t>(text.size()));
  // The list tells the model itself (RowChanged), which repaints the cell.
  return index.column() == kCodeColumn ? names_.SetCode(index.row(), view)
                                       : names_.SetName(index.row(), view);
}

Qt::ItemFlags TagNamesModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

void TagNamesModel::RowsAppended(int first, int count) {
  if (first != rows_ || count <= 0) {
    Reset();
    return;
  }
  beginInsertRows({}, first, first + count - 1);
  rows_ += count;
  endInsertRows();
}

void TagNamesModel::RowChanged(int row) {
  Q_EMIT dataChanged(index(row, kCodeColumn), index(row, kNameColumn));
}

void TagNamesModel::RowRemoved(int row) {
  if (row < 0 || row >= rows_) {
    Reset();
    return;
  }
  beginRemoveRows({}, row, row);
  --rows_;
  endRemoveRows();
}

void TagNamesModel::Reset() {
  beginResetModel();
  rows_ = names_.RowCount();
  endResetModel();
}

// ---- FileExistsDialog ----

FileExistsDialog::FileExistsDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("dlgFileExists"));
  setWindowTitle(tr("File Exists"));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(new QLabel(tr("File:"), this));
  lblFileName = Named(new QLabel(this), "lblFileName");
  lblFileName->setFixedWidth(kFileLabelWidth);
  fileRow->addWidget(lblFileName);
  layout->addLayout(fileRow);
  layout->addWidget(new QLabel(tr("already exists"), this));
  auto* buttons = new QHBoxLayout;
  btnCancel = Named(new QPushButton(tr("Cancel"), this), "btnCancel");
  btnOverwrite = Named(new QPushButton(tr("Overwrite"), this), "btnOverwrite");
  btnAppend = Named(new QPushButton(tr("Append"), this), "btnAppend");
  buttons->addStretch(1);
  for (QPushButton* button : {btnCancel, btnOverwrite, btnAppend}) buttons->addWidget(button);
  layout->addLayout(buttons);
  btnCancel->setDefault(true);

  connect(btnCancel, &QPushButton::clicked, this, [this] { done(int(Choice::kCancel)); });
  connect(btnOverwrite, &QPushButton::clicked, this, [this] { done(int(Choice::kOverwrite)); });
  connect(btnAppend, &QPushButton::clicked, this, [this] { done(int(Choice::kAppend)); });
}

FileExistsDialog::Choice FileExistsDialog::Ask(const QString& path) {
  lblFileName->setText(lblFileName->fontMetrics().elidedText(
      QDir::toNativeSeparators(path), Qt::ElideMiddle, lblFileName->width()));
  lblFileName->setToolTip(QDir::toNativeSeparators(path));
  const int result = exec();  // Esc and the close box give Rejected, which is Cancel
  switch (result) {
    case int(Choice::kOverwrite):
      return Choice::kOverwrite;
    case int(Choice::kAppend):
      return Choice::kAppend;
    default:
      return Choice::kCancel;
  }
}

// ---- TagNamesPage ----

TagNamesPage::TagNamesPage(TagNames& names, QWidget* parent)
    : QWidget(parent), names_(names), model_(new TagNamesModel(names, this)) {
  stgTagNames = Named(new QTableView(this), "stgTagNames");
  stgTagNames->setModel(model_);
  stgTagNames->setSelectionMode(QAbstractItemView::SingleSelection);
  stgTagNames->setEditTriggers(QAbstractItemView::DoubleClicked |
                               QAbstractItemView::EditKeyPressed |
                               QAbstractItemView::AnyKeyPressed);
  stgTagNames->horizontalHeader()->setStretchLastSection(true);
  stgTagNames->setColumnWidth(kCodeColumn,
                              stgTagNames->fontMetrics().horizontalAdvance(QString(18, u'0')));
  stgTagNames->verticalHeader()->setDefaultSectionSize(stgTagNames->fontMetrics().height() + 6);

  btnReadReg = Named(new QPushButton(tr("Read"), this), "btnReadReg");
  btnWriteReg = Named(new QPushButton(tr("Write"), this), "btnWriteReg");
  btnClearReg = Named(new QPushButton(tr("Clear"), this), "btnClearReg");
  btnAdd = Named(new QPushButton(tr("Add"), this), "btnAdd");
  btnDelete = Named(new QPushButton(tr("Delete"), this), "btnDelete");
  btnReadReg->setToolTip(tr("Add the names of a tag file to the list"));
  btnWriteReg->setToolTip(tr("Save the list to a tag file"));
  btnClearReg->setToolTip(tr("Empty the list"));
  btnAdd->setToolTip(tr("Add a row to fill in by hand"));
  btnDelete->setToolTip(tr("Remove the selected row"));

  auto* buttons = new QVBoxLayout;
  for (QPushButton* button : {btnReadReg, btnWriteReg, btnClearReg, btnAdd, btnDelete}) {
    buttons->addWidget(button);
  }
  buttons->addStretch(1);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(stgTagNames, 1);
  layout->addLayout(buttons);

  dlgFileExists = new FileExistsDialog(this);

  connect(btnReadReg, &QPushButton::clicked, this, [this] { ReadRegistrationFile(); });
  connect(btnWriteReg, &QPushButton::clicked, this, [this] { WriteRegistrationFile(); });
  connect(btnClearReg, &QPushButton::clicked, this, [this] { ClearNames(); });
  connect(btnAdd, &QPushButton::clicked, this, [this] { AddName(); });
  connect(btnDelete, &QPushButton::clicked, this, [this] { DeleteSelectedName(); });
}

QString TagNamesPage::ChoosePath(FileDialogKind kind, const QString& suggested) {
  if (choosePath_) return choosePath_(kind, suggested);
  QFileDialog dialog(this);
  // The toolkit's own dialog, so scripted tests can drive it as well.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setDefaultSuffix(QStringLiteral("tag"));
  if (kind == FileDialogKind::kOpen) {
    dialog.setObjectName(QStringLiteral("dlgReadRegistration"));
    dialog.setWindowTitle(tr("Read registration file"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({tr("Registration files (*.reg *.tag *.txt)"), tr("All Files (*)")});
    if (!openFolder_.isEmpty()) dialog.setDirectory(openFolder_);
  } else {
    dialog.setObjectName(QStringLiteral("dlgWriteRegistration"));
    dialog.setWindowTitle(tr("Write registration file"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // "File Exists" asks instead, with the choice to append.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters({tr("Tag file (*.tag)"), tr("Text file (*.txt)"),
                           tr("Registration file (*.reg)"), tr("All files (*)")});
  }
  if (!suggested.isEmpty()) dialog.selectFile(suggested);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles().value(0);
}

void TagNamesPage::ShowMessage(const QString& title, const QString& text) {
  if (showMessage_) {
    showMessage_(title, text);
    return;
  }
  QMessageBox::warning(this, title, text);
}

void TagNamesPage::ReadRegistrationFile() {
  const QString path = ChoosePath(FileDialogKind::kOpen, registrationFileName_);
  if (path.isEmpty()) return;
  ReadFrom(path);
}

bool TagNamesPage::ReadFrom(const QString& path) {
  openFolder_ = QFileInfo(path).absolutePath();
  registrationFileName_ = path;
  Q_EMIT registrationFileChosen(path);
  const TagNameFileResult result = names_.ReadTagNameFile(path.toStdString(), crcSeed_());
  if (!result.ok) {
    ShowMessage(QString::fromStdString(result.title), QString::fromStdString(result.message));
    return false;
  }
  return true;
}

void TagNamesPage::WriteRegistrationFile() {
  const QString path =
      ChoosePath(FileDialogKind::kSave, QString::fromLatin1(kDefaultRegistrationFileName));
  if (path.isEmpty()) return;
  WriteTo(path);
}

bool TagNamesPage::WriteTo(const QString& path) {
  TagNameWriteMode mode = TagNameWriteMode::kOverwrite;
  if (QFileInfo::exists(path)) {
    const FileExistsDialog::Choice choice =
        chooseExists_ ? chooseExists_(path) : dlgFileExists->Ask(path);
    if (choice == FileExistsDialog::Choice::kCancel) return false;
    if (choice == FileExistsDialog::Choice::kAppend) mode = TagNameWriteMode::kAppend;
  }
  const TagNameFileResult result = names_.WriteTagNameFile(path.toStdString(), mode);
  if (!result.ok) {
    ShowMessage(QGuiApplication::applicationDisplayName(), QString::fromStdString(result.message));
    return false;
  }
  if (result.unwritableRows > 0) {
    // Rows left out would otherwise vanish unnoticed at the next read.
    ShowMessage(QGuiApplication::applicationDisplayName(),
                tr("%n row(s) left out of %1: a row needs a code of 12 or 16 characters "
                   "without blanks or commas, and a name.",
                   nullptr, result.unwritableRows)
                    .arg(path));
  }
  return true;
}

void TagNamesPage::ClearNames() {
  names_.Clear();
  Q_EMIT lastErrorCleared();
}

void TagNamesPage::AddName() {
  const int row = names_.AddEmptyRow();
  if (row < 0) return;
  const QModelIndex code = model_->index(row, kCodeColumn);
  stgTagNames->setCurrentIndex(code);
  stgTagNames->scrollTo(code);
}

void TagNamesPage::DeleteSelectedName() {
  const QModelIndex current = stgTagNames->currentIndex();
  if (!current.isValid()) return;
  names_.DeleteRow(current.row());
}

}  // namespace corvalis
