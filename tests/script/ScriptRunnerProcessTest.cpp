#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include "channels/ChannelSettings.h"
#include "common/ChannelIndex.h"

namespace corvalis {
namespace {

// The headless runner as a process: exit codes, output streams, test log.
class ScriptRunnerProcessTest : public ::testing::Test {
 protected:
  ScriptRunnerProcessTest() {
    for (int ch = 0; ch < kChannelCount; ++ch) {
      ChannelSettings closed;
      closed.open = false;
      WriteChannelSettings(dir.filePath("Corvalis.ini"), ch, closed);
    }
  }
  void WriteScript(const QString& name, const QByteArray& text) {
    QFile file(dir.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
  }
  int Run(const QStringList& args, int waitMs = 10000) {
    runner.setWorkingDirectory(dir.path());
    runner.start(SCRIPTRUN_EXECUTABLE, args);
    runner.closeWriteChannel();
    if (!runner.waitForFinished(waitMs)) return -1;
    out = runner.readAllStandardOutput();
    err = runner.readAllStandardError();
    return runner.exitStatus() == QProcess::NormalExit ? runner.exitCode() : -2;
  }
  QByteArray ReadLog(const QString& name) {
    QFile file(dir.filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
  }

  QTemporaryDir dir;
  QProcess runner;
  QByteArray out;
  QByteArray err;
};

TEST_F(ScriptRunnerProcessTest, BadArgumentsAndUnreadableScriptsExitWithTwo) {
  EXPECT_EQ(Run({}), 2);
  EXPECT_TRUE(err.contains("Usage:"));
  EXPECT_EQ(Run({"--channel=9", "x.scr"}), 2);
  EXPECT_EQ(Run({"--bogus", "x.scr"}), 2);
  EXPECT_EQ(Run({"missing.scr"}), 2);
  EXPECT_TRUE(err.contains("Unable to open missing.scr for reading"));
}

TEST_F(ScriptRunnerProcessTest, ScriptEndsWithZeroAndWritesItsLogInTheWorkingDirectory) {
  WriteScript("ok.scr",
              "OpenLog result.log\nSet X1 41\nInc X1\nLogMessage answer ${X1}\\r\\n\n"
              "message all done\nfrobnicate\nGetYesNo continue?\nifNot (YesNo) LogMessage "
              "cancelled\\r\\n\nclearTagsSeen\nCloseLog\n");
  EXPECT_EQ(Run({"ok.scr"}), 0);
  EXPECT_EQ(ReadLog("result.log"), "answer 42\r\ncancelled\r\n");
  EXPECT_TRUE(out.contains("all done\n"));
  EXPECT_TRUE(err.contains("Syntax Error: Unknown Command frobnicate"));
  EXPECT_TRUE(out.contains("\"clearTagsSeen\" is not available"));
}

TEST_F(ScriptRunnerProcessTest, MissingLabelExitsWithOne) {
  WriteScript("bad.scr", "goto nowhere\n");
  EXPECT_EQ(Run({"bad.scr"}), 1);
  EXPECT_TRUE(err.contains("GoTo Error: GoTo target \"nowhere\" not found"));
}

TEST_F(ScriptRunnerProcessTest, TimeoutExitsWithThree) {
  WriteScript("slow.scr", "wait 600\n");
  EXPECT_EQ(Run({"--timeout=1", "slow.scr"}), 3);
}

TEST_F(ScriptRunnerProcessTest, TerminateStopsTheScriptAndKeepsTheLog) {
  WriteScript("long.scr", "OpenLog long.log\nLogMessage begun\\r\\n\nwait 600\n");
  runner.setWorkingDirectory(dir.path());
  runner.start(SCRIPTRUN_EXECUTABLE, {"long.scr"});
  ASSERT_TRUE(runner.waitForStarted(3000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return ReadLog("long.log") == "begun\r\n"; }, 5000));
  ::kill(static_cast<pid_t>(runner.processId()), SIGTERM);
  ASSERT_TRUE(runner.waitForFinished(5000));
  EXPECT_EQ(runner.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(runner.exitCode(), 1);
  EXPECT_EQ(ReadLog("long.log"), "begun\r\n");
}

}  // namespace
}  // namespace corvalis
