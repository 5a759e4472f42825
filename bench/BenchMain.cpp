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
};

class FigureReporter final : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      for (const auto& [name, counter] : run.counters) {
        if (kFigureUnits.count(name) != 0) figures_[name] = counter.value;
      }
    }
  }
  void PrintFigures() const {
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
