#pragma once

#include <string>
#include <string_view>

#include "modbus/ModbusPorts.h"
#include "script/ScriptHost.h"

class QWidget;

namespace corvalis {

class ScriptInterpreter;
class ScriptTab;

// Joins the Modbus TCP tab and the RT tab: the RT tab runs the periodic read
// program, and the program's "Push MODBUS_..." statements press the Modbus
// tab's read buttons. Every other tab statement is the RT tab's to answer.
class ModbusScriptLink final : public PeriodicReadRunner, public ScriptTabs {
 public:
  ModbusScriptLink(ScriptInterpreter& interpreter, ScriptTab& scriptTab, QWidget& modbusTab);
  ~ModbusScriptLink() override;

  // PeriodicReadRunner
  void RunMemoScript(const std::string& text) override;
  void StopScript() override;

  // ScriptTabs
  TabOutcome RunTabStatement(std::string_view statement, std::string_view args) override;
  std::optional<std::string> FieldText(std::string_view field) const override;
  int DataPagesExpected() const override;

 private:
  ScriptInterpreter& interpreter_;
  ScriptTab& scriptTab_;
  QWidget& modbusTab_;
};

}  // namespace corvalis
