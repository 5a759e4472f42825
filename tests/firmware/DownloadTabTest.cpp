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

template <class T>
T* Find(QWidget& tab, const char* name) {
  T* found = tab.findChild<T*>(QLatin1String(name));
  EXPECT_NE(found, nullptr) << name;
  return found;
}

TEST(DownloadTab, SendsTheMemoAndShowsTheLoaderAnswers) {
  ManualClock clock;
  RecordingPort port;
  FirmwareDownload download(clock, port);
  DownloadTab tab(download);
  auto* send = Find<QPushButton>(tab, "btnDownloadSend");
  auto* status = Find<QPlainTextEdit>(tab, "memStatusMessages");
  Find<QRadioButton>(tab, "rbtMemo")->setChecked(true);
  Find<QPlainTextEdit>(tab, "redHexCode")->setPlainText(":020000000102FB ; first\n:00000001FF\n");
  send->click();
  EXPECT_EQ(port.writes, (std::vector<std::string>{":020000000102FB\r\n"}));
  EXPECT_EQ(send->text(), "&Stop Sending");
  EXPECT_EQ(Find<QLabel>(tab, "pnlSentMessage")->text(), ":020000000102FB (0)");

  download.Receive("O\r\n", 3);
  download.Receive("Z\r\n", 3);
  EXPECT_EQ(port.writes.size(), 2u);
  EXPECT_EQ(status->toPlainText(), "OK\nDone!");
  EXPECT_EQ(Find<QPlainTextEdit>(tab, "memIncoming")->toPlainText(), "O\nZ\n");
  EXPECT_EQ(send->text(), "&Send");
}

}  // namespace
}  // namespace corvalis
