#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/Clock.h"
#include "script/StateMachine.h"

namespace corvalis {

class DiagnosticsTrace;

// Every live machine, run together on the user-interface thread after each
// receive batch and on each 100 ms tick. Owns the machines so that one
// destroyed from inside a callback is only freed once no run uses it.
class MachineRegistry {
 public:
  static constexpr int kMaxPasses = 5;

  MachineRegistry(const Clock& clock, DiagnosticsTrace* trace);
  ~MachineRegistry();
  MachineRegistry(const MachineRegistry&) = delete;
  MachineRegistry& operator=(const MachineRegistry&) = delete;

  StateMachine& Create(std::string_view name, void* owner = nullptr);
  // Frees the machine now, or after the current pass when a run is in
  // progress. Child links to it from other machines' states are cut.
  void Destroy(StateMachine* machine);

  // Refreshes the cached time that all deadlines use; once per tick.
  void Tick();
  WallTime Now() const { return now_; }

  // Up to kMaxPasses passes while runs keep changing something.
  void RunAllMachines();
  // True when some machine is neither Idle nor Ended (worth running).
  bool AnyActive() const;

  void MarkChanged() { changed_ = true; }
  bool Changed() const { return changed_; }
  int Count() const { return static_cast<int>(machines_.size()); }
  int LastPassCount() const { return lastPasses_; }

  // Traces head + tail as one text; nothing is built below the level.
  void DiagTrace(int level, std::string_view head, std::string_view tail);

 private:
  void FreeDoomed();

  const Clock& clock_;
  DiagnosticsTrace* trace_;
  WallTime now_;
  std::vector<std::unique_ptr<StateMachine>> machines_;
  bool changed_ = false;
  int walkDepth_ = 0;
  bool anyDoomed_ = false;
  int lastPasses_ = 0;
  std::string scratch_;
};

}  // namespace corvalis
