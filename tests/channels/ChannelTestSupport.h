#pragma once

#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>
#include <string>

#include "app/AppContext.h"
#include "app/ChannelSettings.h"
#include "protocol/TagMessageEncoder.h"
#include "support/RecordingStatus.h"

namespace corvalis::testing {

// A reader's line in the default format for tag `last`, stamped 2026-12-08
// 10:20:30 plus `hundredths`.
inline std::string ReaderLine(int readerId, uint8_t last, int hundredths, int iCount = 2) {
  TagMessageFields fields;
  fields.readerId = readerId;
  const uint8_t id[8] = {0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, last};
  std::copy(id, id + 8, fields.id);
  fields.iCount = iCount;
  fields.qCount = 1;
  fields.year = 26;
  fields.month = 12;
  fields.day = 8;
  fields.hour = 10;
  fields.minute = 20;
  fields.second = 30;
  fields.hundredths = hundredths;
  char line[128];
  const int n = EncodeFormatMessage(MessageFormat{}, fields, line, sizeof line);
  return std::string(line, static_cast<size_t>(n)) + "\r\n";
}

// A console on a temporary settings file: every channel closed unless a test
// writes its section first.
class ConsoleFixture {
 public:
  ConsoleFixture() {
    iniPath = dir.filePath("Corvalis.ini");
    for (int ch = 0; ch < kChannelCount; ++ch) {
      ChannelSettings closed;
      closed.open = false;
      WriteChannelSettings(iniPath, ch, closed);
    }
    context->channels.SetSettingsPath(iniPath);
  }

  void WriteSection(int channel, const ChannelSettings& settings) {
    WriteChannelSettings(iniPath, channel, settings);
  }
  std::string LogText() const {
    QFile file(dir.filePath("tags.log"));
    if (!file.open(QIODevice::ReadOnly)) return "<missing>";
    return file.readAll().toStdString();
  }
  bool StartLog() {
    return context->logWriter.StartLogging(dir.filePath("tags.log").toStdString()).ok;
  }
  void TicksFor(int ms) {
    for (int t = 0; t < ms / 100; ++t) {
      clock.AdvanceMs(100);
      context->Tick();
    }
  }
  bool Logged(const std::string& line) const {
    return std::find(status.debugLines.begin(), status.debugLines.end(), line) !=
           status.debugLines.end();
  }
  bool LoggedPrefix(const std::string& prefix) const {
    return std::any_of(status.debugLines.begin(), status.debugLines.end(),
                       [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
  }

  QTemporaryDir dir;
  QString iniPath;
  ManualClock clock{WallTime{1'796'000'000, 0}};
  RecordingStatus status;
  std::unique_ptr<AppContext> context = std::make_unique<AppContext>(clock, status);
};

}  // namespace corvalis::testing
