// Capture file to tag log: the headless replay of a 1,000,000-line capture of
// 600 tags, through record reader, spine, tag table and log writer.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <string>

#include "HeadlessReplay.h"
#include "app/Settings.h"
#include "protocol/MessageFormat.h"
#include "testkit/TagMessageEncoder.h"

namespace corvalis {
namespace {

constexpr int kLines = 1'000'000;
constexpr int kTags = 600;
// Every tag is read once per 100 ms round; after ten rounds the field is
// quiet for a second, so each pass holds ten reads and then closes.
constexpr int kRoundsPerPass = 10;

bool WriteCapture(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const MessageFormat format;
  char line[128];
  for (int i = 0; i < kLines; ++i) {
    const int tag = i % kTags;
    const int round = i / kTags;
    const int hundredths = round * 10 + (round / kRoundsPerPass) * 100;
    TagMessageFields fields;
    fields.readerId = 1;
    for (int b = 0; b < 6; ++b) fields.id[b] = static_cast<uint8_t>(0x20 + b * 17);
    fields.id[6] = static_cast<uint8_t>(tag >> 8);
    fields.id[7] = static_cast<uint8_t>(tag);
    fields.iCount = 2;
    fields.qCount = 1;
    fields.year = 26;
    fields.month = 12;
    fields.day = 8;
    fields.hour = 10 + hundredths / 360000;
    fields.minute = hundredths / 6000 % 60;
    fields.second = hundredths / 100 % 60;
    fields.hundredths = hundredths % 100;
    fields.sequence = i % 256;
    const int n = EncodeFormatMessage(format, fields, line, sizeof line);
    line[n] = '\r';
    line[n + 1] = '\n';
    std::fwrite(line, 1, static_cast<size_t>(n + 2), file);
  }
  return std::fclose(file) == 0;
}

void BM_ReplayCaptureToTagLog(benchmark::State& state) {
  QTemporaryDir dir;
  const std::string capture = dir.filePath("capture.log").toStdString();
  const QString log = dir.filePath("tags.log");
  if (!WriteCapture(capture)) {
    state.SkipWithError("capture not written");
    return;
  }
  Settings settings;
  settings.SetBool(Setting::LogTagID, true);
  settings.SetBool(Setting::LogIQCount, true);

  int64_t passes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    QFile::remove(log);
    auto replay = std::make_unique<HeadlessReplay>(settings);
    if (!replay->OpenLog(log.toStdString()).ok) {
      state.SkipWithError("log not opened");
      return;
    }
    state.ResumeTiming();
    if (!replay->Replay(capture)) state.SkipWithError("capture not read");
    replay->Finish();
    passes = replay->Totals().passes;
    if (replay->Totals().reads != kLines) state.SkipWithError("reads were lost");
  }
  const double lines = static_cast<double>(state.iterations()) * kLines;
  state.counters["replay_lines_per_s"] = benchmark::Counter(lines, benchmark::Counter::kIsRate);
  state.counters["replay_passes"] = static_cast<double>(passes);
}
BENCHMARK(BM_ReplayCaptureToTagLog)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvalis
