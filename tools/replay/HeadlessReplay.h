#pragma once

#include <csignal>
#include <cstdint>
#include <memory>
#include <string>

#include "app/Settings.h"
#include "common/StatusReporter.h"
#include "logging/ImportPassCloser.h"
#include "logging/LogReplay.h"
#include "logging/TagLogWriter.h"
#include "protocol/ReceiveSpine.h"
#include "tags/TagNames.h"
#include "tags/TagTable.h"

namespace corvalis {

struct ReplayTotals {
  int64_t records = 0;
  int64_t messages = 0;
  int64_t reads = 0;
  int64_t passes = 0;
  int64_t misses = 0;  // messages that brought no read
};

// The console's receive path without its windows and channels: captures go
// through the import's record reader, the receive spine, the tag table and
// the tag log writer, set up from one settings model. Time is the reader's:
// the clock follows the recorded read times, so passes form as they did
// live, however fast the replay runs.
class HeadlessReplay final : private PassCompleter, private ReplayControl {
 public:
  explicit HeadlessReplay(const Settings& settings);
  HeadlessReplay(const HeadlessReplay&) = delete;
  HeadlessReplay& operator=(const HeadlessReplay&) = delete;

  // Reads the tag-name file named by the settings, when there is one.
  void ReadTagNames(const std::string& path, uint16_t crcSeed);
  // The log is written in big pieces: a replay can be run again from its
  // capture, so only a crash can cost lines, never a normal end, a stop on
  // a signal or a failure (each of which ends in Finish).
  LogOpenResult OpenLog(const std::string& path);

  // False when the file cannot be opened for reading.
  bool Replay(const std::string& capturePath);
  // Closes every pass still open and writes out the log; the log then holds
  // every pass. False when a line could not be written (LogError says why).
  bool Finish();
  const std::string& LogError() const { return logWriter_.LastWriteError(); }
  // Once `*flag` is set (by a signal handler) a replay stops after the
  // record it is at.
  void SetStopFlag(const volatile std::sig_atomic_t* flag) { stopFlag_ = flag; }
  bool Stopped() const { return stopFlag_ != nullptr && *stopFlag_ != 0; }

  const ReplayTotals& Totals() const { return totals_; }
  const TagTable& Table() const { return *table_; }

 private:
  void CompletePass(TagRecord& pass) override;
  void AfterRecord(const ImportRecord& record) override;
  void ShowProgress(int64_t, int) override {}
  bool StopRequested() override { return Stopped(); }
  void WaitWhilePaused(int64_t) override {}
  int64_t ReadsSeen() const;

  SilentStatus status_;
  ProtocolSettings protocolSettings_;
  // The clock sits between decoder and table: it is declared first and
  // given the table before any read arrives.
  std::unique_ptr<TagTable> table_;
  ReadTimeClock clock_;
  std::unique_ptr<ReceiveSpine> spine_;
  TagNames names_;
  TagLogWriter logWriter_;
  ImportPassCloser closer_;
  LogReplay replay_;
  ReplayTotals totals_;
  int64_t readsBefore_ = 0;
  const volatile std::sig_atomic_t* stopFlag_ = nullptr;
};

}  // namespace corvalis
