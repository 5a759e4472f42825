// Runs arbitrary text as a script: statement parsing, macro expansion,
// conditions, labels and jumps, with channels that go nowhere and a test
// log kept inside a scratch directory. Also expands the text as one line,
// and offers each line as received (reply matching, the statistics reply,
// controller status reports, line watches).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "common/Clock.h"
#include "script/ScriptInterpreter.h"

namespace {

using namespace corvalis;

class QuietOutput final : public ScriptOutput {
 public:
  void ScriptMessage(std::string_view text) override { sum += text.size(); }
  void ScriptTrace(std::string_view text) override { sum += text.size(); }
  void ShowBox(std::string_view title, std::string_view text) override {
    sum += title.size() + text.size();
  }
  std::optional<bool> AskYesNo(std::string_view) override { return true; }
  std::optional<std::string> AskInput(std::string_view) override { return "input"; }
  size_t sum = 0;
};

class NoChannels final : public ScriptChannels {
 public:
  bool IsOpen(int channel) const override { return channel == 0; }
  void Open(int) override {}
  void Close(int) override {}
  bool Send(int, const char* bytes, int count) override {
    for (int i = 0; i < count; ++i) sum += static_cast<unsigned char>(bytes[i]);
    return true;
  }
  bool IsSerial(int) const override { return true; }
  void SetBaudRate(int, int) override {}
  bool SetPort(int, std::string_view) override { return true; }
  bool SetPortByIndex(int, int) override { return false; }
  void SimulateInput(int, std::string_view line) override { sum += line.size(); }
  size_t sum = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  // Test-log names stay inside the scratch directory: no paths.
  if (text.find('/') != std::string::npos || size > 4096) return 0;
  static const std::string scratch = [] {
    char pattern[] = "/tmp/corvalis-script-fuzz-XXXXXX";
    const char* dir = mkdtemp(pattern);
    return std::string(dir != nullptr ? dir : "/nonexistent");
  }();

  ManualClock clock;
  QuietOutput output;
  NoChannels channels;
  ScriptInterpreter interpreter(clock, output, channels);
  interpreter.TestLog().SetBaseDirectory(scratch);
  // Endless loops are valid scripts. Twenty ticks of 50 lines run a thousand
  // statements; more only repeats a loop body.
  interpreter.SetLinesPerStep(50);

  std::string expanded;
  std::string error;
  interpreter.Macros().Expand(text, expanded, error);

  interpreter.Source().SetMemoText(text);
  interpreter.StartStopScript();
  for (int tick = 0; tick < 20 && interpreter.Running(); ++tick) interpreter.ScriptTick();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    interpreter.ObserveMessage(0, line.c_str(), static_cast<int>(line.size()));
    start = end + 1;
  }
  interpreter.TestLog().Close();
  return 0;
}
