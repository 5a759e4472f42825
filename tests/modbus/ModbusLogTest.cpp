#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "modbus/ModbusLog.h"

namespace corvalis {
namespace {

constexpr WallTime kNoon{1'700'049'600, 0};  // 2023-11-15 12:00:00 UTC

std::string ReadAll(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) return "<missing>";
  return file.readAll().toStdString();
}

TEST(ModbusLogName, ExpandsDateThenTimeOnlyWithADate) {
  EXPECT_EQ(ExpandModbusLogName("Mdb%d_%t.csv", kNoon), "Mdb2023-11-15_12-00-00.csv");
  EXPECT_EQ(ExpandModbusLogName("Mdb_%t.csv", kNoon), "Mdb_%t.csv");
  EXPECT_EQ(ExpandModbusLogName("MdbLog.csv", kNoon), "MdbLog.csv");
}

class ModbusLogTest : public ::testing::Test {
 protected:
  std::string Path(const char* name) const { return dir_.filePath(name).toStdString(); }
  QTemporaryDir dir_;
  ModbusLog log_;
};

TEST_F(ModbusLogTest, FormatCharactersInTheNameAreKeptAsTyped) {
  ASSERT_TRUE(log_.Open(Path("odd%s%n%x.csv"), kNoon));
  log_.WriteReply("line");
  log_.Close();
  EXPECT_EQ(ReadAll(Path("odd%s%n%x.csv")), "line\r\n");
}

TEST_F(ModbusLogTest, EmptyRunsAreWrittenOnceBeforeTheNextReply) {
  ASSERT_TRUE(log_.Open(Path("a.csv"), kNoon));
  log_.NoteEmptyReply("e1");
  EXPECT_EQ(ReadAll(Path("a.csv")), "");
  log_.WriteReply("tag");
  log_.NoteEmptyReply("e2");
  log_.NoteEmptyReply("e3");
  log_.WriteReply("tag2");
  log_.Close();
  EXPECT_EQ(ReadAll(Path("a.csv")), "e1\r\ntag\r\ne3, repeated 2 times\r\ntag2\r\n");
}

TEST_F(ModbusLogTest, ClosingFlushesPendingEmpties) {
  ASSERT_TRUE(log_.Open(Path("b.csv"), kNoon));
  for (int i = 0; i < 4; ++i) log_.NoteEmptyReply("empty");
  log_.Close();
  EXPECT_EQ(ReadAll(Path("b.csv")), "empty, repeated 4 times\r\n");
}

TEST_F(ModbusLogTest, ReopensADatedFileWhenTheHourTurns) {
  ASSERT_TRUE(log_.Open(Path("d%d.csv"), {kNoon.sec - 3600, 0}));  // 11:00
  log_.WriteReply("old");
  log_.CheckHour({kNoon.sec - 1, 0}, 12);     // still 11:59
  log_.CheckHour({kNoon.sec + 3600, 0}, 12);  // 13:00: not the chosen hour
  EXPECT_EQ(log_.FileName(), Path("d2023-11-15.csv"));
  log_.CheckHour({kNoon.sec + 86400, 0}, 12);  // noon the next day
  EXPECT_EQ(log_.FileName(), Path("d2023-11-16.csv"));
  log_.WriteReply("new");
  log_.Close();
  EXPECT_EQ(ReadAll(Path("d2023-11-15.csv")), "old\r\n");
  EXPECT_EQ(ReadAll(Path("d2023-11-16.csv")), "new\r\n");
}

TEST_F(ModbusLogTest, UnwritableNameFails) {
  EXPECT_FALSE(log_.Open(Path("no/such/dir.csv"), kNoon));
  EXPECT_FALSE(log_.IsOpen());
  log_.NoteEmptyReply("x");
  EXPECT_EQ(log_.PendingEmpties(), 0);
}

}  // namespace
}  // namespace corvalis
