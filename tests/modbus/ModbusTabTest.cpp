#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "modbus/ui/ModbusTab.h"

namespace corvalis {
namespace {

struct LoopLink final : ModbusLink, ModbusTarget {
  bool WriteModbus(int, const uint8_t* bytes, int count) override {
    sent.assign(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count));
    return true;
  }
  std::string ChannelText(int) const override { return "COM2"; }
  int SendChannel() const override { return 1; }
  int MainReaderId() const override { return 3; }
  std::string sent;
};

class ModbusTabTest : public ::testing::Test {
 protected:
  void Reply(const QByteArray& bytes) {
    exchange_.Receive(1, bytes.constData(), static_cast<int>(bytes.size()));
  }
  void Click(const char* name) {
    auto* button = tab_.findChild<QPushButton*>(name);
    ASSERT_NE(button, nullptr) << name;
    button->click();
  }

  template <class T>
  T* Find(const char* name) {
    T* found = tab_.findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QString Text(const char* name) { return Find<QLineEdit>(name)->text(); }
  QString Label(const char* name) { return Find<QLabel>(name)->text(); }

  ManualClock clock_;
  LoopLink link_;
  ModbusExchange exchange_{clock_, link_};
  ModbusTab tab_{exchange_, link_, clock_};
};

TEST_F(ModbusTabTest, ButtonsSendAndRepliesFillTheViews) {
  Click("btnMdbReadId");
  EXPECT_EQ(Text("edtMdbOutput"), "00 00 00 00 00 06 03 04 00 01 00 04 ");
  Reply(QByteArray::fromHex("00000000000b030408a1b2c3d4e5f60718"));
  EXPECT_EQ(Text("edtMdbResponse"), "00 00 00 00 00 0B 03 04 08 A1 B2 C3 D4 E5 F6 07 18 ");
  EXPECT_EQ(Label("lblMdbLastTag"), "22:13:20 a1b2c3d4e5f60718");
  EXPECT_EQ(Label("lblMdbTagsSeen"), "Tags seen 1");
  EXPECT_EQ(Label("lblMdbUniqueTags"), "1 Unique tags");

  Click("btnMdbReadEventTime");
  EXPECT_TRUE(Text("edtMdbResponse").isEmpty());
  Reply(QByteArray::fromHex("0000000000050303020021"));
  EXPECT_EQ(Find<QSpinBox>("speMdbEventTime")->value(), 33);

  EXPECT_FALSE(Find<QPushButton>("btnMdbDoIt")->isEnabled());
  Click("btnMdbWriteBoth");
  EXPECT_TRUE(Find<QPushButton>("btnMdbDoIt")->isEnabled());
}

}  // namespace
}  // namespace corvalis
