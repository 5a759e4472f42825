// Feeds arbitrary lines to the ms-timing parser with its list, recording and
// ranking, and to the race trigger parser. Each line is copied into a buffer
// of its exact size, so any read past its end shows under the sanitizers.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "common/StatusReporter.h"
#include "demos/race/RaceTrigger.h"
#include "logging/timing/TimingRanking.h"
#include "logging/timing/TimingRead.h"
#include "logging/timing/TimingRecorder.h"

namespace {

using namespace corvalis;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SilentStatus status;
  TimingRanking ranking(nullptr, status);
  TimingRecorder recorder;
  // The first byte picks the options; lines follow, split at line feeds.
  const uint8_t options = size > 0 ? data[0] : 0;
  recorder.SetHourClock((options & 1) != 0);
  ranking.SetHourClock((options & 2) != 0);
  const bool withPeriod = (options & 4) != 0;
  size_t start = size > 0 ? 1 : 0;
  int previousHourTime = 0;
  while (start < size) {
    const uint8_t* end = static_cast<const uint8_t*>(std::memchr(data + start, '\n', size - start));
    const size_t length = end != nullptr ? static_cast<size_t>(end - (data + start)) : size - start;
    std::vector<char> line(data + start, data + start + length);
    const int count = static_cast<int>(line.size());

    TimingRead read;
    const TimingParse parsed = ParseTimingRead(line.data(), count, withPeriod, read);
    if (parsed != TimingParse::NotTiming) {
      const bool jumpBack = IsTimingJumpBack(previousHourTime, read);
      previousHourTime = read.hourTime;
      recorder.RecordLine(std::string_view(line.data(), line.size()), read, jumpBack);
      if (!read.IsReference()) ranking.AddRead(read, parsed == TimingParse::Ok);
      for (int place = 0; place < ranking.TagCount(); ++place) ranking.Row(place);
    }
    ParseRaceTrigger(line.data(), count);
    start += length + 1;
  }
  return 0;
}
