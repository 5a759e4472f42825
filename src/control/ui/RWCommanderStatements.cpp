#include "control/ui/RWCommanderStatements.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>

#include <algorithm>
#include <string>

#include "control/ui/CommandWordEditor.h"
#include "control/ui/RWCommanderPage.h"
#include "script/ScriptVariables.h"

namespace corvalis {
namespace {

constexpr int kIdDigits = 16;
constexpr int kDataDigitsWithCrc = 12;

TabOutcome Done() {
  return {TabOutcome::kDone, {}};
}

TabOutcome Refused(const char* text, std::string_view args) {
  return {TabOutcome::kRefused, std::string(text) + std::string(args) + "\""};
}

bool AllHex(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
  });
}

// A drop-down choice by item index, or by a word that begins an item
// (case-insensitively). `badIndex` and `badWord` are the refusals.
TabOutcome Choose(QComboBox* box, std::string_view args, const char* badIndex,
                  const char* badWord) {
  if (box == nullptr) return {};
  long long n = 0;
  if (ParseScriptInteger(args, &n)) {
    if (n < 0 || n >= box->count()) return Refused(badIndex, args);
    box->setCurrentIndex(static_cast<int>(n));
    return Done();
  }
  for (int i = 0; i < box->count() && !args.empty(); ++i) {
    if (StartsWithIgnoreCase(box->itemText(i).toStdString(), args)) {
      box->setCurrentIndex(i);
      return Done();
    }
  }
  return Refused(badWord, args);
}

TabOutcome SetPageSpin(QSpinBox* spin, std::string_view args, const char* refusal) {
  if (spin == nullptr) return {};
  long long n = 0;
  if (!ParseScriptInteger(args, &n) || n < spin->minimum() || n > spin->maximum())
    return Refused(refusal, args);
  spin->setValue(static_cast<int>(n));
  return Done();
}

template <class T>
T* Child(RWCommanderPage& page, const char* name) {
  return page.findChild<T*>(QLatin1String(name));
}

}  // namespace

TabOutcome RunCommanderStatement(RWCommanderPage& page, std::string_view statement,
                                 std::string_view args) {
  const auto is = [&](const char* name) { return EqualsIgnoreCase(statement, name); };
  if (is("RWCmdrCommandSend")) {
    page.Transmit();
    return {TabOutcome::kPressed, {}};
  }
  if (is("RWCmdrCommandLoad")) {
    page.Load();
    return {TabOutcome::kPressed, {}};
  }
  if (is("RWCmdrDataSend")) {
    page.SendData();
    return {TabOutcome::kPressed, {}};
  }
  if (is("RWCmdrSetCommand")) {
    auto* names = Child<QComboBox>(page, "cmbCmdCommand");
    return Choose(names, args, "Illegal Command number: \"", "Illegal RW Command: \"");
  }
  if (is("RWCmdrSetStartPage"))
    return SetPageSpin(Child<QSpinBox>(page, "speCmdStartPage"), args,
                       "Illegal start page number: \"");
  if (is("RWCmdrSetNumPages"))
    return SetPageSpin(Child<QSpinBox>(page, "speCmdNumPages"), args,
                       "Illegal number of pages: \"");
  if (is("RWCmdrSetConfigTamper"))
    return Choose(Child<QComboBox>(page, "cbxCmdTamper"), args,
                  "Illegal tamper configuration option: \"", "Illegal tamper configuration: \"");
  if (is("RWCmdrSetConfigDelay"))
    return Choose(Child<QComboBox>(page, "cbxCmdDelay"), args,
                  "Illegal delay configuration option: \"", "Illegal delay configuration: \"");
  if (is("RWCmdrSetConfigTagTxRate"))
    return Choose(Child<QComboBox>(page, "cbxCmdTagTxRate"), args, "Illegal Tag TX rate option: \"",
                  "Illegal Tax TX rate: \"");
  if (is("RWCmdrSetTarget"))
    return Choose(Child<QComboBox>(page, "cbxCmdTarget"), args, "Illegal target option: \"",
                  "Illegal target option: \"");
  if (is("RWCmdrSetTagID")) {
    if (args.size() != kIdDigits || !AllHex(args))
      return Refused("ID must be 16 hexadecimal characters: \"", args);
    page.Editor().SetTagIdText(QString::fromLatin1(args.data(), static_cast<int>(args.size())));
    return Done();
  }
  if (is("RWCmdrSetData")) {
    auto* crc = Child<QCheckBox>(page, "ckbCmdDataCRC");
    const size_t digits = crc != nullptr && crc->isChecked() ? kDataDigitsWithCrc : kIdDigits;
    if (args.size() != digits || !AllHex(args))
      return Refused("Data must be 16/12 hexadecimal characters: \"", args);
    auto* data = Child<QComboBox>(page, "cmbCmdData");
    if (data == nullptr) return {};
    data->setEditText(QString::fromLatin1(args.data(), static_cast<int>(args.size())));
    return Done();
  }
  if (is("RWCmdrSetManual")) {
    auto* manual = Child<QCheckBox>(page, "ckbRWManual");
    long long n = 0;
    bool on = false;
    if (ParseScriptInteger(args, &n) && (n == 0 || n == 1)) {
      on = n == 1;
    } else if (EqualsIgnoreCase(args, "on") || EqualsIgnoreCase(args, "off")) {
      on = EqualsIgnoreCase(args, "on");
    } else {
      return Refused("Parameter must be 0/1 or off/on \"", args);
    }
    if (manual == nullptr) return {};
    manual->setChecked(on);
    return Done();
  }
  return {};
}

}  // namespace corvalis
