#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <string_view>

#include "common/StatusReporter.h"

namespace corvalis {

// The status texts of the running program: the last error, the purged count
// and the comms-message lines, for the main window to show.
class MemoStatus final : public StatusReporter {
 public:
  explicit MemoStatus(int keepLines = 8) : keep_(keepLines) {}

  void SetLastError(std::string_view text) override { lastError = QString::fromUtf8(text); }
  void SetPurgedText(std::string_view text) override { purged = QString::fromUtf8(text); }
  void DebugLog(std::string_view text) override {
    // Busy readers bring thousands of lines a second: once the memo takes
    // them they go there as they are, not through a copy held here too.
    if (lineAdded) {
      lineAdded(text);
      return;
    }
    if (lines.size() >= keep_) lines.removeFirst();
    lines.append(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
  }

  QString lastError;
  QString purged;
  // The lines that came while nobody took them.
  QStringList lines;
  // The Diagnostics tab's memo, once it exists: every new line.
  std::function<void(std::string_view)> lineAdded;

 private:
  qsizetype keep_;
};

}  // namespace corvalis
