#include "app/ComboHistory.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "app/IniTestSupport.h"
#include "common/IniFile.h"

namespace corvalis {
namespace {

class ComboHistoryTest : public ::testing::Test {
 protected:
  QTemporaryDir dir_;
  QString path_ = dir_.filePath("Corvalis.ini");
};

TEST_F(ComboHistoryTest, RoundTripsInListOrderAndKeepsAtMostFifteen) {
  QStringList items;
  for (int i = 0; i < 20; ++i) items << QStringLiteral("entry %1").arg(i);
  ASSERT_TRUE(SaveComboHistory(path_, "cmbCmdTagID", items));

  const IniFile ini(path_);
  EXPECT_EQ(ini.ReadInteger("cmbCmdTagID", "Entries", -1), 15);
  EXPECT_EQ(ini.ReadString("cmbCmdTagID", "ENT_14", ""), "entry 14");
  EXPECT_FALSE(ini.HasKey("cmbCmdTagID", "ENT_15"));

  QStringList loaded = {"built-in"};
  ASSERT_TRUE(LoadComboHistory(path_, "cmbCmdTagID", loaded));
  EXPECT_EQ(loaded, items.mid(0, 15));
}

TEST_F(ComboHistoryTest, ShorterListLeavesStaleEntriesButReadsOnlyTheCount) {
  ASSERT_TRUE(SaveComboHistory(path_, "cmbMPText", {"a", "b", "c"}));
  ASSERT_TRUE(SaveComboHistory(path_, "cmbMPText", {"z"}));
  EXPECT_EQ(IniFile(path_).ReadString("cmbMPText", "ENT_2", ""), "c");
  QStringList loaded;
  ASSERT_TRUE(LoadComboHistory(path_, "cmbMPText", loaded));
  EXPECT_EQ(loaded, QStringList{"z"});
}

TEST_F(ComboHistoryTest, NoCountKeepsTheBuiltInEntriesAndHoleReadsEmpty) {
  testing::WriteBytes(path_,
                      "[cmbRWData0]\nEntries=0\nENT_0=x\n"
                      "[cmbRWData1]\nEntries=-3\n"
                      "[cmbRWData2]\nEntries=3\nENT_0=a\nENT_2=c\n"
                      "[cmbRWData3]\nEntries=2000000000\nENT_0=a\n");
  const QStringList builtIn = {"00000000"};
  for (const char* name : {"cmbRWData0", "cmbRWData1", "cmbMissing"}) {
    QStringList items = builtIn;
    EXPECT_FALSE(LoadComboHistory(path_, name, items)) << name;
    EXPECT_EQ(items, builtIn) << name;
  }
  QStringList items = builtIn;
  ASSERT_TRUE(LoadComboHistory(path_, "cmbRWData2", items));
  EXPECT_EQ(items, (QStringList{"a", "", "c"}));
  ASSERT_TRUE(LoadComboHistory(path_, "cmbRWData3", items));
  EXPECT_EQ(items.size(), kMaxComboHistory);
}

TEST_F(ComboHistoryTest, UnwritableFileIsReported) {
  testing::WriteBytes(dir_.filePath("plain"), "x");
  EXPECT_FALSE(SaveComboHistory(dir_.filePath("plain/Corvalis.ini"), "cmbMPText", {"a"}));
}

}  // namespace
}  // namespace corvalis
