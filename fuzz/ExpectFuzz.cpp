// Offers arbitrary received lines to a chain of expects with the tag
// read/write reply patterns, and arms one with the input as its pattern.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/Clock.h"
#include "script/DiagTrace.h"
#include "script/Expect.h"
#include "script/MachineRegistry.h"

namespace {

using namespace corvalis;

class QuietPort final : public ExpectPort {
 public:
  bool SendExpectCommand(int, std::string_view text) override { return !text.empty(); }
  void ShowExpectMessage(std::string_view text) override { sum += text.size(); }
  size_t sum = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ManualClock clock;
  DiagnosticsTrace trace;
  MachineRegistry machines(clock, &trace);
  QuietPort port;
  ExpectList list(machines, &port);
  StateMachine& caller = machines.Create("Caller");
  MachineEvent* done = caller.AddEvent("Done");
  const std::string input(reinterpret_cast<const char*>(data), size);

  Expect root(list);
  Expect child(list);
  Expect single(list);
  root.Arm("cmd", 2, 1000, {{"^ab..0016(..)$", done}, {"(.)(.)?", nullptr}}, nullptr, nullptr, 0,
           Expect::kMatchAnyChannel);
  child.Chain(root, 1000, {{"^(................)$", done}}, nullptr, nullptr, -2, -1);
  single.Arm("", 1, 1000, {{input.substr(0, 64), done}}, nullptr, nullptr, 0, -1);
  root.Go();
  single.Go();
  machines.RunAllMachines();
  size_t start = 0;
  while (start <= input.size()) {
    size_t end = input.find('\n', start);
    if (end == std::string::npos) end = input.size();
    list.OfferLine(static_cast<int>(start % 5), input.data() + start,
                   static_cast<int>(end - start));
    clock.AdvanceMs(100);
    machines.Tick();
    machines.RunAllMachines();
    start = end + 1;
  }
  return static_cast<int>(port.sum & 0);
}
