// Whole jobs of the runner: real mpiexec runs of ostrel on a generated run
// directory (the global model at its 1k size, 200 cases that take no solve
// time), on 1, 3 and 7 workers, into one results file (SQLite) and into a
// private PostgreSQL server that syncs its writes (fsync on), each job on a
// directory generated afresh (and a new server database); beside them, in
// the same interleaved rounds, the same cases exported in this process as a
// worker exports them, without the job around them (the per-case measure of
// case_export_bench, in wall time). Per configuration: the job's wall time
// (min / median over the rounds) and its ratio to the 1-worker job, the
// workers' own account of a case's output (waiting for the writers' queue
// and the write lock, holding the lock, committing, checkpointing, working
// outside it) for the first case and the steady state, the workers' start-up,
// the server log's errors, and the load average when the rounds ran.
//
// OSTREL_BENCH_ROUNDS sets the rounds (3); OSTREL_BENCH_JOBS the
// configurations, e.g. "sqlite:1,sqlite:7,server:1" (all); OSTREL_BENCH_RUNNER
// the directory of the ostrel to run (this build's), to measure another build.

#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "bench/result_bench_support.h"
#include "bench/side_by_side.h"
#include "caseset/config/assembled_case.h"
#include "modelfile/vorn_model_file.h"
#include "platform/testing/dead_port.h"
#include "platform/testing/odbc_test_env.h"
#include "platform/testing/pg_test_server.h"
#include "results/vorn_db_export.h"
#include "tools/model_generator/model_generator.h"
#include "tools/model_generator/testing/server_results.h"
#include "writers/schema/result_schema.h"

namespace {

namespace fs = std::filesystem;

constexpr int kCases = 200;
constexpr int kInProcessCases = 24;

std::string RunnerDirectory() {
  const char* dir = std::getenv("OSTREL_BENCH_RUNNER");
  return dir != nullptr && *dir != '\0' ? dir : OSTREL_BENCH_BIN_DIR "/runner";
}

int Rounds() {
  const char* text = std::getenv("OSTREL_BENCH_ROUNDS");
  const int rounds = text ? std::atoi(text) : 0;
  return rounds > 0 ? rounds : 3;
}

double LoadAverage() {
  double load = 0;
  std::ifstream("/proc/loadavg") >> load;
  return load;
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

model_gen::GeneratorOptions JobOptions() {
  model_gen::GeneratorOptions options;
  options.kind = model_gen::ModelKind::kGlobal;
  model_gen::ApplySize("1k", options);
  options.cases = kCases;
  options.solveTime = 0;
  return options;
}

struct Config {
  bool server = false;
  int workers = 1;
  std::string Name() const { return std::string(server ? "server" : "sqlite") + ":" + std::to_string(workers); }
};

std::vector<Config> Configs() {
  std::vector<Config> all;
  for (bool server : {false, true})
    for (int workers : {1, 3, 7}) all.push_back({server, workers});
  const char* wanted = std::getenv("OSTREL_BENCH_JOBS");
  if (wanted == nullptr || *wanted == '\0') return all;
  std::vector<Config> chosen;
  const std::string list = std::string(",") + wanted + ",";
  for (const Config& c : all)
    if (list.find("," + c.Name() + ",") != std::string::npos) chosen.push_back(c);
  return chosen;
}

// What a worker's log says of one case's output, in seconds.
struct CaseAccount {
  double output = 0;
  double queue = 0;
  double lockWait = 0;
  double held = 0;
  double commit = 0;
  double checkpoint = 0;
  double lateCheckpoint = 0;
  double outside = 0;
  bool accounted = false;  // the worker gave the split
};

struct JobResult {
  bool ok = false;
  std::string failure;
  double seconds = 0;
  double load = 0;
  std::vector<std::vector<CaseAccount>> workers;  // each worker's cases in its order
  std::vector<double> startup;                    // each worker's start-up before its first case
  int serverErrors = 0;
};

double Number(const std::smatch& m, int i) { return std::atof(m[i].str().c_str()); }

// The cases a worker's log accounts for, in its order, and its start-up.
void ReadWorkerLog(const std::string& text, JobResult& job) {
  static const std::regex startup(R"(Initialization time ([-0-9.e+]+) seconds)");
  static const std::regex output(R"(Results database output time for case \d+ is ([-0-9.e+]+) seconds)");
  static const std::regex split(
      R"(waited ([-0-9.e+]+) s for the writers' queue and ([-0-9.e+]+) s for the write lock, held the lock )"
      R"(([-0-9.e+]+) s \(([-0-9.e+]+) s of it committing, ([-0-9.e+]+) s checkpointing, [^)]*\)(, checkpointed )"
      R"(([-0-9.e+]+) s after its turn)? and worked ([-0-9.e+]+) s outside it)");
  std::vector<CaseAccount> cases;
  std::istringstream lines(text);
  std::string line;
  std::smatch m;
  while (std::getline(lines, line)) {
    if (std::regex_search(line, m, startup)) {
      job.startup.push_back(Number(m, 1));
    } else if (std::regex_search(line, m, output)) {
      cases.push_back(CaseAccount{});
      cases.back().output = Number(m, 1);
    } else if (!cases.empty() && std::regex_search(line, m, split)) {
      CaseAccount& c = cases.back();
      c.queue = Number(m, 1);
      c.lockWait = Number(m, 2);
      c.held = Number(m, 3);
      c.commit = Number(m, 4);
      c.checkpoint = Number(m, 5);
      c.lateCheckpoint = m[7].matched ? Number(m, 7) : 0;
      c.outside = Number(m, 8);
      c.accounted = true;
    }
  }
  job.workers.push_back(std::move(cases));
}

int CountOf(const std::string& text, const std::string& word) {
  int n = 0;
  for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
  return n;
}

// A run directory generated afresh (its export configuration names its own paths); false with error set.
bool NewRunDirectory(const fs::path& run, std::string& error) {
  return model_gen::GenerateRunDirectory(run, JobOptions(), error);
}

// The environment of every job: the private server and its ODBC driver, a port nobody listens on.
struct JobEnvironment {
  plat::testing::DeadPort deadPort;
  std::unique_ptr<plat::testing::PgTestServer> server;
  std::unique_ptr<plat::testing::ScopedOdbcIni> odbc;
  std::string serverDdl;
  int serial = 0;
};

JobResult RunJob(JobEnvironment& env, const Config& config) {
  JobResult job;
  plat::testing::TempDir scratch;
  const fs::path run = fs::path(scratch.Path()) / "run";
  if (!NewRunDirectory(run, job.failure)) return job;
  std::string database;
  int errorsBefore = 0;
  if (config.server) {
    if (!env.server || !env.server->Ok()) {
      job.failure = env.server ? env.server->Reason() : "no server";
      return job;
    }
    database = "results_job_" + std::to_string(::getpid()) + "_" + std::to_string(++env.serial);
    if (!env.server->Psql("CREATE DATABASE " + database + ";") || !env.server->Psql(env.serverDdl, database) ||
        !model_gen_testing::SendResultsToServer(run, JobOptions(), env.server->Port(), database)) {
      job.failure = "cannot make the server database";
      return job;
    }
    errorsBefore = CountOf(ReadText(env.server->LogPath()), "ERROR:");
  }
  const std::string cmd = std::string(config.server ? "OSTREL_SQLSERVER_ODBC_DRIVER=PostgreSQL " : "") +
                          "timeout -k 5 900 /usr/bin/mpiexec.mpich -n " + std::to_string(config.workers + 1) + " " +
                          RunnerDirectory() + "/ostrel x " + run.string() + " cases.txt 2 0 127.0.0.1 " +
                          std::to_string(env.deadPort.Port()) + " > " + (fs::path(scratch.Path()) / "out.txt").string() +
                          " 2>&1";
  job.load = LoadAverage();
  const auto start = std::chrono::steady_clock::now();
  const int rc = std::system(cmd.c_str());
  job.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const std::string summary = ReadText(run / "OstrelRankZero.log");
  const std::string written = "Cases in the list: " + std::to_string(kCases) + "; written: " + std::to_string(kCases) + ";";
  job.ok = rc == 0 && summary.find(written) != std::string::npos;
  if (!job.ok) job.failure = "the job did not write every case: " + ReadText(fs::path(scratch.Path()) / "out.txt");
  for (int w = 1; w <= config.workers; ++w)
    ReadWorkerLog(ReadText(run / ("OstrelRank" + std::to_string(w) + ".log")), job);
  if (config.server) {
    job.serverErrors = CountOf(ReadText(env.server->LogPath()), "ERROR:") - errorsBefore;
    env.server->Psql("DROP DATABASE IF EXISTS " + database + ";");
  }
  return job;
}

// Places a case's prepared solver output files into the run directory, as the stand-in solver does.
void PlaceSolverOutput(const fs::path& run, int caseNumber) {
  const fs::path from = run / "SolverOutput" / std::to_string(caseNumber);
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(from, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec))
    if (it->is_regular_file(ec)) {
      const fs::path target = run / fs::relative(it->path(), from, ec);
      fs::create_directories(target.parent_path(), ec);
      fs::copy_file(it->path(), target, fs::copy_options::overwrite_existing, ec);
    }
}

// The cases 1..kInProcessCases of a new run directory exported in this process as a worker exports them
// (wall seconds of each case's output; empty when one failed).
std::vector<double> InProcessRound() {
  plat::testing::TempDir scratch;
  const fs::path run = fs::path(scratch.Path()) / "run";
  std::string error;
  result_bench::NullLog log;
  CVornDbExport data(&log);
  if (!NewRunDirectory(run, error) || !data.ReadDataFromXmlFile((run / kExportConfigFileName).c_str(), false) || !data.m_pModel) return {};
  CVornModelFile& model = *data.m_pModel;
  model.m_baseSettings.m_list.CopyFrom(&model.m_settings.m_list, -1);
  std::vector<double> seconds;
  for (int c = 1; c <= kInProcessCases; ++c) {
    PlaceSolverOutput(run, c);
    const CAssembledCase probe(c, model.m_strModelName);
    data.m_pCurrentCase = data.m_paAssembledCases ? data.m_paAssembledCases->Find(&probe) : nullptr;
    if (data.m_pCurrentCase) ApplyCaseSettings(model.m_settings, *data.m_pCurrentCase, &log);
    data.m_nOutputCaseNumber = c;
    data.m_strSolutionStatus = "Converged";
    const int currentCase = data.m_pCurrentCase ? data.m_pCurrentCase->m_nNumber : 0;
    const auto start = std::chrono::steady_clock::now();
    const bool ok = data.WriteDatabaseOutput(c == 1, false, 1, "", currentCase, false, false);
    seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    model.m_settings.m_list.CopyFrom(&model.m_baseSettings.m_list, -1);
    if (!ok) return {};
  }
  return seconds;
}

// The steady state: a worker's cases after its first two.
std::vector<CaseAccount> Steady(const JobResult& job) {
  std::vector<CaseAccount> cases;
  for (const auto& worker : job.workers)
    for (std::size_t i = 2; i < worker.size(); ++i) cases.push_back(worker[i]);
  return cases;
}

std::vector<CaseAccount> Firsts(const JobResult& job) {
  std::vector<CaseAccount> cases;
  for (const auto& worker : job.workers)
    if (!worker.empty()) cases.push_back(worker.front());
  return cases;
}

double MeanOf(const std::vector<CaseAccount>& cases, double CaseAccount::*field) {
  double sum = 0;
  for (const CaseAccount& c : cases) sum += c.*field;
  return cases.empty() ? 0 : sum / static_cast<double>(cases.size());
}

std::vector<double> Values(const std::vector<CaseAccount>& cases, double CaseAccount::*field) {
  std::vector<double> values;
  for (const CaseAccount& c : cases) values.push_back(c.*field);
  return values;
}

// One line of a case's output split, in milliseconds per case.
std::string Split(const std::vector<CaseAccount>& cases) {
  char text[400];
  std::snprintf(text, sizeof text,
                "output %.1f (median %.1f) = queue %.1f + lock wait %.1f + held %.1f [commit %.1f, checkpoint %.1f] + "
                "checkpoint after the turn %.1f + outside %.1f ms",
                MeanOf(cases, &CaseAccount::output) * 1e3, bench::Median(Values(cases, &CaseAccount::output)) * 1e3,
                MeanOf(cases, &CaseAccount::queue) * 1e3, MeanOf(cases, &CaseAccount::lockWait) * 1e3,
                MeanOf(cases, &CaseAccount::held) * 1e3, MeanOf(cases, &CaseAccount::commit) * 1e3,
                MeanOf(cases, &CaseAccount::checkpoint) * 1e3, MeanOf(cases, &CaseAccount::lateCheckpoint) * 1e3,
                MeanOf(cases, &CaseAccount::outside) * 1e3);
  return text;
}

void BM_ResultsJobs(benchmark::State& state) {
  JobEnvironment env;
  const std::vector<Config> configs = Configs();
  if (std::any_of(configs.begin(), configs.end(), [](const Config& c) { return c.server; })) {
    env.server = std::make_unique<plat::testing::PgTestServer>(true);
    env.odbc = std::make_unique<plat::testing::ScopedOdbcIni>(plat::testing::ScopedOdbcIni::StandardDrivers());
    env.serverDdl = BuildResultTablesDdl(DdlDialect::PostgreSql);
  }
  std::map<std::string, std::vector<JobResult>> results;
  std::vector<double> inProcess;  // steady cases of every round
  std::vector<double> loads;
  for (auto _ : state) {
    const int rounds = Rounds();
    for (int round = 0; round < rounds; ++round) {
      // Each round starts at another configuration, so none always runs first or last.
      const std::size_t n = configs.size() + 1;
      for (std::size_t k = 0; k < n; ++k) {
        const std::size_t at = (k + static_cast<std::size_t>(round)) % n;
        loads.push_back(LoadAverage());
        if (at == configs.size()) {
          const std::vector<double> seconds = InProcessRound();
          if (seconds.empty()) {
            state.SkipWithError("the export in this process failed");
            return;
          }
          inProcess.insert(inProcess.end(), seconds.begin() + 2, seconds.end());
          continue;
        }
        JobResult job = RunJob(env, configs[at]);
        if (!job.ok) {
          state.SkipWithError((configs[at].Name() + ": " + job.failure).c_str());
          return;
        }
        std::printf("round %d %s: %.2f s (load %.1f)\n", round + 1, configs[at].Name().c_str(), job.seconds, job.load);
        std::fflush(stdout);
        results[configs[at].Name()].push_back(std::move(job));
      }
    }
    state.SetIterationTime(1);
  }
  const auto seconds = [&](const std::string& name) {
    std::vector<double> values;
    for (const JobResult& job : results[name]) values.push_back(job.seconds);
    return values;
  };
  std::printf("\nload average during the rounds: %.1f-%.1f (median %.1f)\n", bench::Min(loads),
              *std::max_element(loads.begin(), loads.end()), bench::Median(loads));
  const double inProcessMedian = bench::Median(inProcess);
  std::printf("in-process export of a case (steady state): min %.1f / median %.1f ms\n", bench::Min(inProcess) * 1e3,
              inProcessMedian * 1e3);
  state.counters["inprocess_case_median_ms"] = inProcessMedian * 1e3;
  for (const Config& config : configs) {
    const std::string name = config.Name();
    const std::vector<double> times = seconds(name);
    if (times.empty()) continue;
    const std::string one = Config{config.server, 1}.Name();
    const std::vector<double> oneTimes = seconds(one);
    std::vector<CaseAccount> steady, firsts;
    std::vector<double> startup;
    int errors = 0;
    for (const JobResult& job : results[name]) {
      const std::vector<CaseAccount> s = Steady(job), f = Firsts(job);
      steady.insert(steady.end(), s.begin(), s.end());
      firsts.insert(firsts.end(), f.begin(), f.end());
      startup.insert(startup.end(), job.startup.begin(), job.startup.end());
      errors += job.serverErrors;
    }
    const double steadyMedian = bench::Median(Values(steady, &CaseAccount::output));
    std::printf("\n%s: job min %.2f / median %.2f s", name.c_str(), bench::Min(times), bench::Median(times));
    if (!oneTimes.empty() && config.workers != 1)
      std::printf(", over the 1-worker job: min %.2f / median %.2f", bench::Min(times) / bench::Min(oneTimes),
                  bench::Median(times) / bench::Median(oneTimes));
    std::printf("\n  steady case: %s\n  first case:  %s (%.1fx the steady median)\n  start-up %.0f ms (median of "
                "the workers)",
                Split(steady).c_str(), Split(firsts).c_str(),
                steadyMedian > 0 ? MeanOf(firsts, &CaseAccount::output) / steadyMedian : 0,
                bench::Median(startup) * 1e3);
    if (config.server)
      std::printf(", server log errors per job: %.1f", static_cast<double>(errors) / static_cast<double>(times.size()));
    if (!config.server && config.workers == 1 && inProcessMedian > 0)
      std::printf(", steady case over the in-process export: %.2f", steadyMedian / inProcessMedian);
    std::printf("\n");
    state.counters[name + "_min_s"] = bench::Min(times);
    state.counters[name + "_median_s"] = bench::Median(times);
    if (!oneTimes.empty() && config.workers != 1)
      state.counters[name + "_over_1_median"] = bench::Median(times) / bench::Median(oneTimes);
  }
  const std::vector<double> sqliteOne = seconds("sqlite:1"), serverOne = seconds("server:1");
  if (!sqliteOne.empty() && !serverOne.empty())
    std::printf("\nserver 1-worker job over the SQLite one: min %.2f / median %.2f\n",
                bench::Min(serverOne) / bench::Min(sqliteOne), bench::Median(serverOne) / bench::Median(sqliteOne));
  std::fflush(stdout);
}
BENCHMARK(BM_ResultsJobs)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
