#pragma once

#include <QAbstractTableModel>
#include <QDialog>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>

#include "tags/TagNames.h"

class QLabel;
class QPushButton;
class QTableView;

namespace corvalis {

// The tag-name list as a two-column table (Code, Name) for a grid to show
// and edit. It mirrors the list through the list's listener, so rows the
// tag table registers while tags arrive show up too.
class TagNamesModel final : public QAbstractTableModel, public TagNamesListener {
  Q_OBJECT

 public:
  explicit TagNamesModel(TagNames& names, QObject* parent = nullptr);
  ~TagNamesModel() override;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // TagNamesListener
  void RowsAppended(int first, int count) override;
  void RowChanged(int row) override;
  void RowRemoved(int row) override;
  void Reset() override;

 private:
  TagNames& names_;
  // The list tells after it changed; the views must see the old count until
  // the change is announced.
  int rows_ = 0;
};

// "File Exists": asks what to do with a tag file that is already there.
class FileExistsDialog final : public QDialog {
  Q_OBJECT

 public:
  enum class Choice { kCancel, kOverwrite, kAppend };

  explicit FileExistsDialog(QWidget* parent = nullptr);
  Choice Ask(const QString& path);

 private:
  QLabel* lblFileName;
  QPushButton* btnCancel;
  QPushButton* btnOverwrite;
  QPushButton* btnAppend;
};

// The content of the Tag Names tab: the list of tag names with Read, Write,
// Clear, Add and Delete. The main window puts it into page tbsTagNames, gives
// it the registration file name from the settings, stores the name back when
// registrationFileChosen fires, and connects File > Read registration File
// to ReadRegistrationFile.
class TagNamesPage final : public QWidget {
  Q_OBJECT

 public:
  enum class FileDialogKind { kOpen, kSave };
  // Returns the chosen path, or an empty string when the operator cancels.
  using PathChooser = std::function<QString(FileDialogKind, const QString& suggested)>;
  using MessageSink = std::function<void(const QString& title, const QString& text)>;
  using ExistsChooser = std::function<FileExistsDialog::Choice(const QString& path)>;

  explicit TagNamesPage(TagNames& names, QWidget* parent = nullptr);

  // The file the open dialog offers first.
  void SetRegistrationFileName(const QString& path) { registrationFileName_ = path; }
  QString RegistrationFileName() const { return registrationFileName_; }
  // The seed that completes 12-digit codes ("RegenerateCRCSeed").
  void SetCrcSeedSource(std::function<uint16_t()> seed) { crcSeed_ = std::move(seed); }

  // Replace the file dialogs, the "File Exists" question and the message
  // boxes (tests and scripted use).
  void SetPathChooser(PathChooser chooser) { choosePath_ = std::move(chooser); }
  void SetExistsChooser(ExistsChooser chooser) { chooseExists_ = std::move(chooser); }
  void SetMessageSink(MessageSink sink) { showMessage_ = std::move(sink); }

  // Read and Write with their dialogs; the others act at once.
  void ReadRegistrationFile();
  void WriteRegistrationFile();
  // What happens after a file was chosen.
  bool ReadFrom(const QString& path);
  bool WriteTo(const QString& path);
  void ClearNames();
  void AddName();
  void DeleteSelectedName();

  TagNamesModel* Model() { return model_; }

 Q_SIGNALS:
  // Read stores the chosen path as RegistrationFileName, read or not.
  void registrationFileChosen(const QString& path);
  // Clear also empties the last-error label of the Diagnostics tab.
  void lastErrorCleared();

 private:
  QTableView* stgTagNames;
  QPushButton* btnReadReg;
  QPushButton* btnWriteReg;
  QPushButton* btnClearReg;
  QPushButton* btnAdd;
  QPushButton* btnDelete;
  FileExistsDialog* dlgFileExists;
  QString ChoosePath(FileDialogKind kind, const QString& suggested);
  void ShowMessage(const QString& title, const QString& text);

  TagNames& names_;
  TagNamesModel* model_;
  QString registrationFileName_ = QString::fromLatin1(kDefaultRegistrationFileName);
  QString openFolder_;
  std::function<uint16_t()> crcSeed_ = [] { return uint16_t{0xFFFF}; };
  PathChooser choosePath_;
  ExistsChooser chooseExists_;
  MessageSink showMessage_;
};

}  // namespace corvalis
