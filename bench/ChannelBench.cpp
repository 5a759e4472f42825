// The console's channel path against the reader simulator over loopback TCP:
// socket read event, framer, dispatcher, decoder and tag table, with the
// 100 ms tick running as in the program. The simulator runs as its own
// process, so only the console's work is timed.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <ctime>
#include <memory>

#include "app/AppContext.h"

namespace corvalis {
namespace {

QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "corvalis_bench";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* app = QCoreApplication::instance() != nullptr
                                     ? QCoreApplication::instance()
                                     : new QCoreApplication(argc, argv);
  return *app;
}

double ProcessCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// A console with channel 1 connected to a simulator started with `simArgs`.
class SimulatedReader {
 public:
  bool Start(const QStringList& simArgs, bool logging) {
    App();
    sim_.start(READERSIM_EXECUTABLE, QStringList{"--tcp", "0"} + simArgs);
    if (!sim_.waitForStarted(3000)) return false;
    const QRegularExpression listening("listening on 127\\.0\\.0\\.1:(\\d+)");
    QString out;
    QRegularExpressionMatch match;
    while (!(match = listening.match(out)).hasMatch() && sim_.waitForReadyRead(3000)) {
      out += QString::fromLocal8Bit(sim_.readAllStandardOutput());
    }
    if (!match.hasMatch()) return false;
    if (logging) context_->logWriter().StartLogging(dir_.filePath("tags.log").toStdString());
    ChannelSettings s;
    s.port = false;
    s.ipAddress = "127.0.0.1";
    s.ipPort = match.captured(1).toInt();
    context_->channels().ApplySettings(0, s);
    context_->channels().Open(0);
    QObject::connect(&tick_, &QTimer::timeout, [this] { context_->Tick(); });
    tick_.start(100);
    return QTest::qWaitFor([this] { return context_->tagTable().ReadsSeen(0) > 0; }, 3000);
  }
  ~SimulatedReader() {
    tick_.stop();
    context_->channels().CloseAll();
    sim_.terminate();
    sim_.waitForFinished(3000);
  }
  int32_t Reads() const { return context_->tagTable().ReadsSeen(0); }
  int32_t Lost() const { return context_->tagTable().LostReads(0); }

 private:
  QTemporaryDir dir_;
  QProcess sim_;
  SystemClock clock_;
  SilentStatus status_;
  std::unique_ptr<AppContext> context_ = std::make_unique<AppContext>(clock_, status_);
  QTimer tick_;
};

// Runs the event loop for `ms` and returns the reads received meanwhile and
// the console's CPU seconds.
struct Window {
  double seconds;
  double cpuSeconds;
  int32_t reads;
};
Window Measure(SimulatedReader& reader, int ms) {
  QElapsedTimer wall;
  const int32_t readsBefore = reader.Reads();
  const double cpuBefore = ProcessCpuSeconds();
  wall.start();
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
  return {static_cast<double>(wall.nsecsElapsed()) * 1e-9, ProcessCpuSeconds() - cpuBefore,
          reader.Reads() - readsBefore};
}

// Top rate: the simulator's highest --rate, with tags that never leave the
// field so the rate holds. The simulator caps it at 10,000 reads/s, so the
// console's capacity is also given as reads per CPU second.
void BM_TcpChannelTopRate(benchmark::State& state) {
  for (auto _ : state) {
    SimulatedReader reader;
    if (!reader.Start({"--rate", "10000", "--tags", "1000", "--reads-per-pass", "1000"}, false)) {
      state.SkipWithError("the simulator did not stream");
      return;
    }
    Measure(reader, 300);  // let both sides settle
    const Window w = Measure(reader, 2000);
    state.counters["tcp_lines_per_s"] = static_cast<double>(w.reads) / w.seconds;
    state.counters["tcp_cpu_percent"] = 100.0 * w.cpuSeconds / w.seconds;
    state.counters["tcp_lines_per_cpu_s"] = static_cast<double>(w.reads) / w.cpuSeconds;
  }
}
BENCHMARK(BM_TcpChannelTopRate)->Iterations(1)->Unit(benchmark::kMillisecond);

// A fast real reader: 1,500 reads/s of tags passing in and out of the field,
// passes closing and logged.
void BM_TcpChannelCpuAt1500(benchmark::State& state) {
  for (auto _ : state) {
    SimulatedReader reader;
    if (!reader.Start({"--rate", "1500", "--tags", "1000", "--reads-per-pass", "5"}, true)) {
      state.SkipWithError("the simulator did not stream");
      return;
    }
    Measure(reader, 1000);
    const Window w = Measure(reader, 3000);
    state.counters["cpu_percent_at_1500_reads_per_s"] = 100.0 * w.cpuSeconds / w.seconds;
    state.counters["reads_per_s"] = static_cast<double>(w.reads) / w.seconds;
    if (reader.Lost() != 0) state.SkipWithError("reads were lost");
  }
}
BENCHMARK(BM_TcpChannelCpuAt1500)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvalis
