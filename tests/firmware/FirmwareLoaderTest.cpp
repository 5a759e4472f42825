#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <deque>
#include <fstream>
#include <map>

#include "Simulator.h"
#include "firmware/StatusView.h"
#include "protocol/Checksums.h"
#include "script/firmware/FirmwareDownload.h"
#include "script/firmware/HexRecord.h"

namespace corvalis {
namespace {

using readersim::LoaderFault;
using readersim::Simulator;

// The download wired to the reader simulator: what the download writes the
// simulator receives, and the simulator's answers are delivered by Pump().
class SimulatorPort final : public DownloadPort {
 public:
  explicit SimulatorPort(Simulator& simulator) : simulator_(simulator) {}
  bool IsOpen(int) const override { return true; }
  bool WriteRaw(int, const char* bytes, int count) override {
    std::vector<std::string> chunks;
    simulator_.Receive(bytes, static_cast<size_t>(count), chunks);
    for (std::string& chunk : chunks) answers_.push_back(std::move(chunk));
    return true;
  }
  int BaudRate(int) const override { return 0; }
  void SetBaudRate(int, int) override {}
  void SendCommand(int, int readerId, std::string_view body) override {
    char line[64];
    const int length = std::snprintf(line, sizeof line, "ab%02x%.*s", readerId,
                                     static_cast<int>(body.size()), body.data());
    std::string framed(line, static_cast<size_t>(length));
    char lrc[3] = {};
    FormatLrc(ComputeLrc(framed.data() + 2, static_cast<int>(framed.size()) - 2), lrc);
    framed.append(lrc, 2);
    framed += "\r\n";
    WriteRaw(0, framed.data(), static_cast<int>(framed.size()));
  }
  void SendPredefined(int, int, BootCommand) override {}

  // Hands queued answers to the download until none is left.
  void Pump(FirmwareDownload& download) {
    while (!answers_.empty()) {
      const std::string answer = std::move(answers_.front());
      answers_.pop_front();
      download.Receive(answer.data(), static_cast<int>(answer.size()));
    }
  }

 private:
  Simulator& simulator_;
  std::deque<std::string> answers_;
};

class FirmwareLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    download_.SetView(&view_);
    download_.SetSource(&file_);
    download_.SetReaderId(0);
  }

  // 200 records: an extended address, 196 data records of varying length and
  // address, an extended address and one record above it, the end record.
  std::string WriteHexFile() {
    std::string text = FormatHexRecord(0, 4, std::array<uint8_t, 2>{0, 0}.data(), 2) + "\n";
    uint32_t address = 0x0200;
    for (int i = 0; i < 196; ++i) {
      std::array<uint8_t, 16> data{};
      const int count = 1 + (i * 7) % 16;
      for (int b = 0; b < count; ++b)
        data[static_cast<size_t>(b)] = static_cast<uint8_t>(i * 31 + b);
      text += FormatHexRecord(static_cast<uint16_t>(address), 0, data.data(), count) + " ; row\n";
      for (int b = 0; b < count; ++b)
        expected_[address + static_cast<uint32_t>(b)] = data[static_cast<size_t>(b)];
      address += static_cast<uint32_t>(count) + 3;
    }
    text += ":020000040030CA\n:0100000042BD\n";
    expected_[0x300000] = 0x42;
    text += ":00000001FF\n";
    const std::string path = dir_.filePath("fw.hex").toStdString();
    std::ofstream(path) << text;
    return path;
  }

  void Run() {
    file_.SetPath(WriteHexFile());
    download_.BootDecoder(false);
    ASSERT_TRUE(simulator_.InLoader());
    download_.StartSending();
    port_.Pump(download_);
  }

  QTemporaryDir dir_;
  ManualClock clock_;
  readersim::Options options_;
  Simulator simulator_{options_, clock_};
  SimulatorPort port_{simulator_};
  testing::StatusView view_;
  FileLineSource file_;
  FirmwareDownload download_{clock_, port_};
  std::map<uint32_t, uint8_t> expected_;
};

TEST_F(FirmwareLoaderTest, TwoHundredRecordsArriveAsTheSameImage) {
  Run();
  EXPECT_FALSE(download_.Sending());
  EXPECT_EQ(view_.statuses.back(), "Done!");
  EXPECT_EQ(simulator_.Loader().RecordsAccepted(), 200);
  EXPECT_EQ(simulator_.Loader().Image(), expected_);
  EXPECT_FALSE(simulator_.InLoader());
}

TEST_F(FirmwareLoaderTest, InjectedChecksumErrorsAndSilenceAreResent) {
  download_.BootDecoder(true);
  simulator_.Loader().InjectFault(3, LoaderFault::kChecksum, 2);
  simulator_.Loader().InjectFault(10, LoaderFault::kSilence);
  file_.SetPath(WriteHexFile());
  download_.StartSending();
  port_.Pump(download_);
  EXPECT_TRUE(download_.Sending());  // waiting on the silent record 10
  EXPECT_EQ(simulator_.Loader().RecordsAccepted(), 9);
  clock_.AdvanceMs(2000);
  download_.Tick();
  port_.Pump(download_);
  EXPECT_EQ(view_.statuses.back(), "Done!");
  EXPECT_EQ(simulator_.Loader().Image(), expected_);
  EXPECT_EQ(simulator_.Loader().RecordsReceived(), 203);
}

TEST_F(FirmwareLoaderTest, InjectedVerifyErrorAborts) {
  download_.BootDecoder(false);
  simulator_.Loader().InjectFault(5, LoaderFault::kVerify);
  file_.SetPath(WriteHexFile());
  download_.StartSending();
  port_.Pump(download_);
  EXPECT_FALSE(download_.Sending());
  EXPECT_EQ(view_.statuses.back(), "Verify Error - Aborting!");
  EXPECT_EQ(simulator_.Loader().RecordsAccepted(), 4);
}

}  // namespace
}  // namespace corvalis
