#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "script/firmware/HexCleaner.h"
#include "script/firmware/HexRecord.h"

namespace corvalis {
namespace {

std::string Record(uint16_t address, std::initializer_list<uint8_t> bytes, uint8_t type = 0) {
  const std::vector<uint8_t> data(bytes);
  return FormatHexRecord(address, type, data.data(), static_cast<int>(data.size()));
}

std::string Bytes(uint8_t first, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += static_cast<char>(first + i);
  return out;
}

std::string RecordOf(uint16_t address, const std::string& bytes) {
  return FormatHexRecord(address, 0, reinterpret_cast<const uint8_t*>(bytes.data()),
                         static_cast<int>(bytes.size()));
}

std::string Clean(const std::string& input) {
  std::string output;
  std::string error;
  EXPECT_TRUE(CleanHexText(input, output, error)) << error;
  return output;
}

const std::string kEnd = ":00000001FF";

TEST(HexRecord, ParsesAndRefusesEachMalformedKind) {
  HexRecord record;
  ASSERT_EQ(ParseHexRecord(":0400100001020304E2\r\n", record), HexParseError::kNone);
  EXPECT_EQ(record.count, 4);
  EXPECT_EQ(record.address, 0x0010);
  EXPECT_EQ(record.data[3], 4);
  EXPECT_EQ(ParseHexRecord("0400100001020304E2", record), HexParseError::kNoColon);
  EXPECT_EQ(ParseHexRecord(":04001000010203G4E2", record), HexParseError::kNotHex);
  EXPECT_EQ(ParseHexRecord(":0400100001020304E", record), HexParseError::kNotHex);
  EXPECT_EQ(ParseHexRecord(":0500100001020304E2", record), HexParseError::kWrongLength);
  EXPECT_EQ(ParseHexRecord(":00", record), HexParseError::kWrongLength);
  EXPECT_EQ(ParseHexRecord(":0400100001020304E3", record), HexParseError::kBadChecksum);
}

TEST(HexCleaner, ThreeEightByteRecordsBecomeOneRowAndAHalf) {
  const std::string input = RecordOf(0x0000, Bytes(0, 8)) + "\n" + RecordOf(0x0008, Bytes(8, 8)) +
                            "\n" + RecordOf(0x0010, Bytes(16, 8)) + "\n" + kEnd + "\n";
  EXPECT_EQ(Clean(input), RecordOf(0x0000, Bytes(0, 16)) + "\n" + RecordOf(0x0010, Bytes(16, 8)) +
                              "\n" + kEnd + "\n");
}

TEST(HexCleaner, LongAndUnalignedRecordsAreSplitAtRows) {
  const std::string input =
      RecordOf(0x0100, Bytes(0, 32)) + "\r\n" + RecordOf(0x0208, Bytes(0x40, 16)) + "\r\n";
  EXPECT_EQ(Clean(input), RecordOf(0x0100, Bytes(0, 16)) + "\n" + RecordOf(0x0110, Bytes(16, 16)) +
                              "\n" + RecordOf(0x0208, Bytes(0x40, 8)) + "\n" +
                              RecordOf(0x0210, Bytes(0x48, 8)) + "\n");
}

TEST(HexCleaner, GapsInsideARowAreFilledAndOutOfOrderPiecesMerge) {
  const std::string input =
      RecordOf(0x0004, Bytes(0x10, 2)) + "\n" + RecordOf(0x0030, Bytes(0x30, 4)) + "\n" +
      RecordOf(0x0000, Bytes(0x01, 2)) + "\n" + RecordOf(0x000c, Bytes(0x0c, 4)) + "\n";
  const std::string row =
      std::string("\x01\x02\xff\xff\x10\x11\xff\xff\xff\xff\xff\xff\x0c\x0d\x0e\x0f", 16);
  EXPECT_EQ(Clean(input), RecordOf(0x0000, row) + "\n" + RecordOf(0x0030, Bytes(0x30, 4)) + "\n");
}

TEST(HexCleaner, ExtendedAddressesKeepTheirRows) {
  const std::string input = Record(0, {0x00, 0x30}, 4) + "\n" + RecordOf(0x0000, Bytes(1, 2)) +
                            "\n" + Record(0, {0x00, 0x00}, 4) + "\n" +
                            RecordOf(0x0010, Bytes(5, 2)) + "\n" + kEnd + "\n";
  EXPECT_EQ(Clean(input), RecordOf(0x0010, Bytes(5, 2)) + "\n" + Record(0, {0x00, 0x30}, 4) + "\n" +
                              RecordOf(0x0000, Bytes(1, 2)) + "\n" + kEnd + "\n");
}

TEST(HexCleaner, MalformedLinesAreRefusedByNumber) {
  const std::string good = RecordOf(0, Bytes(0, 4)) + "\n";
  for (const auto& [bad, text] : std::vector<std::pair<std::string, std::string>>{
           {"0400100001020304E2", "no record mark"},
           {":04001000010203ZZE2", "not hexadecimal"},
           {":0500100001020304E2", "length does not match the count"},
           {":0400100001020304E3", "checksum error"}}) {
    std::string output = "untouched";
    std::string error;
    EXPECT_FALSE(CleanHexText(good + "\n" + bad + "\n", output, error));
    EXPECT_EQ(error, "Line 3: " + text);
    EXPECT_EQ(output, "untouched");
  }
}

class HexCleanFileTest : public ::testing::Test {
 protected:
  std::string Write(const char* name, const std::string& text) {
    QFile file(dir_.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.data(), static_cast<qint64>(text.size()));
    return file.fileName().toStdString();
  }
  QTemporaryDir dir_;
};

TEST_F(HexCleanFileTest, WritesTmpHexBesideTheInput) {
  const CleanResult result =
      CleanHexFile(Write("in.hex", RecordOf(0, Bytes(0, 8)) + "\n" + kEnd + "\n"));
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_EQ(result.outputPath, dir_.filePath("tmp.hex").toStdString());
  QFile out(dir_.filePath("tmp.hex"));
  ASSERT_TRUE(out.open(QIODevice::ReadOnly));
  EXPECT_EQ(out.readAll().toStdString(), RecordOf(0, Bytes(0, 8)) + "\n" + kEnd + "\n");
}

TEST_F(HexCleanFileTest, RefusalsLeaveNoPartialOutput) {
  const CleanResult malformed =
      CleanHexFile(Write("bad.hex", RecordOf(0, Bytes(0, 8)) + "\n:zz\n"));
  EXPECT_FALSE(malformed.ok);
  EXPECT_EQ(malformed.message, "Line 2: not hexadecimal");
  EXPECT_FALSE(QFile::exists(dir_.filePath("tmp.hex")));

  const CleanResult same = CleanHexFile(Write("tmp.hex", kEnd + "\n"));
  EXPECT_EQ(same.message, "Input file is the same as the output file");
  EXPECT_EQ(same.title, "Illegal input file");

  const CleanResult missing = CleanHexFile(dir_.filePath("none.hex").toStdString());
  EXPECT_EQ(missing.message, "Unable to open file for reading");
  EXPECT_EQ(missing.title, "File Open Error");

  const CleanResult longName = CleanHexFile(std::string(300, 'x') + "/in.hex");
  EXPECT_EQ(longName.message, "File name too long");
  EXPECT_EQ(longName.title, "File name error");
}

}  // namespace
}  // namespace corvalis
