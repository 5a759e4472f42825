#include "app/ui/TabStatementLink.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>

#include "app/AppContext.h"
#include "control/CommandWord.h"
#include "control/ui/CommandWordEditor.h"
#include "control/ui/RWCommanderPage.h"
#include "control/ui/RWCommanderStatements.h"
#include "protocol/Checksums.h"
#include "protocol/Hex.h"
#include "script/ScriptVariables.h"
#include "tagrw/PageHex.h"
#include "tagrw/ui/TagSimPage.h"

namespace corvalis {
namespace {

constexpr int kIdDigits = 12;
constexpr int kTestPages = 15;  // setAllRWData fills pages 0 to 14

struct PushedButton {
  const char* pushName;
  const char* objectName;
};
constexpr PushedButton kReaderButtons[] = {
    {"SetTime", "btnSetTime"},
    {"TxOn", "btnTxOn"},
    {"TxOff", "btnTxOff"},
};

TabOutcome Done() {
  return {TabOutcome::kDone, {}};
}

bool Press(QWidget& tab, const char* name) {
  auto* button = tab.findChild<QPushButton*>(QLatin1String(name));
  if (button == nullptr) return false;
  button->click();
  return true;
}

// Page 0 as an ID: its first 12 digits plus one, with the tag CRC after.
std::string NextId(const std::string& page, uint16_t seed) {
  std::string id = IncrementHex(LowerCase(PadRight(page, kIdDigits).substr(0, kIdDigits)));
  uint8_t bytes[kIdDigits / 2] = {};
  for (size_t i = 0; i < sizeof bytes; ++i) ReadHexByte(id.data() + 2 * i, bytes[i]);
  const uint16_t crc = TagCrc(bytes, static_cast<int>(sizeof bytes), seed);
  for (int shift = 12; shift >= 0; shift -= 4) id += kLowerHexDigits[(crc >> shift) & 15];
  return id;
}

}  // namespace

TabStatementLink::TabStatementLink(AppContext& context, const Tabs& tabs, ScriptTabs& next)
    : context_(context), tabs_(tabs), next_(next) {
  context_.interpreter().SetTabs(this);
}

TabStatementLink::~TabStatementLink() {
  context_.interpreter().SetTabs(&next_);
}

TabOutcome TabStatementLink::RunTabStatement(std::string_view statement, std::string_view args) {
  if (StartsWithIgnoreCase(statement, "TagSim")) return tabs_.tagSim.RunStatement(statement, args);
  if (StartsWithIgnoreCase(statement, "RWCmdr"))
    return RunCommanderStatement(tabs_.commander, statement, args);
  if (EqualsIgnoreCase(statement, "Push")) {
    const TabOutcome pushed = Push(args);
    if (pushed.kind != TabOutcome::kNotAvailable) return pushed;
  }
  TabOutcome outcome = RunTagTestStatement(statement, args);
  if (outcome.kind != TabOutcome::kNotAvailable) return outcome;
  outcome = RunTagsSeenStatement(statement, args);
  if (outcome.kind != TabOutcome::kNotAvailable) return outcome;
  return next_.RunTabStatement(statement, args);
}

TabOutcome TabStatementLink::Push(std::string_view button) {
  for (const PushedButton& pushed : kReaderButtons) {
    if (!EqualsIgnoreCase(button, pushed.pushName)) continue;
    if (!Press(tabs_.readerControl, pushed.objectName)) return {};
    return {TabOutcome::kPressed, {}};
  }
  return {};
}

TabOutcome TabStatementLink::RunTagTestStatement(std::string_view statement,
                                                 std::string_view args) {
  TagRwTest& test = context_.tagRw();
  if (EqualsIgnoreCase(statement, "setAllRWData")) {
    if (!IsPageData(args)) {
      return {TabOutcome::kRefused,
              "Page contents must be 16 hexadecimal characters: \"" + std::string(args) + "\""};
    }
    for (int page = 0; page < kTestPages; ++page) test.SetPageData(page, LowerCase(args));
    return Done();
  }
  if (EqualsIgnoreCase(statement, "clearRWReadColours")) {
    test.ClearReads();
    return Done();
  }
  if (EqualsIgnoreCase(statement, "RWTTIncData0")) {
    test.SetPageData(0, IncrementHex(test.pages()[0].data));
    return Done();
  }
  if (EqualsIgnoreCase(statement, "RWTTIncID")) {
    test.SetPageData(0, NextId(test.pages()[0].data, context_.protocolSettings().crcSeed));
    return Done();
  }
  return {};
}

TabOutcome TabStatementLink::RunTagsSeenStatement(std::string_view statement,
                                                  std::string_view args) {
  QWidget& seen = tabs_.tagsSeen;
  if (EqualsIgnoreCase(statement, "clearTagsSeen"))
    return Press(seen, "btnClear") ? Done() : TabOutcome{};
  if (EqualsIgnoreCase(statement, "recordTagsSeen"))
    return Press(seen, "btnRecord") ? Done() : TabOutcome{};
  if (EqualsIgnoreCase(statement, "recordPrefix")) {
    auto* prefix = seen.findChild<QLineEdit*>(QStringLiteral("edtNamePrefix"));
    if (prefix == nullptr) return {};
    prefix->setText(QString::fromStdString(std::string(args)));
    return Done();
  }
  if (EqualsIgnoreCase(statement, "recordNumber")) {
    auto* number = seen.findChild<QSpinBox*>(QStringLiteral("speNameSuffix"));
    if (number == nullptr) return {};
    long long n = 0;
    if (!ParseScriptInteger(args, &n)) n = 0;
    number->setValue(static_cast<int>(n));
    return Done();
  }
  return {};
}

std::optional<std::string> TabStatementLink::FieldText(std::string_view field) const {
  if (EqualsIgnoreCase(field, "RWCommanderTagID") || EqualsIgnoreCase(field, "RWCmdrTagID"))
    return tabs_.commander.Editor().TagIdText().toStdString();
  if (EqualsIgnoreCase(field, "RWCommanderData") || EqualsIgnoreCase(field, "RWCmdrData")) {
    auto* data = tabs_.commander.findChild<QComboBox*>(QStringLiteral("cmbCmdData"));
    if (data != nullptr) return data->currentText().toStdString();
  }
  if (EqualsIgnoreCase(field, "TagSimTagID")) return tabs_.tagSim.TagIdText();
  if (EqualsIgnoreCase(field, "RWTTData0")) return context_.tagRw().pages()[0].data;
  return next_.FieldText(field);
}

int TabStatementLink::DataPagesExpected() const {
  return std::max(1, tabs_.commander.NumPages());
}

}  // namespace corvalis
