#include "control/ControlTestSupport.h"
#include "control/DecoderControl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control/DeferredCommandQueue.h"
#include "protocol/MessageDispatcher.h"

namespace corvalis {
namespace {

TEST(DecoderConfigBody, SendConfigExampleThenPagesOnTheNextTick) {
  DecoderConfig config;
  config.invert = true;
  config.synth = true;
  config.tagBaud = 2;
  config.threshold = 5;
  config.rwTimeout = 2;
  config.addressMode = 1;
  EXPECT_EQ(SendConfigBody(config), "043b82450509");

  DeferredCommandQueue queue;
  queue.SetSlot(0, 0, 1, ExpectedPagesBody(12));
  queue.Start(1);
  EXPECT_FALSE(queue.Tick(true).has_value());  // waits while a reply is awaited
  const auto due = queue.Tick(false);
  ASSERT_TRUE(due.has_value());
  EXPECT_EQ(due->body, "012a0c");

  const auto back = ParseDecoderConfig("82450509", 4);
  ASSERT_TRUE(back.has_value());
  EXPECT_TRUE(back->invert);
  EXPECT_TRUE(back->synth);
  EXPECT_EQ(back->tagBaud, 2);
  EXPECT_EQ(back->threshold, 5);
  EXPECT_EQ(back->rwTimeout, 2);
  EXPECT_EQ(back->addressMode, 1);
  EXPECT_FALSE(ParseDecoderConfig("824505", 3).has_value());
  EXPECT_FALSE(ParseDecoderConfig("8245", 4).has_value());  // L says more than the line holds
}

TEST(DecoderStatusReply, GenerationsLayOutTheirFields) {
  // v = 15, D3 = 0x21, D4 = 0x07: generation 2, relabelled, threshold from K.
  DecoderStatus s = ParseDecoderStatus(
      "0304cf2107"
      "0a0b0c0d"
      "8b"
      "93",
      11);
  EXPECT_EQ(s.versionText, "v2.1.07");
  EXPECT_EQ(s.generation, 2);
  EXPECT_TRUE(s.relabelledBoxes);
  EXPECT_TRUE(s.timeoutFlag);
  EXPECT_TRUE(s.bufferOverrunFlag);
  EXPECT_EQ(s.edges[0], 10);
  EXPECT_EQ(s.crcs[1], 13);
  EXPECT_EQ(s.config, 0x8b);
  EXPECT_EQ(s.TagBaudIndex(), 0);  // 3 minus bits 0-1
  EXPECT_EQ(s.ExpectedTtoPages(), 2);
  EXPECT_EQ(s.control, 0x93);
  EXPECT_EQ(s.threshold, 3);

  // v = 8: generation 3, levels, threshold after K.
  s = ParseDecoderStatus(
      "0102"
      "08"
      "01020304"
      "4142"
      "0c"
      "f0"
      "77",
      12);
  EXPECT_EQ(s.generation, 3);
  EXPECT_FALSE(s.relabelledBoxes);
  EXPECT_EQ(s.levels[0], 0x41);
  EXPECT_EQ(s.config, 0x0c);
  EXPECT_EQ(s.control, 0xf0);
  EXPECT_EQ(s.threshold, 0x77);

  // v = 10: generation 5, four channels and the I/O text as received.
  s = ParseDecoderStatus(
      "0000"
      "0a"
      "0102030405060708"
      "00"
      "01"
      "Ab",
      14);
  EXPECT_EQ(s.generation, 5);
  EXPECT_TRUE(s.fourChannels);
  EXPECT_EQ(s.edges[3], 4);
  EXPECT_EQ(s.crcs[3], 8);
  EXPECT_EQ(s.control, 1);
  EXPECT_EQ(s.ioText, "Ab");

  // An unknown version shows the version and the counts only.
  s = ParseDecoderStatus(
      "0506"
      "03"
      "0102030405060708",
      11);
  EXPECT_EQ(s.generation, 0);
  EXPECT_EQ(s.versionText, "3");
  EXPECT_EQ(s.errors, 5);
  EXPECT_FALSE(s.edges[0].has_value());
  EXPECT_FALSE(s.config.has_value());
}

TEST(DecoderStatusReply, ShortAndTruncatedRepliesShowOnlyWhatTheyHold) {
  DecoderStatus s = ParseDecoderStatus("", 0);
  EXPECT_TRUE(s.partiallySupported);
  EXPECT_FALSE(s.errors.has_value());
  s = ParseDecoderStatus("07", 1);
  EXPECT_EQ(s.errors, 7);
  EXPECT_FALSE(s.overruns.has_value());
  s = ParseDecoderStatus("0708", 2);
  EXPECT_TRUE(s.partiallySupported);
  EXPECT_EQ(s.overruns, 8);
  s = ParseDecoderStatus("07080f", 3);  // v = 15 without its version bytes
  EXPECT_FALSE(s.partiallySupported);
  EXPECT_EQ(s.generation, 0);
  s = ParseDecoderStatus("070808", 3);  // generation 3, no counters
  EXPECT_EQ(s.generation, 3);
  EXPECT_FALSE(s.edges[0].has_value());
  EXPECT_FALSE(s.threshold.has_value());
  // L larger than the text: only the bytes present are read.
  s = ParseDecoderStatus("00000a0102", 200);
  EXPECT_EQ(s.edges[1], 2);
  EXPECT_FALSE(s.edges[2].has_value());
  EXPECT_TRUE(s.ioText.empty());
}

class Recorder final : public CommandSender {
 public:
  void SendCommand(int, int, const char* body) override { sent.emplace_back(body); }
  std::vector<std::string> sent;
};

TEST(DecoderControlPage, EveryButtonAndSendConfigWaitsForAReply) {
  Recorder sender;
  DeferredCommandQueue queue;
  testing::RecordingChannels channels;
  DecoderControlCommands page(sender, queue, channels);
  page.UpdateStatus(0, 1);
  page.ToggleModulate(0, 1);
  page.ResetFpga(0, 1);
  page.UpdateErrorCounts(0, 1);
  page.GetConfig(0, 1);
  EXPECT_EQ(sender.sent, (std::vector<std::string>{"002b", "013d6d", "013d72", "0045", "ff3b"}));
  DecoderConfig config;
  config.invert = true;
  page.SendConfig(0, 1, config, 12);
  EXPECT_EQ(sender.sent.back(), "043b80000000");
  EXPECT_FALSE(page.SendConfigEnabled());
  const auto due = queue.Tick(false);
  ASSERT_TRUE(due.has_value());
  EXPECT_EQ(due->body, "012a0c");
  page.TakeReply(0x2b, "0708", 2);  // partial: still disabled
  EXPECT_FALSE(page.SendConfigEnabled());
  page.TakeReply(0x3b, "82450509", 4);
  EXPECT_TRUE(page.SendConfigEnabled());
  page.TakeReply(0x45, "000100020003000400050006", 12);
  ASSERT_TRUE(page.ErrorCounts().has_value());
  EXPECT_EQ((*page.ErrorCounts())[5], 6);
}

TEST(DecoderControlPage, SendConfigOnAClosedChannelQueuesNothingAndStaysEnabled) {
  Recorder sender;
  DeferredCommandQueue queue;
  testing::RecordingChannels channels;
  channels.open[2] = false;
  DecoderControlCommands page(sender, queue, channels);
  page.SendConfig(2, 1, DecoderConfig{}, 3);
  // The sender was asked (it shows the closed warning) but no reply will come.
  EXPECT_EQ(sender.sent.size(), 1u);
  EXPECT_TRUE(page.SendConfigEnabled());
  EXPECT_FALSE(queue.Tick(false).has_value());
}

TEST(DecoderErrorCounts, SixSixteenBitCounts) {
  const auto counts = ParseErrorCounts(
      "0001"
      "0100"
      "ffff"
      "0000"
      "000a"
      "1234",
      12);
  ASSERT_TRUE(counts.has_value());
  EXPECT_EQ(*counts, (std::array<int, 6>{1, 256, 65535, 0, 10, 0x1234}));
  EXPECT_FALSE(ParseErrorCounts("00010100ffff0000000a12", 11).has_value());
  EXPECT_FALSE(ParseErrorCounts("0001", 12).has_value());
}

TEST(DecoderAutoUpdateTimer, SendsEveryIntervalAndStopsAtZero) {
  DecoderAutoUpdate update;
  update.SetInterval(2);
  int due = 0;
  for (int i = 0; i < 60; ++i) due += update.Tick() ? 1 : 0;
  EXPECT_EQ(due, 3);
  update.SetInterval(0);
  for (int i = 0; i < 60; ++i) EXPECT_FALSE(update.Tick());
}

}  // namespace
}  // namespace corvalis
