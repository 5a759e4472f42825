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

  for (int channel = 0; channel < kReaderChannelCount; ++channel) {
    if (!context_.recordings.Open(channel, workingDir.toStdString())) {
      problems_.append({QStringLiteral("File Open Error"),
                        QStringLiteral("Unable to re-open \"%1\" for appending\n")
                            .arg(QString::fromStdString(RecordingFiles::FileName(channel)))});
    }
  }

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
