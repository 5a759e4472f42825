#include "protocol/Checksums.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace corvalis {
namespace {

uint8_t LrcOf(const std::string& text) {
  return ComputeLrc(text.data(), static_cast<int>(text.size()));
}

TEST(LrcTest, CommandExampleFramesToPublishedLine) {
  // Reader ID 00, body 010601: LRC over "00010601" is 0x88.
  EXPECT_EQ(LrcOf("00010601"), 0x88);
  char digits[2];
  FormatLrc(0x88, digits);
  EXPECT_EQ(std::string(digits, 2), "88");
  FormatLrc(0x0A, digits);
  EXPECT_EQ(std::string(digits, 2), "0a");
  EXPECT_EQ(LrcOf("abc"), 0x26);
}

TEST(LrcTest, CheckAcceptsEitherCaseAndRejectsMismatchOrGarbage) {
  EXPECT_TRUE(CheckLrc("1234ca", 6));  // '1'+'2'+'3'+'4' = 0xca
  EXPECT_TRUE(CheckLrc("1234CA", 6));
  EXPECT_FALSE(CheckLrc("1234cb", 6));
  EXPECT_FALSE(CheckLrc("1234cz", 6));
  EXPECT_FALSE(CheckLrc("c", 1));
  EXPECT_TRUE(CheckLrc("00", 2));  // nothing summed: LRC 0
}

TEST(LrcTest, SumWrapsToLowByte) {
  const std::string many(300, '\xff');
  EXPECT_EQ(LrcOf(many), 0xd4);  // 300 x 255 = 76500 = 0x12ad4
  // "ffff" sums to 4 x 0x66 = 0x198.
  EXPECT_EQ(LrcOf("ffff"), 0x98);
  EXPECT_TRUE(CheckLrc("ffff98", 6));
}

TEST(TagCrcTest, TableStartsWithPolynomialMultiples) {
  EXPECT_EQ(TagCrcTableEntry(0), 0x0000);
  EXPECT_EQ(TagCrcTableEntry(1), 0x8005);
  EXPECT_EQ(TagCrcTableEntry(2), 0x800F);
  EXPECT_EQ(TagCrcTableEntry(3), 0x000A);
}

TEST(TagCrcTest, PublishedCheckValues) {
  const auto* digits = reinterpret_cast<const uint8_t*>("123456789");
  EXPECT_EQ(TagCrc(digits, 9, 0xFFFF), 0xAEE7);  // CRC-16/CMS
  EXPECT_EQ(TagCrc(digits, 9, 0x0000), 0xFEE8);  // CRC-16/UMTS
}

TEST(TagCrcTest, CompletesSixByteIdsWithEitherSeed) {
  const uint8_t id[6] = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(TagCrc(id, 6, 0xFFFF), 0xDA6F);
  EXPECT_EQ(TagCrc(id, 6, 0x0000), 0xDAB7);
  const auto* abc = reinterpret_cast<const uint8_t*>("abc");
  EXPECT_EQ(TagCrc(abc, 3, 0xFFFF), 0x44D8);
}

TEST(TagCrcTest, ChainedComputationEqualsOneRun) {
  const auto* digits = reinterpret_cast<const uint8_t*>("123456789");
  const uint16_t head = TagCrcFrom(digits, 4, 0xFFFF);
  EXPECT_EQ(TagCrcFrom(digits + 4, 5, head), TagCrc(digits, 9, 0xFFFF));
  EXPECT_EQ(TagCrc(digits, 0, 0x1234), 0x1234);
}

}  // namespace
}  // namespace corvalis
