#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "logging/ImportPassCloser.h"
#include "logging/ImportRecordReader.h"
#include "logging/LogReplay.h"
#include "protocol/ReceiveSpine.h"
#include "tags/TagTable.h"
#include "testkit/ReaderLines.h"
#include "testkit/TagMessageEncoder.h"

namespace corvalis {
namespace {

using testing::ReaderLine;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

FilePtr FileWith(const std::string& bytes) {
  FilePtr file(std::tmpfile());
  std::fwrite(bytes.data(), 1, bytes.size(), file.get());
  std::rewind(file.get());
  return file;
}

struct Cut {
  ImportRecordKind kind;
  std::string text;
};

std::vector<Cut> CutAll(const std::string& bytes, int64_t* lines = nullptr) {
  FilePtr file = FileWith(bytes);
  auto reader = std::make_unique<ImportRecordReader>(file.get());
  std::vector<Cut> cuts;
  ImportRecord record;
  while (reader->Next(record)) {
    cuts.push_back({record.kind, std::string(record.text, static_cast<size_t>(record.length))});
  }
  if (lines != nullptr) *lines = reader->LineCount();
  return cuts;
}

// A 20-byte frame layout: header, 9 bytes, then 5 and 3 at bytes 11 and 12.
std::string Frame(char tag, int bytes) {
  std::string frame(static_cast<size_t>(bytes), tag);
  frame[0] = static_cast<char>(0xAA);
  frame[10] = 5;
  frame[11] = 3;
  return frame;
}

TEST(ImportRecordReaderTest, CutsEachKindOfRecord) {
  const std::string upper = "AA0102030405060708090A0B0C0D0E0F";
  int64_t lines = 0;
  const auto cuts =
      CutAll("# started\r\n" + upper + "\r\n\r\n> ab0411\r\naa01\r\n$\x01\x02\r\nxyz", &lines);
  ASSERT_EQ(cuts.size(), 6u);
  EXPECT_EQ(cuts[0].kind, ImportRecordKind::kComment);
  EXPECT_EQ(cuts[0].text, "# started");
  // Upper-case hex is a text line, whole, not 25-byte pieces.
  EXPECT_EQ(cuts[1].kind, ImportRecordKind::kTextLine);
  EXPECT_EQ(cuts[1].text, upper);
  // An empty line stays one empty record instead of eating the next line.
  EXPECT_EQ(cuts[2].kind, ImportRecordKind::kBlankLine);
  EXPECT_EQ(cuts[2].text, "");
  EXPECT_EQ(cuts[3].kind, ImportRecordKind::kComment);
  EXPECT_EQ(cuts[4].text, "aa01");
  // Other records run on to a line end once they hold ten bytes.
  EXPECT_EQ(cuts[5].kind, ImportRecordKind::kOther);
  EXPECT_EQ(cuts[5].text, "$\x01\x02\r\nxyz");
  EXPECT_EQ(lines, 5);
}

TEST(ImportRecordReaderTest, OtherRecordsAreCutAt25BytesAndLongLinesAtTheLimit) {
  const auto cuts = CutAll(std::string(60, 'z'));
  ASSERT_EQ(cuts.size(), 3u);
  EXPECT_EQ(cuts[0].text.size(), 25u);
  EXPECT_EQ(cuts[2].text.size(), 10u);

  const auto longLine = CutAll(std::string(5000, 'a'));
  ASSERT_EQ(longLine.size(), 5u);
  EXPECT_EQ(longLine[0].text.size(), 1022u);
}

// Captures hold frames with their CR LF counted in the 20 bytes, or after
// 20 bytes of frame; either way every frame of a run comes out whole.
TEST(ImportRecordReaderTest, ConsecutiveFramesAllImportWhereverTheTrailerIs) {
  struct Case {
    const char* name;
    std::string frame;
    size_t length;
  };
  const Case cases[] = {
      {"trailer within 20", Frame('\x11', 18) + "\r\n", 18},
      {"trailer after 20", Frame('\x11', 20) + "\r\n", 20},
      {"no trailer", Frame('\x11', 20), 20},
  };
  for (const Case& c : cases) {
    const auto cuts = CutAll(c.frame + c.frame + c.frame + "aa01\r\n");
    ASSERT_EQ(cuts.size(), 4u) << c.name;
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(cuts[k].kind, ImportRecordKind::kBinaryFrame) << c.name;
      EXPECT_EQ(cuts[k].text.size(), c.length) << c.name;
    }
    EXPECT_EQ(cuts[3].text, "aa01") << c.name;
  }
}

TEST(ImportRecordReaderTest, BytesThirteenAndFourteenLengthenFramesToTwentyTwo) {
  std::string frame = Frame('\x11', 22);
  frame[10] = 1;  // bytes 11 and 12 announce nothing
  frame[12] = 6;
  frame[13] = 2;
  const auto cuts = CutAll(frame + frame);
  ASSERT_EQ(cuts.size(), 2u);
  EXPECT_EQ(cuts[0].text.size(), 22u);
  EXPECT_EQ(cuts[1].text.size(), 22u);
}

TEST(ImportRecordReaderTest, TruncatedLastRecordComesOutAsFarAsItGoes) {
  const auto cuts = CutAll(Frame('\x11', 20).substr(0, 7));
  ASSERT_EQ(cuts.size(), 1u);
  EXPECT_EQ(cuts[0].text.size(), 7u);
  EXPECT_TRUE(CutAll("").empty());
}

TEST(LogReplayTest, ProgressNeverDividesByZero) {
  EXPECT_EQ(ImportProgressStep(0), 1);
  EXPECT_EQ(ImportProgressStep(2999), 1);
  EXPECT_EQ(ImportProgressStep(3'000'000), 1000);
  EXPECT_EQ(ImportPercent(0, 0), 100);
  EXPECT_EQ(ImportPercent(50, 200), 25);
}

class RecordingControl final : public ReplayControl {
 public:
  void AfterRecord(const ImportRecord& record) override {
    last.assign(record.text, static_cast<size_t>(record.length));
    if (closer != nullptr) closer->AfterRecord();
  }
  void ShowProgress(int64_t lines, int percent) override {
    lastLines = lines;
    percents.push_back(percent);
  }
  bool StopRequested() override { return --stopAfter == 0; }
  void WaitWhilePaused(int64_t) override {}

  ImportPassCloser* closer = nullptr;
  std::string last;
  int64_t lastLines = -1;
  std::vector<int> percents;
  int stopAfter = -1;
};

class CountingCompleter final : public PassCompleter {
 public:
  void CompletePass(TagRecord& pass) override {
    if (pass.logged != 0) return;
    pass.logged = 1;
    ++passes;
    reads += pass.count;
  }
  int passes = 0;
  int reads = 0;
};

class LogReplayThroughSpineTest : public ::testing::Test {
 protected:
  LogReplayThroughSpineTest() {
    spine.decoder.SetTagReadSink(&table);
    table.hooks().passCompleter = &completer;
  }
  bool Replay(const std::string& bytes) {
    FilePtr file = FileWith(bytes);
    replay.Replay(file.get(), static_cast<int64_t>(bytes.size()), control, summary);
    return true;
  }

  ManualClock clock{WallTime{1'796'000'000, 0}};
  SilentStatus status;
  ProtocolSettings settings;
  std::unique_ptr<ReceiveSpine> spine_ = std::make_unique<ReceiveSpine>(settings, clock, status);
  ReceiveSpine& spine = *spine_;
  std::unique_ptr<TagTable> table_ = std::make_unique<TagTable>(clock);
  TagTable& table = *table_;
  CountingCompleter completer;
  LogReplay replay{spine.dispatcher};
  RecordingControl control;
  ReplaySummary summary;
};

TEST_F(LogReplayThroughSpineTest, TextLinesFillTheTableOnChannelOneAndCommentsOnlyCount) {
  Replay("# capture\r\n" + ReaderLine(2, 0x41, 0) + "> ab0411\r\n" + ReaderLine(2, 0x42, 10) +
         ReaderLine(2, 0x41, 20));
  EXPECT_EQ(summary.records, 5);
  EXPECT_EQ(summary.lines, 5);
  EXPECT_EQ(summary.comments, 2);
  EXPECT_EQ(summary.messages, 3);
  EXPECT_EQ(table.ReadsSeen(0), 3);
  ASSERT_EQ(table.SeenLength(), 2);
  EXPECT_EQ(table.SeenEntry(0).count, 6);
  EXPECT_EQ(table.SeenEntry(0).channel, 0);
  EXPECT_EQ(control.lastLines, 5);
  EXPECT_EQ(control.percents.back(), 100);
  EXPECT_EQ(control.last + "\r\n", ReaderLine(2, 0x41, 20));
}

TEST_F(LogReplayThroughSpineTest, StopEndsAfterTheCurrentRecordAndKeepsWhatWasReplayed) {
  control.stopAfter = 2;
  Replay(ReaderLine(1, 0x41, 0) + ReaderLine(1, 0x42, 0) + ReaderLine(1, 0x43, 0));
  EXPECT_TRUE(summary.stopped);
  EXPECT_EQ(summary.messages, 2);
  EXPECT_EQ(table.SeenLength(), 2);
}

TEST_F(LogReplayThroughSpineTest, MissingFileIsReportedAndNothingReplayed) {
  EXPECT_FALSE(replay.Replay("/nonexistent/capture.log", control, summary));
  EXPECT_EQ(summary.records, 0);
  EXPECT_EQ(LogReplay::OpenFailureText("x.log"), "Unable to open x.log for reading");
}

// Faster than the wait time, 12,000 different tags would open more passes
// than the queue holds; the import closes passes and loses no read.
TEST_F(LogReplayThroughSpineTest, ImportFasterThanTheWaitTimeLosesNothing) {
  constexpr int kTags = 12'000;
  std::string capture;
  TagMessageFields fields;
  fields.iCount = 1;
  fields.year = 26;
  fields.month = 12;
  fields.day = 8;
  fields.hour = 10;
  for (int tag = 0; tag < kTags; ++tag) {
    fields.id[6] = static_cast<uint8_t>(tag >> 8);
    fields.id[7] = static_cast<uint8_t>(tag);
    char line[128];
    const int n = EncodeFormatMessage(MessageFormat{}, fields, line, sizeof line);
    capture.append(line, static_cast<size_t>(n)).append("\r\n");
  }
  ImportPassCloser closer(table, clock);
  control.closer = &closer;
  Replay(capture);
  closer.CloseAll();
  EXPECT_EQ(table.LostReads(0), 0);
  EXPECT_EQ(completer.passes, kTags);
  EXPECT_EQ(completer.reads, kTags);
}

TEST(ReadTimeClockTest, FollowsReadTimesForwardOnly) {
  ManualClock tableClock;
  auto table = std::make_unique<TagTable>(tableClock);
  ReadTimeClock clock(*table);
  TagRead read;
  read.lastSeenSec = 100;
  read.lastSeenMs = 500;
  clock.RecordTagRead(read);
  EXPECT_EQ(clock.Now(), (WallTime{100, 500}));
  read.lastSeenSec = 99;
  clock.RecordTagRead(read);
  EXPECT_EQ(clock.Now(), (WallTime{100, 500}));
  EXPECT_EQ(table->ReadsSeen(0), 2);
}

}  // namespace
}  // namespace corvalis
