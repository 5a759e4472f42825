#include "common/ui/FindNamed.h"
#include "logging/ui/TagLogControls.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <cstring>

#include "logging/ui/SaveFilteredData.h"
#include "support/RecordingStatus.h"
#include "tags/TagTable.h"

namespace corvalis {
namespace {

class TagLogControlsTest : public ::testing::Test {
 protected:
  TagLogControlsTest() : writer_(names_, clock_, status_), table_(clock_) {
    names_.SetAutoRegister(false);
    names_.AppendRow("0123456789abcdef", "Gate 4");
    table_.hooks().nameLookup = &names_;
  }

  // Prompts that answer with `path` and keep what the operator would be told.
  LogFilePrompts Answer(const QString& path) {
    LogFilePrompts prompts;
    prompts.chooseFile = [this, path](QWidget*, const QString& startDir) {
      ++asked_;
      startDir_ = startDir;
      return path;
    };
    prompts.reportFailure = [this](QWidget*, const QString& title, const QString& text) {
      failureTitle_ = title;
      failureText_ = text;
    };
    return prompts;
  }

  QString Log(const char* name) const {
    QFile file(dir_.filePath(name));
    if (!file.open(QIODevice::ReadOnly)) return "<missing>";
    return QString::fromUtf8(file.readAll()).replace("\r\n", "\n");
  }

  void SetShowLogging(bool on) {
    LogSettings s = writer_.Settings();
    s.showLogging = on;
    writer_.SetSettings(s);
  }

  QTemporaryDir dir_;
  TagNames names_;
  ManualClock clock_;
  testing::RecordingStatus status_;
  TagLogWriter writer_;
  TagTable table_;
  int asked_ = 0;
  QString startDir_;
  QString failureTitle_;
  QString failureText_;
};

TEST_F(TagLogControlsTest, SaveFilteredDataTogglesLoggingAndTheLabelsFollow) {
  TagLogControls controls(writer_, table_);
  EXPECT_EQ(testing::FindNamed<QLabel>(controls, "lblNotLogging")->text(),
            "This program does not log tag data to a database!");

  const QString path = dir_.filePath("passes.log");
  EXPECT_TRUE(SetLogging(nullptr, writer_, Answer(path)));
  EXPECT_TRUE(writer_.IsLogging());
  EXPECT_EQ(writer_.Settings().filteredFileName, path.toStdString());
  controls.Refresh();
  EXPECT_EQ(testing::FindNamed<QLabel>(controls, "lblNotLogging")->text(), "Logging to passes.log");

  // Switching off asks nothing.
  EXPECT_FALSE(SetLogging(nullptr, writer_, Answer(path)));
  EXPECT_EQ(asked_, 1);
  EXPECT_FALSE(writer_.IsLogging());

  // Switching on asks in the last folder; cancelling leaves everything off.
  EXPECT_FALSE(SetLogging(nullptr, writer_, Answer(QString())));
  EXPECT_EQ(startDir_, dir_.path());
  EXPECT_FALSE(writer_.IsLogging());
  EXPECT_EQ(writer_.Settings().filteredFileName, path.toStdString());
  EXPECT_TRUE(failureTitle_.isEmpty());

  const QString bad = dir_.filePath("missing/passes.log");
  EXPECT_FALSE(SetLogging(nullptr, writer_, Answer(bad)));
  EXPECT_FALSE(writer_.IsLogging());
  EXPECT_EQ(failureTitle_, "Open Failure");
  EXPECT_EQ(failureText_, "Unable to open " + bad + " for appending");
}

TEST_F(TagLogControlsTest, AFailingLogTurnsTheStatusRedUntilItIsWrittenAgain) {
  if (!QFile::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const QString path = dir_.filePath("tags.log");
  ASSERT_TRUE(QFile::link("/dev/full", path));
  LogSettings settings;
  settings.onlyLogNamedTags = false;
  writer_.SetSettings(settings);
  ASSERT_TRUE(writer_.StartLogging(path.toStdString()).ok);
  TagLogControls controls(writer_, table_);
  auto* label = testing::FindNamed<QLabel>(controls, "lblNotLogging");
  TagRecord pass;
  pass.count = 5;
  writer_.FinishPass(pass);
  controls.ShowWriteState();
  EXPECT_EQ(label->text(), "Cannot write to tags.log: 1 lines lost");
  EXPECT_TRUE(label->styleSheet().contains("red"));

  ASSERT_TRUE(QFile::remove(path));
  TagRecord next;
  next.count = 5;
  writer_.FinishPass(next);
  controls.ShowWriteState();
  EXPECT_EQ(label->text(), "Logging to tags.log");
  EXPECT_FALSE(label->styleSheet().contains("red"));
}

TEST_F(TagLogControlsTest, ShowLoggingShowsRecordControlsAndTheWarningOnlyWhileLogging) {
  TagLogControls controls(writer_, table_);
  controls.show();
  controls.Refresh();
  EXPECT_FALSE(testing::FindNamed<QPushButton>(controls, "btnRecord")->isVisible());
  EXPECT_FALSE(testing::FindNamed<QLabel>(controls, "lblManualWarning")->isVisible());

  SetShowLogging(true);
  controls.Refresh();
  for (const char* name :
       {"btnRecord", "edtNamePrefix", "speNameSuffix", "rbt1", "rbt4", "ckbClear"}) {
    const QWidget* w = controls.findChild<QWidget*>(QLatin1String(name));
    ASSERT_NE(w, nullptr) << name;
    EXPECT_TRUE(w->isVisible()) << name;
  }
  EXPECT_FALSE(
      testing::FindNamed<QLabel>(controls, "lblManualWarning")->isVisible());  // not logging

  ASSERT_TRUE(SetLogging(nullptr, writer_, Answer(dir_.filePath("passes.log"))));
  controls.Refresh();
  EXPECT_TRUE(testing::FindNamed<QLabel>(controls, "lblManualWarning")->isVisible());
  EXPECT_EQ(testing::FindNamed<QLabel>(controls, "lblManualWarning")->text(),
            "Only Manual recording on command");
}

TEST_F(TagLogControlsTest, RecordUsesTheControlsAndAdvancesTheTestNumber) {
  SetShowLogging(true);
  ASSERT_TRUE(writer_.StartLogging(dir_.filePath("record.log").toStdString()).ok);
  TagLogControls controls(writer_, table_);
  EXPECT_TRUE(testing::FindNamed<QRadioButton>(controls, "rbt1")->isChecked());

  TagRead read;
  const uint8_t id[8] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef};
  std::memcpy(read.tagBytes, id, 8);
  read.count = 4;
  read.firstSeenSec = read.lastSeenSec = 1'700'000'000;
  table_.RecordTagRead(read);
  ASSERT_EQ(table_.SeenLength(), 1);

  testing::FindNamed<QLineEdit>(controls, "edtNamePrefix")->setText("run");
  testing::FindNamed<QSpinBox>(controls, "speNameSuffix")->setValue(7);
  testing::FindNamed<QRadioButton>(controls, "rbt2")->setChecked(true);
  testing::FindNamed<QCheckBox>(controls, "ckbClear")->setChecked(false);
  testing::FindNamed<QPushButton>(controls, "btnRecord")->click();
  EXPECT_EQ(testing::FindNamed<QSpinBox>(controls, "speNameSuffix")->value(), 8);
  EXPECT_EQ(table_.SeenLength(), 1);

  testing::FindNamed<QCheckBox>(controls, "ckbClear")->setChecked(true);
  testing::FindNamed<QPushButton>(controls, "btnRecord")->click();
  EXPECT_EQ(table_.SeenLength(), 0);
  EXPECT_EQ(Log("record.log").toStdString(),
            "run007,0123456789abcdef,4,0,0\nrun008,0123456789abcdef,4,0,0\n");
}

}  // namespace
}  // namespace corvalis
