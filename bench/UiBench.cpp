// The main window's own figures: one 100 ms tick with a full Tags Seen grid,
// and the CPU an idle console takes with five channels open.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTableWidget>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/AppContext.h"
#include "app/MemoStatus.h"
#include "app/Startup.h"
#include "app/ui/MainWindow.h"
#include "channels/ChannelSettings.h"
#include "tags/ui/TagsSeenPage.h"

namespace corvalis {
namespace {

// A console on a temporary settings file whose channel sections the caller
// writes first.
struct BenchConsole {
  explicit BenchConsole(const QString& dir) {
    session.Start(dir, {"corvalis", "-i=" + QString(dir) + "/Corvalis.ini"},
                  [](const QString&) { return false; });
    window = std::make_unique<MainWindow>(session, context, status);
    window->SetMessageBoxSink([](QMessageBox::Icon, const QString&, const QString&) {});
  }
  ~BenchConsole() {
    session.Abandon();
    context.channels().CloseAll();
  }
  SystemClock clock;
  MemoStatus status;
  AppContext context{clock, status};
  AppSession session{context};
  std::unique_ptr<MainWindow> window;
};

void WriteAllChannels(const QString& ini, const std::vector<int>& tcpPorts) {
  for (int ch = 0; ch < kChannelCount; ++ch) {
    ChannelSettings s;
    const bool tcp = static_cast<size_t>(ch) < tcpPorts.size();
    s.open = tcp;
    s.port = !tcp;
    s.ipAddress = "127.0.0.1";
    s.ipPort = tcp ? tcpPorts[static_cast<size_t>(ch)] : 5000;
    WriteChannelSettings(ini, ch, s);
  }
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void BM_Timer2Tick32Rows(benchmark::State& state) {
  QTemporaryDir dir;
  WriteAllChannels(dir.filePath("Corvalis.ini"), {});
  BenchConsole console(dir.path());
  MainWindow& window = *console.window;
  window.resize(1280, 900);
  window.show();
  window.findChild<TagsSeenPage*>(QStringLiteral("TagsSeenPage"))->SetNumToShow(32);
  QCoreApplication::processEvents();

  constexpr int kTags = 32;
  std::array<TagRead, kTags> reads{};
  std::array<std::array<char, 17>, kTags> names{};
  for (int t = 0; t < kTags; ++t) {
    TagRead& read = reads[static_cast<size_t>(t)];
    for (int b = 0; b < 8; ++b) read.tagBytes[b] = static_cast<uint8_t>(0x30 + b + t * 8);
    std::snprintf(names[static_cast<size_t>(t)].data(), 17, "30313233343536%02x", t);
    read.text = names[static_cast<size_t>(t)].data();
    read.count = 1;
    read.iCount = 1;
  }
  auto feed = [&] {
    const WallTime now = console.clock.Now();
    for (TagRead& read : reads) {
      read.firstSeenSec = read.lastSeenSec = now.sec;
      read.firstSeenMs = read.lastSeenMs = now.ms;
      console.context.tagTable().RecordTagRead(read);
    }
  };
  feed();
  window.Tick();

  double tickMs = 0;
  double paintMs = 0;
  int64_t ticks = 0;
  using Ms = std::chrono::duration<double, std::milli>;
  for (auto _ : state) {
    feed();  // every row's count changes
    const auto start = std::chrono::steady_clock::now();
    window.Tick();
    const auto ticked = std::chrono::steady_clock::now();
    // The changed cells drawn, as the event loop does next.
    QCoreApplication::processEvents();
    const auto painted = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(ticked - start).count());
    tickMs += Ms(ticked - start).count();
    paintMs += Ms(painted - ticked).count();
    ++ticks;
  }
  const double n = ticks > 0 ? static_cast<double>(ticks) : 1.0;
  state.counters["tick_ms_32_rows"] = tickMs / n;
  state.counters["paint_ms_32_rows"] = paintMs / n;
  window.hide();  // Stop would end every later event loop of the process
}
BENCHMARK(BM_Timer2Tick32Rows)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(300);

void BM_IdleConsoleFiveChannels(benchmark::State& state) {
  std::vector<std::unique_ptr<QTcpServer>> servers;
  std::vector<int> ports;
  for (int ch = 0; ch < kChannelCount; ++ch) {
    auto server = std::make_unique<QTcpServer>();
    server->listen(QHostAddress::LocalHost);
    ports.push_back(server->serverPort());
    servers.push_back(std::move(server));
  }
  QTemporaryDir dir;
  WriteAllChannels(dir.filePath("Corvalis.ini"), ports);
  BenchConsole console(dir.path());
  console.window->show();
  QTest::qWait(1000);  // connected and settled
  int open = 0;
  for (int ch = 0; ch < kChannelCount; ++ch) open += console.context.channels().IsOpen(ch) ? 1 : 0;

  double percent = 0;
  for (auto _ : state) {
    const double cpu0 = CpuSeconds();
    const auto wall0 = std::chrono::steady_clock::now();
    // A plain event loop: the console's own timers and sockets only.
    QEventLoop loop;
    QTimer::singleShot(4000, &loop, &QEventLoop::quit);
    loop.exec();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    percent = 100.0 * (CpuSeconds() - cpu0) / wall;
    if (wall < 3.0) state.SkipWithError("the event loop did not run its four seconds");
  }
  state.counters["idle_cpu_percent"] = percent;
  state.counters["channels_open"] = open;
  console.window->hide();
}
BENCHMARK(BM_IdleConsoleFiveChannels)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvalis
