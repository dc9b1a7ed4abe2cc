#pragma once

// Runs the registered benchmarks and prints, for each measured case, its time
// against the raw baseline of the same run and the target ratio.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace korvane::bench {

// Which time a ratio compares: the wall-clock time a user waits, or the processor
// time, for work whose wall time the disk's flushes would make a matter of chance.
enum class Clock { Real, Cpu };

struct Ratio {
  std::string measured; // benchmark name
  std::string baseline; // benchmark name of the raw baseline
  double target;        // the measured case may take at most target × the baseline
  Clock clock = Clock::Real;
};

// Keeps each benchmark's real and processor time per iteration: the median of the
// repetitions when there are several, which steadies the ratios on a shared machine.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run> &runs) override {
    for (const Run &run : runs) {
      if (run.error_occurred)
        continue;
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (run.run_type == Run::RT_Iteration || median) {
        const double perUnit = nanosecondsPer(run.time_unit);
        nanoseconds_[{run.run_name.str(), Clock::Real}] = run.GetAdjustedRealTime() * perUnit;
        nanoseconds_[{run.run_name.str(), Clock::Cpu}] = run.GetAdjustedCPUTime() * perUnit;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }
  using Key = std::pair<std::string, Clock>;
  const std::map<Key, double> &nanoseconds() const { return nanoseconds_; }

private:
  static double nanosecondsPer(benchmark::TimeUnit unit) {
    switch (unit) {
    case benchmark::kSecond:
      return 1e9;
    case benchmark::kMillisecond:
      return 1e6;
    case benchmark::kMicrosecond:
      return 1e3;
    default:
      return 1.0;
    }
  }

  std::map<Key, double> nanoseconds_;
};

// Returns non-zero when a ratio misses its target, so that a run can be checked.
inline int runWithRatios(int argc, char **argv, const std::vector<Ratio> &ratios) {
  // Five repetitions unless the command line says otherwise.
  std::vector<char *> args(argv, argv + argc);
  std::string repetitions = "--benchmark_repetitions=5";
  bool given = false;
  for (char *arg : args)
    given = given || std::string(arg).rfind("--benchmark_repetitions", 0) == 0;
  if (!given)
    args.push_back(repetitions.data());
  int count = int(args.size());
  benchmark::Initialize(&count, args.data());
  RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  int missed = 0;
  std::printf("\n%-32s %-28s %8s %8s\n", "measured", "baseline", "ratio", "target");
  for (const Ratio &ratio : ratios) {
    const auto measured = reporter.nanoseconds().find({ratio.measured, ratio.clock});
    const auto baseline = reporter.nanoseconds().find({ratio.baseline, ratio.clock});
    if (measured == reporter.nanoseconds().end() || baseline == reporter.nanoseconds().end())
      continue;
    const double value = measured->second / baseline->second;
    const bool met = value <= ratio.target;
    missed += met ? 0 : 1;
    std::printf("%-32s %-28s %7.2fx %7.2fx %s%s\n", ratio.measured.c_str(), ratio.baseline.c_str(),
                value, ratio.target, met ? "ok" : "MISSED",
                ratio.clock == Clock::Cpu ? " (processor time)" : "");
  }
  return missed;
}

} // namespace korvane::bench
