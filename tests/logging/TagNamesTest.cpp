#include "tags/TagNames.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <string>

#include "protocol/Checksums.h"

namespace corvalis {
namespace {

constexpr uint8_t kId[8] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef};
constexpr uint8_t kOtherId[8] = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80};

struct Parsed {
  bool ok = false;
  bool rejected = false;
  std::string code;
  std::string name;
};

Parsed Parse(std::string_view line, uint16_t seed = kDefaultCrcSeed) {
  Parsed p;
  TagNameRow row;
  p.ok = TagNames::ParseLine(line, seed, row, p.rejected);
  if (p.ok) {
    p.code = row.code;
    p.name = row.name;
  }
  return p;
}

class TagNamesFiles : public ::testing::Test {
 protected:
  std::string PathOf(const char* name) const { return dir_.filePath(name).toStdString(); }

  std::string WriteFile(const char* name, const std::string& bytes) {
    QFile file(dir_.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return PathOf(name);
  }

  std::string ReadFile(const std::string& path) {
    QFile file(QString::fromStdString(path));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll().toStdString();
  }

  QTemporaryDir dir_;
};

TEST(TagNameLineTest, CodeAndNameAreSplitAtTheFirstDelimiterRun) {
  Parsed p = Parse("0123456789abcdef Gate 4, left");
  EXPECT_TRUE(p.ok);
  EXPECT_EQ(p.code, "0123456789abcdef");
  EXPECT_EQ(p.name, "Gate 4, left");

  p = Parse(", 0123456789abcdef,Bob");
  EXPECT_EQ(p.code, "0123456789abcdef");
  EXPECT_EQ(p.name, "Bob");

  p = Parse("\t,0123456789abcdef\t, ,Two  blanks kept  \r\n");
  EXPECT_EQ(p.name, "Two  blanks kept  ");

  // No CR at the end of a name: from lines converted to CR LF twice, from
  // the cut at 39 characters, or before a NUL.
  p = Parse("0123456789abcdef Gate\r\r\n");
  EXPECT_EQ(p.name, "Gate");
  p = Parse("0123456789abcdef " + std::string(38, 'n') + "\rX");
  EXPECT_EQ(p.name, std::string(38, 'n'));
  p = Parse(std::string_view("0123456789abcdef Gate\r\0\r", 24));
  EXPECT_EQ(p.name, "Gate");
  EXPECT_FALSE(Parse(std::string_view("0123456789abcdef \r\0Gate", 23)).ok);

  p = Parse("0123456789abcdef " + std::string(50, 'n'));
  EXPECT_EQ(p.name, std::string(39, 'n'));
}

TEST(TagNameLineTest, LinesWithoutAnEntryAreIgnored) {
  for (std::string_view line :
       {"", "\r\n", "   ", "0123456789abcdef", "0123456789abcdef ,,\t ", "# comment line",
        "; 0123456789abcdef is not a code here", "abc Short", "0123456789abc Thirteen",
        "0123456789abcdef0 Seventeen"}) {
    const Parsed p = Parse(line);
    EXPECT_FALSE(p.ok) << line;
    EXPECT_FALSE(p.rejected) << line;
  }
}

TEST(TagNameLineTest, CodesHoldingANulGiveNoEntry) {
  // Cut short at the NUL, the first would be written back as a 12-digit code
  // and read as another tag's; the second is a code as a UTF-16 file holds it.
  for (const std::string_view line :
       {std::string_view("0123456789ab\0\0\0\0 Cut short", 26),
        std::string_view("0\0001\0002\0003\0004\0005\0006\0007\000 Wide text", 26)}) {
    const Parsed p = Parse(line);
    EXPECT_FALSE(p.ok);
    EXPECT_FALSE(p.rejected);
  }
}

TEST(TagNameLineTest, TwelveDigitCodesGainTheTagCrcUnderTheGivenSeed) {
  // CRC-16/CMS and CRC-16/UMTS of 01 23 45 67 89 ab.
  EXPECT_EQ(Parse("0123456789ab Twelve", 0xFFFF).code, "0123456789ab0152");
  EXPECT_EQ(Parse("0123456789ab Twelve", 0x0000).code, "0123456789ab018a");
  EXPECT_EQ(Parse("0123456789AB Upper", 0xFFFF).code, "0123456789ab0152");

  const Parsed bad = Parse("0123456789ax Not hex");
  EXPECT_FALSE(bad.ok);
  EXPECT_TRUE(bad.rejected);
}

TEST(TagNameLineTest, SixteenCharacterCodesKeepAnythingButHexCase) {
  EXPECT_EQ(Parse("0123456789ABCDEF Upper").code, "0123456789abcdef");
  // Not a tag ID, but kept so that writing the list gives it back.
  EXPECT_EQ(Parse("Registrationfile for gate").code, "Registrationfile");
  EXPECT_EQ(Parse("Registrationfile for gate").name, "for gate");
}

TEST_F(TagNamesFiles, ReadAppendsEntriesAndCountsWhatItSkipped) {
  // 1,024 characters, then what would read as an entry if taken as a line.
  const std::string longLine =
      "0123456789abcdef " + std::string(1024 - 17, 'x') + "1020304050607080 Tail\n";
  const std::string path = WriteFile("alias.tag",
                                     "# names for gate 4\r\n"
                                     "0123456789abcdef Gate 4, left\r\n"
                                     "\r\n"
                                     "garbage\r\n"
                                     "0123456789ax Broken\r\n" +
                                         longLine + "1020304050607080 Last line, no end");
  TagNames names;
  names.AppendRow("ffffffffffffffff", "Kept");
  const TagNameFileResult r = names.ReadTagNameFile(path, kDefaultCrcSeed);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.added, 3);
  EXPECT_EQ(r.rejectedCodes, 1);
  EXPECT_EQ(r.ignoredLines, 3);
  ASSERT_EQ(names.RowCount(), 4);
  EXPECT_EQ(names.Name(0), "Kept");
  EXPECT_EQ(names.Name(1), "Gate 4, left");
  EXPECT_EQ(names.Name(2), std::string(39, 'x'));
  EXPECT_EQ(names.Code(3), "1020304050607080");
  EXPECT_EQ(names.Name(3), "Last line, no end");
  // The tail of the over-long line is no entry of its own.
  EXPECT_EQ(names.LookupName(kOtherId, ""), "Last line, no end");
}

TEST_F(TagNamesFiles, UnreadableFileGivesTheOpenFailureMessage) {
  TagNames names;
  const std::string path = PathOf("missing.tag");
  const TagNameFileResult r = names.ReadTagNameFile(path, kDefaultCrcSeed);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, "Unable to open " + path + " for reading");
  EXPECT_EQ(r.title, "Open Failure");
  EXPECT_EQ(names.RowCount(), 0);
}

TEST_F(TagNamesFiles, WrittenFileReadsBackAsTheSameList) {
  const std::string in =
      WriteFile("in.tag", "0123456789ab Twelve digits\n0123456789abcdef Gate 4\n");
  TagNames names;
  ASSERT_TRUE(names.ReadTagNameFile(in, kDefaultCrcSeed).ok);
  names.AddEmptyRow();  // never filled in
  const int noName = names.AddEmptyRow();
  names.SetCode(noName, "1020304050607080");

  const std::string out = PathOf("out.tag");
  const TagNameFileResult w = names.WriteTagNameFile(out, TagNameWriteMode::kOverwrite);
  ASSERT_TRUE(w.ok);
  EXPECT_EQ(w.added, 2);
  EXPECT_EQ(w.unwritableRows, 2);
  EXPECT_EQ(ReadFile(out), "0123456789ab0152  Twelve digits\n0123456789abcdef  Gate 4\n");

  TagNames again;
  ASSERT_TRUE(again.ReadTagNameFile(out, 0x0000).ok);  // 16-digit codes ignore the seed
  ASSERT_EQ(again.RowCount(), 2);
  EXPECT_EQ(again.Code(0), "0123456789ab0152");
  EXPECT_EQ(again.Name(0), "Twelve digits");
  EXPECT_EQ(again.Name(1), "Gate 4");
}

TEST_F(TagNamesFiles, OverwriteReplacesAndAppendExtends) {
  TagNames names;
  names.AppendRow("0123456789abcdef", "Gate");
  const std::string path = WriteFile("list.tag", "1020304050607080  Old\n");

  ASSERT_TRUE(names.WriteTagNameFile(path, TagNameWriteMode::kAppend).ok);
  EXPECT_EQ(ReadFile(path), "1020304050607080  Old\n0123456789abcdef  Gate\n");
  ASSERT_TRUE(names.WriteTagNameFile(path, TagNameWriteMode::kOverwrite).ok);
  EXPECT_EQ(ReadFile(path), "0123456789abcdef  Gate\n");

  const TagNameFileResult r =
      names.WriteTagNameFile(PathOf("no/such/dir/list.tag"), TagNameWriteMode::kOverwrite);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, "Could not open file for output!");
}

TEST(TagNamesLookupTest, UpperRowWinsAndEditsKeepTheIndexRight) {
  TagNames names;
  names.SetAutoRegister(false);
  names.AppendRow("0123456789abcdef", "Upper");
  names.AppendRow("0123456789abcdef", "Lower");
  EXPECT_EQ(names.LookupName(kId, "text"), "Upper");

  names.DeleteRow(0);
  EXPECT_EQ(names.LookupName(kId, "text"), "Lower");

  const int row = names.AddEmptyRow();
  names.SetCode(row, "1020304050607080");
  names.SetName(row, "Typed\r\nsecond line dropped");
  EXPECT_EQ(names.LookupName(kOtherId, ""), "Typed");

  names.SetCode(row, "1020304050607081");
  EXPECT_EQ(names.LookupName(kOtherId, ""), "");

  names.Clear();
  EXPECT_EQ(names.RowCount(), 0);
  EXPECT_EQ(names.LookupName(kId, "text"), "");
}

TEST(TagNamesLookupTest, AutoRegisterAddsTheReadsTextOnlyWhenOn) {
  TagNames names;
  names.SetAutoRegister(false);
  EXPECT_EQ(names.LookupName(kId, "Truck 7"), "");
  EXPECT_EQ(names.LookupTagName(kId, "Truck 7"), "");
  EXPECT_EQ(names.RowCount(), 0);

  names.SetAutoRegister(true);
  EXPECT_EQ(names.LookupTagName(kId, "Truck 7"), "Truck 7");
  ASSERT_EQ(names.RowCount(), 1);
  EXPECT_EQ(names.Code(0), "0123456789abcdef");
  EXPECT_EQ(names.LookupName(kId, "other text"), "Truck 7");
  EXPECT_EQ(names.RowCount(), 1);

  // A read without text still gets a name, or the tag would count as unnamed.
  EXPECT_EQ(names.LookupName(kOtherId, ""), "1020304050607080");
  EXPECT_EQ(names.Name(1), "1020304050607080");
}

TEST(TagNamesLookupTest, AFullListNamesTheTagWithoutGrowingOnTheReadPath) {
  TagNames names(2);
  names.LookupName(kId, "A");
  uint8_t id[8] = {9, 9, 9, 9, 9, 9, 9, 1};
  names.LookupName(id, "B");
  id[7] = 2;
  EXPECT_EQ(names.LookupName(id, "C"), "C");
  EXPECT_EQ(names.RowCount(), 2);
  EXPECT_EQ(names.Capacity(), 2);
}

TEST_F(TagNamesFiles, ManyEntriesAreAllFoundAndGrowTheListAtLoad) {
  std::string text;
  char line[64];
  for (int i = 0; i < 5000; ++i) {
    std::snprintf(line, sizeof line, "00000000%08x Tag %d\n", i * 7919, i);
    text += line;
  }
  TagNames names(16);
  names.SetAutoRegister(false);
  ASSERT_EQ(names.ReadTagNameFile(WriteFile("many.tag", text), kDefaultCrcSeed).added, 5000);
  EXPECT_GE(names.Capacity(), 5000);
  uint8_t id[8] = {};
  for (int i = 0; i < 5000; ++i) {
    const uint32_t v = static_cast<uint32_t>(i * 7919);
    for (int b = 0; b < 4; ++b) id[4 + b] = static_cast<uint8_t>(v >> (24 - 8 * b));
    ASSERT_EQ(names.LookupName(id, ""), "Tag " + std::to_string(i));
  }
  id[3] = 1;
  EXPECT_EQ(names.LookupName(id, ""), "");
}

}  // namespace
}  // namespace corvalis
