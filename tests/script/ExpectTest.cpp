#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "channels/ChannelTestSupport.h"
#include "script/Expect.h"

namespace corvalis {
namespace {

// Expects in a whole console on a manual clock; replies come over a socat
// pty or through the dispatcher, as the channels would hand them over.
class ExpectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StateMachine& m = fixture.context->machines().Create("Caller");
    done = m.AddEvent("Done");
    other = m.AddEvent("Other");
    noMatch = m.AddEvent("NoMatch");
  }
  void TearDown() override { fixture.context->channels().CloseAll(); }

  bool OpenPty() {
    if (!pty.Start()) return false;
    ChannelSettings reader;
    reader.name = pty.ConsoleEnd();
    fixture.WriteSection(0, reader);
    fixture.context->channels().Start();
    return QTest::qWaitFor([&] { return fixture.context->channels().IsOpen(0); }, 3000);
  }
  void Tick() {
    fixture.clock.AdvanceMs(100);
    fixture.context->Tick();
  }
  // What the reader end received within a short wait.
  std::string ReaderGot(int waitMs = 30) {
    std::string got;
    static_cast<void>(QTest::qWaitFor(
        [&] {
          got += pty.Receive();
          return !got.empty();
        },
        waitMs));
    return got;
  }
  void Line(int channel, std::string text) {
    text.push_back('\0');
    fixture.context->dispatcher().DispatchMessage(0, channel, text.data(),
                                                  static_cast<int>(text.size() - 1));
  }
  ExpectList& list() { return fixture.context->expects(); }
  MachineRegistry& machines() { return fixture.context->machines(); }

  testing::ConsoleFixture fixture;
  testing::PtyPair pty;
  MachineEvent* done = nullptr;
  MachineEvent* other = nullptr;
  MachineEvent* noMatch = nullptr;
  int result = 99;
  std::vector<int> callbacks;
  Expect::DoneCallback record = [this](Expect&, int index) { callbacks.push_back(index); };
};

TEST_F(ExpectTest, ThreeUnansweredAttemptsASecondApartThenNoMatch) {
  if (!OpenPty()) GTEST_SKIP() << "socat is not available";
  Expect expect(list());
  expect.Arm("ab00001627\r\n", 3, 1000, {{"^ab..0016(..)$", done}}, &result, record, 0,
             Expect::kMatchCommandChannel);
  expect.SetNoMatchEvent(noMatch);
  expect.Go();
  machines().RunAllMachines();
  std::vector<int> sendTicks;
  if (ReaderGot(500) == "ab00001627\r\n") sendTicks.push_back(0);
  for (int tick = 1; tick <= 35 && expect.Active(); ++tick) {
    Tick();
    // Long enough for socat to relay a send on a loaded machine; a tick with
    // nothing to send waits it out.
    if (ReaderGot(100) == "ab00001627\r\n") sendTicks.push_back(tick);
  }
  EXPECT_EQ(sendTicks, (std::vector<int>{0, 10, 20}));
  EXPECT_FALSE(expect.Active());
  EXPECT_EQ(result, -1);
  EXPECT_EQ(callbacks, std::vector<int>{-1});
  EXPECT_TRUE(noMatch->IsSet());
  EXPECT_FALSE(done->IsSet());
}

TEST_F(ExpectTest, ReplyToTheSecondAttemptOverThePtyGivesIndexZero) {
  if (!OpenPty()) GTEST_SKIP() << "socat is not available";
  Expect expect(list());
  expect.Arm("ab00001627\r\n", 3, 1000, {{"^ab..0016(..)$", done}}, &result, record, 0,
             Expect::kMatchCommandChannel);
  expect.Go();
  machines().RunAllMachines();
  EXPECT_FALSE(ReaderGot(500).empty());
  for (int tick = 0; tick < 10; ++tick) Tick();
  EXPECT_EQ(ReaderGot(500), "ab00001627\r\n");
  pty.Send("ab0100164a\r\n");
  ASSERT_TRUE(QTest::qWaitFor([&] { return expect.Matched(); }, 3000));
  Tick();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(expect.SubMatch(0), "4a");
  EXPECT_EQ(expect.LastLine(), "ab0100164a");
  EXPECT_TRUE(done->IsSet());
  EXPECT_GT(expect.TimeLeftAtMatch(), 0);
  for (int tick = 0; tick < 15; ++tick) Tick();
  EXPECT_EQ(ReaderGot(50), "");  // no third attempt
}

TEST_F(ExpectTest, LowerIndexWinsAndOnlyTheFirstEventfulPatternPosts) {
  Expect expect(list());
  expect.Arm("", 1, 1000, {{"^ab", nullptr}, {"^ab01", done}, {"^ab0100", other}}, &result, record,
             2, Expect::kMatchCommandChannel);
  expect.Go();
  machines().RunAllMachines();
  Line(1, "ab0100150c");  // another channel
  EXPECT_FALSE(expect.Matched());
  Line(2, "ab0100150c");
  Tick();
  EXPECT_EQ(result, 0);
  EXPECT_EQ(expect.LineCount(0), 1);
  EXPECT_EQ(expect.LineCount(2), 0);
  EXPECT_FALSE(other->IsSet());
}

TEST_F(ExpectTest, AnyChannelAndAPatternWithoutEventEndsAtTheTimeOutWithoutResend) {
  Expect expect(list());
  expect.Arm("", 3, 500, {{"^x$", nullptr}}, &result, record, 0, Expect::kMatchAnyChannel);
  expect.Go();
  machines().RunAllMachines();
  Line(3, "x");
  Tick();
  EXPECT_TRUE(expect.Active());
  for (int tick = 0; tick < 5; ++tick) Tick();
  EXPECT_FALSE(expect.Active());
  EXPECT_EQ(result, 0);
  EXPECT_EQ(callbacks, std::vector<int>{0});
}

TEST_F(ExpectTest, ZeroAttemptsEndAtOnceWithNothingSent) {
  Expect expect(list());
  expect.Arm("never", 0, 1000, {{"^x$", done}}, &result, record, 0, -10);
  expect.SetNoMatchEvent(noMatch);
  expect.Go();
  machines().RunAllMachines();
  EXPECT_EQ(result, -1);
  EXPECT_TRUE(noMatch->IsSet());
}

TEST_F(ExpectTest, ChainCompletesOneElementPerLine) {
  Expect root(list());
  Expect second(list());
  Expect third(list());
  int secondResult = 99;
  int thirdResult = 99;
  root.Arm("", 1, 1000, {{"^x$", done}}, &result, record, 0, -10);
  ASSERT_EQ(second.Chain(root, 1000, {{"^x$", other}}, &secondResult, nullptr, -2, -10), 0);
  ASSERT_EQ(third.Chain(root, 1000, {{"^x$", other}}, &thirdResult, nullptr, -2, -10), 0);
  EXPECT_EQ(third.Chain(root, 1000, {{"^x$", other}}, &thirdResult, nullptr, -2, -10), 1);
  root.Go();
  machines().RunAllMachines();
  // One line satisfies one element only: each is offered it once.
  Line(0, "x");
  EXPECT_EQ(root.ChainPosition(), 1);
  EXPECT_EQ(secondResult, -1);
  Line(0, "x");
  EXPECT_EQ(root.ChainPosition(), 2);
  EXPECT_EQ(secondResult, 0);
  EXPECT_EQ(thirdResult, -1);
  EXPECT_EQ(callbacks, std::vector<int>{});
  Line(0, "x");
  EXPECT_EQ(thirdResult, 0);
  Tick();
  EXPECT_EQ(callbacks, std::vector<int>{0});
  EXPECT_EQ(root.ChainPosition(), -1);
}

TEST_F(ExpectTest, ChainElementsShareTheRootDeadline) {
  Expect root(list());
  Expect second(list());
  int secondResult = 99;
  root.Arm("", 1, 300, {{"^a$", done}}, &result, record, 0, -10);
  second.Chain(root, 2000, {{"^b$", other}}, &secondResult, nullptr, -2, -10);
  root.Go();
  machines().RunAllMachines();
  Line(0, "a");
  for (int tick = 0; tick < 10; ++tick) Tick();
  EXPECT_TRUE(root.Active());  // the second element's 2 s now run
  for (int tick = 0; tick < 11; ++tick) Tick();
  EXPECT_FALSE(root.Active());
  EXPECT_EQ(secondResult, -1);
}

TEST_F(ExpectTest, LongLineSubMatchesAreBounded) {
  Expect expect(list());
  expect.Arm("", 1, 1000, {{"^(a+)(b*)(c)?$", done}}, &result, record, 0, -10);
  expect.Go();
  machines().RunAllMachines();
  Line(0, std::string(1000, 'a'));
  EXPECT_EQ(expect.SubMatch(0).size(), 131u);
  EXPECT_EQ(expect.SubMatch(1), "");
  EXPECT_EQ(expect.SubMatch(2), "");
  EXPECT_EQ(expect.SubMatch(10), "");
}

TEST_F(ExpectTest, KeepsTheLastElevenLines) {
  Expect expect(list());
  expect.Arm("", 1, 1000, {{"^l", nullptr}}, &result, record, 0, -10);
  expect.Go();
  machines().RunAllMachines();
  for (int i = 0; i < 15; ++i) Line(0, "l" + std::to_string(i));
  EXPECT_EQ(expect.LineCount(0), 11);
  for (int tick = 0; tick < 11; ++tick) Tick();
  EXPECT_EQ(expect.LastLine(), "l14");
  expect.ResetLines();
  EXPECT_EQ(expect.LastLine(), "");
}

TEST_F(ExpectTest, BadPatternIsReportedOnceAndNeverMatches) {
  Expect expect(list());
  expect.Arm("", 1, 1000, {{"(unclosed", done}, {"^ok$", other}}, &result, record, 0, -10);
  expect.Go();
  machines().RunAllMachines();
  Line(0, "(unclosed");
  Line(0, "ok");
  Tick();
  EXPECT_EQ(result, 1);
  int reports = 0;
  for (const std::string& line : fixture.status.debugLines)
    reports += line.rfind("Error setting regex ", 0) == 0 ? 1 : 0;
  EXPECT_EQ(reports, 1);
}

// Stacked repetitions would make the C library's matcher take gigabytes.
TEST_F(ExpectTest, StackedRepetitionsAreRefusedLikeBadPatterns) {
  Expect expect(list());
  expect.Arm("", 1, 1000,
             {{"a" + std::string(27, '+'), done}, {"b{9}{9}", done}, {"^c\\+\\+\\+$", other}},
             &result, record, 0, -10);
  expect.Go();
  machines().RunAllMachines();
  Line(0, "aaa");
  Line(0, "c+++");
  Tick();
  EXPECT_EQ(result, 2);
  int reports = 0;
  for (const std::string& line : fixture.status.debugLines)
    reports += line == "Error setting regex Stacked repetitions" ? 1 : 0;
  EXPECT_EQ(reports, 2);
}

TEST_F(ExpectTest, DoneCallbackMayDestroyItsExpect) {
  const int before = list().Count();
  auto expect = std::make_unique<Expect>(list());
  expect->Arm(
      "", 1, 1000, {{"^ok$", done}}, &result,
      [&](Expect&, int index) {
        callbacks.push_back(index);
        expect.reset();
      },
      0, -10);
  expect->Go();
  machines().RunAllMachines();
  Line(0, "ok");
  Tick();
  Tick();
  EXPECT_EQ(expect, nullptr);
  EXPECT_EQ(callbacks, std::vector<int>{0});
  EXPECT_EQ(list().Count(), before);
}

}  // namespace
}  // namespace corvalis
