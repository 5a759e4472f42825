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

}  // namespace
}  // namespace corvalis
