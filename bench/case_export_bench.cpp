// The per-case export of the generated model at its two sizes (about 1,000
// and about 10,000 result rows a case besides its copy of the settings): the solution
// fill and the writing of one case into an Access results database (SQLite),
// as a worker does it after a solve, without the run around it; beside it, in
// alternating rounds, raw SQLite inserting the same rows (all the case wrote)
// into the same tables and indexes in one transaction. The ratio is the raw
// time over ours (thread CPU time).

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bench/result_bench_support.h"
#include "bench/side_by_side.h"
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

// The largest rowid of every table of a results file (the rows above it are written later).
std::map<std::string, sqlite3_int64> LastRowids(const std::string& path) {
  std::map<std::string, sqlite3_int64> last;
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* tables = nullptr;
  sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%'", -1,
                     &tables, nullptr);
  while (tables && sqlite3_step(tables) == SQLITE_ROW) {
    const std::string name = reinterpret_cast<const char*>(sqlite3_column_text(tables, 0));
    sqlite3_stmt* max = nullptr;
    const std::string sql = "SELECT coalesce(max(rowid), 0) FROM \"" + name + "\"";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &max, nullptr) == SQLITE_OK && sqlite3_step(max) == SQLITE_ROW)
      last[name] = sqlite3_column_int64(max, 0);
    sqlite3_finalize(max);
  }
  sqlite3_finalize(tables);
  sqlite3_close(db);
  return last;
}

// The anchor: the rows one case wrote, taken from our results file, inserted again by raw SQLite into a
// file of the same tables and indexes, with one prepared insert per table (made once) and one transaction.
class RawCaseWriter {
 public:
  RawCaseWriter(const std::string& ours, const std::map<std::string, sqlite3_int64>& before, const std::string& path) {
    sqlite3_open(path.c_str(), &m_db);
    sqlite3_exec(m_db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", nullptr, nullptr, nullptr);
    sqlite3* source = nullptr;
    sqlite3_open_v2(ours.c_str(), &source, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* schema = nullptr;
    sqlite3_prepare_v2(source,
                       "SELECT sql FROM sqlite_master WHERE type IN ('table', 'index') AND sql IS NOT NULL AND name "
                       "NOT LIKE 'sqlite_%' ORDER BY type = 'index'",
                       -1, &schema, nullptr);
    while (schema && sqlite3_step(schema) == SQLITE_ROW)
      m_ok = sqlite3_exec(m_db, reinterpret_cast<const char*>(sqlite3_column_text(schema, 0)), nullptr, nullptr,
                          nullptr) == SQLITE_OK && m_ok;
    sqlite3_finalize(schema);
    for (const auto& [table, last] : before) {
      const std::string quoted = "\"" + table + "\"";
      sqlite3_stmt* rows = nullptr;
      if (sqlite3_prepare_v2(source, ("SELECT * FROM " + quoted + " WHERE rowid > " + std::to_string(last)).c_str(),
                             -1, &rows, nullptr) != SQLITE_OK) {
        m_ok = false;
        continue;
      }
      Table t;
      const int columns = sqlite3_column_count(rows);
      while (sqlite3_step(rows) == SQLITE_ROW)
        for (int c = 0; c < columns; ++c) t.values.push_back(sqlite3_value_dup(sqlite3_column_value(rows, c)));
      sqlite3_finalize(rows);
      if (t.values.empty()) continue;
      std::string insert = "INSERT INTO " + quoted + " VALUES (";
      for (int c = 0; c < columns; ++c) insert += c ? ", ?" : "?";
      m_ok = sqlite3_prepare_v2(m_db, (insert + ")").c_str(), -1, &t.insert, nullptr) == SQLITE_OK && m_ok;
      t.columns = columns;
      m_rows += static_cast<std::int64_t>(t.values.size()) / columns;
      m_tables.push_back(std::move(t));
    }
    sqlite3_close(source);
  }
  ~RawCaseWriter() {
    for (Table& t : m_tables) {
      for (sqlite3_value* v : t.values) sqlite3_value_free(v);
      sqlite3_finalize(t.insert);
    }
    sqlite3_close(m_db);
  }
  RawCaseWriter(const RawCaseWriter&) = delete;
  RawCaseWriter& operator=(const RawCaseWriter&) = delete;

  bool Ok() const { return m_ok && m_rows > 0; }
  std::int64_t Rows() const { return m_rows; }

  bool Write() {
    bool ok = sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    for (Table& t : m_tables)
      for (std::size_t at = 0; at < t.values.size(); at += static_cast<std::size_t>(t.columns)) {
        for (int c = 0; c < t.columns; ++c) sqlite3_bind_value(t.insert, c + 1, t.values[at + static_cast<std::size_t>(c)]);
        ok = sqlite3_step(t.insert) == SQLITE_DONE && ok;
        sqlite3_reset(t.insert);
      }
    return sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK && ok;
  }

 private:
  struct Table {
    sqlite3_stmt* insert = nullptr;
    int columns = 0;
    std::vector<sqlite3_value*> values;  // row after row
  };
  sqlite3* m_db = nullptr;
  std::vector<Table> m_tables;
  std::int64_t m_rows = 0;
  bool m_ok = true;
};

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
  // every further case writes, which gives the case's size. Each write is a case of its own number (a case
  // written again would replace its rows), from the solver files of case 1.
  CAssembledCase* current = data.m_pCurrentCase;
  std::int32_t nextCase = 1;
  const auto nextNumber = [&] {
    if (current != nullptr) current->m_nNumber = nextCase;
    return nextCase++;
  };
  const std::string results = home.Path() + "/Results.Mdb";
  if (!data.WriteDatabaseOutput(true, false, 1, "", nextNumber(), false, false)) {
    state.SkipWithError("the case's database output failed");
    return;
  }
  const RowCount before = CountRows(results);
  const std::map<std::string, sqlite3_int64> lastRowids = LastRowids(results);
  if (!data.WriteDatabaseOutput(false, false, 1, "", nextNumber(), false, false)) {
    state.SkipWithError("the case's database output failed");
    return;
  }
  const RowCount after = CountRows(results);
  const std::int64_t written = after.all - before.all;
  RawCaseWriter raw(results, lastRowids, home.Path() + "/raw.db");
  if (!raw.Ok() || raw.Rows() != written) {
    state.SkipWithError("the raw writer cannot take the case's rows");
    return;
  }
  // A case is written again and again, each time under a new number; its solver files are read afresh, as after
  // a solve.
  bool failed = false;
  auto ours = [&] {
    const double seconds = bench::TimeOnce(
        [&] { failed = !data.WriteDatabaseOutput(false, false, 1, "", nextNumber(), false, false) || failed; });
    return failed ? -1.0 : seconds;
  };
  auto anchor = [&] {
    bool ok = true;
    const double seconds = bench::TimeOnce([&] { ok = raw.Write(); });
    return ok ? seconds : -1.0;
  };
  const int rounds = state.range(0) == 0 ? 30 : 12;
  for (auto _ : state) {
    const bench::SideBySideTimes times = bench::RunSideBySide(rounds, ours, anchor);
    const std::string label = std::string("case export (fill + write), ") + (state.range(0) == 0 ? "1k" : "10k") +
                              " size, vs raw SQLite inserts of its " + std::to_string(written) + " rows";
    if (!bench::ReportSideBySide(state, times, label, static_cast<double>(written), "rows")) break;
  }
  // The case's result rows besides its copy of the settings (the size the generator aims at), and every row.
  state.counters["rows_per_case"] = static_cast<double>(written - (after.settings - before.settings));
  state.counters["rows_written_per_case"] = static_cast<double>(written);
}
BENCHMARK(BM_CaseExport)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
