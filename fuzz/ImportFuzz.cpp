// Feeds arbitrary bytes to the import as a captured file: the record reader
// cuts them and every record goes through the dispatcher on channel 1 into
// the tag table, with passes closed between records.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "common/Clock.h"
#include "common/StatusReporter.h"
#include "logging/ImportPassCloser.h"
#include "logging/LogReplay.h"
#include "protocol/ReceiveSpine.h"
#include "tags/TagTable.h"

namespace {

using namespace corvalis;

class CheckingControl final : public ReplayControl {
 public:
  explicit CheckingControl(ImportPassCloser& closer) : closer_(closer) {}
  void AfterRecord(const ImportRecord& record) override {
    if (record.length < 0 || record.length > kImportRecordSize) __builtin_trap();
    if (record.text[record.length] != '\0') __builtin_trap();
    closer_.AfterRecord();
  }
  void ShowProgress(int64_t, int percent) override {
    if (percent < 0 || percent > 100) __builtin_trap();
  }
  bool StopRequested() override { return false; }
  void WaitWhilePaused(int64_t) override {}

 private:
  ImportPassCloser& closer_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::FILE* file = std::tmpfile();
  if (file == nullptr) return 0;
  std::fwrite(data, 1, size, file);
  std::rewind(file);

  ManualClock clock;
  SilentStatus status;
  ProtocolSettings settings;
  auto spine = std::make_unique<ReceiveSpine>(settings, clock, status);
  // The first byte picks text or binary for channel 1, as a reader's format would.
  spine->formats.format[0].binary = size > 0 && (data[0] & 1) != 0;
  spine->formats.format[0].ComputeLengths();
  // The table's arrays are large: make them once and empty them per input.
  static ManualClock tableClock;
  static TagTable* const table = new TagTable(tableClock);
  table->ClearTagCounters();
  table->ClearSeenTable();
  spine->decoder.SetTagReadSink(table);
  ReadTimeClock readClock(*table);
  ImportPassCloser closer(*table, readClock);
  CheckingControl control(closer);
  LogReplay replay(spine->dispatcher);
  ReplaySummary summary;
  replay.Replay(file, static_cast<int64_t>(size), control, summary);
  closer.CloseAll();
  std::fclose(file);
  return 0;
}
