// Labels, jumps, subroutines and stop.
#include <algorithm>
#include <cstring>

#include "script/ScriptInterpreter.h"

namespace corvalis {

void ScriptInterpreter::RecordLabel(std::string_view name, long position) {
  name = name.substr(0, kLabelNameMax - 1);
  for (int i = 0; i < labelCount_; ++i) {
    Label& label = labels_[static_cast<size_t>(i)];
    if (name == label.name) {
      label.position = position;
      return;
    }
  }
  if (labelCount_ >= kMaxLabels) {
    Message("Label table full: \"" + std::string(name) + "\" not recorded");
    return;
  }
  Label& label = labels_[static_cast<size_t>(labelCount_++)];
  std::memcpy(label.name, name.data(), name.size());
  label.name[name.size()] = '\0';
  label.position = position;
}

const ScriptInterpreter::Label* ScriptInterpreter::FindLabel(std::string_view name) const {
  name = name.substr(0, kLabelNameMax - 1);
  for (int i = 0; i < labelCount_; ++i) {
    if (name == labels_[static_cast<size_t>(i)].name) return &labels_[static_cast<size_t>(i)];
  }
  return nullptr;
}

void ScriptInterpreter::GoToLabel(std::string_view name) {
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
  gotoTarget_.assign(name.substr(0, kLabelNameMax - 1));
  // A known label is jumped to directly; an unknown one is searched for from
  // the start. Either way the label line itself ends the search.
  const Label* label = FindLabel(name);
  source_.Seek(label != nullptr ? label->position : 0);
  skipMode_ = true;
}

bool ScriptInterpreter::GoSub(std::string_view name, std::string_view line) {
  if (stackDepth_ >= kSubroutineDepth) {
    endedOnError_ = true;
    SyntaxBox("Subroutine stack limit exceeded ", line);
    return false;
  }
  stack_[static_cast<size_t>(stackDepth_++)] = source_.NextPosition();
  GoToLabel(name);
  return true;
}

bool ScriptInterpreter::Return(std::string_view line) {
  if (stackDepth_ == 0) {
    endedOnError_ = true;
    SyntaxBox("Subroutine stack underflow ", line);
    return false;
  }
  source_.Seek(stack_[static_cast<size_t>(--stackDepth_)]);
  return true;
}

void ScriptInterpreter::StopStatement() {
  StopScript();
  stackDepth_ = 0;
  source_.Rewind();
  if (!source_.UsesMemo()) source_.CloseFile();
}

}  // namespace corvalis
