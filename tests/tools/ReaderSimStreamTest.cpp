#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "FormatPresets.h"
#include "PassScheduler.h"
#include "Simulator.h"
#include "common/Clock.h"
#include "protocol/Checksums.h"
#include "protocol/ReceiveSpine.h"
#include "support/RecordingStatus.h"

namespace corvalis::readersim {
namespace {

constexpr WallTime kStart{1'741'955'696, 0};

int64_t Ms(WallTime t) {
  return int64_t{t.sec} * 1000 + t.ms;
}

// Every read of the scheduler over `durationMs`, polled every `stepMs`.
std::vector<ScheduledRead> RunFor(PassScheduler& scheduler, ManualClock& clock, int64_t durationMs,
                                  int stepMs = 7) {
  std::vector<ScheduledRead> reads;
  for (int64_t t = 0; t <= durationMs; t += stepMs) {
    scheduler.Poll(reads);
    clock.AdvanceMs(stepMs);
  }
  return reads;
}

struct Burst {
  int64_t firstMs = 0;
  int64_t lastMs = 0;
  int reads = 0;
  int64_t widestSpacingMs = 0;
};

// Reads of one tag cut where the tag was silent longer than the console's
// 500 ms wait: what the console would see as passes.
std::map<int, std::vector<Burst>> BurstsByTag(const std::vector<ScheduledRead>& reads) {
  std::map<int, std::vector<Burst>> bursts;
  for (const ScheduledRead& r : reads) {
    auto& list = bursts[r.tag];
    if (list.empty() || r.atMs - list.back().lastMs > 500) {
      list.push_back({r.atMs, r.atMs, 1, 0});
    } else {
      Burst& b = list.back();
      b.widestSpacingMs = std::max(b.widestSpacingMs, r.atMs - b.lastMs);
      b.lastMs = r.atMs;
      ++b.reads;
    }
  }
  return bursts;
}

void ExpectCleanPasses(const std::map<int, std::vector<Burst>>& bursts, int readsPerPass) {
  for (const auto& [tag, list] : bursts) {
    for (size_t i = 0; i < list.size(); ++i) {
      EXPECT_EQ(list[i].reads, readsPerPass) << "tag " << tag << " burst " << i;
      EXPECT_LE(list[i].widestSpacingMs, kMaxReadSpacingMs);
      if (i > 0) {
        EXPECT_GE(list[i].firstMs - list[i - 1].lastMs, kMinGapMs);
      }
    }
  }
}

TEST(PassSchedulerTest, PassLimitGivesExactlyThatManyBurstsThenSilence) {
  ManualClock clock(kStart);
  PassScheduler scheduler({.tags = 1, .rate = 20, .readsPerPass = 3, .passLimit = 3, .seed = 5},
                          clock);
  const auto reads = RunFor(scheduler, clock, 10'000);
  const auto bursts = BurstsByTag(reads);
  ASSERT_EQ(bursts.size(), 1u);
  EXPECT_EQ(bursts.at(0).size(), 3u);
  ExpectCleanPasses(bursts, 3);
  EXPECT_TRUE(scheduler.Finished());
  EXPECT_EQ(reads.size(), 9u);
}

TEST(PassSchedulerTest, ManyTagsKeepTheRateWithoutBreakingPasses) {
  ManualClock clock(kStart);
  PassScheduler scheduler({.tags = 30, .rate = 40, .readsPerPass = 5, .seed = 9}, clock);
  const auto reads = RunFor(scheduler, clock, 30'000);
  // 40 slots a second, one read each while a tag is in the field.
  EXPECT_LE(reads.size(), 40u * 30 + 1);
  EXPECT_GE(reads.size(), 40u * 30 * 9 / 10);
  auto bursts = BurstsByTag(reads);
  EXPECT_EQ(bursts.size(), 30u);
  // The pass still running when the run stops may be cut short.
  for (auto& [tag, list] : bursts) {
    if (list.back().lastMs > Ms(kStart) + 29'000) list.pop_back();
  }
  ExpectCleanPasses(bursts, 5);
  for (size_t i = 1; i < reads.size(); ++i) EXPECT_GE(reads[i].atMs, reads[i - 1].atMs);
}

TEST(PassSchedulerTest, FieldOffEndsPassesAndKeepsTheGap) {
  ManualClock clock(kStart);
  PassScheduler scheduler({.tags = 2, .rate = 20, .readsPerPass = 10, .seed = 3}, clock);
  auto reads = RunFor(scheduler, clock, 120);
  ASSERT_FALSE(reads.empty());
  scheduler.EndPasses();
  EXPECT_EQ(scheduler.PassesCompleted(), 2);
  clock.AdvanceMs(100);
  scheduler.Resume();
  auto later = RunFor(scheduler, clock, 5000);
  ASSERT_FALSE(later.empty());
  EXPECT_GE(later.front().atMs - reads.back().atMs, kMinGapMs);
}

// The simulator's bytes fed through the console's own receive path.
class ConsoleSideTest : public ::testing::Test {
 protected:
  struct Sink final : TagReadSink {
    void RecordTagRead(const TagRead& read) override {
      if (read.pages != nullptr) {
        ++pageReads;
      } else {
        reads.push_back(read);
      }
    }
    std::vector<TagRead> reads;
    int pageReads = 0;
  };

  // Asks the simulator for its format the way the console does and takes it
  // over for channel 1.
  void LearnFormat(Simulator& sim, bool binary) {
    std::vector<std::string> chunks;
    const std::string query = "ab00ff118e\r\n";
    sim.Receive(query.data(), query.size(), chunks);
    std::string reply;
    for (const auto& c : chunks) reply += c;
    ASSERT_EQ(reply.substr(4, 4), "0a11");
    uint8_t bytes[10];
    for (int i = 0; i < 10; ++i) {
      bytes[i] = static_cast<uint8_t>(std::stoi(reply.substr(8 + 2 * i, 2), nullptr, 16));
    }
    const FormatBytes b{bytes[0], bytes[1], bytes[2], bytes[3], bytes[4],
                        bytes[5], bytes[6], bytes[7], bytes[8], bytes[9]};
    MessageFormat& format = spine.formats.format[1];
    format.binary = binary;
    format.ApplyFormatBytes(b);
  }

  void Feed(const std::string& bytes) {
    spine.framer.AppendTcp(1, bytes.data(), static_cast<int>(bytes.size()));
  }

  ManualClock clock{kStart};
  ProtocolSettings settings;
  testing::RecordingStatus status;
  ReceiveSpine spine{settings, clock, status};
  Sink sink;
};

class RoundTripTest : public ConsoleSideTest,
                      public ::testing::WithParamInterface<std::pair<FormatPreset, bool>> {};

TEST_P(RoundTripTest, EveryIntactMessageDecodesToTheScheduledRead) {
  const auto [preset, noise] = GetParam();
  Options options;
  options.format = preset;
  options.tags = 20;
  options.rate = 100;
  options.noise = noise;
  options.readerId = 3;
  options.tamper = true;
  options.flagFS = true;
  Simulator sim(options, clock);
  LearnFormat(sim, preset == FormatPreset::kBinary);
  spine.decoder.SetTagReadSink(&sink);

  sim.StartStream();
  std::vector<std::string> chunks;
  for (int step = 0; step < 600; ++step) {
    sim.Poll(chunks);
    for (const std::string& c : chunks) Feed(c);
    chunks.clear();
    clock.AdvanceMs(10);
  }

  const SimStats& stats = sim.State().stats;
  ASSERT_GT(stats.readsSent, 150u);
  if (noise) {
    EXPECT_GT(stats.noiseLines, 0);
  }
  const MessageFormat& f = sim.State().format;
  // Without an LRC a damaged message cannot exist, only garbage lines.
  const uint32_t damaged = f.lrc ? stats.noiseLines : 0;
  EXPECT_GE(sink.reads.size() + damaged, stats.readsSent);
  EXPECT_LE(sink.reads.size(), stats.readsSent);
  EXPECT_EQ(sink.pageReads, 0);

  for (const TagRead& read : sink.reads) {
    bool known = false;
    for (int t = 0; t < options.tags; ++t) {
      known |= std::equal(read.tagBytes, read.tagBytes + 8, sim.Encoder().Id(t).begin());
    }
    EXPECT_TRUE(known);
    if (f.rdrId) {
      EXPECT_EQ(read.readerId, 3);
    }
    if (f.tto) {
      EXPECT_TRUE(read.tamper && read.flagFS && !read.flagLS);
    }
    if (f.date) {
      const int64_t at = int64_t{read.firstSeenSec} * 1000 + read.firstSeenMs;
      EXPECT_GE(at, Ms(kStart));
      EXPECT_LE(at, Ms(kStart) + 6000);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Presets, RoundTripTest,
                         ::testing::Values(std::pair{FormatPreset::kDefault, false},
                                           std::pair{FormatPreset::kDefault, true},
                                           std::pair{FormatPreset::kStandard, true},
                                           std::pair{FormatPreset::kReduced, false},
                                           std::pair{FormatPreset::kReduced, true},
                                           std::pair{FormatPreset::kBinary, false},
                                           std::pair{FormatPreset::kBinary, true}));

TEST(SimulatorTest, RfOffStopsTheStreamAndRfOnResumesIt) {
  ManualClock clock(kStart);
  Options options;
  options.rate = 50;
  Simulator sim(options, clock);
  std::vector<std::string> out;
  EXPECT_EQ(sim.MsUntilNextPoll(), -1);  // no client yet
  sim.StartStream();
  sim.Poll(out);
  ASSERT_EQ(out.size(), 1u);

  const std::string off = "ab0001060087\r\n";
  out.clear();
  sim.Receive(off.data(), off.size(), out);
  EXPECT_EQ(out, std::vector<std::string>{"ab0001060087\r\n"});
  EXPECT_EQ(sim.MsUntilNextPoll(), -1);
  clock.AdvanceMs(3000);
  out.clear();
  sim.Poll(out);
  EXPECT_TRUE(out.empty());

  const std::string on = "ab0001060188\r\n";
  sim.Receive(on.data(), on.size(), out);
  out.clear();
  sim.Poll(out);
  EXPECT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].size(), 72u);
}

Options UnlimitedOptions() {
  Options options;
  options.unlimited = true;
  options.rate = kUnlimitedRate;
  options.tags = 20;
  options.readsPerPass = 5;
  return options;
}

// The lengths of the CR LF lines in `bytes`; -1 for a piece without an end.
std::vector<int> LineLengths(const std::string& bytes) {
  std::vector<int> lengths;
  size_t from = 0;
  while (from < bytes.size()) {
    const size_t end = bytes.find("\r\n", from);
    if (end == std::string::npos) {
      lengths.push_back(-1);
      break;
    }
    lengths.push_back(static_cast<int>(end + 2 - from));
    from = end + 2;
  }
  return lengths;
}

std::string Hex(uint8_t byte) {
  char text[3];
  std::snprintf(text, sizeof text, "%02x", byte);
  return text;
}

using UnlimitedStreamTest = ConsoleSideTest;

TEST_F(UnlimitedStreamTest, BigChunksOfWholeReadsDecodeFormPassesAndRepeat) {
  const Options options = UnlimitedOptions();
  Simulator sim(options, clock);
  LearnFormat(sim, false);
  spine.decoder.SetTagReadSink(&sink);
  sim.StartStream();
  EXPECT_EQ(sim.MsUntilNextPoll(), 0);

  // More than one cycle, so the replay starts over at least once.
  constexpr size_t kChunk = 64 * 1024;
  std::vector<std::string> chunks;
  size_t sent = 0;
  int shortChunks = 0;  // only where the cycle ends
  while (sent < (size_t{5} << 20)) {
    ASSERT_TRUE(sim.PollUnlimited(kChunk, chunks));
    ASSERT_EQ(chunks.size(), 1u);
    const std::string& chunk = chunks.front();
    EXPECT_LE(chunk.size(), kChunk);
    if (chunk.size() <= kChunk - 72) ++shortChunks;
    for (int length : LineLengths(chunk)) ASSERT_EQ(length, 72);
    Feed(chunk);
    sent += chunk.size();
    chunks.clear();
  }
  EXPECT_EQ(sim.MsUntilNextPoll(), 0);
  EXPECT_EQ(shortChunks, 1);

  const SimStats& stats = sim.State().stats;
  EXPECT_EQ(stats.readsSent, sent / 72);
  EXPECT_EQ(sink.reads.size(), stats.readsSent);
  EXPECT_GT(stats.passesCompleted, 0u);

  // The reads up to where the reader time starts over are the tags passing
  // at the busy-field rate: the console sees whole passes.
  std::vector<ScheduledRead> firstCycle;
  for (const TagRead& read : sink.reads) {
    const int64_t at = int64_t{read.firstSeenSec} * 1000 + read.firstSeenMs;
    if (!firstCycle.empty() && at < firstCycle.back().atMs) break;
    int tag = 0;
    while (tag < options.tags &&
           !std::equal(read.tagBytes, read.tagBytes + 8, sim.Encoder().Id(tag).begin())) {
      ++tag;
    }
    ASSERT_LT(tag, options.tags);
    firstCycle.push_back({.tag = tag, .atMs = at});
  }
  ASSERT_LT(firstCycle.size(), sink.reads.size());
  auto bursts = BurstsByTag(firstCycle);
  EXPECT_EQ(bursts.size(), 20u);
  for (auto& [tag, list] : bursts) {
    ASSERT_GT(list.size(), 2u);
    // The cycle cuts the last pass of each tag.
    for (size_t i = 0; i + 1 < list.size(); ++i) EXPECT_EQ(list[i].reads, 5) << "tag " << tag;
  }
}

TEST_F(UnlimitedStreamTest, PassLimitPlaysOnceAndEachClientStartsAgain) {
  Options options = UnlimitedOptions();
  options.tags = 3;
  options.readsPerPass = 2;
  options.passes = 4;
  Simulator sim(options, clock);
  std::vector<std::string> chunks;
  EXPECT_FALSE(sim.PollUnlimited(1024, chunks));  // no client yet
  EXPECT_EQ(sim.MsUntilNextPoll(), -1);

  for (int client = 1; client <= 2; ++client) {
    sim.StartStream();
    std::string all;
    while (sim.PollUnlimited(1024, chunks)) {
      for (const std::string& c : chunks) all += c;
      chunks.clear();
    }
    EXPECT_EQ(LineLengths(all), std::vector<int>(8, 72));
    EXPECT_EQ(sim.State().stats.readsSent, 8u * static_cast<uint32_t>(client));
    EXPECT_EQ(sim.State().stats.passesCompleted, 4u * static_cast<uint32_t>(client));
    EXPECT_EQ(sim.MsUntilNextPoll(), -1);
  }
}

TEST_F(UnlimitedStreamTest, RfOffPausesAndANewLayoutIsRenderedAfresh) {
  Simulator sim(UnlimitedOptions(), clock);
  sim.StartStream();
  std::vector<std::string> chunks;
  ASSERT_TRUE(sim.PollUnlimited(1000, chunks));
  EXPECT_EQ(LineLengths(chunks.back()).front(), 72);

  const std::string off = "ab0001060087\r\n";
  sim.Receive(off.data(), off.size(), chunks);
  EXPECT_FALSE(sim.PollUnlimited(1000, chunks));
  EXPECT_EQ(sim.MsUntilNextPoll(), -1);
  const std::string on = "ab0001060188\r\n";
  sim.Receive(on.data(), on.size(), chunks);

  // The reduced layout: no header, no LRC, 40 characters.
  const FormatBytes b = FormatBytesOf(MakePresetFormat(FormatPreset::kReduced));
  const uint8_t data[10] = {b.flags1,     b.idMask,   b.asciiHeader1, b.asciiHeader2, b.binHeader1,
                            b.binHeader2, b.trailer1, b.trailer2,     b.separator,    b.flags2};
  std::string command = "ab000a11";
  for (uint8_t byte : data) command += Hex(byte);
  command += Hex(ComputeLrc(command.data() + 2, static_cast<int>(command.size()) - 2));
  command += "\r\n";
  sim.Receive(command.data(), command.size(), chunks);
  chunks.clear();
  ASSERT_TRUE(sim.PollUnlimited(1000, chunks));
  for (int length : LineLengths(chunks.back())) EXPECT_EQ(length, 42);
}

}  // namespace
}  // namespace corvalis::readersim
