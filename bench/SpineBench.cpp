// Bytes to decoded reads: default-format lines with correct LRC fed in
// socket-sized chunks through append, cut, dispatch and decode.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "AllocationCounter.h"
#include "common/Clock.h"
#include "common/StatusReporter.h"
#include "protocol/ReceiveSpine.h"
#include "testkit/ReaderLines.h"

namespace corvalis {
namespace {

class NullTagSink final : public TagReadSink {
 public:
  void RecordTagRead(const TagRead&) override { ++reads; }
  int64_t reads = 0;
};

void BM_SpineDefaultFormat(benchmark::State& state) {
  const int chunkSize = static_cast<int>(state.range(0));
  constexpr int kLines = 4096;
  const std::string stream = testing::DefaultFormatStream(kLines, 600);

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
