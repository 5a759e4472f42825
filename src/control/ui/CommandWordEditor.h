#pragma once

#include <QWidget>

#include "control/CommandWord.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace corvalis {

// The command-word controls shared by the RW Commander (prefix "Cmd") and the
// Configure Tag tab (prefix "TC"): command, pages, Config options, CRC-5,
// tag ID and the 16-character command string they make.
class CommandWordEditor final : public QWidget {
  Q_OBJECT

 public:
  enum class Kind {
    kCommander,     // every control just recomputes the word
    kConfigureTag,  // a page change means TTO, a Config control means Config
  };
  CommandWordEditor(Kind kind, QWidget* parent = nullptr);

  CommandWordFields Fields() const;
  // The CRC-5 the word carries: generated, or typed (low five bits used).
  int Crc5() const;
  uint16_t Word() const;
  QString CommandText() const;  // edt..CommandString
  void SetCommandText(const QString& text);
  // The typed CRC-5 text, and whether the CRC is generated instead.
  bool GeneratesCrc() const;
  QString Crc5Text() const;
  void SetCrc5Text(const QString& text);
  // The tag ID drop-down: its text and its history.
  QString TagIdText() const;
  void SetTagIdText(const QString& text);
  void RememberTagId();
  QStringList TagIdHistory() const;
  bool SecondGeneration() const { return secondGeneration_; }

  // Second generation: commands 0..11, 16-character tag IDs, read-only
  // string; first generation: 0..7, the last 12 characters of the tag ID,
  // an editable string.
  void SetSecondGeneration(bool on);
  // Every field, the CRC choice and the tag ID from `other` (entering the
  // Configure Tag tab, or the reverse before it sends).
  void CopyFrom(const CommandWordEditor& other);
  // Entering the Configure Tag tab: tamper, delay, transmit rate, pages and
  // the eight option boxes from `other`; the command, the CRC choice and the
  // tag ID stay this editor's own.
  void CopyOptionsFrom(const CommandWordEditor& other);
  void SetFields(const CommandWordFields& fields);
  void SetCommand(int command);
  void SetPages(int startPage, int numPages);
  void Recompute();

 Q_SIGNALS:
  void commandChanged(int command, const QString& name);
  void pagesChanged(int startPage, int numPages);

 private:
  QSpinBox* speCommand;
  QComboBox* cmbCommand;
  QSpinBox* speStartPage;
  QSpinBox* speNumPages;
  QComboBox* cbxTamper;
  QComboBox* cbxDelay;
  QComboBox* cbxTagTxRate;
  QCheckBox* ckbTotal;
  QCheckBox* ckbPPE;
  QCheckBox* ckbScramble;
  QCheckBox* ckbConcat;
  QCheckBox* ckbGlobal;
  QCheckBox* ckbEcho;
  QCheckBox* ckbLock;
  QCheckBox* ckbConfig;
  QCheckBox* ckbGenerateCRC;
  QLineEdit* edtCRC5;
  QComboBox* cmbTagID;
  QLineEdit* edtCommandString;
  QLabel* lblCommand;
  void FillCommandNames();
  void ShowCommandString(const QString& text);
  void UpdateVisibility();
  // A control changed: the Configure Tag rules, then the word.
  void Changed(int forceCommand, bool forceExt);

  Kind kind_;
  bool secondGeneration_ = true;
  bool busy_ = false;  // stops the handlers from calling each other
  QList<QWidget*> pageWidgets_;
  QList<QWidget*> configWidgets_;  // tamper
  QList<QWidget*> plainWidgets_;   // delay, rate, TOTAL, PPE
  QList<QWidget*> extWidgets_;
};

}  // namespace corvalis
