// Passes published per second to a local mosquitto at QoS 1: from the
// moment the first pass is handed over until the broker has acknowledged
// the last one and the disk queue is empty.
#include <benchmark/benchmark.h>
#include <pwd.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <thread>

#include "common/Clock.h"
#include "mqtt/MqttPublisher.h"

namespace corvalis {
namespace {

constexpr int kPasses = 50000;

bool WaitFor(const auto& done, std::chrono::seconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

void BM_MqttPasses(benchmark::State& state) {
  QTemporaryDir dir;
  int port = 0;
  {
    QTcpServer probe;
    if (probe.listen(QHostAddress::LocalHost, 0)) port = probe.serverPort();
  }
  QByteArray config = "listener " + QByteArray::number(port) + " 127.0.0.1\nallow_anonymous true\n";
  if (const passwd* me = getpwuid(getuid())) config += QByteArray("user ") + me->pw_name + "\n";
  QFile file(dir.filePath("broker.conf"));
  if (!file.open(QIODevice::WriteOnly)) return state.SkipWithError("no broker config");
  file.write(config);
  file.close();
  QProcess broker;
  broker.setStandardOutputFile(QProcess::nullDevice());
  broker.setStandardErrorFile(QProcess::nullDevice());
  broker.start(QStringLiteral(MOSQUITTO_BROKER), {"-c", dir.filePath("broker.conf")});
  if (!broker.waitForStarted(5000)) return state.SkipWithError("mosquitto did not start");

  SystemClock clock;
  MqttPublisher publisher(clock);
  MqttSettings settings;
  settings.enabled = true;
  settings.host = "127.0.0.1";
  settings.port = port;
  settings.clientId = "bench";
  settings.qos = 1;
  publisher.Start(settings, "Depot", dir.filePath("queue").toStdString(), kPasses + 1);
  if (!WaitFor([&] { return publisher.Snapshot().connection == MqttConnection::kConnected; },
               std::chrono::seconds(10))) {
    return state.SkipWithError("no connection to the broker");
  }
  TagRecord pass;
  std::snprintf(pass.hexId, sizeof pass.hexId, "3031323334353641");
  pass.count = 3;
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    for (int n = 0; n < kPasses; ++n) {
      pass.firstSeenMs = n % 1000;
      publisher.PassCompleted({pass, "Gate 3 lorry", "Depot"});
    }
    if (!WaitFor([&] { return publisher.Snapshot().queued == 0; }, std::chrono::seconds(120))) {
      return state.SkipWithError("passes were not acknowledged");
    }
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  publisher.Stop();
  broker.terminate();
  broker.waitForFinished(5000);
  state.counters["mqtt_passes_per_s"] =
      static_cast<double>(kPasses) * static_cast<double>(state.iterations()) / seconds;
}
BENCHMARK(BM_MqttPasses)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvalis
