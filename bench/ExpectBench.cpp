// Received lines per second through 20 active expects, with the reply
// patterns of the tag read/write exchanges, while a busy reader's tag lines
// stream past (none of them match, so every expect stays active).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "common/Clock.h"
#include "script/DiagTrace.h"
#include "script/Expect.h"
#include "script/MachineRegistry.h"

namespace corvalis {
namespace {

class SilentPort final : public ExpectPort {
 public:
  bool SendExpectCommand(int, std::string_view) override { return true; }
  void ShowExpectMessage(std::string_view) override {}
};

void BM_ExpectLines(benchmark::State& state) {
  ManualClock clock;
  DiagnosticsTrace trace;
  MachineRegistry machines(clock, &trace);
  SilentPort port;
  ExpectList list(machines, &port);
  StateMachine& caller = machines.Create("Caller");
  MachineEvent* done = caller.AddEvent("Done");
  const std::vector<std::vector<ExpectPattern>> patterns = {
      {{"^ab..0015(..)$", done}},     {{"^ab..0016(..)$", done}, {"^ab..00f.(..)$", nullptr}},
      {{"^ab..0020..", done}},        {{"^ad458.............[f96]..00000000ffff0000$", done}},
      {{"^................$", done}},
  };
  std::vector<std::unique_ptr<Expect>> expects;
  for (int i = 0; i < 20; ++i) {
    expects.push_back(std::make_unique<Expect>(list));
    expects.back()->Arm("", 1, 60'000, patterns[static_cast<size_t>(i) % patterns.size()], nullptr,
                        nullptr, 0, Expect::kMatchCommandChannel);
    expects.back()->Go();
  }
  machines.RunAllMachines();
  std::vector<std::string> lines;
  for (int i = 0; i < 64; ++i) {
    char line[80];
    std::snprintf(line, sizeof line,
                  "aa0100000000%012x000a00080812090f1e2d000000000000000000000000000000%02x",
                  i * 7919, i);
    lines.emplace_back(line);
  }
  size_t next = 0;
  int64_t offered = 0;
  for (auto _ : state) {
    const std::string& line = lines[next];
    next = (next + 1) % lines.size();
    list.OfferLine(0, line.c_str(), static_cast<int>(line.size()));
    ++offered;
  }
  for (const auto& e : expects) {
    if (!e->Active()) state.SkipWithError("an expect matched a tag line");
  }
  state.counters["expect_lines_per_s"] =
      benchmark::Counter(static_cast<double>(offered), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ExpectLines);

}  // namespace
}  // namespace corvalis
