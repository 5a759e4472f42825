#include "script/MachineRegistry.h"

#include <algorithm>

#include "script/DiagTrace.h"

namespace corvalis {

MachineRegistry::MachineRegistry(const Clock& clock, DiagnosticsTrace* trace)
    : clock_(clock), trace_(trace), now_(clock.Now()) {}

MachineRegistry::~MachineRegistry() = default;

StateMachine& MachineRegistry::Create(std::string_view name, void* owner) {
  machines_.push_back(std::make_unique<StateMachine>(*this, name, owner));
  return *machines_.back();
}

void MachineRegistry::Destroy(StateMachine* machine) {
  if (machine == nullptr) return;
  for (auto& other : machines_) {
    for (auto& state : other->states_) {
      if (state->child_ == machine) state->child_ = nullptr;
    }
  }
  if (walkDepth_ > 0 || machine->busy_) {
    // A run may still be inside it; it is skipped from now on and freed once
    // the outermost walk ends.
    machine->doomed_ = true;
    machine->status_ = MachineStatus::kIdle;
    anyDoomed_ = true;
    return;
  }
  machines_.erase(std::remove_if(machines_.begin(), machines_.end(),
                                 [machine](const auto& m) { return m.get() == machine; }),
                  machines_.end());
}

void MachineRegistry::Tick() {
  now_ = clock_.Now();
}

void MachineRegistry::RunAllMachines() {
  ++walkDepth_;
  int passes = 0;
  do {
    changed_ = false;
    ++passes;
    // By index: callbacks may create machines while the walk runs.
    for (size_t i = 0; i < machines_.size(); ++i) {
      StateMachine* machine = machines_[i].get();
      if (!machine->doomed_) machine->Run();
    }
  } while (changed_ && passes < kMaxPasses);
  lastPasses_ = passes;
  --walkDepth_;
  if (walkDepth_ == 0 && anyDoomed_) FreeDoomed();
}

bool MachineRegistry::AnyActive() const {
  return std::any_of(machines_.begin(), machines_.end(), [](const auto& m) {
    return !m->doomed_ && m->status_ != MachineStatus::kIdle && m->status_ != MachineStatus::kEnded;
  });
}

void MachineRegistry::DiagTrace(int level, std::string_view head, std::string_view tail) {
  if (trace_ == nullptr || trace_->Level() < level) return;
  scratch_.assign(head);
  scratch_.append(tail);
  trace_->DiagTrace(level, scratch_);
}

void MachineRegistry::FreeDoomed() {
  anyDoomed_ = false;
  machines_.erase(std::remove_if(machines_.begin(), machines_.end(),
                                 [](const auto& m) { return m->doomed_ && !m->busy_; }),
                  machines_.end());
  for (const auto& m : machines_) {
    if (m->doomed_) anyDoomed_ = true;
  }
}

}  // namespace corvalis
