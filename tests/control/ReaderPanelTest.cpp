#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "control/ControlTestSupport.h"
#include "control/ReaderControlBodies.h"
#include "control/RfMultiplex.h"

namespace corvalis {
namespace {

// Every fixed menu and panel body, as the reader's command list writes them.
TEST(ReaderButtons, EveryBodyAndItsShiftForm) {
  struct Case {
    ReaderButton button;
    bool shift;
    const char* body;
  };
  const Case cases[] = {
      {ReaderButton::kTxOn, false, "010601"},
      {ReaderButton::kTxOff, false, "010600"},
      {ReaderButton::kAux1, false, "010701"},
      {ReaderButton::kAux0, false, "010700"},
      {ReaderButton::kCrcR5180, false, "02080000"},
      {ReaderButton::kCrcKvq, false, "0208ffff"},
      {ReaderButton::kCrcBoth, false, "010d02"},
      {ReaderButton::kCrcOne, false, "010d00"},
      {ReaderButton::kCrcIgnore, false, "010d21"},
      {ReaderButton::kCrcQ3Q5, false, "010d82"},
      {ReaderButton::kReset, false, "010c01"},
      {ReaderButton::kSleepOn, false, "011f01"},
      {ReaderButton::kSleepOff, false, "011f00"},
      {ReaderButton::kFactoryDefaults, false, "011801"},
      {ReaderButton::kFactoryDefaults, true, "011803"},
      {ReaderButton::kLoadIStatus, false, "048102000100"},
      {ReaderButton::kLoadQStatus, false, "048103000100"},
      {ReaderButton::kReadII2c, false, "038102010a"},
      {ReaderButton::kReadQI2c, false, "038103010a"},
      {ReaderButton::kGetTime, false, "0002"},
      {ReaderButton::kGetTime, true, "0044"},
      {ReaderButton::kGetStats, false, "000a"},
      {ReaderButton::kCommsReadBack, true, "ff03"},
      {ReaderButton::kMessageFormatReadBack, true, "ff11"},
      {ReaderButton::kControllerBaudReadBack, true, "ff12"},
      {ReaderButton::kMessageModeGet, false, "ff09"},
      {ReaderButton::kWiegandGet, true, "ff0f"},
      {ReaderButton::kSetIdReadBack, false, "ff04"},
      {ReaderButton::kWriteFiltersToEeprom, false, "0034"},
      {ReaderButton::kDisableTto, false, "012a00"},
      {ReaderButton::kSetSynth0, false, "010500"},
      {ReaderButton::kSetSynth3, false, "010503"},
  };
  for (const Case& c : cases) EXPECT_EQ(ButtonBody(c.button, c.shift), c.body);
}

class Recorder final : public CommandSender {
 public:
  void SendCommand(int channel, int readerId, const char* body) override {
    sent.push_back(std::to_string(channel + 1) + ":" + std::to_string(readerId) + ":" + body);
  }
  std::vector<std::string> sent;
};

TEST(Multiplex, RfMovesAmongOpenChannelsAndStaysWhenAlone) {
  Recorder sender;
  testing::RecordingChannels channels;
  channels.open = {true, false, true, false, false};
  RfMultiplex mux(sender, channels);
  mux.Start(2);
  EXPECT_EQ(sender.sent,
            (std::vector<std::string>{"1:0:010601", "2:0:010600", "3:0:010600", "4:0:010600"}));
  sender.sent.clear();
  mux.Tick();
  EXPECT_TRUE(sender.sent.empty());
  mux.Tick();
  EXPECT_EQ(sender.sent, (std::vector<std::string>{"1:0:010600", "3:0:010601"}));
  sender.sent.clear();
  mux.Tick();
  mux.Tick();  // wraps from channel 3 past the closed 4 to 1
  EXPECT_EQ(sender.sent, (std::vector<std::string>{"3:0:010600", "1:0:010601"}));
  sender.sent.clear();
  mux.Stop();
  EXPECT_EQ(sender.sent, std::vector<std::string>{"1:0:010600"});

  channels.open = {true, false, false, false, false};
  mux.Start(1);
  sender.sent.clear();
  mux.Tick();
  EXPECT_EQ(sender.sent, (std::vector<std::string>{"1:0:010600", "1:0:010601"}));
}

TEST(Stepping, NeedsALogFileAndStopsAtTheLimit) {
  SteppingRun run;
  EXPECT_FALSE(run.Start(false, 0, 3));  // log file choice cancelled
  EXPECT_FALSE(run.Running());
  ASSERT_TRUE(run.Start(true, 0, 2));
  bool snapshot = false;
  EXPECT_EQ(run.Tick(snapshot), 0);  // starts at 1 - edge, toggles to the edge
  EXPECT_TRUE(snapshot);
  EXPECT_EQ(run.Tick(snapshot), 1);
  EXPECT_FALSE(snapshot);
  run.Tick(snapshot);
  EXPECT_EQ(run.Steps(), 2);
  EXPECT_FALSE(run.Running());
}

}  // namespace
}  // namespace corvalis
