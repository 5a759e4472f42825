#include "app/Startup.h"

#include <QFileInfo>

#include "app/AppContext.h"

namespace corvalis {

void AppSession::Start(const QString& workingDir, const QStringList& arguments) {
  location_ = ResolveSettingsLocation(workingDir, arguments);
  context_.status.DebugLog(location_.memoLine.toStdString());
  settings_.applicationDir = location_.applicationDir;
  if (!LoadIniSettings(location_.path, settings_)) {
    problems_.append({QStringLiteral("Open Failure"),
                      QStringLiteral("Unable to open %1 for reading").arg(location_.path)});
  }
  LoadComboHistories(location_.path, settings_);
  context_.ApplySettings(settings_);

  context_.tagNames.Clear();
  const QString names =
      ResolveStoredPath(settings_.String(Setting::RegistrationFileName), location_.applicationDir);
  if (!names.isEmpty() && QFileInfo::exists(names)) {
    context_.tagNames.ReadTagNameFile(names.toStdString(), settings_.RegenerateCrcSeed());
  }

  const LogOpenResult log = context_.logWriter.OpenAtStartup();
  if (!log.ok) {
    settings_.SetBool(Setting::WriteFiltered, false);
    problems_.append({QString::fromStdString(log.title), QString::fromStdString(log.message)});
  }

  context_.channels.SetSettingsPath(location_.path);
  context_.channels.Start();
  started_ = true;
}

void AppSession::Shutdown() {
  if (!started_) return;
  started_ = false;
  context_.channels.CloseAll();
  context_.StoreSettings(settings_);
  SaveIniSettings(location_.path, settings_);
  context_.channels.SaveSections();
}

}  // namespace corvalis

#include <QCoreApplication>
#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>
#include <csignal>

namespace corvalis {
namespace {

int gSignalPipe[2] = {-1, -1};

void OnTerminationSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(gSignalPipe[1], &byte, 1);
}

}  // namespace

void QuitOnTerminationSignals() {
  if (gSignalPipe[0] >= 0) return;
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, gSignalPipe) != 0) return;
  auto* notifier =
      new QSocketNotifier(gSignalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, [] {
    char byte = 0;
    [[maybe_unused]] const ssize_t n = ::read(gSignalPipe[0], &byte, 1);
    QCoreApplication::quit();
  });
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

}  // namespace corvalis
