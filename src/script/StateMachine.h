#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/Clock.h"
#include "script/StateMachineCodes.h"

namespace corvalis {

class MachineRegistry;
class StateMachine;
class MachineState;

// A state callback: 0 continues, anything else ends the run with that code.
using StateCallback = std::function<int(MachineState&)>;
// A machine hook; the start and before-run hooks abort the run when non-zero.
using MachineHook = std::function<int(StateMachine&)>;

enum class StateType : unsigned char { kOrdinary = 0, kStart = 1, kEnd = 2 };

enum class MachineStatus : int {
  kGenesis = 0,
  kStarting = 1,
  kRunning = 2,
  kEnding = 3,
  kEnded = 4,
  kIdle = 5,
};

class MachineState {
 public:
  MachineState(StateMachine& machine, std::string_view name, StateType type)
      : name_(name), machine_(machine), type_(type) {}

  void SetCallbacks(StateCallback entry, StateCallback whileActive, StateCallback exit);
  // The machine started on entry and idled on exit; it runs inside this state.
  void SetChild(StateMachine* child) { child_ = child; }

  const std::string& Name() const { return name_; }
  StateMachine& Machine() const { return machine_; }
  StateMachine* Child() const { return child_; }
  StateType Type() const { return type_; }

 private:
  friend class StateMachine;
  friend class MachineRegistry;
  std::string name_;
  StateMachine& machine_;
  StateMachine* child_ = nullptr;
  StateCallback entry_;
  StateCallback whileActive_;
  StateCallback exit_;
  StateType type_;
};

// A flag that callbacks post, test and acknowledge.
class MachineEvent {
 public:
  MachineEvent(StateMachine& machine, std::string_view name) : name_(name), machine_(machine) {}

  const std::string& Name() const { return name_; }
  StateMachine& Machine() const { return machine_; }
  bool IsSet() const { return set_; }
  bool IsAcknowledged() const { return acknowledged_; }

 private:
  friend class StateMachine;
  std::string name_;
  StateMachine& machine_;
  bool set_ = false;
  bool acknowledged_ = false;
};

// A finite-state machine run by its registry a few passes at a time. States
// and events belong to the machine and live as long as it does.
class StateMachine {
 public:
  StateMachine(MachineRegistry& registry, std::string_view name, void* owner);
  ~StateMachine();
  StateMachine(const StateMachine&) = delete;
  StateMachine& operator=(const StateMachine&) = delete;

  // Null when the name is taken (32769). A second start state stays added as
  // an ordinary state and LastError is 32771.
  MachineState* AddState(std::string_view name, StateType type = StateType::kOrdinary);
  // Null when the name is taken (32770).
  MachineEvent* AddEvent(std::string_view name);
  MachineState* FindState(std::string_view name) const;
  MachineEvent* FindEvent(std::string_view name) const;

  int Start();
  int Idle();
  // Requests a transition at the end of the current run.
  int GoTo(std::string_view name);
  int GoTo(const MachineState* state);

  // Deadline = the registry's tick time + ms; 0 disarms.
  void SetTimer(int ms);
  int64_t TimeLeft() const;
  void SetTimeoutEvent(MachineEvent* event) { timeoutEvent_ = event; }

  // Event operations; each returns 32778 for a null event.
  int PostEvent(MachineEvent* event);
  int TestEvent(const MachineEvent* event) const;  // -1 set, 0 not set
  int AcknowledgeEvent(MachineEvent* event);
  int ResetEvent(MachineEvent* event);

  void SetHooks(MachineHook genesis, MachineHook start, MachineHook beforeRun, MachineHook end);

  // One run (see the registry for when runs happen).
  int Run();

  int LastError() const { return lastError_; }
  int LastWarning() const { return lastWarning_; }
  const char* ErrorText() const { return FsmCodeText(lastError_); }
  MachineStatus Status() const { return status_; }
  const std::string& Name() const { return name_; }
  void* Owner() const { return owner_; }
  int PendingEvents() const { return pendingEvents_; }
  // The current state's name, "none" before the first one.
  const std::string& CurrentStateName() const { return current_.name; }
  bool Busy() const { return busy_; }

 private:
  friend class MachineRegistry;
  struct StateRef {
    int index = -1;
    MachineState* state = nullptr;
    std::string name = "none";
    void Reset() {
      index = -1;
      state = nullptr;
      name = "none";
    }
  };

  int RunStep();
  int RunRunning();
  void SweepEvents();
  void Trace(int level, std::string_view suffix) const;

  MachineRegistry& registry_;
  std::string name_;
  void* owner_;
  std::vector<std::unique_ptr<MachineState>> states_;
  std::vector<std::unique_ptr<MachineEvent>> events_;
  int startIndex_ = -1;
  std::string startName_ = "none";
  StateRef current_;
  StateRef next_;
  StateRef entered_;
  MachineStatus status_ = MachineStatus::kIdle;
  MachineHook onGenesis_;
  MachineHook onStart_;
  MachineHook beforeRun_;
  MachineHook onEnd_;
  int pendingEvents_ = 0;
  int lastError_ = 0;
  int lastWarning_ = 0;
  bool busy_ = false;
  WallTime deadline_{};
  MachineEvent* timeoutEvent_ = nullptr;
  bool doomed_ = false;  // destroyed while running; freed after the pass
};

}  // namespace corvalis
