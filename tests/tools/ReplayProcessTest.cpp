#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <string>

#include "testkit/ReaderLines.h"

namespace corvalis {
namespace {

// A default-format line for tag 30..36 `last`, read by reader 1 at
// 10:20:`second`.`hundredths` on 2026-12-08.
std::string Line(uint8_t last, int second, int hundredths) {
  return testing::ReaderLine(1, last, hundredths, 2, second);
}

bool WriteFile(const QString& path, const std::string& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) &&
         file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
             static_cast<qint64>(bytes.size());
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ReplayProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    ini = dir.filePath("Corvalis.ini");
    log = dir.filePath("tags.log");
  }
  int Run(const QStringList& args) {
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(CORVALIS_REPLAY_EXECUTABLE, args);
    if (!process.waitForFinished(20000)) return -1;
    out = process.readAllStandardOutput();
    err = process.readAllStandardError();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  }

  QTemporaryDir dir;
  QString ini;
  QString log;
  QByteArray out;
  QByteArray err;
};

// Reads of tag 41 at 30.00 and 30.20 and of tag 42 at 30.50 form one pass
// each; 41 again at 32.00 and 42 at 32.10 are new passes, 1.5 s later in
// reader time. The replay takes milliseconds, yet the log is the live one.
TEST_F(ReplayProcessTest, PassesFormInReaderTimeByteForByte) {
  ASSERT_TRUE(WriteFile(ini,
                        "[FILES]\r\nFilteredFileName=tags.log\r\n"
                        "[MODE]\r\nWaitTime=500\r\nLogTagID=1\r\nLogTagName=0\r\nLogIQCount=1\r\n"
                        "FirstSeenIncludeMS=1\r\nLogLastSeenTime=1\r\nLastSeenIncludeMS=1\r\n"));
  ASSERT_TRUE(WriteFile(dir.filePath("first.log"), "# reader 1\r\n" + Line(0x41, 30, 0) +
                                                       Line(0x41, 30, 20) + Line(0x42, 30, 50)));
  ASSERT_TRUE(WriteFile(dir.filePath("second.log"), Line(0x41, 32, 0) + Line(0x42, 32, 10)));

  ASSERT_EQ(Run({"-i=" + ini, "first.log", "second.log"}), 0) << err.constData();
  EXPECT_EQ(out, "records 6, messages 5, reads 5, passes 4, misses 0\n");
  EXPECT_EQ(ReadAll(log),
            "Depot,3031323334353641,2026/12/08,10:20:30.000,10:20:30.200,6\r\n"
            "Depot,3031323334353642,2026/12/08,10:20:30.500,10:20:30.500,3\r\n"
            "Depot,3031323334353641,2026/12/08,10:20:32.000,10:20:32.000,3\r\n"
            "Depot,3031323334353642,2026/12/08,10:20:32.100,10:20:32.100,3\r\n");
}

TEST_F(ReplayProcessTest, UnreadableCaptureExitsOneAndLogsNothing) {
  ASSERT_TRUE(WriteFile(dir.filePath("good.log"), Line(0x41, 30, 0)));
  EXPECT_EQ(Run({"--log=" + log, "good.log", "missing.log"}), 1);
  EXPECT_TRUE(err.contains("Unable to open missing.log for reading")) << err.constData();
  EXPECT_FALSE(QFile::exists(log));
}

TEST_F(ReplayProcessTest, BadArgumentsExitTwo) {
  EXPECT_EQ(Run({"--log=" + log}), 2);
  EXPECT_EQ(Run({"--speed=9", "capture.log"}), 2);
  EXPECT_TRUE(err.contains("unknown option --speed=9")) << err.constData();
}

}  // namespace
}  // namespace corvalis
