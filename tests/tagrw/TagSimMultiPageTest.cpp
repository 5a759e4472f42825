#include <gtest/gtest.h>

#include <string>

#include "protocol/Checksums.h"
#include "tagrw/MultiPage.h"
#include "tagrw/TagSimCommands.h"

namespace corvalis {
namespace {

TEST(TagSimCommandsTest, IdAndSeedInputIsRefusedUnlessHexAndInRange) {
  EXPECT_EQ(ParseSimTagId("123456789abc", true).value_or("-"), "123456789abc");
  EXPECT_FALSE(ParseSimTagId("123456789abc1", true));  // 13 digits with a generated CRC
  EXPECT_TRUE(ParseSimTagId("123456789abcdef0", false));
  EXPECT_FALSE(ParseSimTagId("12345678zz", false));
  EXPECT_FALSE(ParseSimTagId("12 34", false));
  EXPECT_FALSE(ParseSimTagId("", false));
  EXPECT_EQ(ParseSimCrcSeed("0xffff").value_or(0), 0xffff);
  EXPECT_EQ(ParseSimCrcSeed("4660").value_or(0), 0x1234);
  for (const char* bad : {"0x10000", "65536", "-1", "0xfffg", "", "ffff"})
    EXPECT_FALSE(ParseSimCrcSeed(bad)) << bad;
  EXPECT_EQ(FormatSimCrcSeed(0xff), "0x00ff");
}

TEST(TagSimCommandsTest, BodiesCarryTheFieldsAndTheDelayIsCountedDown) {
  EXPECT_EQ(SimSendIdBody("123456789abc", true, 0xffff), "0811123456789abc1850");
  EXPECT_EQ(SimSendIdBody("ABC", false, 0), "0811abc0000000000000");
  // A CRC over the padded ID: the seed alone changes it.
  EXPECT_NE(SimSendIdBody("123456789abc", true, 0x0000), "0811123456789abc1850");
  EXPECT_EQ(SimSetTagBody(3, "123456789abc", true, "1850"), "091503123456789abc1850");
  EXPECT_EQ(SimDelayBody(187), "0216ff45");
  EXPECT_EQ(SimDelayBody(0), "0216ffff");  // 65536 does not fit: limited
  EXPECT_EQ(SimDelayBody(65535), "02160001");
  EXPECT_EQ(SimAlgorithmBody(5, 2), "041305000200");
  EXPECT_EQ(SimNumTagsBody(127), "01157f");
}

TEST(MultiPageTest, ScriptsFrameEachPageAndCountInX1) {
  std::array<std::string, kTagPages> pages;
  pages.fill("00000000ffff0000");
  pages[4] = "0123456789ABCDEF";
  const std::vector<std::string> load = LoadBufferScript(0, 3, 2, pages);
  ASSERT_EQ(load.size(), 5u);
  EXPECT_EQ(load[0], "Set x1 1");
  EXPECT_EQ(load[1].substr(0, 26), "ab00092e0300000000ffff0000");
  EXPECT_EQ(load[3].substr(0, 26), "ab00092e040123456789abcdef");
  EXPECT_EQ(load[4], "Inc x1");
  for (size_t i : {1u, 3u}) {
    EXPECT_EQ(load[i].size(), 28u);
    EXPECT_TRUE(CheckLrc(load[i].data() + 2, static_cast<int>(load[i].size()) - 2)) << load[i];
  }
  const std::vector<std::string> read = ReadBufferScript(7, 14, 1);
  ASSERT_EQ(read.size(), 3u);
  EXPECT_EQ(read[1].substr(0, 10), "ab07f12e0e");
  EXPECT_EQ(LimitPageCount(10, 9), 5);
  EXPECT_EQ(LimitPageCount(14, 9), 1);
  EXPECT_EQ(LimitPageCount(1, 9), 9);
}

TEST(MultiPageTest, WriteBodyUsesTheSequenceAndTargetFlags) {
  TransmitSequence sequence;
  EXPECT_EQ(MultiPageWriteBody(sequence, 1, 9, TransmitTarget::kAddressed, false, false, ""),
            "032d001962");
  EXPECT_EQ(MultiPageWriteBody(sequence, 1, 9, TransmitTarget::kAddressed, false, true, ""),
            "032d01196a");
  EXPECT_EQ(MultiPageWriteBody(sequence, 2, 3, TransmitTarget::kSpecific, true, false, "ABC"),
            "0b2d022367abc0000000000000");
}

TEST(MultiPageTest, UseTextPacksLatin1AndRefusesWhatDoesNotFit) {
  PackedText hello = PackTextIntoPages("Hello", false, MultiPageCrcKind::kKvq);
  ASSERT_TRUE(hello.error.empty());
  ASSERT_EQ(hello.pages.size(), 1u);
  EXPECT_EQ(hello.pages[0], "48656c6c6f000000");

  // Six characters a page with a CRC after them.
  PackedText withCrc = PackTextIntoPages("abcdefgh", true, MultiPageCrcKind::kKvq);
  ASSERT_EQ(withCrc.pages.size(), 2u);
  EXPECT_EQ(withCrc.pages[0].substr(0, 12), "616263646566");
  EXPECT_EQ(withCrc.pages[0].substr(12), MultiPageCrc("616263646566", MultiPageCrcKind::kKvq));
  EXPECT_EQ(withCrc.pages[1], "676800000000" + MultiPageCrc("6768", MultiPageCrcKind::kKvq));

  // Latin-1 fits one digit pair; anything above U+00FF would spill over.
  EXPECT_EQ(PackTextIntoPages("\xc3\xa9", false, MultiPageCrcKind::kKvq).pages[0],
            "e900000000000000");
  EXPECT_FALSE(PackTextIntoPages("1 \xe2\x82\xac", false, MultiPageCrcKind::kKvq).error.empty());
  EXPECT_FALSE(PackTextIntoPages("\xc3", false, MultiPageCrcKind::kKvq).error.empty());

  // 14 pages hold 112 characters, or 84 with CRCs; more is refused, not cut.
  EXPECT_EQ(PackTextIntoPages(std::string(112, 'x'), false, MultiPageCrcKind::kKvq).pages.size(),
            14u);
  EXPECT_FALSE(
      PackTextIntoPages(std::string(113, 'x'), false, MultiPageCrcKind::kKvq).error.empty());
  EXPECT_TRUE(PackTextIntoPages(std::string(84, 'x'), true, MultiPageCrcKind::kKvq).error.empty());
  const PackedText over = PackTextIntoPages(std::string(85, 'x'), true, MultiPageCrcKind::kKvq);
  EXPECT_TRUE(over.pages.empty());
  EXPECT_NE(over.error.find("84"), std::string::npos) << over.error;
}

TEST(MultiPageTest, BufferReadBackIsTakenOnlyFromItsOwnReply) {
  const BufferPage page = BufferPageOfReply("ab00092e050123456789ABCDEF00");
  EXPECT_EQ(page.page, 5);
  EXPECT_EQ(page.data, "0123456789abcdef");
  EXPECT_EQ(BufferPageOfReply("ab00092105012345678").page, -1);
  EXPECT_EQ(BufferPageOfReply("ab00092e1f0123456789abcdef00").page, -1);  // no page 31
  EXPECT_EQ(BufferPageOfReply("ab00092e050123456789abcdeg00").page, -1);
}

}  // namespace
}  // namespace corvalis
