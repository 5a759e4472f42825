// Bytes to decoded reads: default-format lines with correct LRC fed in
// socket-sized chunks through append, cut, dispatch and decode.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "AllocationCounter.h"
#include "common/Clock.h"
#include "common/StatusReporter.h"
#include "protocol/ReceiveSpine.h"
#include "protocol/TagMessageEncoder.h"

namespace corvalis {
namespace {

class NullTagSink final : public TagReadSink {
 public:
  void RecordTagRead(const TagRead&) override { ++reads; }
  void RecordPageRead(const TagRecord&, int) override {}
  int64_t reads = 0;
};

// A stream of `lineCount` default-format lines for `tagCount` distinct tags.
std::string DefaultFormatStream(int lineCount, int tagCount) {
  const MessageFormat format;
  std::string stream;
  char line[128];
  for (int i = 0; i < lineCount; ++i) {
    TagMessageFields fields;
    fields.readerId = 1 + i % 4;
    const int tag = i % tagCount;
    for (int b = 0; b < 8; ++b)
      fields.id[b] = static_cast<uint8_t>((tag * 131 + b * 17) >> (b % 3));
    fields.id[6] = static_cast<uint8_t>(tag >> 8);
    fields.id[7] = static_cast<uint8_t>(tag);
    fields.iCount = 1 + i % 7;
    fields.qCount = i % 5;
    fields.year = 26;
    fields.month = 12;
    fields.day = 8;
    fields.hour = 10 + i % 10;
    fields.minute = i % 60;
    fields.second = (i / 60) % 60;
    fields.hundredths = i % 100;
    fields.sequence = i % 256;
    const int n = EncodeFormatMessage(format, fields, line, sizeof line);
    stream.append(line, static_cast<size_t>(n));
    stream += "\r\n";
  }
  return stream;
}

void BM_SpineDefaultFormat(benchmark::State& state) {
  const int chunkSize = static_cast<int>(state.range(0));
  constexpr int kLines = 4096;
  const std::string stream = DefaultFormatStream(kLines, 600);

  ProtocolSettings settings;
  ManualClock clock;
  SilentStatus status;
  auto spine = std::make_unique<ReceiveSpine>(settings, clock, status);
  NullTagSink sink;
  spine->decoder.SetTagReadSink(&sink);

  const uint64_t allocationsBefore = bench::AllocationCount();
  for (auto _ : state) {
    const char* bytes = stream.data();
    int left = static_cast<int>(stream.size());
    while (left > 0) {
      const int n = left < chunkSize ? left : chunkSize;
      spine->framer.AppendTcp(0, bytes, n);
      bytes += n;
      left -= n;
    }
  }
  const uint64_t allocations = bench::AllocationCount() - allocationsBefore;
  const double lines = static_cast<double>(state.iterations()) * kLines;
  if (sink.reads != static_cast<int64_t>(lines)) state.SkipWithError("reads were lost");
  state.SetItemsProcessed(static_cast<int64_t>(lines));
  state.counters["spine_lines_per_s"] = benchmark::Counter(lines, benchmark::Counter::kIsRate);
  state.counters["spine_allocations_per_line"] = static_cast<double>(allocations) / lines;
}
BENCHMARK(BM_SpineDefaultFormat)->Arg(1460);  // one TCP segment per read event

}  // namespace
}  // namespace corvalis
