#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tagrw/IdSet.h"

namespace corvalis {
namespace {

std::string Hex(uint64_t id) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(id));
  return text;
}

TEST(IdSetTest, EachIdIsNewOnceAcrossGrowth) {
  IdSet set;
  // IDs that differ only in their high bytes, many more than the first table
  // holds: every one stays findable after the table grows.
  constexpr uint64_t kCount = 20'000;
  for (uint64_t k = 1; k <= kCount; ++k) EXPECT_TRUE(set.Insert(Hex(k << 40))) << k;
  for (uint64_t k = 1; k <= kCount; ++k) EXPECT_FALSE(set.Insert(Hex(k << 40))) << k;
  EXPECT_TRUE(set.Insert(Hex(1)));
}

TEST(IdSetTest, AllZeroIdAndOtherTextsAreIdsOfTheirOwn) {
  IdSet set;
  EXPECT_TRUE(set.Insert("0000000000000000"));
  EXPECT_FALSE(set.Insert("0000000000000000"));
  // Upper case, short and long texts are not the packed ID they resemble.
  EXPECT_TRUE(set.Insert("0123456789abcdef"));
  EXPECT_TRUE(set.Insert("0123456789ABCDEF"));
  EXPECT_FALSE(set.Insert("0123456789ABCDEF"));
  EXPECT_TRUE(set.Insert("123456789abcdef"));
  EXPECT_TRUE(set.Insert("0123456789abcdef0"));
  EXPECT_TRUE(set.Insert("not an id"));
  EXPECT_FALSE(set.Insert("not an id"));
}

TEST(IdSetTest, ClearForgetsEveryKind) {
  IdSet set;
  for (uint64_t k = 0; k < 5000; ++k) set.Insert(Hex(k));
  set.Insert("XYZ");
  set.Clear();
  EXPECT_TRUE(set.Insert(Hex(0)));
  EXPECT_TRUE(set.Insert(Hex(4999)));
  EXPECT_TRUE(set.Insert("XYZ"));
}

}  // namespace
}  // namespace corvalis
