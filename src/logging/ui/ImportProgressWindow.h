#pragma once

#include <QDialog>
#include <QString>

#include <functional>

#include "logging/LogReplay.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace corvalis {

class Clock;
class ImportPassCloser;
class TagTable;

// The operator's side of an import: which file, and how a failure is told.
// Empty members use the open dialog and a message box; tests put their own in.
struct ImportPrompts {
  // The chosen path, or empty when the operator cancelled.
  std::function<QString(QWidget* parent)> chooseFile;
  std::function<void(QWidget* parent, const QString& title, const QString& text)> reportFailure;
};

// File › Import Log File and its progress window "Loading Log File": replays
// a captured reader output file through the dispatcher as channel 1 while
// the console keeps running. Stop ends it after the current record, Pause
// holds it until Resume. The operator cannot close the window.
class ImportProgressWindow final : public QDialog, private ReplayControl {
  Q_OBJECT

 public:
  ImportProgressWindow(QWidget* parent, MessageReceiver& receiver, TagTable& table,
                       const Clock& clock);

  void SetPrompts(ImportPrompts prompts) { prompts_ = std::move(prompts); }

  // The menu command: asks for a file and replays it. Does nothing while an
  // import runs (the window processes events, so the menu can fire again).
  void ImportLogFile();
  // 1 when the file cannot be opened (after telling the operator), else 0.
  int ReplayLogFile(const QString& path);
  bool Running() const { return running_; }
  // For the shutdown: an import running further up the stack ends after its
  // current record.
  void StopImport();

  const ReplaySummary& LastSummary() const { return summary_; }

 signals:
  // Running changed: the menu item is disabled while an import runs.
  void runningChanged(bool running);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override {}

 private:
  void AfterRecord(const ImportRecord& record) override;
  void ShowProgress(int64_t lines, int percent) override;
  bool StopRequested() override { return stop_; }
  void WaitWhilePaused(int64_t lines) override;
  void TogglePause();

  LogReplay replay_;
  TagTable& table_;
  const Clock& clock_;
  ImportPrompts prompts_;
  ReplaySummary summary_;
  ImportPassCloser* closer_ = nullptr;  // while an import runs
  bool running_ = false;
  bool stop_ = false;
  bool pause_ = false;

  QLabel* lblLineNo;
  QProgressBar* cgLoadLogFileProgress;
  QPushButton* btnStop;
  QPushButton* btnPause;
};

}  // namespace corvalis
