// A site's day in small: four readers at 1,000 reads/s each into the real
// console, logging. `scripts/soak MINUTES` runs the same test for longer.
#include <gtest/gtest.h>

#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "testkit/ConsoleRun.h"

namespace corvalis {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// 60 s in CI; a third of that under the sanitizers, whose console is several
// times slower and whose quarantine keeps freed memory resident on purpose.
int SoakSeconds() {
  const char* text = std::getenv("CORVALIS_SOAK_SECONDS");
  const int wanted = text != nullptr ? std::atoi(text) : 0;
  return wanted > 0 ? wanted : kSanitized ? 20 : 60;
}

TEST(SoakTest, FourBusyReadersLogEveryPassWholeInFlatMemory) {
  constexpr int kReaders = 4;
  constexpr int kRate = 1000;
  constexpr int kReadsPerPass = 5;
  const int seconds = SoakSeconds();
  const int passesEach = seconds * kRate / kReadsPerPass;
  testing::ConsoleRun run(CORVALIS_EXECUTABLE, READERSIM_EXECUTABLE);
  std::vector<QStringList> readers;
  for (int r = 1; r <= kReaders; ++r) {
    readers.push_back({"--rate", QString::number(kRate), "--tags", "550", "--reads-per-pass",
                       QString::number(kReadsPerPass), "--passes", QString::number(passesEach),
                       "--seed", QString::number(r)});
  }
  const std::vector<int> ports = run.StartSimulators(readers);
  ASSERT_EQ(ports.size(), static_cast<size_t>(kReaders));
  ASSERT_TRUE(run.StartConsole(ports, "[FILES]\nFilteredFileName=tags.log\nWriteFiltered=1\n"));

  const int expected = passesEach * kReaders;
  const int warmUpSamples = std::clamp(seconds / 4, 5, 60);
  std::vector<double> resident;  // one sample a second
  double cpuAtWarmUp = 0;
  // The passes take the run's length; a loaded machine gets twice that and more.
  for (int s = 0; s < 2 * seconds + 30 && run.Log().count('\n') < expected; ++s) {
    QTest::qWait(1000);
    const testing::ProcessFigures figures = run.ConsoleFigures();
    resident.push_back(figures.residentMb);
    if (s + 1 == warmUpSamples) cpuAtWarmUp = figures.cpuSeconds;
  }
  QTest::qWait(1500);  // anything beyond the passes sent would show now
  const testing::ProcessFigures end = run.ConsoleFigures();
  ASSERT_TRUE(run.StopConsole());

  const QByteArray log = run.Log();
  const auto lines = log.count('\n');
  const auto crlf = log.count("\r\n");
  const bool wholeEnd = log.endsWith("\r\n");
  const int measured = static_cast<int>(resident.size()) - warmUpSamples;
  const double afterWarmUp = resident.size() > static_cast<size_t>(warmUpSamples)
                                 ? resident[static_cast<size_t>(warmUpSamples)]
                                 : 0;
  const double highest =
      resident.empty() ? 0
                       : *std::max_element(resident.begin() +
                                               std::min<size_t>(resident.size(),
                                                                static_cast<size_t>(warmUpSamples)),
                                           resident.end());
  std::printf(
      "soak_seconds: %d s\nsoak_passes_sent: %d passes\nsoak_lines_logged: %lld lines\n"
      "soak_lines_crlf: %lld lines\nsoak_rss_after_warm_up_mb: %.1f MB\n"
      "soak_rss_highest_after_warm_up_mb: %.1f MB\nsoak_rss_end_mb: %.1f MB\n"
      "soak_rss_peak_mb: %.1f MB\nsoak_cpu_percent_after_warm_up: %.1f %%\n",
      seconds, expected, static_cast<long long>(lines), static_cast<long long>(crlf), afterWarmUp,
      highest, end.residentMb, end.peakResidentMb,
      measured > 0 ? 100.0 * (end.cpuSeconds - cpuAtWarmUp) / (measured + 1.5) : 0.0);
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(crlf, lines);
  EXPECT_TRUE(wholeEnd);
  if (!kSanitized) {
    // Flat: the last samples within a few megabytes of the first after the
    // warm-up. The sanitizers' quarantine grows by design, so only this
    // build judges memory.
    ASSERT_GT(measured, 0);
    EXPECT_LT(highest - afterWarmUp, std::max(8.0, 0.1 * afterWarmUp))
        << "resident memory grew after the warm-up";
  }
}

}  // namespace
}  // namespace corvalis
