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

#include <array>
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

// Starts a simulator on a free loopback port; its port, or 0.
int StartSimulator(QProcess& sim, const QStringList& simArgs) {
  sim.start(READERSIM_EXECUTABLE, QStringList{"--tcp", "0"} + simArgs);
  if (!sim.waitForStarted(3000)) return 0;
  const QRegularExpression listening("listening on 127\\.0\\.0\\.1:(\\d+)");
  QString out;
  QRegularExpressionMatch match;
  while (!(match = listening.match(out)).hasMatch() && sim.waitForReadyRead(3000)) {
    out += QString::fromLocal8Bit(sim.readAllStandardOutput());
  }
  return match.hasMatch() ? match.captured(1).toInt() : 0;
}

void ConnectChannel(AppContext& context, int channel, int port) {
  ChannelSettings s;
  s.port = false;
  s.ipAddress = "127.0.0.1";
  s.ipPort = port;
  context.channels().ApplySettings(channel, s);
  context.channels().Open(channel);
}

void StopSimulator(QProcess& sim) {
  sim.terminate();
  sim.waitForFinished(3000);
}

// A console with channel 1 connected to a simulator started with `simArgs`.
class SimulatedReader {
 public:
  bool Start(const QStringList& simArgs, bool logging) {
    App();
    const int port = StartSimulator(sim_, simArgs);
    if (port == 0) return false;
    if (logging) context_->logWriter().StartLogging(dir_.filePath("tags.log").toStdString());
    ConnectChannel(*context_, 0, port);
    QObject::connect(&tick_, &QTimer::timeout, [this] { context_->Tick(); });
    tick_.start(100);
    return QTest::qWaitFor([this] { return context_->tagTable().ReadsSeen(0) > 0; }, 3000);
  }
  ~SimulatedReader() {
    tick_.stop();
    context_->channels().CloseAll();
    StopSimulator(sim_);
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

// Tag lines as the dispatcher sees them, before decoding; replies left out.
class TagLineCounter final : public MessageObserver {
 public:
  void ObserveMessage(int channel, const char* text, int length) override {
    if (channel < 0 || channel >= kReaderChannelCount) return;
    if (length >= 2 && text[0] == 'a' && text[1] == 'b') return;
    ++lines_[static_cast<size_t>(channel)];
  }
  int64_t Lines(int channel) const { return lines_[static_cast<size_t>(channel)]; }

 private:
  std::array<int64_t, kReaderChannelCount> lines_{};
};

// Four readers over loopback TCP, each sending as fast as the console takes
// its lines, into channels 1 to 4 of one console. Only decoded reads count;
// a line that did not decode or a read the tag table lost fails the run.
void BM_TcpFourChannelsUnlimited(benchmark::State& state) {
  for (auto _ : state) {
    App();
    SystemClock clock;
    SilentStatus status;
    auto context = std::make_unique<AppContext>(clock, status);
    TagLineCounter lineCounter;
    context->dispatcher().AddObserver(&lineCounter);
    std::array<QProcess, kReaderChannelCount> sims;
    bool started = true;
    for (int ch = 0; ch < kReaderChannelCount; ++ch) {
      const int port = StartSimulator(sims[static_cast<size_t>(ch)],
                                      {"--rate", "max", "--tags", "1000", "--reads-per-pass",
                                       "1000", "--seed", QString::number(ch + 1)});
      if (port == 0) {
        started = false;
        break;
      }
      ConnectChannel(*context, ch, port);
    }
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { context->Tick(); });
    tick.start(100);
    auto reads = [&] {
      int64_t total = 0;
      for (int ch = 0; ch < kReaderChannelCount; ++ch) total += context->tagTable().ReadsSeen(ch);
      return total;
    };
    auto everyChannelReads = [&] {
      for (int ch = 0; ch < kReaderChannelCount; ++ch) {
        if (context->tagTable().ReadsSeen(ch) == 0) return false;
      }
      return true;
    };
    if (started) started = QTest::qWaitFor(everyChannelReads, 5000);
    if (started) {
      QTest::qWait(300);  // let every side settle
      QElapsedTimer wall;
      const int64_t before = reads();
      wall.start();
      QEventLoop loop;
      QTimer::singleShot(2000, &loop, &QEventLoop::quit);
      loop.exec();
      const double seconds = static_cast<double>(wall.nsecsElapsed()) * 1e-9;
      state.counters["tcp_lines_per_s_4_channels"] =
          static_cast<double>(reads() - before) / seconds;
    }
    tick.stop();
    context->channels().CloseAll();
    for (QProcess& sim : sims) StopSimulator(sim);
    if (!started) {
      state.SkipWithError("the simulators did not stream");
      return;
    }
    context->dispatcher().RemoveObserver(&lineCounter);
    int64_t lost = 0;
    int64_t misses = 0;
    for (int ch = 0; ch < kReaderChannelCount; ++ch) {
      lost += context->tagTable().LostReads(ch);
      misses += lineCounter.Lines(ch) - context->tagTable().ReadsSeen(ch);
    }
    state.counters["lost_reads"] = static_cast<double>(lost);
    state.counters["misses"] = static_cast<double>(misses);
    if (lost != 0) state.SkipWithError("reads were lost");
    if (misses != 0) state.SkipWithError("tag lines did not decode");
  }
}
BENCHMARK(BM_TcpFourChannelsUnlimited)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvalis
