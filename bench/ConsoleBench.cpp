// The whole console as its own process, as a site runs it: its CPU with four
// busy readers, and its memory while a peer floods it with random bytes. Only
// the console process is measured, from the system's process table, so
// whatever else runs on the machine does not count.
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

#include "testkit/ConsoleRun.h"

namespace corvalis {
namespace {

const QByteArray kLogging = "[FILES]\nFilteredFileName=tags.log\nWriteFiltered=1\n";

testing::ConsoleRun MakeRun() {
  return testing::ConsoleRun(CORVALIS_EXECUTABLE, READERSIM_EXECUTABLE);
}

int EnvSeconds(const char* name, int fallback) {
  const char* text = std::getenv(name);
  const int value = text != nullptr ? std::atoi(text) : 0;
  return value > 0 ? value : fallback;
}

// Four readers at 1,000 reads/s each, 550 tags passing in five reads, into
// channels 1 to 4 with logging on. Three windows; the median counts.
void BM_ConsoleCpuFourReadersAt1000(benchmark::State& state) {
  for (auto _ : state) {
    testing::ConsoleRun run = MakeRun();
    std::vector<QStringList> readers;
    for (int r = 1; r <= 4; ++r) {
      readers.push_back({"--rate", "1000", "--tags", "550", "--reads-per-pass", "5", "--seed",
                         QString::number(r)});
    }
    const std::vector<int> ports = run.StartSimulators(readers);
    if (ports.size() != 4 || !run.StartConsole(ports, kLogging)) {
      state.SkipWithError("the simulators or the console did not start");
      return;
    }
    std::this_thread::sleep_for(std::chrono::seconds(4));  // connected, field busy, passes closing
    std::vector<double> percents;
    const auto lines0 = run.Log().count('\n');
    const auto start = std::chrono::steady_clock::now();
    for (int w = 0; w < 3; ++w) {
      const double cpu0 = run.ConsoleFigures().cpuSeconds;
      const auto wall0 = std::chrono::steady_clock::now();
      std::this_thread::sleep_for(std::chrono::seconds(5));
      const double wall =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
      percents.push_back(100.0 * (run.ConsoleFigures().cpuSeconds - cpu0) / wall);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const auto lines = run.Log().count('\n') - lines0;
    const bool running = run.ConsoleRunning();
    run.StopConsole();
    if (!running) {
      state.SkipWithError("the console ended during the run");
      return;
    }
    std::sort(percents.begin(), percents.end());
    state.counters["cpu_percent_4x1000_reads_per_s"] = percents[1];
    state.counters["cpu_percent_min"] = percents.front();
    state.counters["cpu_percent_max"] = percents.back();
    state.counters["passes_logged_per_s"] = static_cast<double>(lines) / seconds;
  }
}
BENCHMARK(BM_ConsoleCpuFourReadersAt1000)->Iterations(1)->Unit(benchmark::kSecond);

// A loopback listener the console connects to; -1 on failure.
int Listen(int& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof addr;
  if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&addr), size) != 0 || ::listen(fd, 1) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &size) != 0) {
    if (fd >= 0) ::close(fd);
    return -1;
  }
  port = ntohs(addr.sin_port);
  return fd;
}

int AcceptWithin(int listener, int ms) {
  pollfd p{listener, POLLIN, 0};
  return ::poll(&p, 1, ms) == 1 ? ::accept(listener, nullptr, nullptr) : -1;
}

// A peer that sends random bytes as fast as loopback and the console allow
// for CORVALIS_FLOOD_SECONDS (30 by default) into channel 1. The figure is
// the console's peak resident memory.
void BM_ConsoleFloodRss(benchmark::State& state) {
  const int seconds = EnvSeconds("CORVALIS_FLOOD_SECONDS", 30);
  for (auto _ : state) {
    testing::ConsoleRun run = MakeRun();
    int port = 0;
    const int listener = Listen(port);
    if (listener < 0 || !run.StartConsole({port}, kLogging)) {
      state.SkipWithError("no listener or the console did not start");
      return;
    }
    const int peer = AcceptWithin(listener, 10000);
    ::close(listener);
    if (peer < 0) {
      state.SkipWithError("the console did not connect");
      return;
    }
    std::vector<char> noise(4 << 20);
    std::mt19937 random(20);
    for (char& c : noise) c = static_cast<char>(random());
    double sentMb = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    size_t at = 0;
    while (std::chrono::steady_clock::now() < end) {
      pollfd p{peer, POLLOUT, 0};
      if (::poll(&p, 1, 100) != 1) continue;
      const size_t piece = std::min<size_t>(256 * 1024, noise.size() - at);
      const ssize_t n = ::send(peer, noise.data() + at, piece, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n < 0) break;  // the console went away
      sentMb += static_cast<double>(n) / 1048576.0;
      at = (at + static_cast<size_t>(n)) % noise.size();
    }
    const testing::ProcessFigures figures = run.ConsoleFigures();
    const bool running = run.ConsoleRunning();
    ::close(peer);
    run.StopConsole();
    if (!running) {
      state.SkipWithError("the console ended during the flood");
      return;
    }
    state.counters["flood_rss_mb"] = figures.peakResidentMb;
    state.counters["flood_mb_per_s"] = sentMb / seconds;
  }
}
BENCHMARK(BM_ConsoleFloodRss)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace corvalis
