#include "app/ui/LinkedSelection.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QSignalSpy>
#include <QSpinBox>

namespace corvalis {
namespace {

QComboBox* Combo(int items) {
  auto* combo = new QComboBox;
  for (int i = 0; i < items; ++i) combo->addItem(QString::number(i));
  return combo;
}

QSpinBox* Spin() {
  auto* spin = new QSpinBox;
  spin->setRange(0, 255);
  return spin;
}

// Two five-item channel boxes and a short one; a plain reader ID and two in
// the commander group.
class LinkedSelectionTest : public ::testing::Test {
 protected:
  LinkedSelectionTest() {
    for (QComboBox* combo : {send, rwData, shortList}) link.AddChannelControl(combo);
    link.AddReaderIdControl(plainId, false);
    link.AddReaderIdControl(commanderId, true);
    link.AddReaderIdControl(rwDataId, true);
  }
  ~LinkedSelectionTest() override {
    for (QWidget* w :
         std::initializer_list<QWidget*>{send, rwData, shortList, plainId, commanderId, rwDataId}) {
      delete w;
    }
  }

  LinkedSelection link;
  QComboBox* send = Combo(5);
  QComboBox* rwData = Combo(5);
  QComboBox* shortList = Combo(2);
  QSpinBox* plainId = Spin();
  QSpinBox* commanderId = Spin();
  QSpinBox* rwDataId = Spin();
};

TEST_F(LinkedSelectionTest, NothingFollowsBeforeTheWindowIsActive) {
  QSignalSpy changed(&link, &LinkedSelection::channelsChanged);
  rwData->setCurrentIndex(3);
  plainId->setValue(9);
  EXPECT_EQ(send->currentIndex(), 0);
  EXPECT_EQ(commanderId->value(), 0);
  // The status bar still learns of the change.
  EXPECT_EQ(changed.count(), 1);
}

TEST_F(LinkedSelectionTest, LinkedChannelAndReaderIdReachEveryControlThatHasThem) {
  link.SetActive(true);
  rwData->setCurrentIndex(1);
  EXPECT_EQ(send->currentIndex(), 1);
  EXPECT_EQ(shortList->currentIndex(), 1);
  // A channel the short list lacks leaves it where it was.
  send->setCurrentIndex(4);
  EXPECT_EQ(rwData->currentIndex(), 4);
  EXPECT_EQ(shortList->currentIndex(), 1);

  plainId->setValue(12);
  EXPECT_EQ(commanderId->value(), 12);
  EXPECT_EQ(rwDataId->value(), 12);
  link.ApplyReaderId(200);
  for (QSpinBox* spin : {plainId, commanderId, rwDataId}) EXPECT_EQ(spin->value(), 200);
}

TEST_F(LinkedSelectionTest, UnlinkedOnlyTheCommanderGroupAgreesOnReaderIds) {
  link.SetActive(true);
  link.SetLinked(false);
  rwData->setCurrentIndex(2);
  EXPECT_EQ(send->currentIndex(), 0);

  commanderId->setValue(7);
  EXPECT_EQ(rwDataId->value(), 7);
  EXPECT_EQ(plainId->value(), 0);
  plainId->setValue(3);
  EXPECT_EQ(commanderId->value(), 7);

  link.SetLinked(true);
  rwData->setCurrentIndex(3);
  EXPECT_EQ(send->currentIndex(), 3);
}

}  // namespace
}  // namespace corvalis
