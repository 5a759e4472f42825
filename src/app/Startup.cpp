#include "app/Startup.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

#include "app/AppContext.h"
#include "app/ComboHistory.h"
#include "app/SettingsBinding.h"

namespace corvalis {

int NormaliseWaitTime(int waitTime) {
  if (waitTime >= 0 && waitTime < 10) return 10;
  if (waitTime < 0 && waitTime > -10) return -10;
  return waitTime;
}

void RedirectErrorStream(const QString& workingDir) {
  const QString path = QDir(workingDir).filePath(QStringLiteral("ERRROR.FIL"));
  if (std::freopen(QFile::encodeName(path).constData(), "w", stderr) == nullptr) return;
  std::setvbuf(stderr, nullptr, _IONBF, 0);
}

void AppSession::Start(const QString& workingDir, const QStringList& arguments,
                       const std::function<bool(const QString&)>& retryRecording) {
  location_ = ResolveSettingsLocation(workingDir, arguments);
  context_.status().DebugLog(location_.memoLine.toStdString());
  settings_.applicationDir = location_.applicationDir;
  if (!LoadIniSettings(location_.path, settings_)) {
    AddProblem(QStringLiteral("Open Failure"),
               QStringLiteral("Unable to open %1 for reading").arg(location_.path));
  }
  LoadComboHistories(location_.path, settings_);
  settings_.SetInteger(Setting::WaitTime, NormaliseWaitTime(settings_.Integer(Setting::WaitTime)));
  context_.ApplySettings(settings_);

  for (int channel = 0; channel < kReaderChannelCount; ++channel) {
    bool open = context_.recordings().Open(channel, workingDir.toStdString());
    const QString name = QString::fromStdString(RecordingFiles::FileName(channel));
    while (!open && retryRecording && retryRecording(name)) {
      open = context_.recordings().Open(channel, workingDir.toStdString());
    }
    if (!open && !retryRecording) {
      AddProblem(QStringLiteral("File Open Error"),
                 QStringLiteral("Unable to re-open \"%1\" for appending\n")
                     .arg(QString::fromStdString(RecordingFiles::FileName(channel))));
    }
  }

  context_.tagNames().Clear();
  const QString names =
      ResolveStoredPath(settings_.String(Setting::RegistrationFileName), location_.applicationDir);
  if (!names.isEmpty() && QFileInfo::exists(names)) {
    context_.tagNames().ReadTagNameFile(names.toStdString(), settings_.RegenerateCrcSeed());
  }

  const LogOpenResult log = context_.logWriter().OpenAtStartup();
  if (!log.ok) {
    settings_.SetBool(Setting::WriteFiltered, false);
    AddProblem(QString::fromStdString(log.title), QString::fromStdString(log.message));
  }

  const QFileInfo settingsFile(location_.path);
  const QString queueFolder =
      settingsFile.absolutePath() + "/" + settingsFile.completeBaseName() + ".mqtt-queue";
  if (!context_.StartMqtt(MqttSettingsFrom(settings_), queueFolder.toStdString())) {
    AddProblem(QStringLiteral("MQTT"), QString::fromStdString(context_.mqtt().Snapshot().text));
  }

  context_.channels().SetSettingsPath(location_.path);
  context_.channels().Start();
  started_ = true;
}

// The box may find nobody to read it: the error stream keeps a trace.
void AppSession::AddProblem(const QString& title, const QString& text) {
  problems_.append({title, text});
  std::fprintf(stderr, "%s: %s\n", title.toLocal8Bit().constData(),
               text.trimmed().toLocal8Bit().constData());
}

bool AppSession::Shutdown(const std::function<void(int)>& progress) {
  if (!started_) return true;
  started_ = false;
  context_.channels().CloseAll();
  context_.mqtt().Stop();
  context_.StoreSettings(settings_);
  bool saved = SaveIniSettings(location_.path, settings_, progress);
  context_.channels().SaveSections();
  // The drop-downs whose histories the settings save leaves to the end.
  const struct {
    const char* combo;
    int gauge;
  } kLastHistories[] = {
      {"cmbDownloadFilename", 85}, {"cmbSendOwnText", 90}, {"cmbRTFilename", 100}};
  for (const auto& history : kLastHistories) {
    const QString name = QString::fromLatin1(history.combo);
    saved = SaveComboHistory(location_.path, name, settings_.History(name)) && saved;
    if (progress) progress(history.gauge);
  }
  return saved;
}

}  // namespace corvalis
