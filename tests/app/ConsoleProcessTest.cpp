#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include "channels/ChannelSettings.h"
#include "channels/ChannelTestSupport.h"

namespace corvalis {
namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The real console, offscreen, with its settings file in a fresh folder and
// channel 1 on the reader simulator started with `simArgs` over loopback TCP.
struct ConsoleRun {
  bool Start(const QStringList& simArgs, const char* settings) {
    const int port = testing::StartSimulator(sim, simArgs);
    if (port <= 0) return false;
    QFile file(ini);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(settings);
    file.close();
    testing::WriteSimulatorChannels(ini, port);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    console.setProcessEnvironment(env);
    console.setWorkingDirectory(dir.path());
    console.start(CORVALIS_EXECUTABLE, {"-i=" + ini});
    return console.waitForStarted(5000);
  }
  int Lines() const { return static_cast<int>(ReadAll(log).count('\n')); }

  QTemporaryDir dir;
  QString ini = dir.filePath("Corvalis.ini");
  QString log = dir.filePath("tags.log");
  QProcess sim;
  QProcess console;
};

// The real console, offscreen, logging what the reader simulator sends over
// loopback TCP; SIGTERM ends it like Exit.
TEST(ConsoleProcessTest, LogsEveryPassAndSavesTheSettingsOnSigterm) {
  constexpr int kPasses = 5;
  ConsoleRun run;
  ASSERT_TRUE(
      run.Start({"--tcp", "0", "--passes", QString::number(kPasses), "--rate", "40",
                 "--reads-per-pass", "3", "--tags", "4"},
                "[FILES]\nFilteredFileName=tags.log\nWriteFiltered=1\n[MODE]\nNumToShow=8\n"));
  QProcess& console = run.console;
  QProcess& sim = run.sim;
  const QString& ini = run.ini;
  const QString& log = run.log;
  QTemporaryDir& dir = run.dir;
  auto lines = [&] { return run.Lines(); };
  ASSERT_TRUE(QTest::qWaitFor([&] { return lines() >= kPasses; }, 15000)) << lines();
  QTest::qWait(800);  // nothing beyond the simulator's passes
  const QList<QByteArray> logged = ReadAll(log).trimmed().split('\n');
  ASSERT_EQ(logged.size(), kPasses);
  // Default columns: depot, the automatic tag name, first-seen date and time.
  const QRegularExpression line(R"(^Depot,\S+,\d\d\d\d/\d\d/\d\d,\d\d:\d\d:\d\d\r?$)");
  for (const QByteArray& entry : logged) {
    EXPECT_TRUE(line.match(QString::fromLatin1(entry)).hasMatch()) << entry.constData();
  }

  ::kill(static_cast<pid_t>(console.processId()), SIGTERM);
  ASSERT_TRUE(console.waitForFinished(10000));
  EXPECT_EQ(console.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(console.exitCode(), 0);
  const QByteArray saved = ReadAll(ini);
  for (const char* key : {"WriteFiltered=1", "FilteredFileName=tags.log", "NumToShow=8",
                          "WaitTime=500", "ShowDiagnostics=1", "[cmbRTFilename]"}) {
    EXPECT_TRUE(saved.contains(key)) << key << "\n" << saved.constData();
  }
  // Channel 1 was open at the end, so it opens again at the next start.
  EXPECT_TRUE(ReadChannelSettings(ini, 0).open);
  EXPECT_TRUE(QFile::exists(dir.filePath("ERRROR.FIL")));
  // The recording holds what the reader sent, every read, beside what was sent to it.
  int received = 0;
  for (const QByteArray& entry : ReadAll(dir.filePath("logger1.log")).split('\n'))
    received += entry.endsWith('\r') && !entry.startsWith("> ") ? 1 : 0;
  EXPECT_GE(received, kPasses * 3);

  sim.terminate();
  EXPECT_TRUE(sim.waitForFinished(3000));
}

// Two tags pass 2 s apart with a 3 s wait time. The moment the first one's
// line is logged the second one's pass is still open; SIGTERM right then must
// close it into the log, or the last runner of a race goes missing.
TEST(ConsoleProcessTest, SigtermLogsThePassesStillOpen) {
  ConsoleRun run;
  ASSERT_TRUE(run.Start(
      {"--tcp", "0", "--passes", "2", "--rate", "0.5", "--reads-per-pass", "1", "--tags", "2"},
      "[FILES]\nFilteredFileName=tags.log\nWriteFiltered=1\n[MODE]\nWaitTime=3000\n"));
  QProcess& console = run.console;
  QProcess& sim = run.sim;
  const QString& log = run.log;
  auto lines = [&] { return run.Lines(); };
  ASSERT_TRUE(QTest::qWaitFor([&] { return lines() >= 1; }, 15000));
  ::kill(static_cast<pid_t>(console.processId()), SIGTERM);
  ASSERT_TRUE(console.waitForFinished(10000));
  EXPECT_EQ(console.exitCode(), 0);
  const QList<QByteArray> logged = ReadAll(log).trimmed().split('\n');
  ASSERT_EQ(logged.size(), 2) << ReadAll(log).constData();
  EXPECT_NE(logged[0], logged[1]);

  sim.terminate();
  EXPECT_TRUE(sim.waitForFinished(3000));
}

// The reader restarts again and again: each time the console connects anew
// by itself and the passes that follow are logged.
TEST(ConsoleProcessTest, ReadsAreLoggedAgainAfterEachReaderRestart) {
  constexpr int kRestarts = 10;
  const QStringList stream = {"--rate", "40", "--reads-per-pass", "1", "--tags", "12"};
  ConsoleRun run;
  ASSERT_TRUE(run.Start(QStringList{"--tcp", "0"} + stream,
                        "[FILES]\nFilteredFileName=tags.log\nWriteFiltered=1\n"
                        "[MODE]\nReconnectFirstMs=200\nWaitTime=100\n"));
  const QString port = QString::number(ReadChannelSettings(run.ini, 0).ipPort);
  ASSERT_TRUE(QTest::qWaitFor([&] { return run.Lines() >= 1; }, 15000));
  for (int restart = 0; restart < kRestarts; ++restart) {
    // Killed or stopped, as a reader loses power or is restarted.
    if (restart % 2 == 0) {
      run.sim.kill();
    } else {
      run.sim.terminate();
    }
    ASSERT_TRUE(run.sim.waitForFinished(3000));
    QTest::qWait(300);  // down for a while: attempts fail meanwhile
    const int before = run.Lines();
    ASSERT_EQ(testing::StartSimulator(run.sim, QStringList{"--tcp", port} + stream), port.toInt());
    // Within the back-off (200 ms, 400, 800 ms) plus a pass's wait.
    EXPECT_TRUE(QTest::qWaitFor([&] { return run.Lines() > before; }, 5000))
        << "restart " << restart;
  }
  ::kill(static_cast<pid_t>(run.console.processId()), SIGTERM);
  ASSERT_TRUE(run.console.waitForFinished(10000));
  EXPECT_EQ(run.console.exitCode(), 0);
  // Each whole line CR LF ended: a restart cuts no logged line.
  const QByteArray logged = ReadAll(run.log);
  EXPECT_EQ(logged.count('\n'), logged.count("\r\n"));
  run.sim.terminate();
  run.sim.waitForFinished(3000);
}

// The log on a full device: the failure reaches the error file once, the
// console goes on, and once the path can be written again logging resumes
// and the loss is counted.
TEST(ConsoleProcessTest, AFullLogDeviceIsReportedAndLoggingResumesByItself) {
  if (!QFile::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  ConsoleRun run;
  ASSERT_TRUE(QFile::link("/dev/full", run.log));
  ASSERT_TRUE(run.Start({"--tcp", "0", "--rate", "40", "--reads-per-pass", "1", "--tags", "12"},
                        "[FILES]\nFilteredFileName=tags.log\nWriteFiltered=1\n"
                        "[MODE]\nWaitTime=100\n"));
  const QString errors = run.dir.filePath("ERRROR.FIL");
  const QByteArray failure = "tags.log: No space left on device";
  ASSERT_TRUE(QTest::qWaitFor([&] { return ReadAll(errors).contains(failure); }, 15000))
      << ReadAll(errors).constData();
  QTest::qWait(500);
  EXPECT_EQ(ReadAll(errors).count(failure), 1);  // once per run of failures

  // Room again: the path now leads to a plain file.
  ASSERT_TRUE(QFile::remove(run.log));
  ASSERT_TRUE(QTest::qWaitFor([&] { return run.Lines() >= 2; }, 10000));
  const QRegularExpression resumed("is written again; (\\d+) log lines were lost");
  QRegularExpressionMatch match;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return (match = resumed.match(QString::fromLatin1(ReadAll(errors)))).hasMatch(); },
      3000));
  EXPECT_GE(match.captured(1).toInt(), 2);
  EXPECT_TRUE(ReadAll(run.log).startsWith("Depot,"));

  ::kill(static_cast<pid_t>(run.console.processId()), SIGTERM);
  ASSERT_TRUE(run.console.waitForFinished(10000));
  EXPECT_EQ(run.console.exitCode(), 0);
  run.sim.terminate();
  run.sim.waitForFinished(3000);
}

// An unattended start with a problem box open (the log folder is missing):
// SIGTERM closes the box and shuts down in order, and the error file keeps
// the problem.
TEST(ConsoleProcessTest, SigtermWhileAStartupProblemBoxIsOpenShutsDownInOrder) {
  QTemporaryDir dir;
  const QString ini = dir.filePath("Corvalis.ini");
  QFile file(ini);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("[FILES]\nFilteredFileName=missing/tags.log\nWriteFiltered=1\n[MODE]\nNumToShow=8\n");
  file.close();
  QProcess console;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  console.setProcessEnvironment(env);
  console.setWorkingDirectory(dir.path());
  console.start(CORVALIS_EXECUTABLE, {"-i=" + ini});
  ASSERT_TRUE(console.waitForStarted(5000));
  const QString errors = dir.filePath("ERRROR.FIL");
  ASSERT_TRUE(QTest::qWaitFor([&] { return ReadAll(errors).contains("missing/tags.log"); }, 10000))
      << ReadAll(errors).constData();
  QTest::qWait(1500);  // the box is up by now (a stop before it is orderly too)

  ::kill(static_cast<pid_t>(console.processId()), SIGTERM);
  ASSERT_TRUE(console.waitForFinished(10000));
  EXPECT_EQ(console.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(console.exitCode(), 0);
  const QByteArray saved = ReadAll(ini);
  for (const char* key : {"NumToShow=8", "WaitTime=500", "WriteFiltered=0", "[cmbRTFilename]"}) {
    EXPECT_TRUE(saved.contains(key)) << key << "\n" << saved.constData();
  }
}

// The console stops for longer than the wait time (a stalled GUI thread, or
// here the whole process) while a busy reader sends on. When it goes on, the
// reads that waited in the link join their passes: none is split in two
// because the computer's clock ran past the wait time meanwhile.
TEST(ConsoleProcessTest, AStalledConsoleSplitsNoPassWhenItCatchesUp) {
  constexpr int kPasses = 1500;  // 7.5 s at 1,000 reads/s
  ConsoleRun run;
  ASSERT_TRUE(run.Start({"--tcp", "0", "--rate", "1000", "--tags", "550", "--reads-per-pass", "5",
                         "--passes", QString::number(kPasses)},
                        "[FILES]\nFilteredFileName=tags.log\nWriteFiltered=1\n"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return run.Lines() >= 100; }, 15000)) << run.Lines();
  const auto pid = static_cast<pid_t>(run.console.processId());
  ::kill(pid, SIGSTOP);
  QTest::qWait(1500);
  ::kill(pid, SIGCONT);
  EXPECT_TRUE(QTest::qWaitFor([&] { return run.Lines() >= kPasses; }, 30000)) << run.Lines();
  QTest::qWait(1000);  // a split pass would show as lines beyond the passes sent
  EXPECT_EQ(run.Lines(), kPasses);
  ::kill(pid, SIGTERM);
  ASSERT_TRUE(run.console.waitForFinished(10000));
  run.sim.terminate();
  run.sim.waitForFinished(3000);
}

// kill -9 in the middle of logging: the log holds only whole lines, and
// every line written a wait time before the kill is still there (nothing
// waits in a buffer the kill would lose).
TEST(ConsoleProcessTest, KillNineLeavesOnlyWholeLinesAndEveryEarlierPass) {
  ConsoleRun run;
  ASSERT_TRUE(run.Start({"--tcp", "0", "--rate", "200", "--reads-per-pass", "2", "--tags", "120"},
                        "[FILES]\nFilteredFileName=tags.log\nWriteFiltered=1\n"
                        "[MODE]\nWaitTime=100\n"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return run.Lines() >= 100; }, 15000)) << run.Lines();
  const QByteArray early = ReadAll(run.log);
  QTest::qWait(200);  // more than the wait time, still logging
  ::kill(static_cast<pid_t>(run.console.processId()), SIGKILL);
  ASSERT_TRUE(run.console.waitForFinished(5000));
  EXPECT_EQ(run.console.exitStatus(), QProcess::CrashExit);

  const QByteArray logged = ReadAll(run.log);
  EXPECT_GT(logged.size(), early.size());
  EXPECT_TRUE(logged.startsWith(early));
  EXPECT_TRUE(logged.endsWith("\r\n"));
  const QRegularExpression line(R"(^Depot,\S+,\d\d\d\d/\d\d/\d\d,\d\d:\d\d:\d\d\r$)");
  for (const QByteArray& entry : logged.chopped(1).split('\n')) {
    EXPECT_TRUE(line.match(QString::fromLatin1(entry)).hasMatch()) << entry.constData();
  }
  run.sim.terminate();
  run.sim.waitForFinished(3000);
}

}  // namespace
}  // namespace corvalis
