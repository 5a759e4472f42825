// Script statements per second: a tight Set/Inc/ifCompare/goto loop run by
// driving steps directly, with no ticks and no I/O.
#include <benchmark/benchmark.h>

#include <optional>
#include <string>

#include "common/Clock.h"
#include "script/ScriptInterpreter.h"

namespace corvalis {
namespace {

class QuietOutput final : public ScriptOutput {
 public:
  void ScriptMessage(std::string_view) override {}
  void ScriptTrace(std::string_view) override {}
  void ShowBox(std::string_view, std::string_view) override {}
  std::optional<bool> AskYesNo(std::string_view) override { return std::nullopt; }
  std::optional<std::string> AskInput(std::string_view) override { return std::nullopt; }
};

class NoChannels final : public ScriptChannels {
 public:
  bool IsOpen(int) const override { return false; }
  void Open(int) override {}
  void Close(int) override {}
  bool Send(int, const char*, int) override { return false; }
  bool IsSerial(int) const override { return false; }
  void SetBaudRate(int, int) override {}
  bool SetPort(int, std::string_view) override { return false; }
  bool SetPortByIndex(int, int) override { return false; }
  void SimulateInput(int, std::string_view) override {}
};

void BM_ScriptSteps(benchmark::State& state) {
  ManualClock clock;
  QuietOutput output;
  NoChannels channels;
  ScriptInterpreter interpreter(clock, output, channels);
  interpreter.Source().SetMemoText(
      ":loop\nSet X2 7\nInc X1\nifCompare (${X1} lt 2000000000) goto loop\nstop\n");
  interpreter.StartStopScript();  // runs the first batch of lines
  const uint64_t before = interpreter.LinesExecuted();
  for (auto _ : state) interpreter.RunScriptStep();
  const double lines = static_cast<double>(interpreter.LinesExecuted() - before);
  if (!interpreter.Running()) state.SkipWithError("the loop stopped");
  state.counters["script_steps_per_s"] = benchmark::Counter(lines, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ScriptSteps);

}  // namespace
}  // namespace corvalis
