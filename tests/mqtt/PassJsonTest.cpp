#include "mqtt/PassJson.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "mqtt/MqttSettings.h"

namespace corvalis {
namespace {

std::string Quoted(std::string_view text) {
  std::string out;
  AppendJsonString(out, text);
  return out;
}

TEST(PassJsonTest, StringsStayValidJsonWhateverTheNameHolds) {
  EXPECT_EQ(Quoted("Gate \"A\\B\""), R"("Gate \"A\\B\"")");
  EXPECT_EQ(Quoted(std::string("a\nb\tc\x01\x7f", 7)), R"("a\nb\tc\u0001\u007f")");
  // UTF-8 is kept; a Latin-1 byte from an old names file becomes its letter.
  EXPECT_EQ(Quoted("Z\xc3\xbcrich"), "\"Z\xc3\xbcrich\"");
  EXPECT_EQ(Quoted("Z\xfcrich"), "\"Z\xc3\xbcrich\"");
  // A sequence cut short or overlong is not passed on as it is.
  EXPECT_EQ(Quoted("\xe2\x82"), "\"\xc3\xa2\xc2\x82\"");
  EXPECT_EQ(Quoted("\xc0\xaf"), "\"\xc3\x80\xc2\xaf\"");
}

class ZoneGuard {
 public:
  explicit ZoneGuard(const char* zone) {
    const char* old = std::getenv("TZ");
    if (old != nullptr) old_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ZoneGuard() {
    setenv("TZ", old_.c_str(), 1);
    tzset();
  }

 private:
  std::string old_ = "UTC";
};

TEST(PassJsonTest, TimesCarryMillisecondsAndTheUtcOffset) {
  // 2026-12-08 10:20:30 UTC
  constexpr int32_t kSec = 1'796'725'230;
  {
    const ZoneGuard zone("UTC0");
    EXPECT_EQ(FormatLocalTimestamp(kSec, 7), "2026-12-08T10:20:30.007+00:00");
  }
  {
    const ZoneGuard zone("<+0530>-5:30");
    EXPECT_EQ(FormatLocalTimestamp(kSec, 500), "2026-12-08T15:50:30.500+05:30");
  }
  {
    const ZoneGuard zone("<-0330>3:30");
    EXPECT_EQ(FormatLocalTimestamp(kSec, 999), "2026-12-08T06:50:30.999-03:30");
  }
}

TEST(PassJsonTest, TopicsNeverCarryWildcardsOrEmptyLevels) {
  MqttSettings settings;
  settings.topicPrefix = "/site/+gate#/";
  EXPECT_EQ(PassesTopic(settings, "North/1"), "site/_gate_/North_1/passes");
  settings.topicPrefix = "";
  EXPECT_EQ(StatusTopic(settings, ""), "corvalis/_/status");
}

}  // namespace
}  // namespace corvalis
