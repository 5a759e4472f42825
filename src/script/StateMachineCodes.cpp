#include "script/StateMachineCodes.h"

namespace corvalis {
namespace {

constexpr const char* kMessages[] = {
    "A state with the specified name has already been added.",
    "An event with the specified name has already been added.",
    "A start state has already been defined - only one start state is allowed.",
    "A start state must be defined.",
    "The currently active state does not exist.",
    "No known state has the specified name.",
    "The State machine has reached an \"End\" state.",
    "The state machine itself is in an invalid condition.",
    "There is an error in the event list.",
    "The pointer to an event structure is invalid.",
    "An event was not handled by the active state.",
    "An event was reset before being set.",
    "No event with the specified name exists.",
    "The machine was \"started\" while it was not idle or ended.",
    "The machine was \"idled\" while it was not idle or ended.",
    "No child machine is defined - no other error information available.",
    "The owner state machine is not defined.",
};

}  // namespace

const char* FsmCodeText(int code) {
  if (code == kFsmOk) return "";
  if (code < kFsmDuplicateState || code > kFsmNoOwnerMachine) return "Message number out of range";
  return kMessages[code - kFsmDuplicateState];
}

}  // namespace corvalis
