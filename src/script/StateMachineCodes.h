#pragma once

namespace corvalis {

// Result codes of the state machines; 0 is success.
enum FsmCode : int {
  kFsmOk = 0,
  kFsmDuplicateState = 32769,
  kFsmDuplicateEvent = 32770,
  kFsmSecondStartState = 32771,
  kFsmNoStartState = 32772,
  kFsmNoCurrentState = 32773,
  kFsmUnknownState = 32774,
  kFsmEnded = 32775,
  kFsmInvalidCondition = 32776,
  kFsmBadEventList = 32777,
  kFsmBadEventPointer = 32778,
  kFsmEventNotHandled = 32779,
  kFsmEventResetBeforeSet = 32780,
  kFsmUnknownEvent = 32781,
  kFsmStartedWhileActive = 32782,
  kFsmIdledWhileActive = 32783,
  kFsmNoChildMachine = 32784,
  kFsmNoOwnerMachine = 32785,
};

// The message of a result code: empty for 0, "Message number out of range"
// for codes outside the table.
const char* FsmCodeText(int code);

}  // namespace corvalis
