#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

#include "channels/ChannelTestSupport.h"
#include "common/ui/FindNamed.h"
#include "tagrw/ui/TTOProgrammerPage.h"
#include "tagrw/ui/TtoConfigDialog.h"
#include "tags/TagTableTestSupport.h"

namespace corvalis {
namespace {

using testing::FindNamed;

// The tab with channel 1 on the simulator's read/write controller, whose
// TTO tag transmits at a period set by the trim of its page 15.
class TTOProgrammerPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QObject::connect(&tick, &QTimer::timeout, [this] { context.Tick(); });
    tick.start(100);
    ASSERT_TRUE(testing::OpenChannelOneOnSimulator(
        context, sim, {"--tcp", "0", "--rate", "2", "--reads-per-pass", "1"},
        dir.filePath("Corvalis.ini"), dir.path()));
    page.resize(1000, 520);
    page.show();
  }
  void TearDown() override {
    tick.stop();
    context.channels().CloseAll();
    sim.terminate();
    sim.waitForFinished(3000);
  }
  void Click(const char* name) { FindNamed<QPushButton>(page, name)->click(); }
  bool TestEnded() {
    return QTest::qWaitFor([&] { return !context.tagRw().Running(); }, 15000);
  }
  void SeeTag(uint64_t id) { context.tagTable().RecordTagRead(testing::MakeRead(id, clock.Now())); }

  QTemporaryDir dir;
  SystemClock clock;
  testing::RecordingStatus status;
  AppContext context{clock, status};
  QProcess sim;
  QTimer tick;
  CommandWordFields commander;
  TTOProgrammerPage page{context,
                         [] {
                           return RWTagTestPage::Target{0, 0, QString()};
                         },
                         [this] { return commander; }};
};

struct RateCase {
  const char* trim;  // the simulator's period is 0x0a00 - 4 * (trim - 0x60)
  const char* text;
  const char* colour;
};

class RateBandTest : public TTOProgrammerPageTest,
                     public ::testing::WithParamInterface<RateCase> {};

TEST_P(RateBandTest, WrittenTrimGivesTheRateInItsColour) {
  const RateCase& c = GetParam();
  auto* config = FindNamed<QLineEdit>(page, "edtPrgConfig");
  config->setText(QStringLiteral("d000") + QLatin1String(c.trim) + QStringLiteral("00ffff8001"));
  emit config->textEdited(config->text());
  Click("btnPrgWriteConfig");
  ASSERT_TRUE(TestEnded());
  EXPECT_EQ(FindNamed<QLabel>(page, "pnlPrgConfig")->text(), config->text());
  Click("btnPrgTest");
  auto* rate = FindNamed<QLabel>(page, "lblPrgRate");
  ASSERT_TRUE(QTest::qWaitFor([&] { return context.tto().HasRate(); }, 5000));
  EXPECT_EQ(rate->text(), c.text);
  EXPECT_TRUE(rate->styleSheet().contains(c.colour)) << rate->styleSheet().toStdString();
  if (std::string(c.trim) == "84" && qEnvironmentVariableIsSet("CORVALIS_SCREENSHOTS"))
    page.grab().save(QStringLiteral(CORVALIS_SOURCE_DIR "/docs/screenshots/tto-programmer.png"));
  // Leaving the tab stops the poll and greys the rate.
  page.hide();
  EXPECT_FALSE(context.tto().Polling());
  EXPECT_TRUE(rate->styleSheet().contains("#808080"));
}

INSTANTIATE_TEST_SUITE_P(Periods, RateBandTest,
                         ::testing::Values(RateCase{"84", "277 k", "#00ff00"},    // 0x0970
                                           RateCase{"8c", "281 k", "#ffff00"},    // 0x0950
                                           RateCase{"60", "262 k", "#ff0000"}));  // 0x0a00

TEST_F(TTOProgrammerPageTest, SeenIdsColourTheIdPanel) {
  auto* panel = FindNamed<QLabel>(page, "pnlPrgID");
  auto* list = FindNamed<QListWidget>(page, "lsbPrgTagsList");
  context.tto().SetId("0123456789abcdef");
  Click("btnPrgTest");  // computes the inverted ID
  SeeTag(0x0123456789abcdefULL);
  EXPECT_EQ(panel->text(), "0123456789abcdef");
  EXPECT_TRUE(panel->styleSheet().contains("#00ff00"));
  SeeTag(0xfedcba9876543210ULL);
  EXPECT_EQ(panel->text(), "fedcba9876543210");
  EXPECT_TRUE(panel->styleSheet().contains("#b0ffb0"));
  SeeTag(0x1111222233334444ULL);
  EXPECT_EQ(panel->text(), "1111222233334444");
  EXPECT_FALSE(panel->styleSheet().contains("background"));
  // Each tag once in the list, however often it is seen, and in the order
  // first seen.
  SeeTag(0xfedcba9876543210ULL);
  SeeTag(0x1111222233334444ULL);
  EXPECT_EQ(panel->text(), "1111222233334444");
  ASSERT_EQ(list->count(), 3);
  EXPECT_EQ(list->item(0)->text(), "0123456789abcdef");
  EXPECT_EQ(list->item(2)->text(), "1111222233334444");
  // Another tab in front: the tag is listed at once, the panel shows it when
  // the tab comes back.
  page.hide();
  SeeTag(0x5555666677778888ULL);
  EXPECT_EQ(list->count(), 4);
  page.show();
  EXPECT_EQ(panel->text(), "5555666677778888");
}

TEST_F(TTOProgrammerPageTest, LoadTakesTheCommanderFields) {
  commander.tamper = 3;  // NC
  commander.delay = 1;   // 4k
  commander.txRate = 0;  // 256k
  context.tto().SetConfig("0000a000ffff0001");
  Click("btnPrgLoad");
  EXPECT_EQ(FindNamed<QLineEdit>(page, "edtPrgConfig")->text(), "d000a000ffff0001");
  Click("btnPrgFaster");
  EXPECT_EQ(context.tagRw().pages()[15].data, "d000a400ffff0001");
}

TEST_F(TTOProgrammerPageTest, SetComposesTheConfigurationAndKeepsTheCrcChoice) {
  context.tto().SetConfig("d0006000ffff8001");
  page.SetDialogRunner([](QDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Q2-TTO Configuration settings");
    EXPECT_EQ(FindNamed<QSpinBox>(dialog, "speTrim")->value(), 0x60);
    EXPECT_EQ(FindNamed<QComboBox>(dialog, "cbxCmdTamper")->currentText(), "NC");
    EXPECT_TRUE(FindNamed<QCheckBox>(dialog, "ckbLock15")->isChecked());
    EXPECT_TRUE(FindNamed<QRadioButton>(dialog, "rbtKVQ")->isChecked());
    FindNamed<QSpinBox>(dialog, "speTrim")->setValue(0x7a);
    EXPECT_EQ(FindNamed<QLabel>(dialog, "lblTrimHexValue")->text(), "7a");
    FindNamed<QComboBox>(dialog, "cbxCmdTagTxRate")->setCurrentIndex(1);  // 128k
    FindNamed<QCheckBox>(dialog, "ckbLock3")->setChecked(true);
    FindNamed<QCheckBox>(dialog, "ckbShift")->setChecked(true);
    FindNamed<QRadioButton>(dialog, "rbtCCITT")->setChecked(true);
    if (qEnvironmentVariableIsSet("CORVALIS_SCREENSHOTS"))
      dialog.grab().save(QStringLiteral(CORVALIS_SOURCE_DIR "/docs/screenshots/q2-tto-config.png"));
    return static_cast<int>(QDialog::Accepted);
  });
  Click("btnPrgSet");
  EXPECT_EQ(FindNamed<QLineEdit>(page, "edtPrgConfig")->text(), "d4007a00ffff8009");
  EXPECT_EQ(context.tagRw().pages()[15].data, "d4007a00ffff8009");
  const PageCrcChoice crc = context.tto().crcChoice();
  EXPECT_TRUE(crc.shift);
  EXPECT_TRUE(crc.ccitt);
  // Cancel changes nothing.
  page.SetDialogRunner([](QDialog& dialog) {
    FindNamed<QSpinBox>(dialog, "speTrim")->setValue(0);
    return static_cast<int>(QDialog::Rejected);
  });
  Click("btnPrgSet");
  EXPECT_EQ(context.tagRw().pages()[15].data, "d4007a00ffff8009");
}

}  // namespace
}  // namespace corvalis
