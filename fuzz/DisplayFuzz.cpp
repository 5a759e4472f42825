// Feeds arbitrary text to the external display: the Display Setup values
// (byte fields, type, message letter), line programs of the signs and the
// on-screen window, the idle message and the names shown. Every frame that
// goes out must close with a checksum that fits it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/ChannelIndex.h"
#include "tags/TagTable.h"
#include "tags/display/DisplayLines.h"
#include "tags/display/ExternalDisplay.h"

namespace {

using namespace corvalis;

class CheckedChannel final : public ChannelWriter {
 public:
  bool IsOpen(int) const override { return true; }
  void WriteToChannel(int channel, const char* bytes, int count) override {
    if (channel != kOutputChannel || count < 3) std::abort();
    unsigned char sum = 0;
    if (bytes[0] == 0x02) {  // message board: two hex digits after ETX
      for (int i = 0; i < count - 2; ++i) sum ^= static_cast<unsigned char>(bytes[i]);
      char hex[3];
      std::snprintf(hex, sizeof hex, "%02X", sum);
      if (std::memcmp(hex, bytes + count - 2, 2) != 0) std::abort();
    } else {
      for (int i = 0; i < count - 1; ++i) sum ^= static_cast<unsigned char>(bytes[i]);
      if (sum != static_cast<unsigned char>(bytes[count - 1])) std::abort();
    }
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= size && lines.size() < 64) {
    const void* end = start < size ? std::memchr(data + start, '\n', size - start) : nullptr;
    const size_t length =
        end != nullptr ? static_cast<size_t>(static_cast<const uint8_t*>(end) - (data + start))
                       : size - start;
    lines.emplace_back(reinterpret_cast<const char*>(data + start), length);
    start += length + 1;
  }
  for (const std::string& line : lines) {
    ParseDisplayByte(line);
    DisplayTypeFromText(line);
    MessageIdFromText(line);
    RelativeRowOffset(line);
    FillProgram(line, line);
  }

  ManualClock clock;
  // The table's arrays are large: make them once and empty them per input.
  static ManualClock tableClock;
  static TagTable* const table = new TagTable(tableClock);
  table->ClearTagCounters();
  table->ClearSeenTable();
  CheckedChannel channel;
  ExternalDisplay display(clock, channel, *table);
  DisplaySettings settings;
  settings.outputOn = true;
  const auto line = [&lines](size_t i) -> const std::string& { return lines[i % lines.size()]; };
  settings.idleMessage = line(1);
  settings.idleLifetimeSec = 1;
  settings.width = size > 0 ? data[0] % 40 : 0;
  settings.prefix = line(2);
  settings.poly16x1Line = line(3);
  for (size_t i = 0; i < settings.poly16x5Lines.size(); ++i)
    settings.poly16x5Lines[i] = line(4 + i);
  settings.windowRows = size > 1 ? 1 + data[1] % 12 : 5;
  settings.windowCols = size > 2 ? 1 + data[2] % 40 : 16;
  for (int r = 0; r < settings.windowRows; ++r) {
    settings.windowPrograms.push_back(line(9 + static_cast<size_t>(r)));
  }
  for (const DisplayType type : {DisplayType::kMessageBoard, DisplayType::kPolycomp16x1,
                                 DisplayType::kPolycomp16x5, DisplayType::kWindow}) {
    settings.type = type;
    display.SetSettings(settings);
    for (const std::string& name : lines) display.ShowOnDisplay(name);
    display.ShowOnDisplay(kDisplayIdleMessage);
    clock.AdvanceMs(2000);
    display.Tick();
  }
  return 0;
}
