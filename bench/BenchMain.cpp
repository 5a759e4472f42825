// Runs every benchmark, then prints one line per figure, "name: value unit".
// A figure is a user counter whose name is listed below.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

namespace {

const std::map<std::string, std::string> kFigureUnits = {
    {"spine_lines_per_s", "lines/s"},
    {"spine_allocations_per_line", "allocations/line"},
    {"tcp_lines_per_s", "lines/s"},
    {"tcp_lines_per_s_4_channels", "lines/s"},
    {"cpu_percent_at_1500_reads_per_s", "%"},
    {"cpu_percent_4x1000_reads_per_s", "%"},
    {"flood_rss_mb", "MB"},
    {"table_lines_per_s_600_tags", "lines/s"},
    {"table_lines_per_s_10000_passes", "lines/s"},
    {"reference_lines_per_s_10000_passes", "lines/s"},
    {"table_ratio_vs_reference", "x"},
    {"tables_resident_mb", "MB"},
    {"tick_ms_32_rows", "ms"},
    {"paint_ms_32_rows", "ms"},
    {"idle_cpu_percent", "%"},
    {"script_steps_per_s", "steps/s"},
    {"replay_lines_per_s", "lines/s"},
    {"expect_lines_per_s", "lines/s"},
    {"mqtt_passes_per_s", "passes/s"},
};

// Figures computed from others once every benchmark has run.
struct Ratio {
  const char* name;
  const char* numerator;
  const char* denominator;
};
const Ratio kRatios[] = {
    {"table_ratio_vs_reference", "table_lines_per_s_10000_passes",
     "reference_lines_per_s_10000_passes"},
};

class FigureReporter final : public benchmark::ConsoleReporter {
 public:
  // No colour codes: the figure lines must start clean for whoever reads them.
  FigureReporter() : ConsoleReporter(OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      for (const auto& [name, counter] : run.counters) {
        if (kFigureUnits.count(name) != 0) figures_[name] = counter.value;
      }
    }
  }
  void PrintFigures() {
    for (const Ratio& ratio : kRatios) {
      const auto top = figures_.find(ratio.numerator);
      const auto bottom = figures_.find(ratio.denominator);
      if (top != figures_.end() && bottom != figures_.end() && bottom->second > 0) {
        figures_[ratio.name] = top->second / bottom->second;
      }
    }
    for (const auto& [name, value] : figures_) {
      const char* format = value >= 100 ? "%s: %.0f %s\n" : "%s: %.3g %s\n";
      std::printf(format, name.c_str(), value, kFigureUnits.at(name).c_str());
    }
  }

 private:
  std::map<std::string, double> figures_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  // The window benchmarks need a QApplication; without a display they run
  // on the offscreen platform.
  std::unique_ptr<QApplication> app;
  if (QCoreApplication::instance() == nullptr) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    app = std::make_unique<QApplication>(argc, argv);
  }
  FigureReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  reporter.PrintFigures();
  return 0;
}
