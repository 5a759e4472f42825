#include <gtest/gtest.h>

#include "tagrw/PageHex.h"
#include "tagrw/RwExchange.h"
#include "tagrw/RwStatus.h"

namespace corvalis {
namespace {

TEST(PageHexTest, IncrementAndDecrementCarryInEitherCase) {
  EXPECT_EQ(IncrementHex("000000000000000f"), "0000000000000010");
  EXPECT_EQ(IncrementHex("ffffffffffffffff"), "0000000000000000");
  EXPECT_EQ(IncrementHex("000000000000000F"), "0000000000000010");  // not "G"
  EXPECT_EQ(IncrementHex("09"), "0a");
  EXPECT_EQ(DecrementHex("a0"), "9f");
  EXPECT_EQ(DecrementHex("00"), "ff");
}

TEST(PageHexTest, SameHexIgnoresOnlyTheCaseOfLetters) {
  EXPECT_TRUE(SameHex("0123456789abcdef", "0123456789ABCDEF"));
  EXPECT_FALSE(SameHex("0123456789abcdef", "0123456789abcdee"));
  EXPECT_FALSE(SameHex("0123456789abcdef", "0123456789abcde"));
  EXPECT_TRUE(SameHex("", ""));
}

TEST(PageHexTest, ResultColoursByHowManyLeadingDigitsDiffer) {
  EXPECT_EQ(ComparePage("00000000ffff0000", "00000000FFFF0000"), PageResult::kExact);
  EXPECT_EQ(ComparePage("00000000ffff0000", "10000000ffff0000"), PageResult::kFirstDiffers);
  EXPECT_EQ(ComparePage("00000000ffff0000", "11000000ffff0000"), PageResult::kFirstTwoDiffer);
  EXPECT_EQ(ComparePage("00000000ffff0000", "11100000ffff0000"), PageResult::kDiffers);
  EXPECT_EQ(ComparePage("00000000ffff0000", ""), PageResult::kNoData);
}

TEST(PageHexTest, PageDataAndInversion) {
  EXPECT_TRUE(IsPageData("0123456789ABCDEF"));
  EXPECT_FALSE(IsPageData("0123456789abcde"));
  EXPECT_FALSE(IsPageData("0123456789abcd.*"));
  EXPECT_EQ(InvertHex("0123456789abcdef"), "fedcba9876543210");
  EXPECT_EQ(InvertHex("AB-"), "54-");
}

TEST(PageHexTest, DataLineOfBothGenerations) {
  EXPECT_EQ(PageDataOf("0123456789abcdef"), "0123456789abcdef");
  EXPECT_EQ(PageDataOf("ad4585000000000000f000123456789abcdef0"), "0123456789abcdef");
}

TEST(RwStatusTest, ReadsTheFieldsAndRequiresItsLength) {
  // 16 data bytes: flags, options, CRC, command, pages, retries, word, target.
  const std::string full =
      "ab001026"
      "05"
      "08"
      "11"
      "06"
      "04"
      "5"
      "1"
      "5"
      "0"
      "02"
      "8037"
      "001122334455"
      "00";
  const auto status = ParseRwStatus(full);
  ASSERT_TRUE(status.has_value());
  EXPECT_EQ(status->state, 0x05);
  EXPECT_EQ(status->options, 0x11);
  ASSERT_TRUE(status->dataCrc.has_value());
  EXPECT_EQ(*status->dataCrc, 0x06);
  EXPECT_EQ(status->command, "04");
  EXPECT_EQ(status->startPage, '5');
  EXPECT_EQ(status->code, "8037");
  EXPECT_EQ(status->target, "001122334455");
  // Cut short: the length byte promises more than the line holds.
  EXPECT_FALSE(ParseRwStatus(full.substr(0, 30)).has_value());
  EXPECT_FALSE(ParseRwStatus("ab000126").has_value());
  EXPECT_FALSE(ParseRwStatus("ab0001270000").has_value());
}

TEST(RwStatusTest, OptionsReplyAndBody) {
  const auto options = ParseRwOptions("ab0002281106xx");
  ASSERT_TRUE(options.has_value());
  EXPECT_EQ(options->options, 0x11);
  EXPECT_EQ(options->dataCrc, 0x06);
  EXPECT_EQ(RwOptionsBody(*options), "02281106");
  EXPECT_FALSE(ParseRwOptions("ab000128").has_value());
}

}  // namespace
}  // namespace corvalis
