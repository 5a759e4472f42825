#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "script/firmware/ui/DownloadTab.h"

namespace corvalis {
namespace {

struct RecordingPort final : DownloadPort {
  bool IsOpen(int) const override { return true; }
  bool WriteRaw(int, const char* bytes, int count) override {
    writes.emplace_back(bytes, static_cast<size_t>(count));
    return true;
  }
  int BaudRate(int) const override { return 0; }
  void SetBaudRate(int, int) override {}
  void SendCommand(int, int, std::string_view) override {}
  void SendPredefined(int, int, BootCommand) override {}
  std::vector<std::string> writes;
};

TEST(DownloadTab, SendsTheMemoAndShowsTheLoaderAnswers) {
  ManualClock clock;
  RecordingPort port;
  FirmwareDownload download(clock, port);
  DownloadTab tab(download);
  tab.rbtMemo->setChecked(true);
  tab.redHexCode->setPlainText(":020000000102FB ; first\n:00000001FF\n");
  tab.findChild<QPushButton*>("btnDownloadSend")->click();
  EXPECT_EQ(port.writes, (std::vector<std::string>{":020000000102FB\r\n"}));
  EXPECT_EQ(tab.btnDownloadSend->text(), "&Stop Sending");
  EXPECT_EQ(tab.pnlSentMessage->text(), ":020000000102FB (0)");

  download.Receive("O\r\n", 3);
  download.Receive("Z\r\n", 3);
  EXPECT_EQ(port.writes.size(), 2u);
  EXPECT_EQ(tab.memStatusMessages->toPlainText(), "OK\nDone!");
  EXPECT_EQ(tab.memIncoming->toPlainText(), "O\nZ\n");
  EXPECT_EQ(tab.btnDownloadSend->text(), "&Send");

}

}  // namespace
}  // namespace corvalis
