#include "script/DiagTrace.h"

#include <gtest/gtest.h>

#include <string>

namespace corvalis {
namespace {

TEST(DiagTraceTest, LevelFiltersAndEmptyTextShowsPlaceholder) {
  DiagnosticsTrace trace;
  trace.DiagTrace(1, "event\r\n");
  trace.DiagTrace(5, "running\r\n");
  trace.DiagTrace(3, "");
  ASSERT_EQ(trace.LineCount(), 2);
  EXPECT_EQ(trace.Line(0), "event");
  EXPECT_EQ(trace.Line(1), "????");
  trace.SetLevel(42);
  EXPECT_EQ(trace.Level(), DiagnosticsTrace::kMaxLevel);
}

TEST(DiagTraceTest, OpenLineIsContinuedAndCarriageReturnsDropped) {
  DiagnosticsTrace trace;
  trace.DiagTrace(0, "A");
  EXPECT_TRUE(trace.LineOpen());
  trace.DiagTrace(0, "B\r\n");
  trace.DiagTrace(0, "one\r\ntwo\nthree");
  ASSERT_EQ(trace.LineCount(), 4);
  EXPECT_EQ(trace.Line(0), "AB");
  EXPECT_EQ(trace.Line(1), "one");
  EXPECT_EQ(trace.Line(3), "three");
  EXPECT_TRUE(trace.LineOpen());
}

TEST(DiagTraceTest, KeepsAboutAHundredLinesPlusTheLatestText) {
  DiagnosticsTrace trace;
  for (int i = 0; i < 250; ++i) trace.DiagTrace(0, "line " + std::to_string(i) + "\r\n");
  EXPECT_LE(trace.LineCount(), DiagnosticsTrace::kKeptLines + 1);
  EXPECT_EQ(trace.Line(trace.LineCount() - 1), "line 249");
  std::string many;
  for (int i = 0; i < 300; ++i) many += "x\n";
  trace.DiagTrace(0, many);
  EXPECT_EQ(trace.LineCount(), DiagnosticsTrace::kKeptLines + 300);
  EXPECT_EQ(trace.Line(DiagnosticsTrace::kKeptLines - 1), "line 249");
  trace.DiagTrace(0, "after\n");
  EXPECT_EQ(trace.LineCount(), DiagnosticsTrace::kKeptLines + 1);
  EXPECT_EQ(trace.Line(trace.LineCount() - 1), "after");
}

}  // namespace
}  // namespace corvalis
