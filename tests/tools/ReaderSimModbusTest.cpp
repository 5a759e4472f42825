#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Options.h"
#include "Simulator.h"
#include "common/Clock.h"
#include "tools/ReaderSimFrames.h"

namespace corvalis::readersim {
namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

// A Modbus TCP request, written out by hand: transaction 0, protocol 0,
// the length, unit 1, then the function code and its data.
std::string Request(std::initializer_list<int> pdu) {
  return Bytes({0, 0, 0, 0, 0, static_cast<int>(pdu.size()) + 1, 1}) + Bytes(pdu);
}

std::string IdWords(const TagId& id) {
  return std::string(reinterpret_cast<const char*>(id.data()), id.size());
}

// One simulator whose network module switches between the reader's ASCII
// commands and Modbus on one link.
class HybridModuleTest : public ::testing::Test {
 protected:
  HybridModuleTest() {
    options_.tags = 3;
    sim_ = std::make_unique<Simulator>(options_, clock_);
    sim_->StartStream();
  }

  std::string Send(const std::string& bytes) {
    std::vector<std::string> chunks;
    sim_->Receive(bytes.data(), bytes.size(), chunks);
    std::string out;
    for (const std::string& chunk : chunks) out += chunk;
    return out;
  }
  std::string Command(const std::string& line) { return Send(WithLrc(line) + "\r\n"); }
  std::string PollTwoSeconds() {
    std::vector<std::string> chunks;
    for (int i = 0; i < 20; ++i) {
      clock_.AdvanceMs(100);
      sim_->Poll(chunks);
    }
    std::string out;
    for (const std::string& chunk : chunks) out += chunk;
    return out;
  }

  ManualClock clock_{WallTime{1'741'955'696, 0}};
  Options options_;
  std::unique_ptr<Simulator> sim_;
};

TEST_F(HybridModuleTest, EnterCommandSwitchesToModbusAndTheExitRegisterBack) {
  ASSERT_FALSE(PollTwoSeconds().empty());  // the tag stream runs
  EXPECT_EQ(Command("ab00025a3020"), Reply("ab00025a3020"));
  EXPECT_TRUE(sim_->InModbus());
  EXPECT_TRUE(PollTwoSeconds().empty());  // tags come only through register 1

  // ASCII is no command now, and no request either: nothing answers it.
  EXPECT_EQ(Command("ab00ff11"), "");

  const TagId first = sim_->Encoder().Id(0);
  const TagId second = sim_->Encoder().Id(1);
  const std::string readId = Request({4, 0, 1, 0, 4});
  EXPECT_EQ(Send(readId), Bytes({0, 0, 0, 0, 0, 11, 1, 4, 8}) + IdWords(first));
  // A request in two pieces is answered once, when whole.
  EXPECT_EQ(Send(readId.substr(0, 5)), "");
  EXPECT_EQ(Send(readId.substr(5)), Bytes({0, 0, 0, 0, 0, 11, 1, 4, 8}) + IdWords(second));
  EXPECT_EQ(Send(Request({4, 0, 17, 0, 4})), Bytes({0, 0, 0, 0, 0, 11, 1, 4, 8}) + IdWords(second));

  // Transmitter off: no tags.
  EXPECT_EQ(Send(Request({5, 0x03, 0xe9, 0, 0})), Request({5, 0x03, 0xe9, 0, 0}));
  EXPECT_EQ(Send(readId), Bytes({0, 0, 0, 0, 0, 11, 1, 4, 8, 0, 0, 0, 0, 0, 0, 0, 0}));

  // Holding registers: written, read back; unknown ones refused.
  EXPECT_EQ(Send(Request({6, 0x03, 0xec, 0, 42})), Request({6, 0x03, 0xec, 0, 42}));
  EXPECT_EQ(Send(Request({3, 0x03, 0xec, 0, 1})), Bytes({0, 0, 0, 0, 0, 5, 1, 3, 2, 0, 42}));
  EXPECT_EQ(Send(Request({3, 0x13, 0x88, 0, 1})), Bytes({0, 0, 0, 0, 0, 3, 1, 0x83, 2}));
  EXPECT_EQ(Send(Request({16, 0x07, 0xd1, 0, 3, 6, 10, 0, 0, 1, 0x01, 0xf7})),
            Request({16, 0x07, 0xd1, 0, 3}));
  EXPECT_EQ(sim_->Modbus().Register(2003), 503);
  EXPECT_TRUE(sim_->InModbus());

  // The exit register ends Modbus mode; a command in the same write is the
  // reader's again.
  const std::string exitRequest = Request({6, 0x03, 0x33, 0x05, 0x55});
  const std::string formatQuery = WithLrc("ab00ff11") + "\r\n";
  const std::string answers = Send(exitRequest + formatQuery);
  EXPECT_EQ(answers.substr(0, exitRequest.size()), exitRequest);
  EXPECT_EQ(answers.substr(exitRequest.size(), 8), "ab000a11");
  EXPECT_FALSE(sim_->InModbus());
  EXPECT_FALSE(PollTwoSeconds().empty());
}

TEST_F(HybridModuleTest, OtherWritesToTheExitRegisterStayInModbus) {
  const std::string enter = WithLrc("ab00025a3020") + "\r\n";
  // The first request may follow the command in the same write.
  const std::string answers = Send(enter + Request({6, 0x03, 0x33, 0, 1}));
  EXPECT_EQ(answers, Reply("ab00025a3020") + Request({6, 0x03, 0x33, 0, 1}));
  EXPECT_TRUE(sim_->InModbus());
  EXPECT_EQ(Send(Request({0x2b, 0, 0, 0, 0})), Bytes({0, 0, 0, 0, 0, 3, 1, 0xab, 1}));
  // Noise before a request is skipped, not taken for its header.
  EXPECT_EQ(Send("\r\n??" + Request({3, 0x03, 0xeb, 0, 1})),
            Bytes({0, 0, 0, 0, 0, 5, 1, 3, 2, 0, 3}));
  EXPECT_TRUE(sim_->InModbus());
}

TEST(LoaderFaultOption, ParsesRecordKindAndTimes) {
  LoaderFaultSpec spec;
  ASSERT_TRUE(ParseLoaderFault("3:S:2", spec));
  EXPECT_EQ(spec.record, 3);
  EXPECT_EQ(spec.fault, LoaderFault::kChecksum);
  EXPECT_EQ(spec.times, 2);
  ASSERT_TRUE(ParseLoaderFault("10:silence", spec));
  EXPECT_EQ(spec.fault, LoaderFault::kSilence);
  EXPECT_EQ(spec.times, 1);
  for (const char* bad : {"", "3", "x:S", "0:S", "3:Q", "3:S:", "3:S:0", "3:S:2x"})
    EXPECT_FALSE(ParseLoaderFault(bad, spec)) << bad;

  const ParseResult parsed =
      ParseOptions({"--pty", "--loader-fault", "5:V", "--loader-fault=2:N:3", "--loader-xon"});
  ASSERT_TRUE(parsed.error.empty()) << parsed.error;
  ASSERT_EQ(parsed.options.loaderFaults.size(), 2u);
  EXPECT_EQ(parsed.options.loaderFaults[1].fault, LoaderFault::kNonBlank);
  EXPECT_TRUE(parsed.options.loaderXon);
}

}  // namespace
}  // namespace corvalis::readersim
