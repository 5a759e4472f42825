#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>

#include "app/Settings.h"
#include "app/ui/AboutBox.h"
#include "app/ui/CheckCrcDialog.h"
#include "common/ui/FindNamed.h"

namespace corvalis {
namespace {

TEST(AboutBoxTest, TextsComeFromCustomizeAndVersionFromTheBuild) {
  Settings settings;
  settings.SetString(Setting::line1, "ACME");
  settings.SetString(Setting::line2, "Gate Console");
  settings.SetString(Setting::line5, "Comment one");
  settings.SetString(Setting::line7, "Comment three");
  AboutBox box(settings);

  auto text = [&](const char* name) {
    const QLabel* label = box.findChild<QLabel*>(QLatin1String(name));
    return label == nullptr ? QStringLiteral("<missing %1>").arg(name) : label->text();
  };
  EXPECT_EQ(text("ProductName"), "ACME");
  EXPECT_EQ(text("lblLine2"), "Gate Console");
  EXPECT_EQ(text("Comments"), "Comment one");
  EXPECT_EQ(text("Comments3"), "Comment three");
  EXPECT_EQ(text("Version"), QStringLiteral("Version " CORVALIS_VERSION));
}

// Reference CRCs of the code 0123456789ab, worked out independently.
constexpr const char* kKvq = "0152";
constexpr const char* kR5180 = "018a";
constexpr const char* kCcitt = "c475";

TEST(CheckCrcDialogTest, ShowsTheThreeCrcsAndMarksTheOneTheIdCarries) {
  CheckCrcDialog dialog;

  dialog.ShowTagId(QStringLiteral("0123456789ab") + kR5180);
  EXPECT_EQ(testing::FindNamed<QLabel>(dialog, "pnlTagID")->text(),
            QStringLiteral("0123456789ab018a"));
  EXPECT_EQ(testing::FindNamed<QLineEdit>(dialog, "edtTagCode")->text(), "0123456789ab");
  EXPECT_EQ(testing::FindNamed<QLabel>(dialog, "lblCRC_KVQ")->text(), kKvq);
  EXPECT_EQ(testing::FindNamed<QLabel>(dialog, "lblCRC_R5180")->text(), kR5180);
  EXPECT_EQ(testing::FindNamed<QLabel>(dialog, "lblCRC_CCITT")->text(), kCcitt);
  EXPECT_FALSE(CheckCrcDialog::Matches(testing::FindNamed<QLabel>(dialog, "lblCRC_KVQ")));
  EXPECT_TRUE(CheckCrcDialog::Matches(testing::FindNamed<QLabel>(dialog, "lblCRC_R5180")));
  EXPECT_FALSE(CheckCrcDialog::Matches(testing::FindNamed<QLabel>(dialog, "lblCRC_CCITT")));
  EXPECT_EQ(testing::FindNamed<QLabel>(dialog, "lblCRC_R5180")->palette().color(QPalette::Window),
            QColor(Qt::green));

  // An upper-case ID matches too; editing the code recomputes.
  dialog.ShowTagId("0123456789ABC475");
  EXPECT_TRUE(CheckCrcDialog::Matches(testing::FindNamed<QLabel>(dialog, "lblCRC_CCITT")));
  EXPECT_FALSE(CheckCrcDialog::Matches(testing::FindNamed<QLabel>(dialog, "lblCRC_R5180")));
  EXPECT_NE(testing::FindNamed<QLabel>(dialog, "lblCRC_R5180")->palette().color(QPalette::Window),
            QColor(Qt::green));
  testing::FindNamed<QLineEdit>(dialog, "edtTagCode")->setText("0123456789aa");
  EXPECT_FALSE(CheckCrcDialog::Matches(testing::FindNamed<QLabel>(dialog, "lblCRC_CCITT")));

  // A cell that is not an ID leaves a zero code and no match.
  dialog.ShowTagId("Gate 4");
  EXPECT_EQ(testing::FindNamed<QLineEdit>(dialog, "edtTagCode")->text(), "000000000000");
  EXPECT_FALSE(CheckCrcDialog::Matches(testing::FindNamed<QLabel>(dialog, "lblCRC_KVQ")));
}

}  // namespace
}  // namespace corvalis
