#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/DiagTrace.h"
#include "script/MachineRegistry.h"

namespace corvalis {
namespace {

class StateMachineTest : public ::testing::Test {
 protected:
  // One 100 ms tick: the clock moves, the registry caches it and runs.
  void Tick() {
    clock.AdvanceMs(100);
    registry.Tick();
    registry.RunAllMachines();
  }

  ManualClock clock;
  DiagnosticsTrace trace;
  MachineRegistry registry{clock, &trace};
  std::vector<std::string> log;
};

TEST_F(StateMachineTest, GoToTakesEffectAtTheEndOfTheRun) {
  StateMachine& m = registry.Create("M");
  MachineState* a = m.AddState("A", StateType::kStart);
  MachineState* b = m.AddState("B");
  a->SetCallbacks(
      [&](MachineState&) {
        log.push_back("enter A");
        return 0;
      },
      [&](MachineState& s) {
        log.push_back("run A");
        return s.Machine().GoTo("B");
      },
      [&](MachineState&) {
        log.push_back("exit A");
        return 0;
      });
  b->SetCallbacks(
      [&](MachineState&) {
        log.push_back("enter B");
        return 0;
      },
      [&](MachineState&) {
        log.push_back("run B");
        return 0;
      },
      nullptr);
  m.Start();
  EXPECT_EQ(m.Run(), 0);  // genesis
  EXPECT_EQ(m.Run(), 0);  // starting
  EXPECT_EQ(m.Status(), MachineStatus::kRunning);
  EXPECT_EQ(m.Run(), 0);
  EXPECT_EQ(log, (std::vector<std::string>{"enter A", "run A", "exit A"}));
  EXPECT_EQ(m.CurrentStateName(), "B");
  m.Run();
  EXPECT_EQ(log.back(), "run B");
  EXPECT_EQ(log[3], "enter B");
}

TEST_F(StateMachineTest, EndStateRunsOnceThenMachineReportsEnded) {
  StateMachine& m = registry.Create("M");
  int endRuns = 0;
  m.AddState("S", StateType::kStart)
      ->SetCallbacks(
          nullptr, [](MachineState& s) { return s.Machine().GoTo("E"); }, nullptr);
  m.AddState("E", StateType::kEnd)
      ->SetCallbacks(
          nullptr, [&](MachineState&) { return ++endRuns, 0; }, nullptr);
  m.Start();
  registry.RunAllMachines();
  EXPECT_EQ(m.Status(), MachineStatus::kEnded);
  EXPECT_EQ(endRuns, 1);
  EXPECT_EQ(m.Run(), kFsmEnded);
  EXPECT_STREQ(m.ErrorText(), "The State machine has reached an \"End\" state.");
  // Ended machines do not keep the walk going.
  registry.RunAllMachines();
  EXPECT_EQ(registry.LastPassCount(), 1);
  EXPECT_FALSE(registry.AnyActive());
}

TEST_F(StateMachineTest, CodeTableCases) {
  StateMachine& m = registry.Create("M");
  EXPECT_NE(m.AddState("A"), nullptr);
  EXPECT_EQ(m.AddState("A"), nullptr);
  EXPECT_EQ(m.LastError(), kFsmDuplicateState);
  EXPECT_NE(m.AddEvent("e"), nullptr);
  EXPECT_EQ(m.AddEvent("e"), nullptr);
  EXPECT_EQ(m.LastError(), kFsmDuplicateEvent);

  // No start state: stays in Genesis with 32772.
  m.Start();
  EXPECT_EQ(m.Run(), kFsmNoStartState);
  EXPECT_EQ(m.Status(), MachineStatus::kGenesis);

  // A second start state is kept as an ordinary one.
  m.AddState("S1", StateType::kStart)
      ->SetCallbacks(
          nullptr, [](MachineState& s) { return s.Machine().GoTo("nowhere"); }, nullptr);
  m.AddState("S2", StateType::kStart);
  EXPECT_EQ(m.LastError(), kFsmSecondStartState);
  m.Run();
  m.Run();
  EXPECT_EQ(m.CurrentStateName(), "S1");
  EXPECT_EQ(m.Run(), kFsmUnknownState);
  EXPECT_EQ(m.Run(), kFsmNoCurrentState);
  EXPECT_EQ(m.GoTo(""), kFsmUnknownState);
  EXPECT_EQ(m.GoTo(static_cast<const MachineState*>(nullptr)), kFsmNoCurrentState);
  EXPECT_EQ(m.PostEvent(nullptr), kFsmBadEventPointer);
  EXPECT_STREQ(FsmCodeText(32768), "Message number out of range");
  EXPECT_STREQ(FsmCodeText(32786), "Message number out of range");
  EXPECT_STREQ(FsmCodeText(0), "");

  m.Start();
  EXPECT_EQ(m.LastWarning(), kFsmStartedWhileActive);
  m.Idle();
  EXPECT_EQ(m.Run(), 0);  // Idle: nothing runs
}

TEST_F(StateMachineTest, UnacknowledgedEventStaysSetWithWarning) {
  StateMachine& m = registry.Create("M");
  MachineEvent* e = m.AddEvent("go");
  MachineEvent* acked = m.AddEvent("acked");
  m.AddState("S", StateType::kStart)
      ->SetCallbacks(
          nullptr,
          [&](MachineState& s) {
            if (s.Machine().TestEvent(acked) != 0) s.Machine().AcknowledgeEvent(acked);
            return 0;
          },
          nullptr);
  m.Start();
  m.Run();
  m.Run();
  m.PostEvent(e);
  m.PostEvent(acked);
  m.Run();
  EXPECT_EQ(m.TestEvent(e), -1);
  EXPECT_EQ(m.TestEvent(acked), 0);
  EXPECT_EQ(m.LastWarning(), kFsmEventNotHandled);
  EXPECT_EQ(trace.Line(trace.LineCount() - 1), "go event occurred.acked event occurred.");
}

TEST_F(StateMachineTest, DeadlineOf250msFiresByTheThirdTickAndRepeats) {
  StateMachine& m = registry.Create("M");
  MachineEvent* timeout = m.AddEvent("timeout");
  int seen = 0;
  m.AddState("S", StateType::kStart)
      ->SetCallbacks(
          nullptr,
          [&](MachineState& s) {
            if (s.Machine().TestEvent(timeout) != 0) {
              ++seen;
              s.Machine().AcknowledgeEvent(timeout);
            }
            return 0;
          },
          nullptr);
  m.SetTimeoutEvent(timeout);
  m.Start();
  registry.RunAllMachines();
  // A configured but not yet expired deadline posts nothing.
  m.SetTimer(250);
  EXPECT_EQ(m.TimeLeft(), 250);
  Tick();
  Tick();
  EXPECT_EQ(seen, 0);
  Tick();
  EXPECT_GE(seen, 1);
  const int afterExpiry = seen;
  Tick();
  EXPECT_GT(seen, afterExpiry);  // posted again on every run
  m.SetTimer(0);
  const int disarmed = seen;
  Tick();
  EXPECT_EQ(seen, disarmed);
  EXPECT_EQ(m.TimeLeft(), 0);
}

TEST_F(StateMachineTest, PingPongIsBoundedAtFivePasses) {
  StateMachine& m = registry.Create("M");
  int runs = 0;
  m.AddState("Ping", StateType::kStart)
      ->SetCallbacks(
          nullptr, [&](MachineState& s) { return ++runs, s.Machine().GoTo("Pong"); }, nullptr);
  m.AddState("Pong")->SetCallbacks(
      nullptr, [&](MachineState& s) { return ++runs, s.Machine().GoTo("Ping"); }, nullptr);
  m.Start();
  registry.RunAllMachines();
  EXPECT_EQ(registry.LastPassCount(), MachineRegistry::kMaxPasses);
  EXPECT_EQ(runs, 3);  // genesis and starting take the first two passes
}

TEST_F(StateMachineTest, ReentryFromACallbackDoesNothingAndKeepsBusy) {
  StateMachine& m = registry.Create("M");
  bool busyAfterInner = false;
  int runs = 0;
  m.AddState("S", StateType::kStart)
      ->SetCallbacks(
          nullptr,
          [&](MachineState& s) {
            ++runs;
            registry.RunAllMachines();  // a nested walk, as a reply would cause
            busyAfterInner = s.Machine().Busy();
            return 0;
          },
          nullptr);
  m.Start();
  m.Run();
  m.Run();
  m.Run();
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(busyAfterInner);
  EXPECT_FALSE(m.Busy());
}

TEST_F(StateMachineTest, CallbackMayDestroyMachinesDuringAPass) {
  StateMachine& killer = registry.Create("killer");
  StateMachine& victim = registry.Create("victim");
  StateMachine* victimPtr = &victim;
  int victimRuns = 0;
  victim.AddState("V", StateType::kStart)
      ->SetCallbacks(
          nullptr, [&](MachineState&) { return ++victimRuns, 0; }, nullptr);
  killer.AddState("K", StateType::kStart)
      ->SetCallbacks(
          nullptr,
          [&](MachineState& s) {
            registry.Destroy(victimPtr);
            registry.Destroy(&s.Machine());  // itself, mid-run
            return 0;
          },
          nullptr);
  victim.Start();
  killer.Start();
  registry.RunAllMachines();  // genesis, starting, then the killer's run
  EXPECT_EQ(registry.Count(), 0);
  EXPECT_EQ(victimRuns, 0);
  registry.RunAllMachines();
}

}  // namespace
}  // namespace corvalis
