#include "logging/ui/SaveFilteredData.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "logging/TagLogWriter.h"

namespace corvalis {

QString AskLogFileName(QWidget* parent, const QString& startDir) {
  QFileDialog dialog(parent, QObject::tr("Save Filtered Data"), startDir);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  // The log is appended to, so an existing file is not a reason to ask.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters(
      {QObject::tr("Log files (*.log *.txt *.csv)"), QObject::tr("All files (*)")});
  dialog.setDefaultSuffix(QStringLiteral("log"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

bool SetLogging(QWidget* parent, TagLogWriter& writer, const LogFilePrompts& prompts) {
  if (writer.IsLogging()) {
    writer.StopLogging();
    return false;
  }
  const QString last = QString::fromStdString(writer.Settings().filteredFileName);
  const QString startDir = last.isEmpty() ? QString() : QFileInfo(last).absolutePath();
  const QString path =
      prompts.chooseFile ? prompts.chooseFile(parent, startDir) : AskLogFileName(parent, startDir);
  if (path.isEmpty()) return false;

  const LogOpenResult opened = writer.StartLogging(path.toStdString());
  if (!opened.ok) {
    const QString title = QString::fromStdString(opened.title);
    const QString text = QString::fromStdString(opened.message);
    if (prompts.reportFailure) {
      prompts.reportFailure(parent, title, text);
    } else {
      QMessageBox::warning(parent, title, text);
    }
  }
  return writer.IsLogging();
}

}  // namespace corvalis
