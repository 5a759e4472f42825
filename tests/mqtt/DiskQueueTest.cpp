#include "mqtt/DiskQueue.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <string>

#include "mqtt/QueueFormat.h"

namespace corvalis {
namespace {

class DiskQueueTest : public ::testing::Test {
 protected:
  std::string Folder() const { return dir_.filePath("queue").toStdString(); }
  QStringList Segments() const {
    return QDir(dir_.filePath("queue")).entryList({"*.mq"}, QDir::Files, QDir::Name);
  }
  QTemporaryDir dir_;
};

TEST_F(DiskQueueTest, WhatIsNotDeliveredComesBackInOrderAfterARestart) {
  {
    DiskQueue queue;
    ASSERT_TRUE(queue.Open(Folder(), 100).ok);
    for (int n = 0; n < 5; ++n)
      ASSERT_EQ(queue.Append("pass " + std::to_string(n)), QueueAppend::kQueued);
    queue.PopFront(2);
  }
  DiskQueue queue;
  const QueueOpenResult opened = queue.Open(Folder(), 100);
  ASSERT_TRUE(opened.ok) << opened.problem;
  EXPECT_EQ(opened.restored, 3u);
  EXPECT_EQ(opened.damaged, 0);
  ASSERT_EQ(queue.Size(), 3u);
  EXPECT_EQ(queue.At(0), "pass 2");
  EXPECT_EQ(queue.At(2), "pass 4");
}

TEST_F(DiskQueueTest, ARecordTornByAKillIsCutOffAndTheNextOnesReadBack) {
  {
    DiskQueue queue;
    ASSERT_TRUE(queue.Open(Folder(), 100).ok);
    ASSERT_EQ(queue.Append("whole"), QueueAppend::kQueued);
  }
  ASSERT_EQ(Segments().size(), 1);
  {
    QFile segment(QDir(dir_.filePath("queue")).filePath(Segments().front()));
    ASSERT_TRUE(segment.open(QIODevice::Append));
    const std::string line = QueueRecordLine("half written");
    segment.write(line.data(), static_cast<qint64>(line.size() / 2));
  }
  {
    DiskQueue queue;
    const QueueOpenResult opened = queue.Open(Folder(), 100);
    ASSERT_TRUE(opened.ok);
    EXPECT_EQ(opened.damaged, 1);
    ASSERT_EQ(queue.Size(), 1u);
    ASSERT_EQ(queue.Append("after"), QueueAppend::kQueued);
  }
  DiskQueue queue;
  const QueueOpenResult opened = queue.Open(Folder(), 100);
  EXPECT_EQ(opened.damaged, 0);
  ASSERT_EQ(queue.Size(), 2u);
  EXPECT_EQ(queue.At(1), "after");
}

TEST_F(DiskQueueTest, AFullQueueRefusesUntilRecordsAreDeliveredAndOldSegmentsGo) {
  DiskQueue queue;
  const size_t limit = DiskQueue::kRecordsPerSegment + 10;
  ASSERT_TRUE(queue.Open(Folder(), limit).ok);
  for (size_t n = 0; n < limit; ++n)
    ASSERT_EQ(queue.Append(std::to_string(n)), QueueAppend::kQueued);
  EXPECT_EQ(queue.Append("one too many"), QueueAppend::kFull);
  EXPECT_EQ(Segments().size(), 2);
  queue.PopFront(DiskQueue::kRecordsPerSegment);
  EXPECT_EQ(Segments().size(), 1);  // the first segment was wholly delivered
  EXPECT_EQ(queue.Append("fits again"), QueueAppend::kQueued);
  EXPECT_EQ(queue.At(0), std::to_string(DiskQueue::kRecordsPerSegment));
  // A line break would split the record in two on reading.
  EXPECT_EQ(queue.Append("two\nlines"), QueueAppend::kFailed);
}

TEST(QueueFormatTest, DamagedLinesAndHeadsAreRefused) {
  const std::string good = QueueRecordLine("{\"id\":1}");
  std::string flipped = good;
  flipped[10] ^= 1;
  const SegmentScan scan = ScanQueueSegment(good + flipped + "junk\n" + good);
  EXPECT_EQ(scan.records.size(), 2u);
  EXPECT_EQ(scan.damaged, 2);
  const std::string head = FormatQueueHead({3, 1234});
  ASSERT_TRUE(ParseQueueHead(head).has_value());
  EXPECT_EQ(ParseQueueHead(head)->offset, 1234u);
  std::string bad = head;
  bad[20] = bad[20] == '0' ? '1' : '0';
  EXPECT_FALSE(ParseQueueHead(bad).has_value());
  EXPECT_FALSE(ParseQueueHead(head.substr(0, 20)).has_value());
}

}  // namespace
}  // namespace corvalis
