// The aggregate write rate of N worker processes writing their cases into one
// SQLite results database through the table API (each case one transaction,
// the run defined once), beside one process writing the same rows with raw
// prepared inserts in one transaction, in alternating rounds: the ratio (raw
// time / our time) is the cost of the case path. Wall time: the workers run at
// once. wal_bytes_left is the largest write-ahead log a round left behind.

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/result_bench_support.h"
#include "bench/side_by_side.h"
#include "caseset/vorn_db_export_data.h"
#include "dbdrivers/access/access_result_database.h"
#include "dbdrivers/access/output_table_api.h"
#include "modelfile/output_table.h"
#include "modelfile/vorn_model_file.h"
#include "platform/testing/odbc_test_env.h"

namespace {

constexpr int kRowsPerCase = 2000;
constexpr int kTotalCases = 200;  // every run writes the same rows, spread over its workers
constexpr int kRounds = 4;

using result_bench::NullLog;

// One worker: its cases (first, first + step, ...) through the table API, each case one unit.
bool WriteCases(const std::string& home, int first, int step) {
  NullLog log;
  CVornDbExportData data(&log);
  data.m_strHomeDirectory = home;
  data.m_pModel = std::make_unique<CVornModelFile>();
  data.m_pModel->m_strModelName = "M1";
  bool defined = false;
  for (int c = first; c <= kTotalCases; c += step) {
    bool definesRun = false;
    if (!BeginCaseOutput(data, "bench run", definesRun)) return false;
    COutputTable* t = COpenTable(data, "PrStream", 8, "M1", 2, 0, nullptr);
    if (t == nullptr) return false;
    if (!defined) {
      result_bench::DefineStreamFields(data, t);
      defined = true;
    }
    for (int r = 0; r < kRowsPerCase; ++r) {
      const std::int32_t keys[] = {1, c, 1, r % 3, r};
      result_bench::WriteStreamRow(data, t, keys, r, r * 0.5);
    }
    if (!EndCaseOutput(data, data.m_bDatabaseError == 0) || data.m_bDatabaseError) return false;
  }
  data.m_pModel->m_outputTables.RemoveAll();
  return true;
}

// The rows of every case, by N worker processes into one new results database (wall seconds; negative
// when a worker failed). The run must leave no large write-ahead log behind: its size is noted.
double WorkersRound(int workers, std::int64_t& walBytes) {
  plat::testing::TempDir home;
  std::filesystem::create_directories(home.Path() + "/M1");
  const auto start = std::chrono::steady_clock::now();
  std::vector<pid_t> children;
  for (int w = 0; w < workers; ++w) {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(WriteCases(home.Path(), w + 1, workers) ? 0 : 1);
    children.push_back(pid);
  }
  bool ok = true;
  for (pid_t pid : children) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    ok = ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::error_code ec;
  const auto wal = std::filesystem::file_size(home.Path() + "/M1/Results.Mdb-wal", ec);
  walBytes = std::max<std::int64_t>(walBytes, ec ? 0 : static_cast<std::int64_t>(wal));
  return ok ? seconds : -1.0;
}

// The same rows by one process: one prepared insert, one transaction.
double RawRound() {
  plat::testing::TempDir home;
  const auto start = std::chrono::steady_clock::now();
  sqlite3* db = nullptr;
  sqlite3_open((home.Path() + "/raw.db").c_str(), &db);
  sqlite3_exec(db,
               "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; CREATE TABLE \"PrStream\" (\"SolutionID\" "
               "INTEGER, \"CaseID\" INTEGER, \"ModelID\" INTEGER, \"NodeID\" INTEGER, \"StreamID\" INTEGER, "
               "\"Period\" SMALLINT, \"Stream\" VARCHAR(64) COLLATE NOCASE, \"Activity\" DOUBLE, \"Cost\" DOUBLE, "
               "\"Written\" DATETIME); BEGIN;",
               nullptr, nullptr, nullptr);
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO \"PrStream\" VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)", -1, &insert,
                     nullptr);
  for (int c = 1; c <= kTotalCases; ++c)
    for (int r = 0; r < kRowsPerCase; ++r) {
      const int values[] = {1, c, 1, r % 3, r, r % 12};
      for (int i = 0; i < 6; ++i) sqlite3_bind_int(insert, i + 1, values[i]);
      sqlite3_bind_text(insert, 7, "CRUDE_DISTILLATION_FEED", -1, SQLITE_STATIC);
      sqlite3_bind_double(insert, 8, r * 0.5);
      sqlite3_bind_double(insert, 9, 1e30);
      sqlite3_bind_text(insert, 10, "2023-03-15 12:00:00", -1, SQLITE_STATIC);
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
  sqlite3_finalize(insert);
  const bool ok = sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_close(db);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return ok ? seconds : -1.0;
}

// range(0) workers beside one raw writer, in alternating rounds; the ratio is raw time / our time.
void BM_WorkersIntoOneDatabase(benchmark::State& state) {
  const int workers = static_cast<int>(state.range(0));
  std::int64_t walBytes = 0;
  for (auto _ : state) {
    const bench::SideBySideTimes times =
        bench::RunSideBySide(kRounds, [&] { return WorkersRound(workers, walBytes); }, RawRound);
    if (!bench::ReportSideBySide(state, times,
                                 std::to_string(workers) + " worker(s) into one results file vs one raw writer, " +
                                     std::to_string(kTotalCases) + " cases x " + std::to_string(kRowsPerCase) + " rows",
                                 static_cast<double>(kTotalCases) * kRowsPerCase, "rows"))
      break;
  }
  state.counters["wal_bytes_left"] = static_cast<double>(walBytes);
}
BENCHMARK(BM_WorkersIntoOneDatabase)->Arg(1)->Arg(3)->Arg(7)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
