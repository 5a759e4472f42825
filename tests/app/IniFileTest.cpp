#include "common/IniFile.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "app/IniTestSupport.h"

namespace corvalis {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

class IniFileTest : public ::testing::Test {
 protected:
  QString PathOf(const QString& name) const { return dir_.filePath(name); }
  QTemporaryDir dir_;
};

TEST_F(IniFileTest, LooksUpSectionsAndKeysWithoutRegardToCase) {
  const QString path = PathOf("a.ini");
  WriteBytes(path, "[Mode]\r\nWaitTime=250\r\n[mode]\r\nWaitTime=999\r\n  Depot Name = North \r\n");
  const IniFile ini(path);
  EXPECT_EQ(ini.ReadInteger("MODE", "waittime", 0), 250);  // first section of the name wins
  EXPECT_TRUE(ini.HasSection("MoDe"));
  EXPECT_FALSE(ini.HasKey("MODE", "Depot Name"));  // only in the second, shadowed section
  EXPECT_EQ(ini.ReadString("FILES", "WaitTime", "none"), "none");
}

TEST_F(IniFileTest, ValuesAreKeptVerbatimAndNumbersForgiveBlanks) {
  const QString path = PathOf("a.ini");
  WriteBytes(path, "[S]\nBlank= \nTab=\t\nNum= 42 \nEq=a=b\n");
  const IniFile ini(path);
  EXPECT_EQ(ini.ReadString("S", "Blank", "x"), " ");
  EXPECT_EQ(ini.ReadString("S", "Tab", "x"), "\t");
  EXPECT_EQ(ini.ReadInteger("S", "Num", 0), 42);
  EXPECT_EQ(ini.ReadString("S", "Eq", ""), "a=b");
}

TEST_F(IniFileTest, AByteOrderMarkStartingAValueIsPartOfIt) {
  const QString path = PathOf("a.ini");
  WriteBytes(path, "\xEF\xBB\xBF[S]\nMark=\xEF\xBB\xBFx\n\xEF\xBB\xBFStray=1\n");
  IniFile ini(path);
  EXPECT_TRUE(ini.HasSection("S"));
  EXPECT_EQ(ini.ReadString("S", "Mark", ""), QStringLiteral("\uFEFFx"));
  EXPECT_EQ(ini.ReadInteger("S", "Stray", 0), 1);  // before a key it is no part of the name

  ini.WriteString("S", "Twice", QStringLiteral("\uFEFF\uFEFFy"));
  ASSERT_TRUE(ini.Flush());
  EXPECT_EQ(IniFile(path).ReadString("S", "Twice", ""), QStringLiteral("\uFEFF\uFEFFy"));
}

TEST_F(IniFileTest, IntegerAndBooleanEncodings) {
  EXPECT_EQ(ParseIniInteger("0x1D0F"), 7439);
  EXPECT_EQ(ParseIniInteger("0X1d0f"), 7439);
  EXPECT_EQ(ParseIniInteger("0xFFFFFFFF"), -1);
  EXPECT_EQ(ParseIniInteger("0x00000000FF"), 255);
  EXPECT_EQ(ParseIniInteger("-12"), -12);
  EXPECT_EQ(ParseIniInteger("+12"), 12);
  EXPECT_EQ(ParseIniInteger("0x"), std::nullopt);  // not longer than two characters
  EXPECT_EQ(ParseIniInteger("0x1G"), std::nullopt);
  EXPECT_EQ(ParseIniInteger("0x123456789"), std::nullopt);
  EXPECT_EQ(ParseIniInteger("12abc"), std::nullopt);
  EXPECT_EQ(ParseIniInteger("-"), std::nullopt);
  EXPECT_EQ(ParseIniInteger("99999999999"), std::nullopt);
  EXPECT_EQ(ParseIniInteger(""), std::nullopt);

  const QString path = PathOf("a.ini");
  WriteBytes(path, "[S]\nOn=5\nOff=0\nWord=true\nHex=0x10\nF=1,5\nBad=abc\n");
  const IniFile ini(path);
  EXPECT_TRUE(ini.ReadBool("S", "On", false));
  EXPECT_FALSE(ini.ReadBool("S", "Off", true));
  EXPECT_TRUE(ini.ReadBool("S", "Word", true));  // not a number: the default
  EXPECT_FALSE(ini.ReadBool("S", "Word", false));
  EXPECT_TRUE(ini.ReadBool("S", "Hex", false));
  EXPECT_EQ(ini.ReadFloat("S", "F", 0.0), 1.5);
  EXPECT_EQ(ini.ReadFloat("S", "Bad", 2.0), 2.0);
  EXPECT_EQ(ini.ReadInteger("S", "Missing", 17), 17);
}

TEST_F(IniFileTest, WritingKeepsEveryOtherLineInPlace) {
  const QString path = PathOf("a.ini");
  const QByteArray original =
      "; hand-written notes\r\n"
      "[MODE]\r\n"
      "WaitTime=500\r\n"
      "OldKey=stale\r\n"
      "# comment\r\n"
      "\r\n"
      "[Unknown]\r\n"
      "Caf\xE9=\xE9t\xE9\r\n";  // ANSI text from an older file
  WriteBytes(path, original);
  IniFile ini(path);
  ini.WriteInteger("mode", "waittime", 750);  // existing key, other case
  ini.WriteBool("MODE", "NewKey", true);      // new key: end of its section
  ini.WriteString("FILES", "Name", "x");      // new section: end of file
  ASSERT_TRUE(ini.Flush());
  EXPECT_EQ(ReadBytes(path),
            "; hand-written notes\r\n"
            "[MODE]\r\n"
            "WaitTime=750\r\n"
            "OldKey=stale\r\n"
            "# comment\r\n"
            "NewKey=1\r\n"
            "\r\n"
            "[Unknown]\r\n"
            "Caf\xE9=\xE9t\xE9\r\n"
            "\r\n"
            "[FILES]\r\n"
            "Name=x\r\n");
}

TEST_F(IniFileTest, LineEndingsFollowTheFileAndNewFilesUseCrLf) {
  const QString lf = PathOf("lf.ini");
  WriteBytes(lf, "[S]\nA=1\n");
  IniFile a(lf);
  a.WriteInteger("S", "B", 2);
  ASSERT_TRUE(a.Flush());
  EXPECT_EQ(ReadBytes(lf), "[S]\nA=1\nB=2\n");

  const QString fresh = PathOf("new.ini");
  IniFile b(fresh);
  b.WriteString("S", "A", "1");
  ASSERT_TRUE(b.Flush());
  EXPECT_EQ(ReadBytes(fresh), "[S]\r\nA=1\r\n");
}

TEST_F(IniFileTest, UnchangedValuesLeaveTheFileUntouched) {
  const QString path = PathOf("a.ini");
  const QByteArray original = "[S]\r\nA=\xE9\r\nB = 7\r\n";
  WriteBytes(path, original);
  IniFile ini(path);
  ini.WriteString("S", "A", QString::fromLatin1("\xE9"));
  ini.WriteString("S", "B", " 7");
  ASSERT_TRUE(ini.Flush());
  EXPECT_EQ(ReadBytes(path), original);
}

TEST_F(IniFileTest, LineBreaksInValuesCannotInjectKeys) {
  const QString path = PathOf("a.ini");
  IniFile ini(path);
  ini.WriteString("S", "Name", "evil\r\n[MODE]\nWaitTime=1");
  ASSERT_TRUE(ini.Flush());
  const IniFile check(path);
  EXPECT_FALSE(check.HasSection("MODE"));
  EXPECT_EQ(check.ReadString("S", "Name", ""), "evil [MODE] WaitTime=1");
}

TEST_F(IniFileTest, BatchesOnTheSameFileDoNotUndoEachOther) {
  const QString path = PathOf("a.ini");
  IniFile first(path);
  IniFile second(path);
  first.WriteString("A", "k", "1");
  second.WriteString("B", "k", "2");
  ASSERT_TRUE(second.Flush());
  ASSERT_TRUE(first.Flush());
  const IniFile check(path);
  EXPECT_EQ(check.ReadString("A", "k", ""), "1");
  EXPECT_EQ(check.ReadString("B", "k", ""), "2");
}

TEST_F(IniFileTest, WriteFailureIsReportedAndTheWritesStayPending) {
  // A path below a plain file cannot be created, whoever runs the test.
  WriteBytes(PathOf("blocker"), "x");
  IniFile ini(PathOf("blocker/settings.ini"));
  ini.WriteInteger("S", "A", 1);
  EXPECT_FALSE(ini.Flush());
  EXPECT_FALSE(ini.ErrorString().isEmpty());

  // Once the cause is gone the same batch gets through.
  ASSERT_TRUE(QFile::remove(PathOf("blocker")));
  ASSERT_TRUE(QDir(dir_.path()).mkdir("blocker"));
  EXPECT_TRUE(ini.Flush());
  EXPECT_EQ(ReadBytes(PathOf("blocker/settings.ini")), "[S]\r\nA=1\r\n");
}

TEST_F(IniFileTest, UnreadableFileIsNeverReplaced) {
  // A directory in the file's place exists but cannot be read as a file.
  ASSERT_TRUE(QDir(dir_.path()).mkdir("taken.ini"));
  IniFile ini(PathOf("taken.ini"));
  EXPECT_FALSE(ini.ReadOk());
  ini.WriteString("S", "A", "1");
  EXPECT_FALSE(ini.Flush());
  EXPECT_TRUE(QFileInfo(PathOf("taken.ini")).isDir());
}

}  // namespace
}  // namespace corvalis
