#include "common/SignalWatcher.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace corvalis {
namespace {

int gPipe[2] = {-1, -1};

void OnSignal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(gPipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

SignalWatcher::~SignalWatcher() {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool SignalWatcher::Install(std::string& error) {
  if (::pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    error = std::string("pipe: ") + std::strerror(errno);
    return false;
  }
  notifier_ = std::make_unique<QSocketNotifier>(gPipe[0], QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, &SignalWatcher::OnPipe);

  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  // A client that vanishes mid-write must not kill the process.
  std::signal(SIGPIPE, SIG_IGN);
  return true;
}

void SignalWatcher::OnPipe() {
  char drain[16];
  while (::read(gPipe[0], drain, sizeof drain) > 0) {
  }
  emit Stop();
}

}  // namespace corvalis
