// Result rows written side by side with the raw tools doing the same work:
// - the table API into an Access result database (SQLite), beside raw SQLite
//   prepared inserts of the same rows in one transaction into the same schema;
// - the bulk writer into a private PostgreSQL server, by COPY FROM STDIN and by
//   ODBC parameter arrays, beside raw libpq COPY of the same rows;
// - the bulk writer's ODBC parameter arrays into SQLite's ODBC driver (no anchor).
// Each side-by-side benchmark prints and reports the ratio anchor time / our
// time (1 or more: as fast as the raw tool).

#include <benchmark/benchmark.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <charconv>
#include <chrono>
#include <filesystem>
#include <memory>

#include "bench/result_bench_support.h"
#include "bench/side_by_side.h"
#include "caseset/vorn_db_export_data.h"
#include "dbdrivers/access/access_result_database.h"
#include "dbdrivers/access/output_table_api.h"
#include "modelfile/output_table.h"
#include "modelfile/vorn_model_file.h"
#include "platform/testing/odbc_test_env.h"
#include "platform/testing/pg_test_server.h"
#include "standins/orvid.h"

namespace {

constexpr int kRowsPerRound = 10000;
constexpr int kRounds = 15;
// 45000.5 as the results database keeps it.
constexpr const char* kWrittenText = "2023-03-15 12:00:00";

using result_bench::NullLog;

template <typename F>
double WallSeconds(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// ---- The table API into SQLite, beside raw prepared inserts

struct SqliteFree {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StmtFree {
  void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
};

// The raw writer: its own file with the schema our side made (table and index), one prepared insert.
class RawSqliteWriter {
 public:
  RawSqliteWriter(const std::string& ours, const std::string& path) {
    sqlite3* raw = nullptr;
    sqlite3_open(path.c_str(), &raw);
    m_db.reset(raw);
    sqlite3_exec(raw, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", nullptr, nullptr, nullptr);
    sqlite3* source = nullptr;
    sqlite3_open_v2(ours.c_str(), &source, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* schema = nullptr;
    sqlite3_prepare_v2(source, "SELECT sql FROM sqlite_master WHERE tbl_name = 'PrStream' AND sql IS NOT NULL "
                               "ORDER BY type DESC", -1, &schema, nullptr);
    while (schema && sqlite3_step(schema) == SQLITE_ROW)
      m_ok = sqlite3_exec(raw, reinterpret_cast<const char*>(sqlite3_column_text(schema, 0)), nullptr, nullptr,
                          nullptr) == SQLITE_OK && m_ok;
    sqlite3_finalize(schema);
    sqlite3_close(source);
    sqlite3_stmt* insert = nullptr;
    m_ok = sqlite3_prepare_v2(raw,
                              "INSERT INTO \"PrStream\" (\"SolutionID\", \"CaseID\", \"ModelID\", \"NodeID\", "
                              "\"StreamID\", \"Period\", \"Stream\", \"Activity\", \"Cost\", \"Written\") VALUES "
                              "(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)",
                              -1, &insert, nullptr) == SQLITE_OK && m_ok;
    m_insert.reset(insert);
  }
  bool Ok() const { return m_ok; }

  // The rows of one round, numbered from first, in one transaction.
  bool Write(std::int64_t first) {
    sqlite3* db = m_db.get();
    sqlite3_stmt* insert = m_insert.get();
    bool ok = sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    for (int r = 0; r < kRowsPerRound; ++r) {
      const std::int64_t n = first + r;
      for (int i = 0; i < 5; ++i) sqlite3_bind_int64(insert, i + 1, n + i);
      sqlite3_bind_int(insert, 6, r % 12);
      sqlite3_bind_text(insert, 7, "CRUDE_DISTILLATION_FEED", 23, SQLITE_STATIC);
      sqlite3_bind_double(insert, 8, static_cast<double>(n) * 0.5);
      sqlite3_bind_double(insert, 9, 1e30);
      sqlite3_bind_text(insert, 10, kWrittenText, 19, SQLITE_STATIC);
      ok = sqlite3_step(insert) == SQLITE_DONE && ok;
      sqlite3_reset(insert);
    }
    return sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK && ok;
  }

 private:
  std::unique_ptr<sqlite3, SqliteFree> m_db;
  std::unique_ptr<sqlite3_stmt, StmtFree> m_insert;
  bool m_ok = true;
};

// One case's stream table of 10,000 rows of ten columns, as the larger Pr tables have; with range 1 the
// rows go in as a worker writes a case, in the case's unit of output (its rows kept until its commit).
void BM_TableApiIntoAccess(benchmark::State& state) {
  const bool inCase = state.range(0) != 0;
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
  auto ours = [&] {
    return bench::TimeOnce([&] {
      const std::int64_t first = rows;
      bool definesRun = false;
      if (inCase) BeginCaseOutput(data, "", definesRun);
      for (int r = 0; r < kRowsPerRound; ++r) {
        const auto key = static_cast<std::int32_t>(first + r);
        const std::int32_t keys[] = {key, key + 1, key + 2, key + 3, key + 4};
        result_bench::WriteStreamRow(data, t, keys, r, static_cast<double>(first + r) * 0.5);
      }
      if (inCase)
        EndCaseOutput(data, true);
      else
        FlushOutputTables(data);
      rows += kRowsPerRound;
    });
  };
  RawSqliteWriter raw(GetModelResultDatabasePath(*data.m_pModel, home.Path()), home.File("raw.db"));
  std::int64_t rawRows = 0;
  auto anchor = [&] {
    bool ok = true;
    const double seconds = bench::TimeOnce([&] {
      ok = raw.Write(rawRows);
      rawRows += kRowsPerRound;
    });
    return ok ? seconds : -1.0;
  };
  if (!raw.Ok()) state.SkipWithError("the raw SQLite writer cannot start");
  for (auto _ : state) {
    const bench::SideBySideTimes times = bench::RunSideBySide(kRounds, ours, anchor);
    if (!bench::ReportSideBySide(state, times,
                                 inCase ? "table API in a case's unit vs raw SQLite prepared inserts, 10,000 rows x 10 "
                                          "columns"
                                        : "table API vs raw SQLite prepared inserts, 10,000 rows x 10 columns",
                                 kRowsPerRound, "rows"))
      break;
  }
  if (data.m_bDatabaseError) state.SkipWithError("the table API reported a failure");
  state.counters["ours_ns_per_row"] = state.counters["ours_median_ms"] * 1e6 / kRowsPerRound;
  state.counters["anchor_ns_per_row"] = state.counters["anchor_median_ms"] * 1e6 / kRowsPerRound;
  data.m_pModel->m_outputTables.RemoveAll();
}
BENCHMARK(BM_TableApiIntoAccess)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

// ---- The bulk writer

struct OrvidFree {
  void operator()(IOrvid* p) const { IOrvid::Destroy(p); }
};

// Rows of five columns through the bulk writer, one StartTable/EndRow per row and a flush at the end.
bool WriteBulkRound(IOrvid& w, std::int64_t first) {
  std::int32_t columns = -1, count = -1, time = -1;
  for (int r = 0; r < kRowsPerRound; ++r) {
    const std::int64_t n = first + r;
    w.StartTable("PrStream", &columns, &count, &time);
    w.SetLongValue("CaseID", static_cast<std::int32_t>(n));
    w.SetShortValue("Period", static_cast<std::int16_t>(r % 12));
    w.SetTextValue("Stream", "CRUDE_DISTILLATION_FEED");
    w.SetDoubleValue("Activity", static_cast<double>(n) * 0.5);
    w.SetDateTimeValue("Written", 45000.5);
    w.EndRow();
  }
  return w.StartTable("", &columns, &count, &time) && w.GetLastError().empty();
}

constexpr const char* kServerColumns =
    "(\"CaseID\" INTEGER, \"Period\" SMALLINT, \"Stream\" VARCHAR(64), \"Activity\" DOUBLE PRECISION, "
    "\"Written\" TIMESTAMP)";

void BM_BulkWriterOdbcArraysIntoSqlite(benchmark::State& state) {
  plat::testing::ScopedOdbcIni ini(plat::testing::ScopedOdbcIni::StandardDrivers());
  if (plat::testing::SqliteOdbcDriverLibrary().empty()) {
    state.SkipWithError("no SQLite ODBC driver");
    return;
  }
  std::string file = ini.Dir().File("server.db");
  sqlite3* db = nullptr;
  sqlite3_open(file.c_str(), &db);
  sqlite3_exec(db, ("CREATE TABLE \"PrStream\" " + std::string(kServerColumns) + "; PRAGMA journal_mode=WAL;").c_str(),
               nullptr, nullptr, nullptr);
  sqlite3_close(db);
  std::unique_ptr<IOrvid, OrvidFree> w(IOrvid::CreateInstance());
  w->Initialize("SQLServer", "Vorn");
  w->Connect("Driver=SQLite3;Database=" + file);
  std::int64_t rows = 0;
  for (auto _ : state) {
    if (!WriteBulkRound(*w, rows)) {
      state.SkipWithError(w->GetLastError().c_str());
      break;
    }
    rows += kRowsPerRound;
  }
  state.SetItemsProcessed(rows);
}
BENCHMARK(BM_BulkWriterOdbcArraysIntoSqlite)->Unit(benchmark::kMillisecond);

struct PgFree {
  void operator()(PGconn* conn) const { PQfinish(conn); }
};

bool PgCommand(PGconn* conn, const char* sql) {
  PGresult* result = PQexec(conn, sql);
  const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
  PQclear(result);
  return ok;
}

// The raw writer: one COPY FROM STDIN of the round's rows as text, formatted without any look-up.
bool RawCopyRound(PGconn* conn, std::int64_t first) {
  if (!PgCommand(conn, "BEGIN")) return false;
  PGresult* start = PQexec(conn, "COPY \"PrStreamRaw\" (\"CaseID\", \"Period\", \"Stream\", \"Activity\", \"Written\") "
                                 "FROM STDIN");
  const bool copying = PQresultStatus(start) == PGRES_COPY_IN;
  PQclear(start);
  if (!copying) return false;
  static std::string buffer;  // kept from round to round, as a writer of many tables would
  buffer.clear();
  buffer.reserve(1 << 20);
  char number[32];
  for (int r = 0; r < kRowsPerRound; ++r) {
    const std::int64_t n = first + r;
    buffer.append(number, std::to_chars(number, number + sizeof number, n).ptr);
    buffer += '\t';
    buffer.append(number, std::to_chars(number, number + sizeof number, r % 12).ptr);
    buffer += "\tCRUDE_DISTILLATION_FEED\t";
    buffer.append(number, std::to_chars(number, number + sizeof number, static_cast<double>(n) * 0.5).ptr);
    buffer += '\t';
    buffer += kWrittenText;
    buffer += '\n';
  }
  bool ok = PQputCopyData(conn, buffer.data(), static_cast<int>(buffer.size())) == 1;
  ok = PQputCopyEnd(conn, nullptr) == 1 && ok;
  while (PGresult* result = PQgetResult(conn)) {
    ok = ok && PQresultStatus(result) == PGRES_COMMAND_OK;
    PQclear(result);
  }
  return PgCommand(conn, "COMMIT") && ok;
}

// range(0): 0 our COPY path, 1 our ODBC parameter arrays (through the server's ODBC driver).
void BM_BulkWriterIntoPostgres(benchmark::State& state) {
  static plat::testing::PgTestServer& server = plat::testing::PgTestServer::Shared();
  if (!server.Ok()) {
    state.SkipWithError(server.Reason().c_str());
    return;
  }
  plat::testing::ScopedOdbcIni ini(plat::testing::ScopedOdbcIni::StandardDrivers());
  const bool odbc = state.range(0) != 0;
  server.Psql(std::string("DROP TABLE IF EXISTS \"PrStream\"; DROP TABLE IF EXISTS \"PrStreamRaw\"; CREATE TABLE "
                          "\"PrStream\" ") +
              kServerColumns + "; CREATE TABLE \"PrStreamRaw\" " + kServerColumns + ";");
  OrvidDisablePostgresCopy(odbc);
  std::unique_ptr<IOrvid, OrvidFree> w(IOrvid::CreateInstance());
  w->Initialize("SQLServer", "Vorn");
  w->Connect(server.OdbcConnectionString());
  OrvidDisablePostgresCopy(false);
  const std::string pgParams = "host=127.0.0.1 port=" + std::to_string(server.Port()) + " dbname=postgres user=postgres";
  std::unique_ptr<PGconn, PgFree> conn(PQconnectdb(pgParams.c_str()));
  if (PQstatus(conn.get()) != CONNECTION_OK) {
    state.SkipWithError("libpq cannot connect");
    return;
  }
  std::int64_t rows = 0, rawRows = 0;
  auto ours = [&] {
    bool ok = true;
    const double seconds = WallSeconds([&] { ok = WriteBulkRound(*w, rows); });
    rows += kRowsPerRound;
    return ok ? seconds : -1.0;
  };
  auto anchor = [&] {
    bool ok = true;
    const double seconds = WallSeconds([&] { ok = RawCopyRound(conn.get(), rawRows); });
    rawRows += kRowsPerRound;
    return ok ? seconds : -1.0;
  };
  const std::string label =
      std::string(odbc ? "bulk writer, ODBC parameter arrays" : "bulk writer, COPY") + " vs raw libpq COPY, 10,000 rows x 5 columns";
  state.SetLabel(odbc ? "ODBC parameter arrays" : "COPY FROM STDIN");
  for (auto _ : state) {
    const bench::SideBySideTimes times = bench::RunSideBySide(odbc ? 5 : kRounds, ours, anchor);
    if (!bench::ReportSideBySide(state, times, label, kRowsPerRound, "rows")) {
      if (!w->GetLastError().empty()) std::fprintf(stderr, "%s\n", w->GetLastError().c_str());
      break;
    }
  }
  state.counters["ours_ns_per_row"] = state.counters["ours_median_ms"] * 1e6 / kRowsPerRound;
  state.counters["anchor_ns_per_row"] = state.counters["anchor_median_ms"] * 1e6 / kRowsPerRound;
}
BENCHMARK(BM_BulkWriterIntoPostgres)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
