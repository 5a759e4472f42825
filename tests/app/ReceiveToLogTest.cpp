#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <string>

#include "app/AppContext.h"
#include "app/Settings.h"
#include "support/RecordingStatus.h"
#include "testkit/ReaderLines.h"
#include "testkit/TagMessageEncoder.h"

namespace corvalis {
namespace {

using testing::ReaderLine;

class ReceiveToLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    logPath = dir.filePath("tags.log").toStdString();
  }
  void Feed(int channel, const std::string& bytes) {
    context->spine().framer.AppendTcp(channel, bytes.data(), static_cast<int>(bytes.size()));
  }
  void TicksFor(int ms) {
    for (int t = 0; t < ms / 100; ++t) {
      clock.AdvanceMs(100);
      context->Tick();
    }
  }
  std::string LogText() const {
    QFile file(QString::fromStdString(logPath));
    if (!file.open(QIODevice::ReadOnly)) return "<missing>";
    return file.readAll().toStdString();
  }

  QTemporaryDir dir;
  std::string logPath;
  ManualClock clock{WallTime{1'796'000'000, 0}};
  testing::RecordingStatus status;
  std::unique_ptr<AppContext> context = std::make_unique<AppContext>(clock, status);
};

TEST_F(ReceiveToLogTest, BytesFromTwoReadersBecomeOneLogLinePerPass) {
  Settings settings;
  settings.SetBool(Setting::LogTagID, true);
  settings.SetBool(Setting::LogReaderID, true);
  settings.SetBool(Setting::LogIQCount, true);
  settings.SetBool(Setting::LogChannelNumber, true);
  settings.SetBool(Setting::FirstSeenIncludeMS, true);
  context->ApplySettings(settings);
  ASSERT_TRUE(context->logWriter().StartLogging(logPath).ok);

  // Tag ...41 passes reader 1 in three reads split across appends; tag ...42
  // passes reader 2 on channel 2 once.
  const std::string first = ReaderLine(1, 0x41, 0) + ReaderLine(1, 0x41, 20);
  Feed(0, first.substr(0, 100));
  Feed(0, first.substr(100));
  Feed(1, ReaderLine(2, 0x42, 50, 5));
  TicksFor(300);
  Feed(0, ReaderLine(1, 0x41, 40));
  EXPECT_EQ(LogText(), "");  // both passes still open
  TicksFor(600);

  // The pass heard last by the computer closes last.
  EXPECT_EQ(LogText(),
            "Depot,3031323334353642,NR-3435,2026/12/08,10:20:30.500,2,2,6\r\n"
            "Depot,3031323334353641,NR-3435,2026/12/08,10:20:30.000,1,1,9\r\n");
  EXPECT_EQ(context->tagTable().PassCount(), 0);
  EXPECT_EQ(context->tagTable().SeenLength(), 2);
  EXPECT_EQ(context->tagTable().LostReads(0), 0);
}

TEST_F(ReceiveToLogTest, ReadsOfTheSameTagAfterTheWaitTimeStartANewPass) {
  context->ApplySettings(Settings{});
  ASSERT_TRUE(context->logWriter().StartLogging(logPath).ok);
  Feed(0, ReaderLine(1, 0x41, 0));
  TicksFor(700);
  Feed(0, ReaderLine(1, 0x41, 10));
  TicksFor(700);
  EXPECT_EQ(LogText(),
            "Depot,NR-3435,2026/12/08,10:20:30\r\n"
            "Depot,NR-3435,2026/12/08,10:20:30\r\n");
}

TEST_F(ReceiveToLogTest, LongCompositeArrivingAFewBytesAtATimeRecordsEveryTag) {
  context->ApplySettings(Settings{});
  const CompositeFormat format = CompositeFormat::Derive(0xF6, 0xFF, 0xFFFF);
  context->spine().formats.composite[0] = format;
  CompositeTagFields tags[16];
  for (int t = 0; t < 16; ++t) tags[t].id[7] = static_cast<uint8_t>(t);
  char message[1024];
  const int n = EncodeCompositeMessage(format, {1, 0, tags, 16}, message, sizeof message);
  ASSERT_GT(n, 500);
  const std::string line = std::string(message, static_cast<size_t>(n)) + "\r\n";
  for (size_t at = 0; at < line.size(); at += 3) Feed(0, line.substr(at, 3));
  EXPECT_EQ(context->tagTable().SeenLength(), 16);
  EXPECT_EQ(status.lastError, "");
}

TEST_F(ReceiveToLogTest, DataPagesThatHaveNoDisplayAreCounted) {
  context->ApplySettings(Settings{});
  TagMessageFields dataRead;
  dataRead.dataFlag = 1;
  char text[128];
  int n = EncodeFormatMessage(MessageFormat{}, dataRead, text, sizeof text);
  ASSERT_GT(n, 0);
  Feed(0, std::string(text, static_cast<size_t>(n)) + "\r\n");
  n = EncodeTtoDataMessage(TtoDataFields{}, 26, text, sizeof text);
  ASSERT_GT(n, 0);
  Feed(1, std::string(text, static_cast<size_t>(n)) + "\r\n");
  EXPECT_EQ(context->unshownPages().Count(), 2);
  EXPECT_EQ(context->tagTable().SeenLength(), 0);
}

TEST_F(ReceiveToLogTest, SettingsRoundTripThroughTheLiveParts) {
  Settings settings;
  settings.SetInteger(Setting::WaitTime, -250);
  settings.SetInteger(Setting::WhichChannels, 2);
  settings.SetBool(Setting::SumAllPorts, true);
  settings.SetBool(Setting::AutoRegister, false);
  settings.SetString(Setting::LoggingSeparator, ";");
  settings.SetOutputPort(OutputPortUse::kComposite);
  context->ApplySettings(settings);
  EXPECT_EQ(context->tagTable().settings().waitTime, -250);
  EXPECT_EQ(context->protocolSettings().whichChannels, 2);
  EXPECT_TRUE(context->protocolSettings().sumAllPorts);
  EXPECT_TRUE(context->protocolSettings().compositeOutput);
  EXPECT_FALSE(context->tagNames().AutoRegister());

  Settings stored;
  context->StoreSettings(stored);
  for (Setting id : {Setting::WaitTime, Setting::WhichChannels, Setting::SumAllPorts,
                     Setting::AutoRegister, Setting::LoggingSeparator, Setting::OutputPortUse}) {
    EXPECT_EQ(stored.String(id), settings.String(id)) << static_cast<int>(id);
    EXPECT_EQ(stored.Integer(id), settings.Integer(id)) << static_cast<int>(id);
  }
}

// The per-second work rides on every tenth tick, window or not.
TEST_F(ReceiveToLogTest, EveryTenthTickCountsTheSecondsReadsAndStartsAnother) {
  context->ApplySettings(Settings{});
  Feed(0, ReaderLine(1, 0x41, 0) + ReaderLine(1, 0x42, 10));
  const int reads = context->tagTable().IdsThisSecond();
  ASSERT_GT(reads, 0);
  TicksFor(900);
  EXPECT_EQ(context->SecondsTicked(), 0);
  EXPECT_EQ(context->IdsLastSecond(), 0);
  TicksFor(100);
  EXPECT_EQ(context->SecondsTicked(), 1);
  EXPECT_EQ(context->IdsLastSecond(), reads);
  EXPECT_EQ(context->tagTable().IdsThisSecond(), 0);
  TicksFor(1000);
  EXPECT_EQ(context->IdsLastSecond(), 0);
}

TEST_F(ReceiveToLogTest, ChannelEncodingRecomputesTheMessageLengths) {
  const MessageFormat ascii = context->formats().format[2];
  context->SetChannelEncoding(2, true);
  EXPECT_TRUE(context->formats().format[2].binary);
  EXPECT_NE(context->formats().format[2].length1, ascii.length1);
  context->SetChannelEncoding(2, false);
  EXPECT_EQ(context->formats().format[2].length1, ascii.length1);
  context->SetChannelEncoding(7, true);  // no such channel: nothing changes
  context->SetChannelEncoding(-1, true);
  EXPECT_FALSE(context->formats().format[0].binary);
}

}  // namespace
}  // namespace corvalis
