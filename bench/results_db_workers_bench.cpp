// The aggregate write rate of N worker processes writing their cases into one
// SQLite results database through the table API (each case one transaction,
// the run defined once), beside one process writing the same rows with raw
// prepared inserts in one transaction: the ratio of the two items/s is the
// cost of the case path.

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/result_bench_support.h"
#include "caseset/vorn_db_export_data.h"
#include "dbdrivers/access/access_result_database.h"
#include "dbdrivers/access/output_table_api.h"
#include "modelfile/output_table.h"
#include "modelfile/vorn_model_file.h"
#include "platform/testing/odbc_test_env.h"

namespace {

constexpr int kRowsPerCase = 2000;
constexpr int kTotalCases = 200;  // every run writes the same rows, spread over its workers

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

// N worker processes into one new results database.
void BM_WorkersIntoOneDatabase(benchmark::State& state) {
  const int workers = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    plat::testing::TempDir home;
    std::filesystem::create_directories(home.Path() + "/M1");
    state.ResumeTiming();
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
    if (!ok) {
      state.SkipWithError("a worker failed to write its cases");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kTotalCases) * kRowsPerCase);
}
BENCHMARK(BM_WorkersIntoOneDatabase)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same rows by one process: one prepared insert, one transaction.
void BM_RawPreparedInserts(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    plat::testing::TempDir home;
    state.ResumeTiming();
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
    if (sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr) != SQLITE_OK) state.SkipWithError("commit failed");
    sqlite3_close(db);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kTotalCases) * kRowsPerCase);
}
BENCHMARK(BM_RawPreparedInserts)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
