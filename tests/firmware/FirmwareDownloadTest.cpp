#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "firmware/StatusView.h"
#include "script/firmware/FirmwareDownload.h"
#include "script/firmware/HexRecord.h"

namespace corvalis {
namespace {

struct FakePort final : DownloadPort {
  bool IsOpen(int) const override { return true; }
  bool WriteRaw(int, const char* bytes, int count) override {
    writes.emplace_back(bytes, static_cast<size_t>(count));
    return true;
  }
  int BaudRate(int) const override { return baud; }
  void SetBaudRate(int, int rate) override {
    baud = rate;
    baudChanges.push_back(rate);
  }
  void SendCommand(int, int readerId, std::string_view body) override {
    commands.push_back(std::to_string(readerId) + ":" + std::string(body));
  }
  void SendPredefined(int, int readerId, BootCommand command) override {
    commands.push_back(std::to_string(readerId) +
                       (command == BootCommand::kBoot ? ":boot" : ":reset"));
  }
  std::vector<std::string> writes;
  std::vector<std::string> commands;
  std::vector<int> baudChanges;
  int baud = 115200;
};

class FirmwareDownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    download_.SetView(&view_);
    download_.SetSource(&memo_);
    download_.SetReaderId(7);
  }
  void Answer(const char* text) { download_.Receive(text, static_cast<int>(std::strlen(text))); }
  void StartWith(const std::string& memoText) {
    memo_.SetText(memoText);
    download_.StartSending();
  }

  ManualClock clock_;
  FakePort port_;
  testing::StatusView view_;
  MemoLineSource memo_;
  FirmwareDownload download_{clock_, port_};
};

TEST(DownloadRecordLine, StripsCommentsDecodesEscapesAndSkipsNonRecords) {
  EXPECT_EQ(DownloadRecordLine(":00000001FF ; end of file\n"), ":00000001FF\r\n");
  EXPECT_EQ(DownloadRecordLine("  :10000000AA\\;BB\r\n"), ":10000000AA;BB\r\n");
  EXPECT_EQ(DownloadRecordLine("junk :0100\\\\x"), ":0100\\x\r\n");
  EXPECT_EQ(DownloadRecordLine("; :00000001FF"), "");
  EXPECT_EQ(DownloadRecordLine("no record here"), "");
}

TEST_F(FirmwareDownloadTest, AnswersDriveTheRecordsInOrder) {
  StartWith("; header comment\n:020000000102FB ; first\n\n:00000001FF\n");
  ASSERT_EQ(port_.writes, (std::vector<std::string>{":020000000102FB\r\n"}));
  Answer("O\r\n");
  EXPECT_EQ(port_.writes.back(), ":00000001FF\r\n");
  Answer("Z\x11");
  EXPECT_FALSE(download_.Sending());
  EXPECT_FALSE(download_.ReceiveMode());
  EXPECT_EQ(view_.statuses, (std::vector<std::string>{"OK", "Done!"}));
}

TEST_F(FirmwareDownloadTest, BytesAfterTheLastAnswerAreLeftForTheLinePath) {
  StartWith(":00000001FF\n");
  // The new firmware's first tag line arrives in the same read as "Z".
  const std::string read = "Z\r\naa0130\r\n";
  EXPECT_EQ(download_.Receive(read.data(), static_cast<int>(read.size())), 3);
  EXPECT_FALSE(download_.ReceiveMode());
  StartWith(":00000001FF\n");
  EXPECT_EQ(download_.Receive("O\r\n", 3), 3);  // the run goes on: all taken
}

TEST_F(FirmwareDownloadTest, ChecksumErrorsResendUntilTheLimit) {
  download_.SetRetryLimit(2);
  StartWith(":00000001FF\n");
  Answer("S\r");
  Answer("S\n");
  EXPECT_EQ(port_.writes.size(), 3u);  // the line and two resends
  EXPECT_EQ(download_.ResendCount(), 2);
  EXPECT_TRUE(download_.Sending());

  download_.SetRetryLimit(1);
  StartWith(":00000001FF\n");
  Answer("S\r\n");
  EXPECT_TRUE(download_.Sending());
  Answer("U\r\n");
  EXPECT_FALSE(download_.Sending());
  EXPECT_EQ(view_.statuses.back(), "Too Many Retries - Aborting");
}

TEST_F(FirmwareDownloadTest, SilenceResendsAfterTwoSeconds) {
  StartWith(":00000001FF\n");
  clock_.AdvanceMs(1500);
  download_.Tick();
  EXPECT_EQ(port_.writes.size(), 1u);
  clock_.AdvanceMs(500);
  download_.Tick();
  EXPECT_EQ(port_.writes.size(), 2u);
  EXPECT_EQ(download_.ResendCount(), 1);
}

TEST_F(FirmwareDownloadTest, VerifyAndBlankErrorsAbort) {
  StartWith(":020000000102FB\n:00000001FF\n");
  Answer("V\r\n");
  EXPECT_FALSE(download_.Sending());
  EXPECT_EQ(port_.writes.size(), 1u);
  EXPECT_EQ(view_.statuses.back(), "Verify Error - Aborting!");
  StartWith(":020000000102FB\n");
  Answer("N\r\n");
  EXPECT_EQ(view_.statuses.back(), "Non blank target Error - Aborting!");
}

// Sending stops capture; the answers must still reach the download and the
// loader's speed must hold for every line, going back only at the end.
TEST_F(FirmwareDownloadTest, ReceiveModeAndBaudHoldThroughTheRun) {
  download_.Boot(BootCommand::kBoot);
  EXPECT_EQ(port_.commands, (std::vector<std::string>{"7:boot"}));
  download_.Tick();
  EXPECT_EQ(port_.baud, kLoaderBaud);
  EXPECT_EQ(port_.writes.back(), "LO\r\n");

  StartWith(":020000000102FB\n:020002000304F5\n:00000001FF\n");
  EXPECT_FALSE(download_.Capturing());
  EXPECT_TRUE(download_.IsRunningOn(0));
  Answer("O\r\n");
  Answer("O\r\n");
  EXPECT_EQ(port_.baud, kLoaderBaud);
  EXPECT_EQ(port_.baudChanges, (std::vector<int>{kLoaderBaud}));
  Answer("O\r\n");  // past the end
  EXPECT_FALSE(download_.ReceiveMode());
  EXPECT_EQ(port_.baud, 115200);
}

TEST_F(FirmwareDownloadTest, DecoderBootsUseTheirBodies) {
  download_.BootDecoder(false);
  download_.BootDecoder(true);
  EXPECT_EQ(port_.commands, (std::vector<std::string>{"7:011000", "7:011001"}));
  EXPECT_TRUE(download_.ReceiveMode());
}

TEST_F(FirmwareDownloadTest, EraseSendsFiveHundredTwelveValidRecords) {
  download_.StartErasing();
  while (download_.Sending() && port_.writes.size() < 600) Answer("O\r\n");
  ASSERT_EQ(port_.writes.size(), 512u);
  for (size_t i = 0; i < port_.writes.size(); ++i) {
    HexRecord record;
    ASSERT_EQ(ParseHexRecord(port_.writes[i], record), HexParseError::kNone) << port_.writes[i];
    EXPECT_EQ(record.address, i * 64);
    EXPECT_EQ(record.count, i == 0 ? 4 : 2);
    EXPECT_EQ(record.data[0], 0xff);
  }
  EXPECT_EQ(port_.writes[0], ":04000000FFFFFFFF00\r\n");
  EXPECT_EQ(port_.writes[511], ":027FC000FFFFC1\r\n");
}

}  // namespace
}  // namespace corvalis
