#include "common/ui/FindNamed.h"
#include "logging/ui/LoggingSetupDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <cstring>
#include <set>
#include <string>

#include "logging/TagLogWriter.h"
#include "support/RecordingStatus.h"
#include "tags/TagTableHooks.h"

namespace corvalis {
namespace {

std::set<std::string> TickedColumns(const LoggingSetupDialog& dialog) {
  std::set<std::string> ticked;
  for (const QCheckBox* box : dialog.findChildren<QCheckBox*>()) {
    const std::string name = box->objectName().toStdString();
    if (name.rfind("ckbLog", 0) == 0 && box->isChecked()) ticked.insert(name.substr(6));
  }
  return ticked;
}

// Every box ticked and every text unusual, so a preset that forgets a field shows.
void TickEverything(LoggingSetupDialog& dialog) {
  for (QCheckBox* box : dialog.findChildren<QCheckBox*>()) box->setChecked(true);
  testing::FindNamed<QSpinBox>(dialog, "speNoiseLimit")->setValue(9);
  testing::FindNamed<QSpinBox>(dialog, "speWaitTime")->setValue(1234);
  testing::FindNamed<QLineEdit>(dialog, "edtSeparator")->setText(";");
  testing::FindNamed<QLineEdit>(dialog, "edtTamper")->setText("TAMP");
  testing::FindNamed<QLineEdit>(dialog, "edtNoTamper")->setText("ok");
}

TEST(LoggingSetupDialogTest, PresetsSetExactlyTheirFields) {
  LoggingSetupDialog dialog;
  TickEverything(dialog);
  testing::FindNamed<QPushButton>(dialog, "btnRigWatch")->click();
  EXPECT_EQ(TickedColumns(dialog),
            (std::set<std::string>{"Depot", "TagName", "FirstSeenDate", "FirstSeenTime"}));
  EXPECT_EQ(testing::FindNamed<QSpinBox>(dialog, "speNoiseLimit")->value(), 3);
  EXPECT_EQ(testing::FindNamed<QSpinBox>(dialog, "speWaitTime")->value(), -6000);
  EXPECT_EQ(testing::FindNamed<QLineEdit>(dialog, "edtSeparator")->text(), ",");
  EXPECT_EQ(testing::FindNamed<QLineEdit>(dialog, "edtTamper")->text(), "TAMP");  // unchanged
  EXPECT_EQ(testing::FindNamed<QLineEdit>(dialog, "edtNoTamper")->text(), "ok");
  EXPECT_TRUE(testing::FindNamed<QCheckBox>(dialog, "ckbOnlyLogNamedTags")->isChecked());
  EXPECT_FALSE(testing::FindNamed<QCheckBox>(dialog, "ckbFirstSeenIncludeMS")->isChecked());
  EXPECT_FALSE(testing::FindNamed<QCheckBox>(dialog, "ckbLastSeenIncludeMS")->isChecked());

  TickEverything(dialog);
  testing::FindNamed<QPushButton>(dialog, "btnStandard")->click();
  EXPECT_EQ(TickedColumns(dialog),
            (std::set<std::string>{"TagID", "TagName", "IQCount", "FirstSeenDate", "FirstSeenTime",
                                   "LastSeenTime", "ReaderID", "Tamper"}));
  EXPECT_EQ(testing::FindNamed<QSpinBox>(dialog, "speNoiseLimit")->value(), 9);  // unchanged
  EXPECT_EQ(testing::FindNamed<QSpinBox>(dialog, "speWaitTime")->value(), 1234);
  EXPECT_EQ(testing::FindNamed<QLineEdit>(dialog, "edtSeparator")->text(), ",");
  EXPECT_EQ(testing::FindNamed<QLineEdit>(dialog, "edtTamper")->text(), "T");
  EXPECT_EQ(testing::FindNamed<QLineEdit>(dialog, "edtNoTamper")->text(), " ");
  EXPECT_TRUE(testing::FindNamed<QCheckBox>(dialog, "ckbOnlyLogNamedTags")->isChecked());
  EXPECT_TRUE(testing::FindNamed<QCheckBox>(dialog, "ckbFirstSeenIncludeMS")->isChecked());
  EXPECT_TRUE(testing::FindNamed<QCheckBox>(dialog, "ckbLastSeenIncludeMS")->isChecked());

  testing::FindNamed<QPushButton>(dialog, "btnStepping")->click();
  EXPECT_FALSE(testing::FindNamed<QCheckBox>(dialog, "ckbOnlyLogNamedTags")->isChecked());
  EXPECT_TRUE(testing::FindNamed<QCheckBox>(dialog, "ckbLogSteppingNumber")->isChecked());
}

TEST(LoggingSetupDialogTest, AppliedValuesReachTheWriterAndShapeTheLogLine) {
  QTemporaryDir dir;
  TagNames names;
  names.AppendRow("0123456789abcdef", "Gate 4");
  ManualClock clock;
  testing::RecordingStatus status;
  TagLogWriter writer(names, clock, status);
  const std::string path = dir.filePath("tags.log").toStdString();
  ASSERT_TRUE(writer.StartLogging(path).ok);
  TagTableSettings table;
  table.noiseLimit = 2;
  table.waitTime = 700;

  LoggingSetupDialog dialog;
  dialog.Load(writer, table);
  EXPECT_EQ(testing::FindNamed<QSpinBox>(dialog, "speNoiseLimit")->value(), 2);
  EXPECT_EQ(testing::FindNamed<QSpinBox>(dialog, "speWaitTime")->value(), 700);
  for (QCheckBox* box : dialog.findChildren<QCheckBox*>()) box->setChecked(false);
  testing::FindNamed<QCheckBox>(dialog, "ckbLogTagName")->setChecked(true);
  testing::FindNamed<QCheckBox>(dialog, "ckbLogTamper")->setChecked(true);
  testing::FindNamed<QCheckBox>(dialog, "ckbLogChannelNumber")->setChecked(true);
  testing::FindNamed<QCheckBox>(dialog, "ckbLogQCount")->setChecked(true);
  testing::FindNamed<QLineEdit>(dialog, "edtSeparator")->setText("\\t");
  testing::FindNamed<QLineEdit>(dialog, "edtTamper")->setText("TAMPERED");
  testing::FindNamed<QSpinBox>(dialog, "speNoiseLimit")->setValue(0);
  testing::FindNamed<QSpinBox>(dialog, "speWaitTime")->setValue(-3);
  dialog.Apply(writer, table);

  // The log file and switch are not the dialog's to change.
  EXPECT_TRUE(writer.IsLogging());
  EXPECT_EQ(writer.Settings().filteredFileName, path);
  EXPECT_EQ(table.waitTime, -10);
  EXPECT_EQ(table.noiseLimit, 0);

  TagRecord pass;
  const uint8_t id[8] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef};
  std::memcpy(pass.tagBytes, id, 8);
  FormatTagHexId(id, pass.hexId);
  pass.count = 5;
  pass.iCount = 2;
  pass.qCount = 3;
  pass.channel = 1;
  pass.tamper = 1;
  pass.firstSeenSec = pass.lastSeenSec = 1'700'000'000;
  ASSERT_EQ(writer.FinishPass(pass), PassLogResult::kWritten);

  QFile file(QString::fromStdString(path));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray line = file.readAll().replace("\r\n", "\n");
  EXPECT_EQ(line.toStdString(), "Gate 4\tTAMPERED\t2\t3\n");
}

}  // namespace
}  // namespace corvalis
