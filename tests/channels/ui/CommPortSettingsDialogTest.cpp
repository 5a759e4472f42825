#include "channels/ui/CommPortSettingsDialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "channels/ChannelSettings.h"
#include "common/ui/FindNamed.h"

namespace corvalis {
namespace {

class CommPortSettingsDialogTest : public ::testing::Test {
 protected:
  void ShowTcp(const ChannelSettings& settings) {
    dialog.ShowValues(settings, {});
    testing::FindNamed<QRadioButton>(dialog, "rbtTCP")->setChecked(true);
  }
  // OK with `address` on the TCP page; true when the dialog closed.
  bool OkWith(const QString& address) {
    testing::FindNamed<QLineEdit>(dialog, "edtIPAddress")->setText(address);
    dialog.setResult(QDialog::Rejected);
    dialog.accept();
    return dialog.result() == QDialog::Accepted;
  }

  CommPortSettingsDialog dialog;
};

TEST_F(CommPortSettingsDialogTest, TcpPageStartsEmptyWithAHint) {
  ShowTcp(ChannelSettings{});
  EXPECT_EQ(dialog.objectName(), "SetCommDlg");
  EXPECT_EQ(testing::FindNamed<QLineEdit>(dialog, "edtIPAddress")->text(), "");
  EXPECT_EQ(testing::FindNamed<QLineEdit>(dialog, "edtIPAddress")->placeholderText(),
            "reader address, e.g. 192.168.1.100");
  EXPECT_EQ(testing::FindNamed<QLineEdit>(dialog, "edtIPPort")->text(), "5000");
}

TEST_F(CommPortSettingsDialogTest, OkRefusesAnEmptyOrMalformedAddressOnTheTcpPage) {
  ShowTcp(ChannelSettings{});
  EXPECT_FALSE(OkWith(""));
  EXPECT_FALSE(testing::FindNamed<QLabel>(dialog, "lblAddressProblem")->isHidden());
  EXPECT_EQ(testing::FindNamed<QLabel>(dialog, "lblAddressProblem")->text(),
            "Enter the reader's address, e.g. 192.168.1.100.");
  EXPECT_FALSE(OkWith("192.168.1"));
  EXPECT_EQ(testing::FindNamed<QLabel>(dialog, "lblAddressProblem")->text(),
            "\"192.168.1\" is not an IP address or host name.");

  EXPECT_TRUE(OkWith("127.0.0.1"));
  EXPECT_EQ(dialog.Values(ChannelSettings{}).ipAddress, "127.0.0.1");
  EXPECT_TRUE(OkWith("reader-7.example.com"));
  EXPECT_EQ(dialog.Values(ChannelSettings{}).ipAddress, "reader-7.example.com");
}

TEST_F(CommPortSettingsDialogTest, TheSerialPageDoesNotNeedAnAddress) {
  dialog.ShowValues(ChannelSettings{}, {"/dev/ttyS0"});
  ASSERT_TRUE(testing::FindNamed<QRadioButton>(dialog, "rbtPort")->isChecked());
  EXPECT_TRUE(OkWith(""));
  EXPECT_TRUE(dialog.Values(ChannelSettings{}).port);
}

}  // namespace
}  // namespace corvalis
