// The per-case export of the generated model at its two sizes (about 1,000
// and about 10,000 result rows a case besides its copy of the settings): the solution
// fill and the writing of one case into an Access results database (SQLite),
// as a worker does it after a solve, without the run around it.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>

#include "bench/result_bench_support.h"
#include "caseset/config/assembled_case.h"
#include "caseset/vorn_db_export_data.h"
#include "modelfile/vorn_model_file.h"
#include "platform/testing/odbc_test_env.h"
#include "results/vorn_db_export.h"
#include "tools/model_generator/model_generator.h"

namespace {

using result_bench::NullLog;

// Rows in the results database: all of them, and those of the copy of the model's settings that every case writes.
struct RowCount {
  std::int64_t all = 0;
  std::int64_t settings = 0;
};

RowCount CountRows(const std::string& path) {
  RowCount rows;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* tables = nullptr;
    sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'table'", -1, &tables, nullptr);
    while (tables && sqlite3_step(tables) == SQLITE_ROW) {
      const std::string name = reinterpret_cast<const char*>(sqlite3_column_text(tables, 0));
      const std::string sql = "SELECT count(*) FROM \"" + name + "\"";
      sqlite3_stmt* count = nullptr;
      if (sqlite3_prepare_v2(db, sql.c_str(), -1, &count, nullptr) == SQLITE_OK && sqlite3_step(count) == SQLITE_ROW) {
        const std::int64_t n = sqlite3_column_int64(count, 0);
        rows.all += n;
        if (name == "PrSetting" || name == "LGSETTNG") rows.settings += n;
      }
      sqlite3_finalize(count);
    }
    sqlite3_finalize(tables);
  }
  sqlite3_close(db);
  return rows;
}

// range(0): 0 for the case of about 1,000 rows, 1 for about 10,000.
void BM_CaseExport(benchmark::State& state) {
  plat::testing::TempDir home;
  model_gen::GeneratorOptions options;
  options.kind = model_gen::ModelKind::kStandard;
  options.cases = 1;
  model_gen::ApplySize(state.range(0) == 0 ? "1k" : "10k", options);
  std::string error;
  if (!model_gen::GenerateRunDirectory(home.Path(), options, error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  NullLog log;
  CVornDbExport data(&log);
  if (!data.ReadDataFromXmlFile((home.Path() + "/" + kExportConfigFileName).c_str(), false) || !data.m_pModel) {
    state.SkipWithError("the generated export configuration cannot be read");
    return;
  }
  const CAssembledCase probe(1, data.m_pModel->m_strModelName);
  data.m_pCurrentCase = data.m_paAssembledCases ? data.m_paAssembledCases->Find(&probe) : nullptr;
  data.m_nOutputCaseNumber = 1;
  data.m_strSolutionStatus = "Converged";  // an optimal case
  // The first case's write also defines the tables and writes the run's own rows; the second one writes what
  // every further case writes, which gives the case's size.
  const std::string results = home.Path() + "/Results.Mdb";
  if (!data.WriteDatabaseOutput(true, false, 1, "", 1, false, false)) {
    state.SkipWithError("the case's database output failed");
    return;
  }
  const RowCount before = CountRows(results);
  if (!data.WriteDatabaseOutput(false, false, 1, "", 1, false, false)) {
    state.SkipWithError("the case's database output failed");
    return;
  }
  const RowCount after = CountRows(results);
  const std::int64_t written = after.all - before.all;
  std::int64_t cases = 0;
  for (auto _ : state) {
    // The case is written again; its solver files are read afresh, as after a solve.
    if (!data.WriteDatabaseOutput(false, false, 1, "", 1, false, false)) {
      state.SkipWithError("the case's database output failed");
      return;
    }
    ++cases;
  }
  // The case's result rows besides its copy of the settings (the size the generator aims at), and the rate of
  // every row a case writes.
  state.counters["rows_per_case"] = static_cast<double>(written - (after.settings - before.settings));
  state.counters["rows_per_second"] =
      benchmark::Counter(static_cast<double>(written * cases), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CaseExport)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
