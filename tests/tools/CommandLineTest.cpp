#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

namespace corvalis {
namespace {

struct Outcome {
  int exitCode = -1;
  QByteArray out;
  QByteArray err;
};

// Runs `program` in a fresh folder with no display at all, so a program that
// touched the window system for --help or --version would fail.
Outcome RunProgram(const QString& program, const QStringList& args, const QString& workingDir) {
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("DISPLAY");
  env.remove("WAYLAND_DISPLAY");
  env.insert("QT_QPA_PLATFORM", "xcb");
  process.setProcessEnvironment(env);
  process.setWorkingDirectory(workingDir);
  process.start(program, args);
  Outcome outcome;
  if (!process.waitForFinished(10000)) {
    process.kill();
    process.waitForFinished();
    return outcome;
  }
  outcome.out = process.readAllStandardOutput();
  outcome.err = process.readAllStandardError();
  if (process.exitStatus() == QProcess::NormalExit) outcome.exitCode = process.exitCode();
  return outcome;
}

struct Program {
  const char* name;
  const char* path;
};

const Program kPrograms[] = {
    {"corvalis", CORVALIS_EXECUTABLE},
    {"corvalis-readersim", READERSIM_EXECUTABLE},
    {"corvalis-script", CORVALIS_SCRIPT_EXECUTABLE},
    {"corvalis-replay", CORVALIS_REPLAY_EXECUTABLE},
};

// --help and --version answer on standard output with exit status 0, ahead
// of what follows them, and do nothing else: the console opens no window and
// leaves no error file, the tools open no link, script or capture.
TEST(CommandLineTest, HelpAndVersionAnswerAndExitZero) {
  for (const Program& program : kPrograms) {
    SCOPED_TRACE(program.name);
    QTemporaryDir dir;
    const Outcome version = RunProgram(program.path, {"--version"}, dir.path());
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, QByteArray(program.name) + " " CORVALIS_VERSION "\n");
    EXPECT_TRUE(version.err.isEmpty()) << version.err.constData();

    const Outcome help = RunProgram(program.path, {"--help", "-i=other.ini"}, dir.path());
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: " + QByteArray(program.name) + " "))
        << help.out.constData();
    EXPECT_TRUE(help.out.contains("--version"));
    EXPECT_TRUE(help.err.isEmpty()) << help.err.constData();
    EXPECT_TRUE(QDir(dir.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot))
        << QDir(dir.path())
               .entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
               .join(' ')
               .toStdString();
  }
}

// The tools reject what they do not know with a reason and exit status 2;
// the console still ignores other arguments.
TEST(CommandLineTest, ToolsRejectUnknownOptionsWithStatusTwo) {
  QTemporaryDir dir;
  for (const Program& program : kPrograms) {
    if (QByteArray(program.name) == "corvalis") continue;
    SCOPED_TRACE(program.name);
    const Outcome bad = RunProgram(program.path, {"--no-such-option"}, dir.path());
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(bad.out.isEmpty()) << bad.out.constData();
    EXPECT_TRUE(bad.err.startsWith(QByteArray(program.name) + ": unknown option --no-such-option"))
        << bad.err.constData();
  }
  const Outcome console =
      RunProgram(CORVALIS_EXECUTABLE, {"--no-such-option", "--version"}, dir.path());
  EXPECT_EQ(console.exitCode, 0);
  EXPECT_EQ(console.out, "corvalis " CORVALIS_VERSION "\n");
}

}  // namespace
}  // namespace corvalis
