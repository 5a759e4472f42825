#pragma once

#include <QWidget>

#include <array>
#include <string>

#include "protocol/MessageDispatcher.h"
#include "tagrw/MultiPage.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTimer;

namespace corvalis {

class AppContext;
class ScriptTab;

// The Multi Page tab: up to nine pages loaded into the read/write
// controller's page buffer and written in one transmit. Send and Get run a
// generated script on the RT tab, on this tab's channel; Get's answers show
// in the Read column beside each page, leaving the typed data alone.
class MultiPagePage final : public QWidget, private MessageObserver {
  Q_OBJECT

 public:
  MultiPagePage(AppContext& context, ScriptTab& scriptTab, QWidget* parent = nullptr);
  ~MultiPagePage() override;

  // The buttons.
  void Send();
  void Get();
  void Write();
  void UseText();
  void SendMask();
  void GetMask();

  const std::string& StoredPage(int page) const {
    return pageData_[static_cast<size_t>(page & 15)];
  }

 private:
  void ObserveMessage(int channel, const char* text, int length) override;
  void BuildControls();
  void StartPageChanged();
  void ShowPages();
  void PageEdited(int row);
  void UpdateCrcs();
  MultiPageCrcKind CrcKind() const;
  bool RunScript(const std::vector<std::string>& lines, const QString& what);
  void ShowProgress();
  int StartPage() const;
  int NumPages() const;

  AppContext& context_;
  ScriptTab& scriptTab_;
  std::array<std::string, kTagPages> pageData_{};
  std::array<std::string, kTagPages> pageCrc_{};
  std::array<std::string, kTagPages> readBack_{};
  QString running_;  // what the generated script does, while it runs
  int runPages_ = 0;
  bool showing_ = false;

  QComboBox* cmbMPChannel;
  QSpinBox* speMPReaderID;
  QSpinBox* speMPStartPage;
  QSpinBox* speMPNumPages;
  std::array<QLabel*, kMultiPageMaxPages> lblMPPage{};
  std::array<QComboBox*, kMultiPageMaxPages> cmbMPData{};
  std::array<QLineEdit*, kMultiPageMaxPages> edtMPCRC{};
  std::array<QLabel*, kMultiPageMaxPages> lblMPRead{};
  QCheckBox* ckbMPGenerateDataCRC;
  QRadioButton* rbtMPCCITT;
  QRadioButton* rbtMPKVQ;
  QRadioButton* rbtMPR5180;
  QRadioButton* rbtMPSpecific;
  QRadioButton* rbtMPAddressed;
  QRadioButton* rbtMPAnyTag;
  QRadioButton* rbtMPImmediate;
  QCheckBox* ckbMPContinuous;
  QCheckBox* ckbMPAutoSusp;
  QComboBox* cmbMPTagID;
  QComboBox* cmbMPText;
  QComboBox* cmbMWMask;
  QLabel* lblMPSuccess;
  QLabel* lblMPStatus;
  QLabel* lblMPProgress;
  QTimer* progressTimer_;
};

}  // namespace corvalis
