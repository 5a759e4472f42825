#include "protocol/MessageFormat.h"

#include <gtest/gtest.h>

#include "protocol/CompositeFormat.h"

namespace corvalis {
namespace {

TEST(MessageFormatTest, DefaultsGiveSeventyAndThirtyTwoCharacters) {
  MessageFormat f;
  EXPECT_EQ(f.length1, 70);
  EXPECT_EQ(f.length2, 32);

  // Binary: one byte per two characters, one header byte (binHeader2 is 0).
  f.binary = true;
  f.ComputeLengths();
  EXPECT_EQ(f.length1, 35);
  EXPECT_EQ(f.length2, 16);
  f.binHeader2 = 0x55;
  f.ComputeLengths();
  EXPECT_EQ(f.length1, 36);

  // wideKey lengthens both kinds by one sequence byte.
  MessageFormat wide;
  wide.wideKey = true;
  wide.ComputeLengths();
  EXPECT_EQ(wide.length1, 72);
  EXPECT_EQ(wide.length2, 34);
}

TEST(MessageFormatTest, ApplyFormatBytesTakesEveryBitAndKeepsLocalState) {
  MessageFormat f;
  f.binary = false;
  f.wideKey = true;
  f.missCount = 3;
  f.compositeMode = true;

  FormatBytes bytes;
  bytes.flags1 = 0x41;  // reader ID and LRC only
  bytes.idMask = 0xFC;  // ID bytes 0..5
  bytes.asciiHeader1 = 'a';
  bytes.asciiHeader2 = 0;
  bytes.binHeader1 = 0xAB;
  bytes.binHeader2 = 0xCD;
  bytes.trailer1 = 0x0D;
  bytes.trailer2 = 0x00;
  bytes.separator = ',';
  bytes.flags2 = 0x20;  // line number only
  f.ApplyFormatBytes(bytes);

  EXPECT_TRUE(f.rdrId);
  EXPECT_TRUE(f.lrc);
  EXPECT_FALSE(f.iCount || f.qCount || f.date || f.time || f.hundredths || f.tto);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(f.idByte[i], i < 6) << i;
  EXPECT_TRUE(f.lineNumber);
  EXPECT_FALSE(f.millis || f.msTiming || f.msTimingP);
  EXPECT_EQ(f.asciiHeader1, 'a');
  EXPECT_EQ(f.asciiHeader2, 0);
  EXPECT_EQ(f.binHeader1, 0xAB);
  EXPECT_EQ(f.binHeader2, 0xCD);
  EXPECT_EQ(f.trailer2, 0x00);
  EXPECT_EQ(f.separator, ',');
  EXPECT_EQ(f.flags1, 0x41);
  EXPECT_EQ(f.idMask, 0xFC);
  EXPECT_EQ(f.flags2, 0x20);
  // Kept: not part of the reader's reply.
  EXPECT_TRUE(f.wideKey);
  EXPECT_EQ(f.missCount, 3);
  EXPECT_TRUE(f.compositeMode);
  EXPECT_EQ(f.binHeader1b, 0xAE);

  // header 1 + reader ID 2 + six ID bytes 12 + LRC 2 + line number 4
  EXPECT_EQ(f.length1, 21);
  // 26 + LRC 2 + wideKey 2
  EXPECT_EQ(f.length2, 30);

  bytes.flags1 = 0xFF;
  bytes.idMask = 0xFF;
  bytes.asciiHeader2 = 'a';
  bytes.flags2 = 0x1C;
  f.wideKey = false;
  f.ApplyFormatBytes(bytes);
  EXPECT_EQ(f.length1, 70);
  EXPECT_EQ(f.length2, 32);
}

TEST(CompositeFormatTest, ExpectedLengthFollowsFormatBytesAndMask) {
  EXPECT_EQ(CompositeFormat::Derive(0, 0, 0).expectedLength, 4);
  EXPECT_EQ(CompositeFormat::Derive(0x40, 0, 0).expectedLength, 8);
  EXPECT_EQ(CompositeFormat::Derive(0x3C, 0, 0).expectedLength, 12);

  // One tag per mask bit; F bit 1 and the count mode add per tag.
  const CompositeFormat perTag = CompositeFormat::Derive(0x02, 0x02, 0x0101);
  EXPECT_EQ(perTag.maskTagCount, 2);
  EXPECT_EQ(perTag.expectedLength, 4 + 2 * (16 + 2 + 4));

  // Everything: lead 14, two tags of 34, extra block 30, wide trailer 4, LRC 2.
  const CompositeFormat all = CompositeFormat::Derive(0xFF, 0x8F, 0x8001);
  EXPECT_EQ(all.expectedLength, 14 + 2 * 34 + 30 + 4 + 2);
  EXPECT_TRUE(all.compositeMode);
  EXPECT_TRUE(all.variableLength);
  EXPECT_EQ(all.countMode, 3);

  const int extraBlocks[4] = {0, 14, 28, 30};
  for (int mode = 0; mode < 4; ++mode) {
    const auto g = static_cast<uint8_t>(mode << 2);
    EXPECT_EQ(CompositeFormat::Derive(0, g, 0).expectedLength, 4 + extraBlocks[mode]);
  }
  EXPECT_FALSE(CompositeFormat::Derive(0x7E, 0, 0).compositeMode);
  EXPECT_FALSE(CompositeFormat::Derive(0xFE, 0, 0).variableLength);
}

}  // namespace
}  // namespace corvalis
