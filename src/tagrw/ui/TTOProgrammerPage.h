#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "control/CommandWord.h"
#include "protocol/MessageDispatcher.h"
#include "tagrw/IdSet.h"
#include "tagrw/TtoProgrammer.h"
#include "tagrw/ui/RWTagTestPage.h"

class QCheckBox;
class QDialog;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace corvalis {

class AppContext;
class TtoConfigDialog;

// The TTO Programmer tab: the ID (page 0) and configuration (page 15) of a
// TTO tag on the bench, the rate poll with its coloured rate, the trim
// buttons and the page writes and reads through the page test.
class TTOProgrammerPage final : public QWidget,
                                private TtoHost,
                                private TtoPageSink,
                                private MessageObserver {
  Q_OBJECT

 public:
  // `target`: the commander's channel, reader ID and tag ID; `commanderFields`:
  // its tamper, delay, rate, pages and "TOTAL" for "&Load " and the read-back
  // double-click.
  TTOProgrammerPage(AppContext& context, std::function<RWTagTestPage::Target()> target,
                    std::function<CommandWordFields()> commanderFields, QWidget* parent = nullptr);
  ~TTOProgrammerPage() override;

  void Refresh();
  TtoConfigDialog& ConfigDialog() { return *configDialog_; }
  // How the configuration dialog is run; modally by default.
  void SetDialogRunner(std::function<int(QDialog&)> run) { runDialog_ = std::move(run); }
  // The rate label's colours for a band (background; the text is black).
  static QColor BandColour(RateBand band);

 Q_SIGNALS:
  // "&Next" and "&Again" put the ID page into its history on the R/W Tag Test tab.
  void idPageUsed();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void ClearTagsAndMemo() override;
  void TtoChanged() override { Refresh(); }
  void TtoIdSeen() override;
  void ShowLastIdSeen();
  // Each tag seen goes into the list once.
  void ListLastIdSeen();
  void TtoPageRead(int, const std::string&) override { Refresh(); }
  void ObserveMessage(int channel, const char* text, int length) override;
  QPushButton* Button(const char* name, const QString& caption, std::function<void()> action);
  QWidget* BuildFields();
  QWidget* BuildButtons();
  void TakeTarget();
  void EditConfiguration();

  AppContext& context_;
  TtoProgrammer& tto_;
  std::function<RWTagTestPage::Target()> target_;
  std::function<CommandWordFields()> commanderFields_;
  std::function<int(QDialog&)> runDialog_;
  // Not a child: its controls carry the commander's names, which the main
  // window finds among its children.
  std::unique_ptr<TtoConfigDialog> configDialog_;
  QLineEdit* edtPrgID = nullptr;
  QLineEdit* edtPrgConfig = nullptr;
  QLabel* pnlPrgID = nullptr;
  QLabel* pnlPrgConfig = nullptr;
  QLabel* lblPrgRate = nullptr;
  QPlainTextEdit* memPrgIncoming = nullptr;
  QCheckBox* ckbPrgShowIncoming = nullptr;
  QListWidget* lsbPrgTagsList = nullptr;
  IdSet listedIds_;
};

}  // namespace corvalis
