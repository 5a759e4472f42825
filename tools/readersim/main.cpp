// corvalis-readersim: a stand-in reader for demos, tests and benchmarks.

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <string>
#include <vector>

#include "Links.h"
#include "Options.h"
#include "Simulator.h"
#include "common/Clock.h"
#include "common/ProgramInfo.h"
#include "common/SignalWatcher.h"

namespace corvalis::readersim {
namespace {

constexpr int kUsageError = 2;

int Fail(const std::string& message) {
  std::fprintf(stderr, "corvalis-readersim: %s\n", message.c_str());
  return kUsageError;
}

// Unlimited streaming writes big chunks of whole reads while the link holds
// less than the backlog limit; the socket's progress is the only pacing.
constexpr qint64 kUnlimitedBacklog = 256 * 1024;
constexpr size_t kUnlimitedChunkBytes = 64 * 1024;
// Writes per wake-up, so commands are still answered in good time.
constexpr int kUnlimitedChunksPerPoll = 8;
constexpr int kUnlimitedPollMs = 1;

// Moves bytes between the link and the simulator and wakes it for due reads.
class Host final : public QObject {
 public:
  Host(Simulator& sim, Link& link, Link* otherLink, bool unlimited, int onlyAtBaud)
      : sim_(sim),
        link_(link),
        otherLink_(otherLink),
        unlimited_(unlimited),
        onlyAtBaud_(onlyAtBaud) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] {
      sim_.Poll(chunks_);
      if (unlimited_) TopUp();
      Send();
    });
    connect(&link_, &Link::ClientArrived, this, [this] {
      sim_.StartStream();
      Send();
    });
    connect(&link_, &Link::ClientLeft, this, [this] {
      sim_.StopStream();
      Send();
    });
    connect(&link_, &Link::BytesReceived, this, [this](const QByteArray& bytes) {
      // At another speed a real UART hears only garbage.
      if (onlyAtBaud_ > 0 && link_.LineBaud() != onlyAtBaud_) return;
      const bool wasLoading = sim_.InLoader();
      sim_.Receive(bytes.constData(), static_cast<size_t>(bytes.size()), chunks_);
      if (sim_.InLoader()) ReportBaud();
      if (wasLoading && !sim_.InLoader()) ReportImage();
      Send();
    });
  }

 private:
  // The loader's side of a download: the line speed the console set, and
  // what the loader holds once it is done.
  void ReportBaud() {
    const int baud = link_.LineBaud();
    if (baud <= 0 || baud == reportedBaud_) return;
    reportedBaud_ = baud;
    std::printf("baud %d\n", baud);
    std::fflush(stdout);
  }
  void ReportImage() {
    BootLoader& loader = sim_.Loader();
    std::printf("loaded %d records, %zu bytes, digest %08x\n", loader.RecordsAccepted(),
                loader.Image().size(), static_cast<unsigned>(ImageDigest(loader.Image())));
    std::fflush(stdout);
    reportedBaud_ = 0;
  }

  void TopUp() {
    for (int i = 0; i < kUnlimitedChunksPerPoll && link_.Backlog() < kUnlimitedBacklog; ++i) {
      if (!sim_.PollUnlimited(kUnlimitedChunkBytes, chunks_)) break;
      for (const std::string& chunk : chunks_) link_.Write(chunk);
      chunks_.clear();
    }
  }

  void Send() {
    for (const std::string& chunk : chunks_) link_.Write(chunk);
    chunks_.clear();
    sim_.TakeOtherChannel(chunks_);
    // Without a second link the other channel's replies are lost, like
    // answers on a port nobody listens to.
    if (otherLink_ != nullptr)
      for (const std::string& chunk : chunks_) otherLink_->Write(chunk);
    chunks_.clear();
    int64_t wait = sim_.MsUntilNextPoll();
    // Unlimited reads are always due: poll once a millisecond, not in a spin.
    if (unlimited_ && wait == 0) wait = kUnlimitedPollMs;
    if (wait < 0) {
      timer_.stop();
    } else {
      timer_.start(static_cast<int>(wait));
    }
  }

  Simulator& sim_;
  Link& link_;
  Link* otherLink_;
  bool unlimited_;
  int onlyAtBaud_;
  QTimer timer_;
  std::vector<std::string> chunks_;
  int reportedBaud_ = 0;
};

// "--display-sink": what the console sends becomes one printed line per
// frame; nothing is sent back.
class SinkHost final : public QObject {
 public:
  SinkHost(SinkKind kind, Link& link) : sink_(kind) {
    connect(&link, &Link::BytesReceived, this, [this](const QByteArray& bytes) {
      lines_.clear();
      sink_.Receive(bytes.constData(), static_cast<size_t>(bytes.size()), lines_);
      for (const std::string& line : lines_) std::printf("%s\n", line.c_str());
      std::fflush(stdout);
    });
  }

 private:
  DisplaySink sink_;
  std::vector<std::string> lines_;
};

int Run(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const std::vector<std::string> args(argv + 1, argv + argc);
  const ParseResult parsed = ParseOptions(args);
  if (parsed.help) {
    std::fputs(UsageText().c_str(), stdout);
    return 0;
  }
  if (parsed.version) {
    std::fputs(VersionLine("corvalis-readersim").c_str(), stdout);
    return 0;
  }
  if (!parsed.error.empty()) return Fail(parsed.error + " (see --help)");
  const Options& options = parsed.options;

  SignalWatcher stopSignals;
  std::string error;
  if (!stopSignals.Install(error)) return Fail(error);
  QObject::connect(&stopSignals, &SignalWatcher::Stop, &app, &QCoreApplication::quit);

  std::unique_ptr<Link> link;
  bool connectedFromStart = true;
  if (options.link == LinkKind::kTcp) {
    auto tcp = std::make_unique<TcpLink>();
    if (!tcp->Listen(static_cast<quint16>(options.tcpPort), error)) {
      return Fail("cannot listen on 127.0.0.1:" + std::to_string(options.tcpPort) + ": " + error);
    }
    std::printf("listening on 127.0.0.1:%u\n", static_cast<unsigned>(tcp->Port()));
    link = std::move(tcp);
    connectedFromStart = false;
  } else if (options.link == LinkKind::kPty) {
    std::string path;
    link = FdLink::OpenPty(path, error);
    if (!link) return Fail("cannot create a pty: " + error);
    std::printf("pty: %s\n", path.c_str());
  } else {
    link = FdLink::OpenSerial(options.serialDevice, options.baud, error);
    if (!link) return Fail("cannot open " + error);
    std::printf("serial: %s\n", options.serialDevice.c_str());
  }
  std::fflush(stdout);

  if (options.displaySink != SinkKind::kNone) {
    SinkHost sink(options.displaySink, *link);
    return app.exec();
  }

  std::unique_ptr<TcpLink> otherLink;
  if (options.rwFaults.otherChannel) {
    otherLink = std::make_unique<TcpLink>();
    if (!otherLink->Listen(static_cast<quint16>(options.rwOtherChannelPort), error)) {
      return Fail("cannot listen on 127.0.0.1:" + std::to_string(options.rwOtherChannelPort) +
                  ": " + error);
    }
    std::printf("other channel listening on 127.0.0.1:%u\n",
                static_cast<unsigned>(otherLink->Port()));
    std::fflush(stdout);
  }

  SystemClock clock;
  Simulator sim(options, clock);
  Host host(sim, *link, otherLink.get(), options.unlimited, options.baudOnly ? options.baud : 0);
  if (connectedFromStart) emit link->ClientArrived();
  return app.exec();
}

}  // namespace
}  // namespace corvalis::readersim

int main(int argc, char** argv) {
  return corvalis::readersim::Run(argc, argv);
}
