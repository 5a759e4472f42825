#include "HeadlessReplay.h"

#include "app/SettingsBinding.h"

namespace corvalis {

HeadlessReplay::HeadlessReplay(const Settings& settings)
    : protocolSettings_(ProtocolSettingsFrom(settings)),
      table_(std::make_unique<TagTable>(clock_, TagTableSettingsFrom(settings))),
      clock_(*table_),
      spine_(std::make_unique<ReceiveSpine>(protocolSettings_, clock_, status_)),
      logWriter_(names_, clock_, status_),
      closer_(*table_, clock_),
      replay_(spine_->dispatcher) {
  names_.SetAutoRegister(settings.Bool(Setting::AutoRegister));
  logWriter_.SetSettings(LogSettingsFrom(settings));
  spine_->decoder.SetTagReadSink(&clock_);
  table_->hooks().passCompleter = this;
  table_->hooks().nameLookup = &names_;
}

void HeadlessReplay::ReadTagNames(const std::string& path, uint16_t crcSeed) {
  names_.ReadTagNameFile(path, crcSeed);
}

int64_t HeadlessReplay::ReadsSeen() const {
  int64_t reads = 0;
  for (int channel = 0; channel < kReaderChannelCount; ++channel) {
    reads += table_->ReadsSeen(channel);
  }
  return reads;
}

bool HeadlessReplay::Replay(const std::string& capturePath) {
  readsBefore_ = ReadsSeen();
  ReplaySummary summary;
  if (!replay_.Replay(capturePath, *this, summary)) return false;
  totals_.records += summary.records;
  totals_.messages += summary.messages;
  totals_.reads = ReadsSeen();
  return true;
}

LogOpenResult HeadlessReplay::OpenLog(const std::string& path) {
  LogOpenResult result = logWriter_.StartLogging(path);
  if (result.ok) logWriter_.SetBatchedWrites(true);
  return result;
}

bool HeadlessReplay::Finish() {
  closer_.CloseAll();
  return logWriter_.FlushLog();
}

void HeadlessReplay::CompletePass(TagRecord& pass) {
  // A pass counts once, when the writer takes it; with a negative wait time
  // that is at its first read, and the close finds it logged.
  const bool wasLogged = pass.logged != 0;
  logWriter_.CompletePass(pass);
  if (!wasLogged && pass.logged != 0) ++totals_.passes;
}

void HeadlessReplay::AfterRecord(const ImportRecord& record) {
  if (record.kind != ImportRecordKind::kComment && record.length > 0) {
    const int64_t reads = ReadsSeen();
    if (reads == readsBefore_) ++totals_.misses;
    readsBefore_ = reads;
  }
  closer_.AfterRecord();
}

}  // namespace corvalis
