#include "logging/LogReplay.h"

#include <memory>

namespace corvalis {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

int64_t ImportProgressStep(int64_t fileSize) {
  const int64_t step = fileSize / kImportProgressSteps;
  return step > 0 ? step : 1;
}

int ImportPercent(int64_t consumed, int64_t fileSize) {
  if (fileSize <= 0 || consumed >= fileSize) return 100;
  return static_cast<int>(consumed * 100 / fileSize);
}

bool LogReplay::Replay(const std::string& path, ReplayControl& control, ReplaySummary& summary) {
  summary = ReplaySummary{};
  const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (file == nullptr) return false;
  int64_t size = 0;
  if (std::fseek(file.get(), 0, SEEK_END) == 0) {
    const long end = std::ftell(file.get());
    size = end > 0 ? end : 0;
  }
  // A file that cannot seek (a pipe) is read all the same, without a size.
  if (std::fseek(file.get(), 0, SEEK_SET) != 0) size = 0;
  Replay(file.get(), size, control, summary);
  return true;
}

void LogReplay::Replay(std::FILE* file, int64_t fileSize, ReplayControl& control,
                       ReplaySummary& summary) {
  auto reader = std::make_unique<ImportRecordReader>(file);
  const int64_t step = ImportProgressStep(fileSize);
  int64_t nextStep = step;
  control.ShowProgress(0, 0);
  ImportRecord record;
  while (true) {
    control.WaitWhilePaused(reader->LineCount());
    if (!reader->Next(record)) break;
    ++summary.records;
    if (record.endedLine && reader->LineCount() % kImportLinesPerUpdate == 0) {
      control.ShowProgress(reader->LineCount(), ImportPercent(reader->BytesConsumed(), fileSize));
    }
    if (record.kind == ImportRecordKind::kComment) {
      ++summary.comments;
    } else if (record.length > 0) {
      ++summary.messages;
      receiver_.DispatchMessage(1, 0, record.text, record.length);
    }
    control.AfterRecord(record);
    if (reader->BytesConsumed() >= nextStep) {
      nextStep = reader->BytesConsumed() + step;
      control.ShowProgress(reader->LineCount(), ImportPercent(reader->BytesConsumed(), fileSize));
    }
    if (control.StopRequested()) {
      summary.stopped = true;
      break;
    }
  }
  summary.lines = reader->LineCount();
  control.ShowProgress(summary.lines, 100);
}

}  // namespace corvalis
