// Runs every benchmark, then prints one line per figure, "name: value unit".
// A figure is a user counter whose name is listed below.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

const std::map<std::string, std::string> kFigureUnits = {
    {"spine_lines_per_s", "lines/s"},
    {"spine_allocations_per_line", "allocations/line"},
    {"tcp_lines_per_s", "lines/s"},
    {"cpu_percent_at_1500_reads_per_s", "%"},
    {"table_lines_per_s_600_tags", "lines/s"},
    {"table_lines_per_s_10000_passes", "lines/s"},
    {"reference_lines_per_s_10000_passes", "lines/s"},
    {"table_ratio_vs_reference", "x"},
    {"tables_resident_mb", "MB"},
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
  FigureReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  reporter.PrintFigures();
  return 0;
}
