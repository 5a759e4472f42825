#include "common/ui/FindNamed.h"
#include "tags/ui/TagNamesPage.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <vector>

namespace corvalis {
namespace {

class TagNamesPageTest : public ::testing::Test {
 protected:
  TagNamesPageTest() {
    grid = page.findChild<QTableView*>("stgTagNames");
    page.SetMessageSink([this](const QString& title, const QString& text) {
      messages.push_back(title + "|" + text);
    });
  }

  QPushButton* Button(const char* name) { return page.findChild<QPushButton*>(name); }
  void Edit(int row, int column, const QString& text) {
    grid->model()->setData(grid->model()->index(row, column), text, Qt::EditRole);
  }
  QString Cell(int row, int column) const {
    return grid->model()->index(row, column).data().toString();
  }
  QByteArray FileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  QTemporaryDir dir;
  TagNames names{16};
  TagNamesPage page{names};
  QTableView* grid = nullptr;
  std::vector<QString> messages;
};

TEST_F(TagNamesPageTest, AddEditDeleteWriteAndReadBack) {
  ASSERT_NE(grid, nullptr);
  for (int k = 0; k < 3; ++k) Button("btnAdd")->click();
  ASSERT_EQ(grid->model()->rowCount(), 3);
  Edit(0, 0, "0123456789ABCDEF");
  Edit(0, 1, "Gate 4, left");
  Edit(1, 0, "0000000000000001");
  Edit(1, 1, "Spare");
  Edit(2, 0, "00000000000000ff");
  Edit(2, 1, "Bob");
  EXPECT_EQ(Cell(0, 0), "0123456789abcdef");  // codes must match lower-case IDs

  grid->setCurrentIndex(grid->model()->index(1, 1));
  Button("btnDelete")->click();
  ASSERT_EQ(grid->model()->rowCount(), 2);
  EXPECT_EQ(Cell(1, 1), "Bob");

  const QString path = dir.filePath("names.tag");
  page.SetPathChooser([&](TagNamesPage::FileDialogKind kind, const QString&) {
    EXPECT_EQ(kind, TagNamesPage::FileDialogKind::kSave);
    return path;
  });
  Button("btnWriteReg")->click();
  EXPECT_EQ(FileText(path), "0123456789abcdef  Gate 4, left\n00000000000000ff  Bob\n");

  Button("btnClearReg")->click();
  EXPECT_EQ(grid->model()->rowCount(), 0);
  page.SetPathChooser([&](TagNamesPage::FileDialogKind, const QString&) { return path; });
  QString chosen;
  QObject::connect(&page, &TagNamesPage::registrationFileChosen,
                   [&](const QString& file) { chosen = file; });
  Button("btnReadReg")->click();
  EXPECT_EQ(chosen, path);
  ASSERT_EQ(grid->model()->rowCount(), 2);
  EXPECT_EQ(Cell(0, 1), "Gate 4, left");
  EXPECT_TRUE(messages.empty());
}

TEST_F(TagNamesPageTest, ExistingFileAsksToCancelOverwriteOrAppend) {
  const QString path = dir.filePath("alias.tag");
  names.AppendRow("0000000000000001", "One");
  ASSERT_TRUE(page.WriteTo(path));
  const QByteArray once = FileText(path);

  // The real dialog: the question names the file and Append adds the rows.
  QString shown;
  QTimer::singleShot(0, [&] {
    auto* dialog = page.findChild<FileExistsDialog*>("dlgFileExists");
    ASSERT_NE(dialog, nullptr);
    shown = testing::FindNamed<QLabel>(dialog, "lblFileName")->toolTip();
    EXPECT_EQ(dialog->windowTitle(), "File Exists");
    dialog->findChild<QPushButton*>("btnAppend")->click();
  });
  ASSERT_TRUE(page.WriteTo(path));
  EXPECT_TRUE(shown.endsWith("alias.tag"));
  EXPECT_EQ(FileText(path), once + once);

  page.SetExistsChooser([](const QString&) { return FileExistsDialog::Choice::kCancel; });
  names.AppendRow("0000000000000002", "Two");
  EXPECT_FALSE(page.WriteTo(path));
  EXPECT_EQ(FileText(path), once + once);

  page.SetExistsChooser([](const QString&) { return FileExistsDialog::Choice::kOverwrite; });
  ASSERT_TRUE(page.WriteTo(path));
  EXPECT_EQ(FileText(path), "0000000000000001  One\n0000000000000002  Two\n");
}

TEST_F(TagNamesPageTest, WritingSaysHowManyRowsWereLeftOut) {
  names.AppendRow("0000000000000001", "One");
  names.AddEmptyRow();  // never filled in
  const int noName = names.AddEmptyRow();
  names.SetCode(noName, "0000000000000002");
  const QString path = dir.filePath("names.tag");
  ASSERT_TRUE(page.WriteTo(path));
  EXPECT_EQ(FileText(path), "0000000000000001  One\n");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].contains("|2 row(s) left out of " + path)) << messages[0].toStdString();

  names.DeleteRow(2);
  names.DeleteRow(1);
  ASSERT_TRUE(page.WriteTo(dir.filePath("complete.tag")));
  EXPECT_EQ(messages.size(), 1u);  // nothing left out, nothing to say
}

TEST_F(TagNamesPageTest, FailuresShowTheirMessages) {
  const QString missing = dir.filePath("missing.tag");
  EXPECT_FALSE(page.ReadFrom(missing));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "Open Failure|Unable to open " + missing + " for reading");
  EXPECT_EQ(page.RegistrationFileName(), missing);  // kept although unreadable

  EXPECT_FALSE(page.WriteTo(dir.filePath("no/such/folder/x.tag")));
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_TRUE(messages[1].endsWith("|Could not open file for output!"));
}

}  // namespace
}  // namespace corvalis
