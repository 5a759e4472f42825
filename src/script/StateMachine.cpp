#include "script/StateMachine.h"

#include <string>

#include "script/MachineRegistry.h"

namespace corvalis {
namespace {

constexpr int kTraceControl = 0;
constexpr int kTraceEvent = 1;
constexpr int kTraceStep = 5;

}  // namespace

void MachineState::SetCallbacks(StateCallback entry, StateCallback whileActive,
                                StateCallback exit) {
  entry_ = std::move(entry);
  whileActive_ = std::move(whileActive);
  exit_ = std::move(exit);
}

StateMachine::StateMachine(MachineRegistry& registry, std::string_view name, void* owner)
    : registry_(registry), name_(name), owner_(owner) {}

StateMachine::~StateMachine() = default;

MachineState* StateMachine::AddState(std::string_view name, StateType type) {
  if (FindState(name) != nullptr) {
    lastError_ = kFsmDuplicateState;
    return nullptr;
  }
  lastError_ = kFsmOk;
  StateType kept = type;
  if (type == StateType::kStart) {
    if (startIndex_ >= 0) {
      lastError_ = kFsmSecondStartState;
      kept = StateType::kOrdinary;
    } else {
      startIndex_ = static_cast<int>(states_.size());
      startName_ = std::string(name);
    }
  }
  states_.push_back(std::make_unique<MachineState>(*this, name, kept));
  return states_.back().get();
}

MachineEvent* StateMachine::AddEvent(std::string_view name) {
  if (FindEvent(name) != nullptr) {
    lastError_ = kFsmDuplicateEvent;
    return nullptr;
  }
  lastError_ = kFsmOk;
  events_.push_back(std::make_unique<MachineEvent>(*this, name));
  return events_.back().get();
}

MachineState* StateMachine::FindState(std::string_view name) const {
  for (const auto& state : states_) {
    if (state->name_ == name) return state.get();
  }
  return nullptr;
}

MachineEvent* StateMachine::FindEvent(std::string_view name) const {
  for (const auto& event : events_) {
    if (event->name_ == name) return event.get();
  }
  return nullptr;
}

int StateMachine::Start() {
  Trace(kTraceControl, " starting.\r\n");
  if (status_ != MachineStatus::kEnded && status_ != MachineStatus::kIdle)
    lastWarning_ = kFsmStartedWhileActive;
  status_ = MachineStatus::kGenesis;
  deadline_ = {};
  lastError_ = kFsmOk;
  registry_.MarkChanged();
  return kFsmOk;
}

int StateMachine::Idle() {
  Trace(kTraceControl, " going idle.\r\n");
  if (status_ != MachineStatus::kEnded && status_ != MachineStatus::kIdle)
    lastWarning_ = kFsmIdledWhileActive;
  status_ = MachineStatus::kIdle;
  deadline_ = {};
  lastError_ = kFsmOk;
  return kFsmOk;
}

int StateMachine::GoTo(std::string_view name) {
  registry_.MarkChanged();
  if (name.empty()) return lastError_ = kFsmUnknownState;
  next_.name.assign(name);
  return lastError_ = kFsmOk;
}

int StateMachine::GoTo(const MachineState* state) {
  if (state == nullptr) return lastError_ = kFsmNoCurrentState;
  return GoTo(std::string_view(state->name_));
}

void StateMachine::SetTimer(int ms) {
  if (ms == 0) {
    deadline_ = {};
    return;
  }
  const WallTime now = registry_.Now();
  const int64_t total = int64_t{now.ms} + ms;
  int64_t sec = now.sec + total / 1000;
  int64_t rem = total % 1000;
  if (rem < 0) {
    rem += 1000;
    --sec;
  }
  deadline_ = {static_cast<int32_t>(sec), static_cast<int32_t>(rem)};
  // {0, 0} means disarmed; a deadline there is a moment long past anyway.
  if (deadline_.sec == 0 && deadline_.ms == 0) deadline_.ms = 1;
}

int64_t StateMachine::TimeLeft() const {
  if (deadline_.sec == 0 && deadline_.ms == 0) return 0;
  return MillisBetween(registry_.Now(), deadline_);
}

int StateMachine::PostEvent(MachineEvent* event) {
  if (event == nullptr) return kFsmBadEventPointer;
  StateMachine& owner = event->machine_;
  registry_.DiagTrace(kTraceEvent, event->name_, " event occurred.");
  if (!event->set_) {
    ++owner.pendingEvents_;
    event->set_ = true;
  }
  event->acknowledged_ = false;
  registry_.MarkChanged();
  return kFsmOk;
}

int StateMachine::TestEvent(const MachineEvent* event) const {
  if (event == nullptr) return kFsmBadEventPointer;
  return event->set_ ? -1 : 0;
}

int StateMachine::AcknowledgeEvent(MachineEvent* event) {
  if (event == nullptr) return kFsmBadEventPointer;
  if (!event->acknowledged_) {
    if (event->set_) --event->machine_.pendingEvents_;
    event->acknowledged_ = true;
  }
  return kFsmOk;
}

int StateMachine::ResetEvent(MachineEvent* event) {
  if (event == nullptr) return kFsmBadEventPointer;
  if (event->set_) {
    --event->machine_.pendingEvents_;
    event->set_ = false;
    event->acknowledged_ = false;
  }
  return kFsmOk;
}

void StateMachine::SetHooks(MachineHook genesis, MachineHook start, MachineHook beforeRun,
                            MachineHook end) {
  onGenesis_ = std::move(genesis);
  onStart_ = std::move(start);
  beforeRun_ = std::move(beforeRun);
  onEnd_ = std::move(end);
}

int StateMachine::Run() {
  if (status_ == MachineStatus::kIdle) return kFsmOk;
  // A run re-entered from one of this machine's callbacks does nothing and
  // leaves the outer run's busy mark in place.
  if (busy_) return kFsmOk;
  busy_ = true;
  const int result = RunStep();
  busy_ = false;
  lastError_ = result;
  return result;
}

int StateMachine::RunStep() {
  // Only a configured event is posted, and only once the deadline has
  // passed; it stays armed so the event repeats until re-armed or disarmed.
  // An Ended machine posts nothing: it would keep every walk at five passes.
  // Re-posting an event that still waits for its acknowledgement changes
  // nothing either.
  if (timeoutEvent_ != nullptr && status_ != MachineStatus::kEnded &&
      (deadline_.sec != 0 || deadline_.ms != 0) && MillisBetween(registry_.Now(), deadline_) <= 0 &&
      !(timeoutEvent_->set_ && !timeoutEvent_->acknowledged_)) {
    PostEvent(timeoutEvent_);
  }
  switch (status_) {
    case MachineStatus::kGenesis:
      Trace(kTraceStep, " genesis\r\n");
      current_.Reset();
      next_.Reset();
      entered_.Reset();
      if (onGenesis_) onGenesis_(*this);
      if (startIndex_ < 0) return kFsmNoStartState;
      for (const auto& event : events_) {
        event->set_ = false;
        event->acknowledged_ = false;
      }
      pendingEvents_ = 0;
      status_ = MachineStatus::kStarting;
      registry_.MarkChanged();
      return kFsmOk;
    case MachineStatus::kStarting: {
      Trace(kTraceStep, " starting\r\n");
      entered_.Reset();
      current_.index = startIndex_;
      current_.state = states_[static_cast<size_t>(startIndex_)].get();
      current_.name = startName_;
      if (onStart_) {
        if (const int code = onStart_(*this); code != 0) return code;
      }
      status_ = MachineStatus::kRunning;
      registry_.MarkChanged();
      return kFsmOk;
    }
    case MachineStatus::kRunning: {
      const int code = RunRunning();
      if (code != kFsmOk || status_ != MachineStatus::kEnding) return code;
      [[fallthrough]];
    }
    case MachineStatus::kEnding:
      if (onEnd_) onEnd_(*this);
      status_ = MachineStatus::kEnded;
      registry_.MarkChanged();
      return kFsmOk;
    case MachineStatus::kEnded:
      return kFsmEnded;
    case MachineStatus::kIdle:
      return kFsmOk;
  }
  return kFsmInvalidCondition;
}

int StateMachine::RunRunning() {
  next_.index = current_.index;
  next_.name = current_.name;
  registry_.DiagTrace(kTraceStep, current_.name, " running\r\n");

  if (entered_.index != current_.index) {
    if (current_.index < 0 || current_.state == nullptr) return kFsmNoCurrentState;
    MachineState& state = *current_.state;
    if (state.entry_) {
      if (const int code = state.entry_(state); code != 0) return code;
    }
    if (state.child_ != nullptr) state.child_->Start();
  }
  if (beforeRun_) {
    if (const int code = beforeRun_(*this); code != 0) return code;
  }
  entered_.index = current_.index;
  entered_.state = current_.state;
  entered_.name = current_.name;

  MachineState& state = *entered_.state;
  if (state.child_ != nullptr) {
    const int code = state.child_->Run();
    if (code != kFsmOk && code != kFsmEnded) return code;
  }
  if (state.whileActive_) {
    if (const int code = state.whileActive_(state); code != 0) return code;
  }
  if (next_.name != current_.name) {
    registry_.MarkChanged();
    if (state.exit_) {
      if (const int code = state.exit_(state); code != 0) return code;
    }
    if (state.child_ != nullptr) state.child_->Idle();
    current_.name = next_.name;
    current_.index = -1;
    current_.state = nullptr;
    for (size_t i = 0; i < states_.size(); ++i) {
      if (states_[i]->name_ == current_.name) {
        current_.index = static_cast<int>(i);
        current_.state = states_[i].get();
        break;
      }
    }
    if (current_.index < 0) return kFsmUnknownState;
  }
  SweepEvents();
  if (state.type_ == StateType::kEnd) status_ = MachineStatus::kEnding;
  return kFsmOk;
}

void StateMachine::SweepEvents() {
  for (const auto& event : events_) {
    if (event->set_ && event->acknowledged_) {
      event->set_ = false;
      event->acknowledged_ = false;
    } else if (event->set_) {
      lastWarning_ = kFsmEventNotHandled;
    } else if (event->acknowledged_) {
      event->acknowledged_ = false;
      lastWarning_ = kFsmEventResetBeforeSet;
    }
  }
}

void StateMachine::Trace(int level, std::string_view suffix) const {
  registry_.DiagTrace(level, name_, suffix);
}

}  // namespace corvalis
