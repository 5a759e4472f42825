#include "logging/TagLogWriter.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "support/RecordingStatus.h"

namespace corvalis {
namespace {

constexpr uint8_t kGateId[8] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef};
constexpr uint8_t kTruckId[8] = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80};
constexpr int32_t kFirstSec = 1'700'000'000;  // 2023-11-14 22:13:20 UTC

TagRecord MakePass(const uint8_t* id, int32_t count, const char* text = "") {
  TagRecord pass;
  std::memcpy(pass.tagBytes, id, 8);
  FormatTagHexId(id, pass.hexId);
  std::snprintf(pass.nameText, sizeof pass.nameText, "%s", text);
  pass.count = count;
  pass.iCount = count / 2;
  pass.qCount = count - count / 2;
  pass.readerId = 3;
  pass.channel = 1;
  pass.firstSeenSec = kFirstSec;
  pass.firstSeenMs = 5;
  pass.lastSeenSec = kFirstSec + 2;
  pass.lastSeenMs = 345;
  return pass;
}

LogSettings NoColumns() {
  LogSettings s;
  s.logDepot = false;
  s.logTagName = false;
  s.logFirstSeenDate = false;
  s.logFirstSeenTime = false;
  return s;
}

class TagLogWriterTest : public ::testing::Test {
 protected:
  TagLogWriterTest() : writer_(names_, clock_, status_) {
    names_.SetAutoRegister(false);
    names_.AppendRow("0123456789abcdef", "Gate 4");
  }

  std::string PathOf(const char* name) const { return dir_.filePath(name).toStdString(); }

  void Start(const LogSettings& settings) {
    writer_.SetSettings(settings);
    ASSERT_TRUE(writer_.StartLogging(PathOf("tags.log")).ok);
  }

  std::string Log() const {
    QFile file(dir_.filePath("tags.log"));
    if (!file.open(QIODevice::ReadOnly)) return "<missing>";
    return file.readAll().toStdString();
  }

  // Logs one fresh pass of the named tag and returns the bytes it added.
  std::string LineFor(const LogSettings& settings, TagRecord pass = MakePass(kGateId, 5)) {
    writer_.SetSettings(settings);
    const std::string before = Log();
    writer_.FinishPass(pass);
    return Log().substr(before.size());
  }

  QTemporaryDir dir_;
  TagNames names_;
  ManualClock clock_{{kFirstSec + 60, 250}};
  testing::RecordingStatus status_;
  TagLogWriter writer_;
};

TEST_F(TagLogWriterTest, ColumnsAppearInTheirFixedOrder) {
  Start(LogSettings{});
  EXPECT_EQ(LineFor(LogSettings{}), "Depot,Gate 4,2023/11/14,22:13:20\r\n");

  LogSettings all;
  all.depotName = "North";
  all.logSteppingNumber = all.logTagId = all.logTamper = true;
  all.logLastSeenDate = all.logLastSeenTime = true;
  all.logChannelNumber = all.logReaderId = true;
  all.logIqCount = all.logICount = all.logQCount = true;
  all.firstSeenIncludeMs = true;
  writer_.SetStepNumber(7);
  EXPECT_EQ(LineFor(all),
            "North,7,0123456789abcdef,Gate 4, ,2023/11/14,22:13:20.005,2023/11/14,22:13:22,2,3,"
            "5,2,3\r\n");

  LogSettings few = NoColumns();
  few.logTagId = few.logLastSeenTime = few.lastSeenIncludeMs = few.logQCount = true;
  EXPECT_EQ(LineFor(few), "0123456789abcdef,22:13:22.345,3\r\n");
}

TEST_F(TagLogWriterTest, PresetsWriteTheirLayouts) {
  Start(LogSettings{});
  TagRecord pass = MakePass(kGateId, 9);
  pass.tamper = 1;
  writer_.SetStepNumber(12);

  LogSettings s;
  s.loggingTamper = "TAMPER";
  ApplyLogPreset(s, LogPreset::kRigWatch);
  EXPECT_EQ(LineFor(s, pass), "Depot,Gate 4,2023/11/14,22:13:20\r\n");
  ApplyLogPreset(s, LogPreset::kStandard);
  EXPECT_EQ(LineFor(s, pass),
            "0123456789abcdef,Gate 4,T,2023/11/14,22:13:20.005,22:13:22.345,3,9\r\n");
  ApplyLogPreset(s, LogPreset::kStepping);
  pass.tamper = 0;
  EXPECT_EQ(LineFor(s, pass),
            "12,0123456789abcdef,Gate 4, ,2023/11/14,22:13:20.005,22:13:22.345,3,9,4,5\r\n");
}

TEST_F(TagLogWriterTest, SeparatorAndTamperTextsAreDecoded) {
  Start(LogSettings{});
  LogSettings s = NoColumns();
  s.logTagName = s.logTamper = s.logReaderId = true;

  s.loggingSeparator = "\\t";
  EXPECT_EQ(LineFor(s), "Gate 4\t \t3\r\n");
  s.loggingSeparator = "";
  EXPECT_EQ(LineFor(s), "Gate 4 3\r\n");
  s.loggingSeparator = "\\\\|\\x";
  s.loggingNoTamper = "\\tok\\";
  EXPECT_EQ(LineFor(s), "Gate 4\\|\\x\tok\\\\|\\x3\r\n");
  // The file is a text file: a line feed inside a line is stored as CR LF.
  s.loggingSeparator = "\\n";
  s.loggingNoTamper = "-";
  EXPECT_EQ(LineFor(s), "Gate 4\r\n-\r\n3\r\n");
  s.loggingSeparator = "<-----separator----->";
  EXPECT_EQ(LineFor(s), "Gate 4<-----separator-----<-----separator----3\r\n");
}

TEST_F(TagLogWriterTest, PageColumnsArePagesOneOnwardAndBlankWhenUnread) {
  Start(LogSettings{});
  TagRecord pass = MakePass(kGateId, 5);
  for (int slot = 0; slot < kPageSlotCount; ++slot) {
    std::snprintf(pass.pages[slot].primary.text, 17, "page%02d__________", slot);
    pass.pages[slot].primary.count = 1;
  }
  pass.pages[2].primary.count = 0;

  LogSettings s = NoColumns();
  s.logTtoDataPages = true;
  s.logNumTtoPages = 3;
  EXPECT_EQ(LineFor(s, pass), "page01__________, ,page03__________\r\n");

  s.logNumTtoPages = 99;  // beyond what the dialog allows: 15 columns, never page 0
  const std::string line = LineFor(s, pass);
  EXPECT_EQ(std::count(line.begin(), line.end(), ','), 14);
  EXPECT_EQ(line.find("page00"), std::string::npos);
  EXPECT_NE(line.find("page15__________\r\n"), std::string::npos);
}

TEST_F(TagLogWriterTest, APassIsWrittenOnceAndOnlyAboveTheNoiseLimit) {
  LogSettings s = NoColumns();
  s.logIqCount = true;
  s.noiseLimit = 3;
  Start(s);

  // A negative wait time hands the same pass over at each read.
  TagRecord pass = MakePass(kGateId, 0);
  std::vector<PassLogResult> results;
  for (int read = 1; read <= 6; ++read) {
    pass.count = read;
    results.push_back(writer_.FinishPass(pass));
  }
  EXPECT_EQ(results, (std::vector<PassLogResult>{
                         PassLogResult::kBelowNoiseLimit, PassLogResult::kBelowNoiseLimit,
                         PassLogResult::kBelowNoiseLimit, PassLogResult::kWritten,
                         PassLogResult::kAlreadyLogged, PassLogResult::kAlreadyLogged}));
  EXPECT_EQ(Log(), "4\r\n");
  EXPECT_EQ(pass.logged, 1);
}

TEST_F(TagLogWriterTest, OnlyNamedTagsAreWrittenWhenAsked) {
  LogSettings s = NoColumns();
  s.logTagId = s.logTagName = true;
  Start(s);

  TagRecord unnamed = MakePass(kTruckId, 5, "Truck");
  EXPECT_EQ(writer_.FinishPass(unnamed), PassLogResult::kUnnamed);
  EXPECT_EQ(unnamed.logged, 0);
  EXPECT_EQ(Log(), "");

  s.onlyLogNamedTags = false;
  writer_.SetSettings(s);
  EXPECT_EQ(writer_.FinishPass(unnamed), PassLogResult::kWritten);
  EXPECT_EQ(Log(), "1020304050607080,\r\n");

  // With AutoRegister the pass's text names the tag, or its ID when it has none.
  s.onlyLogNamedTags = true;
  writer_.SetSettings(s);
  names_.SetAutoRegister(true);
  TagRecord truck = MakePass(kTruckId, 5, "Truck");
  TagRecord bare = MakePass(kTruckId, 5);
  names_.Clear();
  EXPECT_EQ(writer_.FinishPass(truck), PassLogResult::kWritten);
  names_.Clear();
  EXPECT_EQ(writer_.FinishPass(bare), PassLogResult::kWritten);
  EXPECT_EQ(Log(),
            "1020304050607080,\r\n1020304050607080,Truck\r\n1020304050607080,1020304050607080\r\n");
}

TEST_F(TagLogWriterTest, PassesAreLeftUnmarkedWhileNotLoggingOrManualOnly) {
  TagRecord pass = MakePass(kGateId, 5);
  EXPECT_EQ(writer_.FinishPass(pass), PassLogResult::kNotLogging);
  EXPECT_EQ(pass.logged, 0);

  LogSettings s;
  s.showLogging = true;
  Start(s);
  EXPECT_TRUE(writer_.ManualWarningVisible());
  EXPECT_EQ(writer_.FinishPass(pass), PassLogResult::kManualOnly);
  EXPECT_EQ(pass.logged, 0);

  writer_.SetSettings(NoColumns());
  EXPECT_EQ(writer_.FinishPass(pass), PassLogResult::kNoColumns);
  EXPECT_EQ(pass.logged, 1);
  EXPECT_EQ(Log(), "");
}

TEST_F(TagLogWriterTest, OpeningAppendsAndFailureLeavesLoggingOff) {
  {
    QFile file(dir_.filePath("tags.log"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("earlier\r\n");
  }
  EXPECT_EQ(writer_.StatusLabelText(), "This program does not log tag data to a database!");
  Start(LogSettings{});
  EXPECT_EQ(writer_.StatusLabelText(), "Logging to tags.log");
  EXPECT_TRUE(writer_.Settings().writeFiltered);
  TagRecord pass = MakePass(kGateId, 5);
  writer_.CompletePass(pass);
  EXPECT_EQ(Log(), "earlier\r\nDepot,Gate 4,2023/11/14,22:13:20\r\n");

  const std::string bad = PathOf("no/such/dir/tags.log");
  const LogOpenResult r = writer_.StartLogging(bad);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, "Unable to open " + bad + " for appending");
  EXPECT_EQ(r.title, "Open Failure");
  EXPECT_FALSE(writer_.IsLogging());
  EXPECT_FALSE(writer_.Settings().writeFiltered);
  EXPECT_EQ(writer_.Settings().filteredFileName, bad);

  LogSettings startup;
  startup.writeFiltered = true;
  startup.filteredFileName = PathOf("tags.log");
  writer_.SetSettings(startup);
  EXPECT_TRUE(writer_.OpenAtStartup().ok);
  EXPECT_TRUE(writer_.IsLogging());
  writer_.StopLogging();
  EXPECT_FALSE(writer_.IsLogging());
}

TEST_F(TagLogWriterTest, WriteFailuresAreReportedAndEarlierLinesStay) {
  // The log's directory goes away while logging; a second name for the file
  // shows what had been written.
  QDir(dir_.path()).mkdir("logs");
  const std::string path = PathOf("logs/tags.log");
  writer_.SetSettings(LogSettings{});
  ASSERT_TRUE(writer_.StartLogging(path).ok);
  TagRecord first = MakePass(kGateId, 5);
  ASSERT_EQ(writer_.FinishPass(first), PassLogResult::kWritten);
  ASSERT_EQ(::link(path.c_str(), PathOf("kept.log").c_str()), 0);
  ASSERT_TRUE(QFile::remove(QString::fromStdString(path)));
  ASSERT_TRUE(QDir(dir_.path()).rmdir("logs"));

  TagRecord second = MakePass(kGateId, 5);
  TagRecord third = MakePass(kGateId, 5);
  EXPECT_EQ(writer_.FinishPass(second), PassLogResult::kWriteFailed);
  EXPECT_EQ(writer_.FinishPass(third), PassLogResult::kWriteFailed);
  EXPECT_EQ(writer_.LostLines(), 2);
  EXPECT_EQ(status_.lastError, "Log write failed");
  ASSERT_EQ(status_.debugLines.size(), 1u);  // one report per run of failures
  EXPECT_NE(status_.debugLines[0].find(path), std::string::npos);
  QFile kept(dir_.filePath("kept.log"));
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll().toStdString(), "Depot,Gate 4,2023/11/14,22:13:20\r\n");

  // Once the folder is back the log is created again and the loss is told.
  QDir(dir_.path()).mkdir("logs");
  TagRecord fourth = MakePass(kGateId, 5);
  EXPECT_EQ(writer_.FinishPass(fourth), PassLogResult::kWritten);
  ASSERT_EQ(status_.debugLines.size(), 3u);
  EXPECT_NE(status_.debugLines[2].find("2 log lines were lost"), std::string::npos);
}

TEST_F(TagLogWriterTest, AFullDiskIsReportedNotLost) {
  if (!QFile::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  writer_.SetSettings(LogSettings{});
  ASSERT_TRUE(writer_.StartLogging("/dev/full").ok);
  TagRecord pass = MakePass(kGateId, 5);
  EXPECT_EQ(writer_.FinishPass(pass), PassLogResult::kWriteFailed);
  EXPECT_EQ(status_.lastError, "Log write failed");
  EXPECT_EQ(writer_.LostLines(), 1);

  writer_.Record().clear = false;
  const RecordResult r =
      writer_.RecordTagsSeen(std::span<const TagRecord>(&pass, 1), SeenLabel::kId);
  EXPECT_TRUE(r.writeFailed);
  EXPECT_FALSE(r.written);
}

// A path that leads to a full device (a symlink here): every lost line is
// counted, the run of failures is told once and shows on the status label,
// and writing resumes by itself once the path can take lines again.
TEST_F(TagLogWriterTest, AFullDeviceCountsEveryLostLineAndLoggingResumesByItself) {
  if (!QFile::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const std::string path = PathOf("tags.log");
  ASSERT_EQ(::symlink("/dev/full", path.c_str()), 0);
  writer_.SetSettings(LogSettings{});
  ASSERT_TRUE(writer_.StartLogging(path).ok);
  for (int k = 0; k < 3; ++k) {
    TagRecord pass = MakePass(kGateId, 5);
    EXPECT_EQ(writer_.FinishPass(pass), PassLogResult::kWriteFailed);
  }
  EXPECT_TRUE(writer_.WriteFailing());
  EXPECT_EQ(writer_.LostLines(), 3);
  EXPECT_EQ(writer_.StatusLabelText(), "Cannot write to tags.log: 3 lines lost");
  ASSERT_EQ(status_.debugLines.size(), 1u);
  EXPECT_EQ(status_.debugLines[0],
            "Could not write to log file " + path + ": No space left on device");

  // A batch lost at its flush counts all of its lines.
  writer_.SetBatchedWrites(true);
  for (int k = 0; k < 4; ++k) {
    TagRecord pass = MakePass(kGateId, 5);
    writer_.FinishPass(pass);
  }
  EXPECT_FALSE(writer_.FlushLog());
  EXPECT_EQ(writer_.LostLines(), 7);
  writer_.SetBatchedWrites(false);
  EXPECT_EQ(status_.debugLines.size(), 1u);

  ASSERT_EQ(::unlink(path.c_str()), 0);
  TagRecord pass = MakePass(kGateId, 5);
  EXPECT_EQ(writer_.FinishPass(pass), PassLogResult::kWritten);
  EXPECT_FALSE(writer_.WriteFailing());
  EXPECT_EQ(writer_.StatusLabelText(), "Logging to tags.log");
  EXPECT_EQ(status_.debugLines.back(),
            "Log file " + path + " is written again; 7 log lines were lost");
  EXPECT_EQ(Log(), "Depot,Gate 4,2023/11/14,22:13:20\r\n");
}

// The headless replay's batched log: nothing is lost at a flush, a stop of
// logging or a full disk, and the live log stays on disk line by line.
TEST_F(TagLogWriterTest, BatchedLinesReachTheFileWhole) {
  Start(LogSettings{});
  TagRecord live = MakePass(kGateId, 5);
  writer_.FinishPass(live);
  const std::string liveLine = Log();
  ASSERT_FALSE(liveLine.empty());

  writer_.SetBatchedWrites(true);
  const size_t perLine = liveLine.size();
  const size_t count = LogFile::kBatchBytes / perLine + 10;
  for (size_t i = 0; i < count; ++i) {
    TagRecord pass = MakePass(kGateId, 5);
    writer_.FinishPass(pass);
  }
  // One batch went out whole; the rest waits for the flush.
  const size_t onDisk = Log().size();
  EXPECT_GT(onDisk, perLine);
  EXPECT_EQ((onDisk - perLine) % perLine, 0u);
  EXPECT_LT(onDisk, (count + 1) * perLine);
  EXPECT_TRUE(writer_.FlushLog());
  EXPECT_EQ(Log().size(), (count + 1) * perLine);

  TagRecord last = MakePass(kGateId, 5);
  writer_.FinishPass(last);
  writer_.StopLogging();
  EXPECT_EQ(Log().size(), (count + 2) * perLine);

  if (!QFile::exists("/dev/full")) return;
  ASSERT_TRUE(writer_.StartLogging("/dev/full").ok);
  writer_.SetBatchedWrites(true);
  TagRecord lost = MakePass(kGateId, 5);
  writer_.FinishPass(lost);
  EXPECT_FALSE(writer_.FlushLog());
  EXPECT_EQ(status_.lastError, "Log write failed");
  EXPECT_FALSE(writer_.LastWriteError().empty());
}

struct FakeDisplay final : ExternalDisplayOutput {
  bool Selected() const override { return true; }
  bool ShowName(std::string_view name, const TagRecord&) override {
    shown.emplace_back(name);
    return accept;
  }
  bool accept = true;
  std::vector<std::string> shown;
};

struct FakeDemo final : DemonstrationOutput {
  bool Running() const override { return running; }
  uint8_t HandlePass(TagRecord&) override {
    ++passes;
    return 1;
  }
  bool running = true;
  int passes = 0;
};

TEST_F(TagLogWriterTest, SpecialOutputsTakeEachPassOnce) {
  FakeDisplay display;
  writer_.SetExternalDisplay(&display);

  // A refused name is offered again when the pass completes once more.
  display.accept = false;
  TagRecord pass = MakePass(kGateId, 5);
  writer_.FinishPass(pass);
  EXPECT_EQ(display.shown, (std::vector<std::string>{"Gate 4"}));
  EXPECT_EQ(pass.outputSent, 0);
  display.accept = true;
  writer_.FinishPass(pass);
  EXPECT_EQ(pass.outputSent, 1);
  writer_.FinishPass(pass);
  EXPECT_EQ(display.shown.size(), 2u);

  // An unnamed tag is not shown.
  TagRecord unnamed = MakePass(kTruckId, 5);
  writer_.FinishPass(unnamed);
  EXPECT_EQ(display.shown.size(), 2u);
  EXPECT_EQ(unnamed.outputSent, 0);

  FakeDemo demo;
  ASSERT_TRUE(writer_.AddDemonstration(&demo));
  TagRecord next = MakePass(kGateId, 5);
  writer_.FinishPass(next);
  EXPECT_EQ(display.shown.size(), 3u);
  EXPECT_EQ(demo.passes, 1);
  writer_.RemoveDemonstration(&demo);
  writer_.FinishPass(next);
  EXPECT_EQ(demo.passes, 1);
}

class RecordTagsSeenTest : public TagLogWriterTest {
 protected:
  RecordTagsSeenTest() {
    names_.AppendRow("1020304050607080", "Truck");
    names_.AppendRow("ffffffffffffffff", "Absent");
    seen_.push_back(MakePass(kTruckId, 7, "Truck"));
    seen_.push_back(MakePass(kGateId, 5, "Gate 4"));
    std::snprintf(seen_[0].wiegand26Text, 11, "%s", "3170400");
    seen_[1].firstSeenMs = 4;  // the earliest
  }

  std::string Record(int layout, SeenLabel label) {
    writer_.Record().layout = layout;
    const std::string before = Log();
    last_ = writer_.RecordTagsSeen(seen_, label);
    return Log().substr(before.size());
  }

  std::vector<TagRecord> seen_;
  RecordResult last_;
};

TEST_F(RecordTagsSeenTest, LayoutsOneToThreeWriteCountsPerTag) {
  Start(LogSettings{});
  writer_.Record().testNumber = 5;
  EXPECT_EQ(Record(1, SeenLabel::kName),
            "test005,Gate 4,5,2,3\r\ntest005,Truck,7,3,4\r\ntest005,ffffffffffffffff,0,0,0\r\n");
  EXPECT_EQ(last_.recordName, "test005");
  EXPECT_EQ(Record(1, SeenLabel::kWiegand26),
            "test006,,5,2,3\r\ntest006,3170400,7,3,4\r\ntest006,ffffffffffffffff,0,0,0\r\n");
  EXPECT_EQ(Record(2, SeenLabel::kId),
            "test007,1020304050607080,7,3,4\r\ntest007,0123456789abcdef,5,2,3\r\n");
  EXPECT_EQ(Record(3, SeenLabel::kId),
            "test008,1020304050607080,7,3,4\r\ntest008,0123456789abcdef,5,2,3\r\n");
  EXPECT_TRUE(last_.written);
  EXPECT_TRUE(last_.clearTable);
}

TEST_F(RecordTagsSeenTest, LayoutFourIsOneLineFromTheEarliestSighting) {
  Start(LogSettings{});
  EXPECT_EQ(Record(4, SeenLabel::kId),
            "2023-11-14,22:13:20.004,Gate 4,2,3,Truck,3,4,ffffffffffffffff,0\r\n");

  // Nothing listed is present: the snapshot's own time stands in.
  seen_.clear();
  EXPECT_EQ(Record(4, SeenLabel::kId),
            "2023-11-14,22:14:20.250,0123456789abcdef,0,1020304050607080,0,ffffffffffffffff,0\r\n");
}

TEST_F(RecordTagsSeenTest, WithoutLoggingTheNumberStillAdvances) {
  writer_.Record().testName = "run";
  writer_.Record().testNumber = 998;
  writer_.Record().clear = false;
  EXPECT_EQ(writer_.RecordTagsSeen(seen_, SeenLabel::kId).recordName, "run998");
  const RecordResult r = writer_.RecordTagsSeen(seen_, SeenLabel::kId);
  EXPECT_EQ(r.recordName, "run999");
  EXPECT_FALSE(r.written);
  EXPECT_FALSE(r.clearTable);
  EXPECT_EQ(writer_.Record().testNumber, 999);
}

}  // namespace
}  // namespace corvalis
