#include "logging/ui/ImportProgressWindow.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>
#include <string>

#include "common/ui/FindNamed.h"
#include "protocol/ReceiveSpine.h"
#include "tags/TagTable.h"
#include "testkit/ReaderLines.h"

namespace corvalis {
namespace {

using testing::ReaderLine;

class ImportProgressWindowTest : public ::testing::Test {
 protected:
  ImportProgressWindowTest() {
    spine_->decoder.SetTagReadSink(table_.get());
    window_.SetPrompts(prompts_);
    prompts_.reportFailure = [this](QWidget*, const QString& title, const QString& text) {
      failure_ = title + ": " + text;
    };
    window_.SetPrompts(prompts_);
  }
  QString Capture(const std::string& bytes) {
    const QString path = dir_.filePath("capture.log");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return path;
  }

  QTemporaryDir dir_;
  ManualClock clock_;
  SilentStatus status_;
  ProtocolSettings settings_;
  std::unique_ptr<ReceiveSpine> spine_ = std::make_unique<ReceiveSpine>(settings_, clock_, status_);
  std::unique_ptr<TagTable> table_ = std::make_unique<TagTable>(clock_);
  ImportProgressWindow window_{nullptr, spine_->dispatcher, *table_, clock_};
  ImportPrompts prompts_;
  QString failure_;
};

TEST_F(ImportProgressWindowTest, ReplaysTheChosenFileAndEndsAtOneHundredPercent) {
  const QString path = Capture(ReaderLine(1, 0x41, 0) + "# note\r\n" + ReaderLine(1, 0x42, 0));
  prompts_.chooseFile = [path](QWidget*) { return path; };
  window_.SetPrompts(prompts_);
  window_.ImportLogFile();
  EXPECT_EQ(table_->SeenLength(), 2);
  EXPECT_EQ(window_.LastSummary().comments, 1);
  EXPECT_EQ(testing::FindNamed<QLabel>(window_, "lblLineNo")->text(), "Line: 3");
  EXPECT_EQ(testing::FindNamed<QProgressBar>(window_, "cgLoadLogFileProgress")->value(), 100);
  EXPECT_FALSE(window_.isVisible());
  EXPECT_FALSE(window_.Running());
}

TEST_F(ImportProgressWindowTest, BadPathIsAnOpenFailure) {
  EXPECT_EQ(window_.ReplayLogFile("/nonexistent/capture.log"), 1);
  EXPECT_EQ(failure_, "Open Failure: Unable to open /nonexistent/capture.log for reading");
  EXPECT_EQ(table_->ReadsSeen(0), 0);
}

TEST_F(ImportProgressWindowTest, StopEndsAfterTheCurrentRecordAndPauseTogglesItsCaption) {
  std::string lines;
  for (int tag = 0; tag < 50; ++tag) lines += ReaderLine(1, static_cast<uint8_t>(tag), 0);
  const QString path = Capture(lines);
  int starts = 0;
  QObject::connect(&window_, &ImportProgressWindow::runningChanged, [&](bool running) {
    if (!running) return;
    ++starts;
    // Events run between records: pause, try a second import, then stop.
    QTimer::singleShot(0, [&] {
      testing::FindNamed<QPushButton>(window_, "btnPause")->click();
      EXPECT_EQ(testing::FindNamed<QPushButton>(window_, "btnPause")->text(), "Resume");
      EXPECT_EQ(window_.ReplayLogFile(path), 0);  // refused while running
      QTimer::singleShot(0, [&] { testing::FindNamed<QPushButton>(window_, "btnStop")->click(); });
    });
  });
  EXPECT_EQ(window_.ReplayLogFile(path), 0);
  EXPECT_EQ(starts, 1);
  EXPECT_TRUE(window_.LastSummary().stopped);
  EXPECT_LT(table_->ReadsSeen(0), 50);
  EXPECT_GE(table_->ReadsSeen(0), 1);
  EXPECT_EQ(testing::FindNamed<QPushButton>(window_, "btnPause")->text(), "Pause");
}

}  // namespace
}  // namespace corvalis
