// Bytes to the tag table: default-format lines through the receive path into
// the indexed table and, for comparison, into the linear-scan reference.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "AllocationCounter.h"
#include "ResidentMemory.h"
#include "common/StatusReporter.h"
#include "protocol/ReceiveSpine.h"
#include "tags/TagTable.h"
#include "testkit/ReaderLines.h"
#include "testkit/ReferenceTagTable.h"

namespace corvalis {
namespace {

constexpr int kChunk = 1460;

void Feed(ReceiveSpine& spine, const std::string& stream) {
  const char* bytes = stream.data();
  int left = static_cast<int>(stream.size());
  while (left > 0) {
    const int n = left < kChunk ? left : kChunk;
    spine.framer.AppendTcp(0, bytes, n);
    bytes += n;
    left -= n;
  }
}

// `tags` distinct tags keep `tags` passes open (their reads never age out:
// the clock stands still); every line is one read.
template <class Table>
void RunTable(benchmark::State& state, int tags, const char* figure) {
  const int lines = tags < 4096 ? 4096 : tags;
  const std::string stream = testing::DefaultFormatStream(lines, tags);
  ProtocolSettings settings;
  ManualClock clock;
  SilentStatus status;
  const double residentBefore = bench::ResidentMegabytes();
  auto spine = std::make_unique<ReceiveSpine>(settings, clock, status);
  auto table = std::make_unique<Table>(clock);
  spine->decoder.SetTagReadSink(table.get());

  Feed(*spine, stream);  // open every pass before timing
  const uint64_t allocationsBefore = bench::AllocationCount();
  for (auto _ : state) Feed(*spine, stream);
  const double reads = static_cast<double>(state.iterations()) * lines;
  if (table->PassCount() != tags || table->LostReads(0) != 0) state.SkipWithError("passes lost");
  state.SetItemsProcessed(static_cast<int64_t>(reads));
  state.counters[figure] = benchmark::Counter(reads, benchmark::Counter::kIsRate);
  state.counters["allocations_per_line"] =
      static_cast<double>(bench::AllocationCount() - allocationsBefore) / reads;
  if (tags > 600) {
    state.counters["tables_resident_mb"] = bench::ResidentMegabytes() - residentBefore;
  }
}

void BM_TagTable600Tags(benchmark::State& state) {
  RunTable<TagTable>(state, 600, "table_lines_per_s_600_tags");
}
// A queue holding all 10,000 passes is full and drops every read, so the
// busiest useful table keeps one place free.
constexpr int kBusiestTags = kPassQueueSize - 1;

void BM_TagTable10000Passes(benchmark::State& state) {
  RunTable<TagTable>(state, kBusiestTags, "table_lines_per_s_10000_passes");
}
void BM_ReferenceTable10000Passes(benchmark::State& state) {
  RunTable<ReferenceTagTable>(state, kBusiestTags, "reference_lines_per_s_10000_passes");
}

BENCHMARK(BM_TagTable600Tags);
BENCHMARK(BM_TagTable10000Passes);
BENCHMARK(BM_ReferenceTable10000Passes)->MinTime(2.0);

}  // namespace
}  // namespace corvalis
