// Rank zero's dispatch rate and its CPU use while it waits, measured on real
// mpiexec runs of the scheduler with workers that answer at once or after a delay.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/side_by_side.h"

namespace {

namespace fs = std::filesystem;

struct RunResult {
  double wallSeconds = 0;
  double rankZeroCpu = 0;
  bool ok = false;
};

RunResult RunJob(const std::string& program, int workers, int cases, int files, const std::string& env) {
  const fs::path dir = fs::temp_directory_path() / ("ostrel_bench_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  {
    std::ofstream list(dir / "cases.txt");
    for (int c = 1; c <= cases; ++c) list << c << " Model" << (c % files) << ".str 0 0 x 0\n";
  }
  const std::string cpuFile = (dir / "cpu.txt").string();
  const std::string cmd = env + " OSTREL_CPU_FILE=" + cpuFile + " timeout -k 5 300 /usr/bin/mpiexec.mpich -n " +
                          std::to_string(workers + 1) + " " + OSTREL_BENCH_BIN_DIR + "/runner/" + program + " x " +
                          dir.string() + " cases.txt 0 > /dev/null 2>&1";
  const auto start = std::chrono::steady_clock::now();
  const int rc = std::system(cmd.c_str());
  RunResult result;
  result.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  result.ok = rc == 0;
  std::ifstream(cpuFile) >> result.rankZeroCpu;
  fs::remove_all(dir);
  return result;
}

// 2,000 cases, workers answering at once: cases handed out per second.
void BM_DispatchInstant(benchmark::State& state) {
  const int workers = static_cast<int>(state.range(0));
  RunResult r;
  for (auto _ : state) {
    r = RunJob("ostrel_case_responder", workers, 2000, 4, "");
    if (!r.ok) state.SkipWithError("the job failed");
    state.SetIterationTime(r.wallSeconds);
  }
  state.counters["cases_per_second"] = 2000 / r.wallSeconds;
  state.counters["rank0_cpu_seconds"] = r.rankZeroCpu;
}
BENCHMARK(BM_DispatchInstant)->Arg(3)->Arg(7)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// Workers taking range(1) ms per case (20 or 50): rank zero's CPU as a share
// of one core while it waits. Rank zero's CPU total includes the job's start-up (MPI_Init, the
// case list) and shut-down, so the steady state is measured as a difference:
// a long job and a short one differ only in the cases they run, and the
// difference of rank zero's CPU over the difference of the wall time is its
// share while the workers are busy. The whole-job share is reported beside it.
void BM_RankZeroWaiting(benchmark::State& state) {
  const int workers = static_cast<int>(state.range(0));
  const std::string delay = "OSTREL_RESPONDER=delay=" + std::to_string(state.range(1));
  constexpr int kRounds = 3;
  std::vector<double> steadyShares;
  std::vector<double> wholeShares;
  double extraSeconds = 0;
  for (auto _ : state) {
    double wallSeconds = 0;
    for (int round = 0; round < kRounds; ++round) {
      const RunResult shortJob = RunJob("ostrel_case_responder", workers, 10 * workers, 2, delay);
      const RunResult longJob = RunJob("ostrel_case_responder", workers, 110 * workers, 2, delay);
      if (!shortJob.ok || !longJob.ok || longJob.wallSeconds <= shortJob.wallSeconds) {
        state.SkipWithError("the job failed");
        return;
      }
      extraSeconds = longJob.wallSeconds - shortJob.wallSeconds;
      steadyShares.push_back((longJob.rankZeroCpu - shortJob.rankZeroCpu) / extraSeconds);
      wholeShares.push_back(longJob.rankZeroCpu / longJob.wallSeconds);
      wallSeconds += shortJob.wallSeconds + longJob.wallSeconds;
    }
    state.SetIterationTime(wallSeconds);
  }
  state.counters["rank0_steady_cpu_share"] = bench::Median(steadyShares);
  state.counters["rank0_steady_cpu_share_max"] = *std::max_element(steadyShares.begin(), steadyShares.end());
  state.counters["rank0_whole_job_cpu_share"] = bench::Median(wholeShares);
  state.counters["steady_seconds"] = extraSeconds;
}
BENCHMARK(BM_RankZeroWaiting)->Args({3, 20})->Args({7, 20})->Args({7, 50})->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// 200 cases of 20 ms through the real runner and the stand-in solver: the
// speed-up over one worker, also net of the job's start-up and shut-down
// (the same job with cases that take no time).
double g_oneWorkerSeconds = 0;
double g_oneWorkerNet = 0;

double RunEndToEnd(int workers, const char* outcomes) {
  const fs::path dir = fs::temp_directory_path() / ("ostrel_bench_e2e_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::ofstream(dir / "SolverOutcomes.txt") << outcomes;
  {
    std::ofstream list(dir / "cases.txt");
    for (int c = 1; c <= 200; ++c) list << c << " Model" << (c % 3) << ".str 0 0 x 0\n";
  }
  // A dead port: the workers run without a link, as a run without the main application does.
  const std::string cmd = "timeout -k 5 300 /usr/bin/mpiexec.mpich -n " + std::to_string(workers + 1) + " " +
                          OSTREL_BENCH_BIN_DIR + "/runner/ostrel x " + dir.string() +
                          " cases.txt 0 0 127.0.0.1 1 > /dev/null 2>&1";
  const auto start = std::chrono::steady_clock::now();
  const bool ok = std::system(cmd.c_str()) == 0;
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  fs::remove_all(dir);
  return ok ? seconds : -1;
}

void BM_EndToEnd(benchmark::State& state) {
  const int workers = static_cast<int>(state.range(0));
  double seconds = 0;
  double net = 0;
  for (auto _ : state) {
    seconds = RunEndToEnd(workers, "* time=0.02\n");
    const double fixed = RunEndToEnd(workers, "* time=0\n");
    if (seconds < 0 || fixed < 0) {
      state.SkipWithError("the job failed");
      return;
    }
    net = seconds - fixed;
    state.SetIterationTime(seconds);
  }
  if (workers == 1) {
    g_oneWorkerSeconds = seconds;
    g_oneWorkerNet = net;
  }
  if (g_oneWorkerSeconds > 0) state.counters["speed_up"] = g_oneWorkerSeconds / seconds;
  if (g_oneWorkerNet > 0 && net > 0) state.counters["speed_up_net_of_startup"] = g_oneWorkerNet / net;
  state.counters["cases_per_second"] = 200 / seconds;
}
BENCHMARK(BM_EndToEnd)->Arg(1)->Arg(3)->Arg(7)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
