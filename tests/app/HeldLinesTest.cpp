#include <gtest/gtest.h>

#include <string>

#include "common/HeldLines.h"

namespace corvalis {
namespace {

TEST(HeldLinesTest, KeepsTheNewestLinesOldestFirst) {
  HeldLines held(3);
  EXPECT_TRUE(held.Empty());
  EXPECT_EQ(held.TakeJoined(), "");
  held.Add("one");
  held.Add("two");
  EXPECT_EQ(held.TakeJoined(), "one\ntwo");
  EXPECT_TRUE(held.Empty());
  // Many more than the limit, of changing lengths: the oldest go, the order
  // stays, also across the moves of the held text.
  for (int k = 1; k <= 1000; ++k)
    held.Add(std::string(static_cast<size_t>(k % 7), '.') + std::to_string(k));
  EXPECT_EQ(held.TakeJoined(), "....998\n.....999\n......1000");
  held.Add("after");
  EXPECT_EQ(held.TakeJoined(), "after");
}

TEST(HeldLinesTest, ClearDropsHeldLinesAndEmptyLinesCount) {
  HeldLines held(2);
  held.Add("gone");
  held.Clear();
  EXPECT_TRUE(held.Empty());
  held.Add("");
  held.Add("kept");
  EXPECT_EQ(held.TakeJoined(), "\nkept");
}

}  // namespace
}  // namespace corvalis
