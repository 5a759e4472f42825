#include "protocol/CompositeFormat.h"

#include <bit>

namespace corvalis {
namespace {

constexpr int kCountModeChars[4] = {0, 2, 4, 16};
constexpr int kExtraBlockChars[4] = {0, 14, 28, 30};

}  // namespace

int CompositeFormat::PerTagChars() const {
  return 16 + (hasExtraPerTag ? 2 : 0) + kCountModeChars[countMode];
}

int CompositeFormat::LeadChars() const {
  return 2 + (hasLengthByte ? 2 : 0) + (carriesFormatBytes ? 4 : 0) + (hasReaderId ? 2 : 0) +
         (hasFurtherByte ? 2 : 0) + (hasTagCount ? 2 : 0);
}

int CompositeFormat::TailChars() const {
  return extraBlockChars + (wideTrailer ? 4 : 0) + 2;
}

CompositeFormat CompositeFormat::Derive(uint8_t f, uint8_t g, uint16_t mask) {
  CompositeFormat c;
  c.f = f;
  c.g = g;
  c.mask = mask;
  c.compositeMode = (f & 0x80) != 0;
  c.carriesFormatBytes = (f & 0x40) != 0;
  c.hasReaderId = (f & 0x20) != 0;
  c.hasFurtherByte = (f & 0x10) != 0;
  c.hasLengthByte = (f & 0x08) != 0;
  c.hasTagCount = (f & 0x04) != 0;
  c.hasExtraPerTag = (f & 0x02) != 0;
  c.variableLength = (f & 0x01) != 0;
  c.wideTrailer = (g & 0x80) != 0;
  c.countMode = g & 0x03;
  c.extraBlockChars = kExtraBlockChars[(g >> 2) & 0x03];
  c.maskTagCount = std::popcount(mask);
  c.expectedLength = c.LeadChars() + c.maskTagCount * c.PerTagChars() + c.TailChars();
  return c;
}

}  // namespace corvalis
