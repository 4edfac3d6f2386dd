#pragma once
// Runs this project's code and an anchor (a raw library or tool doing the same
// work) in alternating rounds in one process, so that both see the same
// machine, and reports both times and their ratio as benchmark counters.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

struct SideBySideTimes {
  std::vector<double> ours;    // seconds per round
  std::vector<double> anchor;  // seconds per round
};

inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

inline double Min(const std::vector<double>& values) {
  return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

// Each function does one round of work and returns its time in seconds
// (a negative time marks a failed round). The order alternates per round.
template <typename Ours, typename Anchor>
SideBySideTimes RunSideBySide(int rounds, Ours&& ours, Anchor&& anchor) {
  SideBySideTimes times;
  for (int r = 0; r < rounds; ++r) {
    if (r % 2 == 0) {
      times.ours.push_back(ours());
      times.anchor.push_back(anchor());
    } else {
      times.anchor.push_back(anchor());
      times.ours.push_back(ours());
    }
  }
  return times;
}

// The calling thread's CPU time in seconds: on a shared machine it moves
// much less than the wall clock with the other processes' load.
inline double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Times one call of f in seconds of the thread's CPU time.
template <typename F>
double TimeOnce(F&& f) {
  const double start = ThreadCpuSeconds();
  f();
  return ThreadCpuSeconds() - start;
}

// The speed ratio of a round is the anchor's time over ours (above 1: this
// project is faster). Worst is the lowest ratio of a round, median the median
// of the rounds' ratios. Counters give times in milliseconds, and work per
// second when workPerRound is given. Also prints one summary line.
inline bool ReportSideBySide(benchmark::State& state, const SideBySideTimes& times, const std::string& label,
                             double workPerRound = 0, const char* workName = nullptr) {
  std::vector<double> ratios;
  for (std::size_t i = 0; i < times.ours.size() && i < times.anchor.size(); ++i) {
    if (times.ours[i] <= 0 || times.anchor[i] <= 0) {
      state.SkipWithError("a round failed");
      return false;
    }
    ratios.push_back(times.anchor[i] / times.ours[i]);
  }
  if (ratios.empty()) {
    state.SkipWithError("no rounds");
    return false;
  }
  const double oursMin = Min(times.ours), oursMedian = Median(times.ours);
  const double anchorMin = Min(times.anchor), anchorMedian = Median(times.anchor);
  const double worst = Min(ratios), median = Median(ratios);
  state.counters["ours_min_ms"] = oursMin * 1e3;
  state.counters["ours_median_ms"] = oursMedian * 1e3;
  state.counters["anchor_min_ms"] = anchorMin * 1e3;
  state.counters["anchor_median_ms"] = anchorMedian * 1e3;
  state.counters["ratio_worst"] = worst;
  state.counters["ratio_median"] = median;
  if (workPerRound > 0 && workName != nullptr) {
    state.counters[std::string("ours_") + workName + "_per_s"] = workPerRound / oursMedian;
    state.counters[std::string("anchor_") + workName + "_per_s"] = workPerRound / anchorMedian;
  }
  std::printf("%s: ours min %.3f / median %.3f ms, anchor min %.3f / median %.3f ms, ratio worst %.3g / median %.3g\n",
              label.c_str(), oursMin * 1e3, oursMedian * 1e3, anchorMin * 1e3, anchorMedian * 1e3, worst, median);
  std::fflush(stdout);
  return true;
}

}  // namespace bench
