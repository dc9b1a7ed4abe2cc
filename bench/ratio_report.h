#pragma once

// Runs the registered benchmarks and prints, for each measured case, its time
// against the raw baseline of the same run and the target ratio.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace korvane::bench {

struct Ratio {
  std::string measured; // benchmark name
  std::string baseline; // benchmark name of the raw baseline
  double target;        // the measured case may take at most target × the baseline
};

class RecordingReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run> &runs) override {
    for (const Run &run : runs)
      if (run.run_type == Run::RT_Iteration && !run.error_occurred)
        nanoseconds_[run.benchmark_name()] =
            run.GetAdjustedRealTime() * (run.time_unit == benchmark::kMicrosecond   ? 1e3
                                         : run.time_unit == benchmark::kMillisecond ? 1e6
                                                                                    : 1.0);
    ConsoleReporter::ReportRuns(runs);
  }
  const std::map<std::string, double> &nanoseconds() const { return nanoseconds_; }

private:
  std::map<std::string, double> nanoseconds_;
};

// Returns non-zero when a ratio misses its target, so that a run can be checked.
inline int runWithRatios(int argc, char **argv, const std::vector<Ratio> &ratios) {
  benchmark::Initialize(&argc, argv);
  RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  int missed = 0;
  std::printf("\n%-32s %-28s %8s %8s\n", "measured", "baseline", "ratio", "target");
  for (const Ratio &ratio : ratios) {
    const auto measured = reporter.nanoseconds().find(ratio.measured);
    const auto baseline = reporter.nanoseconds().find(ratio.baseline);
    if (measured == reporter.nanoseconds().end() || baseline == reporter.nanoseconds().end())
      continue;
    const double value = measured->second / baseline->second;
    const bool met = value <= ratio.target;
    missed += met ? 0 : 1;
    std::printf("%-32s %-28s %7.2fx %7.2fx %s\n", ratio.measured.c_str(), ratio.baseline.c_str(),
                value, ratio.target, met ? "ok" : "MISSED");
  }
  return missed;
}

} // namespace korvane::bench
