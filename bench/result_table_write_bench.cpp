// Result rows per second: through the table API into an Access result
// database (SQLite), and through the bulk writer into a server table, by
// ODBC parameter arrays (SQLite's ODBC driver, and PostgreSQL's) and by
// PostgreSQL COPY when the server programs are installed.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <filesystem>
#include <memory>

#include "bench/result_bench_support.h"
#include "caseset/vorn_db_export_data.h"
#include "dbdrivers/access/access_result_database.h"
#include "dbdrivers/access/output_table_api.h"
#include "modelfile/output_table.h"
#include "modelfile/vorn_model_file.h"
#include "platform/testing/odbc_test_env.h"
#include "platform/testing/pg_test_server.h"
#include "standins/orvid.h"

namespace {

constexpr int kRowsPerCase = 10000;

using result_bench::NullLog;

// One case's stream table: ten columns per row, as the larger Pr tables have.
void BM_TableApiIntoAccess(benchmark::State& state) {
  plat::testing::TempDir home;
  NullLog log;
  CVornDbExportData data(&log);
  data.m_strHomeDirectory = home.Path();
  data.m_pModel = std::make_unique<CVornModelFile>();
  data.m_pModel->m_strModelName = "M1";
  std::filesystem::create_directories(home.Path() + "/M1");
  COutputTable* t = COpenTable(data, "PrStream", 8, "M1", 2, 0, nullptr);
  result_bench::DefineStreamFields(data, t);
  std::int64_t rows = 0;
  for (auto _ : state) {
    for (int r = 0; r < kRowsPerCase; ++r, ++rows) {
      const auto key = static_cast<std::int32_t>(rows);
      const std::int32_t keys[] = {key, key + 1, key + 2, key + 3, key + 4};
      result_bench::WriteStreamRow(data, t, keys, r, rows * 0.5);
    }
    FlushOutputTables(data);
  }
  if (data.m_bDatabaseError) state.SkipWithError("the table API reported a failure");
  state.SetItemsProcessed(rows);
  data.m_pModel->m_outputTables.RemoveAll();
}
BENCHMARK(BM_TableApiIntoAccess)->Unit(benchmark::kMillisecond);

struct OrvidFree {
  void operator()(IOrvid* p) const { IOrvid::Destroy(p); }
};

void WriteBulk(benchmark::State& state, const std::string& connection) {
  std::unique_ptr<IOrvid, OrvidFree> w(IOrvid::CreateInstance());
  w->Initialize("SQLServer", "Vorn");
  w->Connect(connection);
  std::int64_t rows = 0;
  std::int32_t columns = -1, count = -1, time = -1;
  for (auto _ : state) {
    for (int r = 0; r < kRowsPerCase; ++r, ++rows) {
      w->StartTable("PrStream", &columns, &count, &time);
      w->SetLongValue("CaseID", static_cast<std::int32_t>(rows));
      w->SetShortValue("Period", static_cast<std::int16_t>(r % 12));
      w->SetTextValue("Stream", "CRUDE_DISTILLATION_FEED");
      w->SetDoubleValue("Activity", rows * 0.5);
      w->SetDateTimeValue("Written", 45000.5);
      w->EndRow();
    }
    if (!w->StartTable("", &columns, &count, &time)) {
      state.SkipWithError(w->GetLastError().c_str());
      break;
    }
  }
  state.SetItemsProcessed(rows);
}

constexpr const char* kServerTable =
    "CREATE TABLE \"PrStream\" (\"CaseID\" INTEGER, \"Period\" SMALLINT, \"Stream\" VARCHAR(64), "
    "\"Activity\" DOUBLE PRECISION, \"Written\" TIMESTAMP)";

void BM_BulkWriterOdbcArraysIntoSqlite(benchmark::State& state) {
  plat::testing::ScopedOdbcIni ini(plat::testing::ScopedOdbcIni::StandardDrivers());
  if (plat::testing::SqliteOdbcDriverLibrary().empty()) {
    state.SkipWithError("no SQLite ODBC driver");
    return;
  }
  std::string file = ini.Dir().File("server.db");
  sqlite3* db = nullptr;
  sqlite3_open(file.c_str(), &db);
  sqlite3_exec(db, (std::string(kServerTable) + "; PRAGMA journal_mode=WAL;").c_str(), nullptr, nullptr, nullptr);
  sqlite3_close(db);
  WriteBulk(state, "Driver=SQLite3;Database=" + file);
}
BENCHMARK(BM_BulkWriterOdbcArraysIntoSqlite)->Unit(benchmark::kMillisecond);

void BM_BulkWriterIntoPostgres(benchmark::State& state) {
  static plat::testing::PgTestServer& server = plat::testing::PgTestServer::Shared();
  if (!server.Ok()) {
    state.SkipWithError(server.Reason().c_str());
    return;
  }
  plat::testing::ScopedOdbcIni ini(plat::testing::ScopedOdbcIni::StandardDrivers());
  const bool odbc = state.range(0) != 0;
  server.Psql(std::string("DROP TABLE IF EXISTS \"PrStream\"; ") + kServerTable + ";");
  OrvidDisablePostgresCopy(odbc);
  state.SetLabel(odbc ? "ODBC parameter arrays" : "COPY FROM STDIN");
  WriteBulk(state, server.OdbcConnectionString());
  OrvidDisablePostgresCopy(false);
}
BENCHMARK(BM_BulkWriterIntoPostgres)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
