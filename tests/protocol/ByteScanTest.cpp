#include "protocol/ByteScan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "protocol/Hex.h"

namespace corvalis {
namespace {

// The block scans must agree with a byte-by-byte reading at every length and
// offset, including the bytes around block boundaries.
TEST(ByteScanTest, AgreesWithAPlainScanAtEveryLengthAndOffset) {
  std::mt19937 random(7);
  const std::string alphabet = "0123456789abcdefABCDEFgG\r\n\x80\xff\x2f\x3a\x40\x47\x60\x67";
  for (int trial = 0; trial < 3000; ++trial) {
    std::string text(static_cast<size_t>(random() % 70), '0');
    for (char& c : text) {
      c = random() % 8 == 0 ? alphabet[random() % alphabet.size()] : kLowerHexDigits[random() % 16];
    }
    const int length = static_cast<int>(text.size());
    const int from = length == 0 ? 0 : static_cast<int>(random() % static_cast<unsigned>(length));

    int breakAt = -1;
    for (int i = from; i < length && breakAt < 0; ++i) {
      if (text[static_cast<size_t>(i)] == '\r' || text[static_cast<size_t>(i)] == '\n') breakAt = i;
    }
    bool allHex = true;
    unsigned sum = 0;
    for (char c : text) {
      allHex = allHex && IsHexDigit(c);
      sum += static_cast<unsigned char>(c);
    }
    ASSERT_EQ(FindLineBreak(text.data(), from, length), breakAt) << text;
    ASSERT_EQ(AllHexDigits(text.data(), length), allHex) << text;
    ASSERT_EQ(SumBytes(text.data(), length), sum) << text;
  }
}

}  // namespace
}  // namespace corvalis
