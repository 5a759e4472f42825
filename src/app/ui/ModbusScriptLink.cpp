#include "app/ui/ModbusScriptLink.h"

#include <QPushButton>
#include <QString>

#include "script/ScriptInterpreter.h"
#include "script/ScriptVariables.h"
#include "script/ui/ScriptTab.h"

namespace corvalis {

namespace {

// The "Push" names that are Modbus tab buttons, and those buttons.
struct PushedButton {
  const char* pushName;
  const char* objectName;
};
constexpr PushedButton kModbusButtons[] = {
    {"MODBUS_Read_ID", "btnMdbReadId"},
    {"MODBUS_Read_last_ID", "btnMdbReadLastId"},
};

}  // namespace

ModbusScriptLink::ModbusScriptLink(ScriptInterpreter& interpreter, ScriptTab& scriptTab,
                                   QWidget& modbusTab)
    : interpreter_(interpreter), scriptTab_(scriptTab), modbusTab_(modbusTab) {
  interpreter_.SetTabs(this);
}

ModbusScriptLink::~ModbusScriptLink() {
  // The RT tab answers alone again while the window comes down.
  interpreter_.SetTabs(&scriptTab_);
}

void ModbusScriptLink::RunMemoScript(const std::string& text) {
  scriptTab_.RunMemoScript(QString::fromStdString(text));
}

void ModbusScriptLink::StopScript() {
  scriptTab_.StopRunningScript();
}

TabOutcome ModbusScriptLink::RunTabStatement(std::string_view statement, std::string_view args) {
  if (EqualsIgnoreCase(statement, "Push")) {
    for (const PushedButton& pushed : kModbusButtons) {
      if (!EqualsIgnoreCase(args, pushed.pushName)) continue;
      auto* button = modbusTab_.findChild<QPushButton*>(QLatin1String(pushed.objectName));
      if (button == nullptr) return {};
      // The request goes out over the Modbus exchange, not as a script
      // line, so there is no line reply to wait for.
      button->click();
      return {TabOutcome::kDone, {}};
    }
  }
  return scriptTab_.RunTabStatement(statement, args);
}

std::optional<std::string> ModbusScriptLink::FieldText(std::string_view field) const {
  return scriptTab_.FieldText(field);
}

int ModbusScriptLink::DataPagesExpected() const {
  return scriptTab_.DataPagesExpected();
}

}  // namespace corvalis
