#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <string>

#include "common/StatusReporter.h"

namespace corvalis {

// The status texts of the running program: the last error, the purged count
// and the most recent comms-message lines, for the main window to show.
class MemoStatus final : public StatusReporter {
 public:
  explicit MemoStatus(int keepLines = 8) : keep_(keepLines) {}

  void SetLastError(std::string_view text) override { lastError = QString::fromUtf8(text); }
  void SetPurgedText(std::string_view text) override { purged = QString::fromUtf8(text); }
  void DebugLog(std::string_view text) override {
    if (lines.size() >= keep_) lines.removeFirst();
    lines.append(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    if (lineAdded) lineAdded(lines.last());
  }

  QString lastError;
  QString purged;
  QStringList lines;
  // The Diagnostics tab's memo, once it exists: every new line.
  std::function<void(const QString&)> lineAdded;

 private:
  qsizetype keep_;
};

}  // namespace corvalis
